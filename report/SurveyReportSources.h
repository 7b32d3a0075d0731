#pragma once

#include "report/SurveyReportPdf.h"
#include "survey/ComfortFormulas.h"
#include "survey/RecordFolder.h"
#include "survey/ReportDistributions.h"

#include <QJsonObject>

#include <array>

namespace qemra {

// The occupied seconds a summary counted, rebuilt from its "selection" object: "hours"
// "HH:MM-HH:MM" (start included, end excluded; an end before the start runs past midnight) and
// "days" ["mon", ...]; null counts every second.
class OccupiedSeconds {
public:
    explicit OccupiedSeconds(const QJsonObject& selection);
    bool Counts(const RecordTime& time) const;

private:
    int startMinute_ = 0;
    int endMinute_ = 0;
    bool allHours_ = true;
    std::array<bool, 7> days_{true, true, true, true, true, true, true};  // Monday first
};

// What the report shows beyond the summary, read from the record files the summary counted: the
// files with their sizes, the days read from minute files or missing, and the distributions of the
// occupied seconds. The draught rate is left out here: it is defined by the survey analysis's
// trailing window, which feeds it where the analysis runs.
struct SurveyReportSources {
    SurveyReportInputs inputs;
    ReportDistributions distributions;
};
SurveyReportSources ReadSurveyReportSources(const RecordFolder& folder, const QString& port, QDate from, QDate to,
                                            const QJsonObject& summary);

}  // namespace qemra
