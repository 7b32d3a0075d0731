#include "survey/SurveySelection.h"

namespace qemra {

QStringList SurveySummaryArguments(QDate from, QDate to, const QString& dataDir, const QString& port,
                                   const SurveySelection& selection)
{
    const QString dateFormat = QStringLiteral("yyyy/MM/dd");
    QStringList args = {QStringLiteral("--summary"), from.toString(dateFormat), to.toString(dateFormat),
                        QStringLiteral("--data-dir"), dataDir};
    const auto option = [&args](const char* name, const QString& value) {
        if (!value.trimmed().isEmpty())
            args << QString::fromLatin1(name) << value.trimmed();
    };
    option("--port", port);
    option("--hours", selection.hours);
    option("--days", selection.days);
    option("--category", selection.category);
    // A file name is taken as it is: its spaces may be its own.
    if (!selection.outdoorFile.isEmpty())
        args << QStringLiteral("--outdoor") << selection.outdoorFile;
    return args;
}

}  // namespace qemra
