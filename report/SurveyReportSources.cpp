#include "report/SurveyReportSources.h"

#include "survey/SurveyDays.h"

#include <QFileInfo>

namespace qemra {

SurveyReportSources ReadSurveyReportSources(const RecordFolder& folder, const QString& port, QDate from, QDate to,
                                            const ComfortOptions& options)
{
    SurveyReportSources sources;
    SurveyReportInputs& inputs = sources.inputs;
    inputs.port = port;
    inputs.from = from;
    inputs.to = to;
    const CountedSecondObserver observer = [&sources](const CountedSecond& second) {
        sources.distributions.AddSecond(second.time, static_cast<double>(second.weight), second.operativeTemp,
                                        second.pmv, second.draughtRate);
    };
    const SurveyFigures figures = SurveyDays(folder, port, options).Range(from, to, 1, &observer);
    for (QDate day = from; day.isValid() && day <= to; day = day.addDays(1)) {
        if (figures.missingDays.contains(day))
            continue;
        const bool minutes = figures.minuteDays.contains(day);
        const QString path = minutes ? folder.MinuteRecordFile(day) : folder.SecondRecordFile(port, day);
        inputs.files.push_back({path, QFileInfo(path).size()});
    }
    inputs.missingDays = figures.missingDays;
    inputs.minuteDays = figures.minuteDays;
    return sources;
}

}  // namespace qemra
