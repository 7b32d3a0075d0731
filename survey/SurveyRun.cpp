#include "survey/SurveyRun.h"

#include "survey/SummaryReport.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QJsonDocument>

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

void ReportReadError(QTextStream& err, const QString& path, const QString& reason)
{
    err << kProgram << ": cannot read " << path << ": " << reason << '\n';
}

}  // namespace

QString SurveySummaryUsage()
{
    return QStringLiteral("usage: qemra-monitor --summary FROM TO [--port NAME] [--data-dir DIR] [--json]"
                          "  (FROM, TO: yyyy/mm/dd, both included)");
}

SurveySummary SummariseDays(const RecordFolder& folder, const QString& port, QDate from, QDate to, QTextStream& err,
                            int* filesRead)
{
    SurveySummary summary;
    DaySpans missing;
    DaySpans fromMinutes;
    int read = 0;
    // One reader of each kind for the whole range: each holds one block, whatever the range.
    SecondRecordReader seconds;
    MinuteRecordReader minutes;
    SecondRecordRow secondRow;
    MinuteRecordRow minuteRow;
    for (QDate day = from; day.isValid() && day <= to; day = day.addDays(1)) {
        bool counted = false;
        QString error;
        if (const QString path = folder.SecondRecordFile(port, day); !path.isEmpty()) {
            if (seconds.Open(path, &error)) {
                while (seconds.Next(secondRow))
                    summary.Add(secondRow.time, secondRow.values, 1);
                summary.AddSkippedRows(seconds.SkippedRows());
                if (seconds.ReadFailed())
                    ReportReadError(err, path, QStringLiteral("reading stopped early"));
                counted = true;
            } else {
                ReportReadError(err, path, error);
            }
        }
        if (!counted) {
            if (const QString path = folder.MinuteRecordFile(day); !path.isEmpty()) {
                if (minutes.Open(path, &error)) {
                    // A minute row stands for the sixty seconds it averages.
                    while (minutes.Next(minuteRow))
                        summary.Add(minuteRow.time, minuteRow.average, 60);
                    summary.AddSkippedRows(minutes.SkippedRows());
                    if (minutes.ReadFailed())
                        ReportReadError(err, path, QStringLiteral("reading stopped early"));
                    counted = true;
                    fromMinutes.Add(day);
                } else {
                    ReportReadError(err, path, error);
                }
            }
        }
        if (counted)
            ++read;
        else
            missing.Add(day);
    }
    if (!fromMinutes.IsEmpty()) {
        const QString which = port.isEmpty() ? QStringLiteral("no second record file")
                                             : QStringLiteral("no second record file of port ") + port;
        err << kProgram << ": " << which << ", minute record file counted for " << fromMinutes.Text() << '\n';
    }
    if (!missing.IsEmpty())
        err << kProgram << ": no record file for " << missing.Text() << ", skipped\n";
    err.flush();
    if (filesRead != nullptr)
        *filesRead = read;
    return summary;
}

int RunSurveySummary(const QStringList& args, const QString& defaultDataDir, QTextStream& out, QTextStream& err)
{
    QCommandLineParser parser;
    const QCommandLineOption summaryOption(QStringLiteral("summary"));
    const QCommandLineOption portOption(QStringLiteral("port"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption dataDirOption(QStringLiteral("data-dir"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption jsonOption(QStringLiteral("json"));
    parser.addOptions({summaryOption, portOption, dataDirOption, jsonOption});
    parser.addPositionalArgument(QStringLiteral("FROM"), QString());
    parser.addPositionalArgument(QStringLiteral("TO"), QString());
    if (!parser.parse(QStringList{kProgram} + args))
        return BadArguments(err, parser.errorText());
    const QStringList dates = parser.positionalArguments();
    if (!parser.isSet(summaryOption) || dates.size() != 2)
        return BadArguments(err, QStringLiteral("the summary takes two dates, FROM and TO"));
    const QDate from = QDate::fromString(dates[0], kDateFormat);
    const QDate to = QDate::fromString(dates[1], kDateFormat);
    if (!from.isValid() || !to.isValid())
        return BadArguments(err, QStringLiteral("not a date yyyy/mm/dd: ") + (from.isValid() ? dates[1] : dates[0]));
    if (to < from)
        return BadArguments(err, QStringLiteral("TO is before FROM"));
    // A port given as its device path names its files by its last part, as the recorder does.
    const QString givenPort = parser.value(portOption).section(u'/', -1);
    if (parser.isSet(portOption) && givenPort.isEmpty())
        return BadArguments(err, QStringLiteral("--port needs a port name"));

    const QString dataDir = parser.isSet(dataDirOption) ? parser.value(dataDirOption) : defaultDataDir;
    const RecordFolder folder(dataDir);
    if (!folder.Exists()) {
        err << kProgram << ": no record folder " << folder.Path() << '\n';
        err.flush();
        return 1;
    }
    QString port = givenPort;
    if (!parser.isSet(portOption)) {
        const QStringList ports = folder.PortsBetween(from, to);
        if (ports.size() > 1)
            return BadArguments(err, QStringLiteral("second record files of several ports in this range: ") +
                                         ports.join(QStringLiteral(", ")) + QStringLiteral("; choose one with --port"));
        if (ports.size() == 1)
            port = ports.front();
    }

    int filesRead = 0;
    const SurveySummary summary = SummariseDays(folder, port, from, to, err, &filesRead);
    if (filesRead == 0) {
        err << kProgram << ": no record file from " << from.toString(kDateFormat) << " to " << to.toString(kDateFormat)
            << " in " << folder.Path() << '\n';
        err.flush();
        return 1;
    }
    if (parser.isSet(jsonOption))
        out << QString::fromUtf8(QJsonDocument(SummaryJson(summary)).toJson(QJsonDocument::Compact)) << '\n';
    else
        out << SummaryTable(summary);
    out.flush();
    return 0;
}

}  // namespace qemra
