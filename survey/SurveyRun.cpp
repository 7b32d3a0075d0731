#include "survey/SurveyRun.h"

#include "survey/SummaryReport.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QJsonDocument>

#include <cmath>
#include <thread>

namespace qemra {

namespace {

const QString kProgram = QStringLiteral("qemra-monitor");
const QString kDateFormat = QStringLiteral("yyyy/MM/dd");

// Days named in a message, consecutive ones as one span: "2026/12/03, 2026/12/05 to 2026/12/07".
class DaySpans {
public:
    void Add(QDate day)
    {
        if (!spans_.isEmpty() && spans_.last().second.addDays(1) == day)
            spans_.last().second = day;
        else
            spans_.append({day, day});
    }
    bool IsEmpty() const { return spans_.isEmpty(); }
    QString Text() const
    {
        QStringList parts;
        for (const auto& [first, last] : spans_)
            parts.append(first == last
                             ? first.toString(kDateFormat)
                             : first.toString(kDateFormat) + QStringLiteral(" to ") + last.toString(kDateFormat));
        return parts.join(QStringLiteral(", "));
    }

private:
    QList<std::pair<QDate, QDate>> spans_;
};

int BadArguments(QTextStream& err, const QString& reason)
{
    err << kProgram << ": " << reason << '\n' << SurveySummaryUsage() << '\n';
    err.flush();
    return 2;
}

int Failure(QTextStream& err, const QString& reason)
{
    err << kProgram << ": " << reason << '\n';
    err.flush();
    return 1;
}

// The messages of the days read, in day order.
void ReportDays(const SurveyFigures& figures, const QString& port, QTextStream& err)
{
    for (const QString& error : figures.errors)
        err << kProgram << ": " << error << '\n';
    DaySpans fromMinutes;
    for (const QDate day : figures.minuteDays)
        fromMinutes.Add(day);
    DaySpans missing;
    for (const QDate day : figures.missingDays)
        missing.Add(day);
    if (!fromMinutes.IsEmpty()) {
        const QString which = port.isEmpty() ? QStringLiteral("no second record file")
                                             : QStringLiteral("no second record file of port ") + port;
        err << kProgram << ": " << which << ", minute record file counted for " << fromMinutes.Text() << '\n';
    }
    if (!missing.IsEmpty())
        err << kProgram << ": no record file for " << missing.Text() << ", skipped\n";
    err.flush();
}

std::optional<std::pair<double, double>> RangeFromText(const QString& text)
{
    const QStringList ends = text.split(u',');
    if (ends.size() != 2)
        return std::nullopt;
    bool lowOk = false;
    bool highOk = false;
    const double low = ends[0].trimmed().toDouble(&lowOk);
    const double high = ends[1].trimmed().toDouble(&highOk);
    if (!lowOk || !highOk || !std::isfinite(low) || !std::isfinite(high) || !(low < high))
        return std::nullopt;
    return std::pair{low, high};
}

std::optional<ComfortCategory> CategoryFromText(const QString& text)
{
    for (const ComfortCategory category : {ComfortCategory::A, ComfortCategory::B, ComfortCategory::C})
        if (text.compare(QLatin1String(CategoryName(category)), Qt::CaseInsensitive) == 0)
            return category;
    return std::nullopt;
}

}  // namespace

QString SurveySummaryUsage()
{
    return QStringLiteral("usage: qemra-monitor --summary FROM TO [--port NAME] [--data-dir DIR] [--json]"
                          " [--hours HH:MM-HH:MM] [--days DAYS] [--category A|B|C] [--to-range LOW,HIGH]"
                          " [--outdoor FILE]  (FROM, TO: yyyy/mm/dd, both included; DAYS: mon-fri, sat,sun, ...)");
}

std::optional<SummaryRequest> ParseSummaryArguments(const QStringList& args, QString* error, QStringList* warnings)
{
    auto fail = [error](const QString& reason) {
        if (error != nullptr)
            *error = reason;
        return std::nullopt;
    };
    QCommandLineParser parser;
    const QCommandLineOption summaryOption(QStringLiteral("summary"));
    const QCommandLineOption portOption(QStringLiteral("port"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption dataDirOption(QStringLiteral("data-dir"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption jsonOption(QStringLiteral("json"));
    const QCommandLineOption hoursOption(QStringLiteral("hours"), QString(), QStringLiteral("HH:MM-HH:MM"));
    const QCommandLineOption daysOption(QStringLiteral("days"), QString(), QStringLiteral("DAYS"));
    const QCommandLineOption categoryOption(QStringLiteral("category"), QString(), QStringLiteral("A|B|C"));
    const QCommandLineOption toRangeOption(QStringLiteral("to-range"), QString(), QStringLiteral("LOW,HIGH"));
    const QCommandLineOption outdoorOption(QStringLiteral("outdoor"), QString(), QStringLiteral("FILE"));
    parser.addOptions({summaryOption, portOption, dataDirOption, jsonOption, hoursOption, daysOption, categoryOption,
                       toRangeOption, outdoorOption});
    parser.addPositionalArgument(QStringLiteral("FROM"), QString());
    parser.addPositionalArgument(QStringLiteral("TO"), QString());
    if (!parser.parse(QStringList{kProgram} + args))
        return fail(parser.errorText());
    const QStringList dates = parser.positionalArguments();
    if (!parser.isSet(summaryOption) || dates.size() != 2)
        return fail(QStringLiteral("the summary takes two dates, FROM and TO"));

    SummaryRequest request;
    request.from = QDate::fromString(dates[0], kDateFormat);
    request.to = QDate::fromString(dates[1], kDateFormat);
    if (!request.from.isValid() || !request.to.isValid())
        return fail(QStringLiteral("not a date yyyy/mm/dd: ") + (request.from.isValid() ? dates[1] : dates[0]));
    if (request.to < request.from)
        return fail(QStringLiteral("TO is before FROM"));
    // A port given as its device path names its files by its last part, as the recorder does.
    request.portGiven = parser.isSet(portOption);
    request.port = parser.value(portOption).section(u'/', -1);
    if (request.portGiven && request.port.isEmpty())
        return fail(QStringLiteral("--port needs a port name"));
    request.dataDir = parser.value(dataDirOption);
    request.json = parser.isSet(jsonOption);

    // Every option is checked before any record file is read.
    OccupiedHours& occupied = request.comfort.occupied;
    if (parser.isSet(hoursOption)) {
        const std::optional<OccupiedHours> hours = OccupiedHours::FromText(parser.value(hoursOption));
        if (!hours)
            return fail(QStringLiteral("--hours %1: not a span of hours HH:MM-HH:MM (00:00 to 24:00)")
                            .arg(parser.value(hoursOption)));
        occupied = *hours;
    }
    if (parser.isSet(daysOption)) {
        const auto days = OccupiedHours::DaysFromText(parser.value(daysOption));
        if (!days)
            return fail(QStringLiteral("--days %1: not days of the week mon...sun, ranges and commas (mon-fri)")
                            .arg(parser.value(daysOption)));
        occupied.SetDays(*days);
    }
    if (parser.isSet(categoryOption)) {
        const std::optional<ComfortCategory> category = CategoryFromText(parser.value(categoryOption));
        if (!category)
            return fail(QStringLiteral("--category %1: not A, B or C").arg(parser.value(categoryOption)));
        request.comfort.category = *category;
    }
    if (parser.isSet(toRangeOption)) {
        request.comfort.toRange = RangeFromText(parser.value(toRangeOption));
        if (!request.comfort.toRange)
            return fail(QStringLiteral("--to-range %1: not LOW,HIGH with LOW below HIGH (20,26)")
                            .arg(parser.value(toRangeOption)));
    }
    if (parser.isSet(outdoorOption)) {
        request.outdoorPath = parser.value(outdoorOption);
        auto outdoor = std::make_shared<OutdoorTemperatures>();
        QString reason;
        if (request.outdoorPath.isEmpty() || !outdoor->Load(request.outdoorPath, &reason, warnings))
            return fail(QStringLiteral("--outdoor %1: %2")
                            .arg(request.outdoorPath,
                                 request.outdoorPath.isEmpty() ? QStringLiteral("no file named") : reason));
        request.comfort.outdoor = std::move(outdoor);
    }
    return request;
}

SurveySummary SummariseDays(const RecordFolder& folder, const QString& port, QDate from, QDate to, QTextStream& err,
                            int* filesRead)
{
    const ComfortOptions everySecond;
    const SurveyFigures figures = SurveyDays(folder, port, everySecond).Range(from, to);
    ReportDays(figures, port, err);
    if (filesRead != nullptr)
        *filesRead = figures.filesRead;
    return figures.summary;
}

int RunSurveySummary(const QStringList& args, const QString& defaultDataDir, QTextStream& out, QTextStream& err,
                     int workers)
{
    QString error;
    QStringList warnings;
    const std::optional<SummaryRequest> request = ParseSummaryArguments(args, &error, &warnings);
    if (!request)
        return BadArguments(err, error);
    for (const QString& warning : warnings)
        err << kProgram << ": " << warning << ", its day left out\n";
    err.flush();

    const RecordFolder folder(request->dataDir.isEmpty() ? defaultDataDir : request->dataDir);
    if (!folder.Exists())
        return Failure(err, QStringLiteral("no record folder ") + folder.Path());
    const QString range =
        request->from.toString(kDateFormat) + QStringLiteral(" to ") + request->to.toString(kDateFormat);
    const QStringList ports = folder.PortsBetween(request->from, request->to);
    QString port = request->port;
    if (!request->portGiven) {
        if (ports.size() > 1)
            return BadArguments(err, QStringLiteral("second record files of several ports in this range: ") +
                                         ports.join(QStringLiteral(", ")) + QStringLiteral("; choose one with --port"));
        if (ports.size() == 1)
            port = ports.front();
    } else if (!ports.isEmpty() && !ports.contains(port)) {
        // Minute record files hold no port: they would pass for the port asked for.
        return Failure(err, QStringLiteral("no second record file of port %1 from %2; ports found: %3")
                                .arg(port, range, ports.join(QStringLiteral(", "))));
    }

    if (workers <= 0)
        workers = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const SurveyFigures figures = SurveyDays(folder, port, request->comfort).Range(request->from, request->to, workers);
    ReportDays(figures, port, err);
    if (figures.filesRead == 0)
        return Failure(err, QStringLiteral("no record file from %1 in %2").arg(range, folder.Path()));
    if (figures.rowsRead == 0)
        return Failure(err,
                       QStringLiteral("no readable row in the record files from %1 in %2").arg(range, folder.Path()));
    if (request->json)
        out << QString::fromUtf8(
                   QJsonDocument(SummaryJson(figures.summary, figures.comfort)).toJson(QJsonDocument::Compact))
            << '\n';
    else
        out << SummaryTable(figures.summary, figures.comfort);
    out.flush();
    return 0;
}

}  // namespace qemra
