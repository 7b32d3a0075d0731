#include "report/SurveyReportCommand.h"

#include "common/FileIo.h"
#include "report/SurveyReportPdf.h"
#include "report/SurveyReportSources.h"
#include "survey/SurveyRun.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QLocale>

#include <cmath>
#include <optional>

namespace qemra {

namespace {

const QString kProgram = QStringLiteral("qemra-monitor");
const QString kReport = QStringLiteral("--report");
const QString kTolerance = QStringLiteral("--tolerance");

int BadArguments(QTextStream& err, const QString& reason)
{
    err << kProgram << ": " << reason << '\n' << SurveySummaryUsage() << "  --report FILE.pdf [--tolerance PCT]\n";
    err.flush();
    return 2;
}

// Takes "--name VALUE" or "--name=VALUE" out of `args`; empty when the option is not there, and
// `missing` set when it is there without a value.
std::optional<QString> TakeOption(QStringList& args, const QString& name, bool& missing)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == name) {
            if (i + 1 >= args.size()) {
                missing = true;
                args.removeAt(i);
                return QString();
            }
            const QString value = args[i + 1];
            args.remove(i, 2);
            return value;
        }
        if (args[i].startsWith(name + u'=')) {
            const QString value = args[i].mid(name.size() + 1);
            args.removeAt(i);
            return value;
        }
    }
    return std::nullopt;
}

}  // namespace

bool WantsSurveyReport(const QStringList& args)
{
    for (const QString& arg : args)
        if (arg == kReport || arg.startsWith(kReport + u'='))
            return true;
    return false;
}

int RunSurveyReport(const QStringList& args, const QString& defaultDataDir, const QString& programVersion,
                    QTextStream& out, QTextStream& err)
{
    QStringList summaryArgs = args;
    bool missing = false;
    const std::optional<QString> report = TakeOption(summaryArgs, kReport, missing);
    if (missing || !report || report->isEmpty())
        return BadArguments(err, QStringLiteral("--report needs a file name"));
    if (QFileInfo(*report).isDir())
        return BadArguments(err, QStringLiteral("--report names a folder: ") + *report);
    double tolerance = kDefaultTolerancePercent;
    if (const std::optional<QString> given = TakeOption(summaryArgs, kTolerance, missing); given || missing) {
        bool ok = false;
        tolerance = QLocale::c().toDouble(given.value_or(QString()), &ok);
        if (missing || !ok || !std::isfinite(tolerance) || tolerance < 0 || tolerance > 100)
            return BadArguments(err, QStringLiteral("--tolerance takes a percentage from 0 to 100: ") +
                                         given.value_or(QString()));
    }
    const bool printJson = summaryArgs.contains(QStringLiteral("--json"));
    if (!printJson)
        summaryArgs << QStringLiteral("--json");

    // The summary checks every other argument and reads the record files; its object is the report's.
    QString json;
    QTextStream summaryOut(&json);
    if (const int status = RunSurveySummary(summaryArgs, defaultDataDir, summaryOut, err); status != 0)
        return status;
    summaryOut.flush();
    QJsonParseError parseError;
    const QJsonObject summary = QJsonDocument::fromJson(json.toUtf8(), &parseError).object();
    if (parseError.error != QJsonParseError::NoError) {
        err << kProgram << ": the summary gave no JSON object: " << parseError.errorString() << '\n';
        err.flush();
        return 1;
    }

    // The same request the summary ran, to list its files and feed the report from its analysis.
    QString requestError;
    const std::optional<SummaryRequest> request = ParseSummaryArguments(summaryArgs, &requestError);
    if (!request)
        return BadArguments(err, requestError);
    const QString dataDir = request->dataDir.isEmpty() ? defaultDataDir : request->dataDir;
    const RecordFolder folder(dataDir);
    QString port = request->port;
    if (!request->portGiven) {
        if (const QStringList ports = folder.PortsBetween(request->from, request->to); ports.size() == 1)
            port = ports.front();
    }

    SurveyReportSources sources = ReadSurveyReportSources(folder, port, request->from, request->to, request->comfort);
    sources.inputs.dataFolder = QFileInfo(dataDir).absoluteFilePath();
    if (!request->outdoorPath.isEmpty())
        sources.inputs.outdoorFile = QFileInfo(request->outdoorPath).absoluteFilePath();
    sources.inputs.programVersion = programVersion;

    FileIo io;
    QString error;
    if (!WriteSurveyReport(*report, summary, sources.distributions, sources.inputs, tolerance, io, &error)) {
        err << kProgram << ": " << error << '\n';
        err.flush();
        return 1;
    }
    if (printJson)
        out << json;
    else
        out << *report << '\n' << SurveyReportSidecarPath(*report) << '\n';
    out.flush();
    return 0;
}

}  // namespace qemra
