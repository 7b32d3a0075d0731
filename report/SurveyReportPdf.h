#pragma once

#include "common/FileIo.h"
#include "survey/ReportDistributions.h"

#include <QByteArray>
#include <QDate>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>
#include <vector>

namespace qemra {

// What a survey report was made from, so a reader can make it again.
struct SurveyReportInputs {
    struct File {
        QString path;
        qint64 bytes = 0;
    };
    QString dataFolder;
    QString port;
    QDate from;
    QDate to;
    std::vector<File> files;   // the record files read, in day order
    QList<QDate> minuteDays;   // days read from their minute record file
    QList<QDate> missingDays;  // days without any record file
    QString outdoorFile;       // empty without one
    QString programVersion;
};

// The "inputs" object of the sidecar: data_folder, port, from, to, files [{path, bytes}],
// minute_days, missing_days (dates yyyy-mm-dd), outdoor_file (null without one), program_version.
QJsonObject SurveyReportInputsJson(const SurveyReportInputs& inputs);

enum class VerdictResult { Pass, Fail, None };

// One criterion of the report, named by the summary's key it is judged from: pmv_category,
// dr_category, comfort_category, long_term, wbgt_twa, adaptive.
struct SurveyVerdict {
    QString key;
    std::optional<double> value;  // a share 0 to 1; empty when there is nothing to judge
    double limit = 0;             // the largest share that still passes
    VerdictResult result = VerdictResult::None;
};

// The tolerance when none is given: the share of time outside a category EN 16798-1 accepts, in %.
inline constexpr double kDefaultTolerancePercent = 5.0;

// The verdicts of a summary object (the keys of `--summary --json`). A category criterion passes
// when the share of its seconds outside the chosen category is at most the tolerance; the long-term
// criterion the same with its share_outside; the WBGT criterion when no one-hour average exceeds the
// unacclimatised limit (value: the share over it, limit 0). A criterion without any second to judge
// is None, never Pass. The adaptive criterion is there only when the summary has adaptive figures.
std::vector<SurveyVerdict> SurveyVerdicts(const QJsonObject& summary, double tolerancePercent);

// {key: {"value", "limit", "result": "pass" | "fail" | "none"}}; value null when none.
QJsonObject SurveyVerdictsJson(const std::vector<SurveyVerdict>& verdicts);

// The summary object with "inputs" and "verdicts" added.
QJsonObject SurveyReportSidecar(const QJsonObject& summary, const SurveyReportInputs& inputs,
                                const std::vector<SurveyVerdict>& verdicts);

// The report as an A4 PDF of four pages: the verdicts, the time in each category with the PMV and
// draught-rate histograms, the average day with each day's range, and the methods and inputs. Every
// figure of the verdict table is read from `summary`. Needs a QGuiApplication for its fonts.
QByteArray SurveyReportPdf(const QJsonObject& summary, const ReportDistributions& distributions,
                           const SurveyReportInputs& inputs, double tolerancePercent);

// "report.pdf" -> "report.json"; a name without ".pdf" gets ".json" added.
QString SurveyReportSidecarPath(const QString& pdfPath);

// Writes the report to `pdfPath` and its sidecar beside it, each through a temporary file and a
// rename. On failure neither file changes (a sidecar already replaced is put back) and `error` says
// which file and why.
bool WriteSurveyReport(const QString& pdfPath, const QJsonObject& summary, const ReportDistributions& distributions,
                       const SurveyReportInputs& inputs, double tolerancePercent, FileIo& io, QString* error = nullptr);

}  // namespace qemra
