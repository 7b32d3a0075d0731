#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QList>
#include <QtGlobal>

#include <array>

#ifndef QEMRA_VERSION
#error "QEMRA_VERSION is set by the build"
#endif

namespace qemra {

namespace {

// Which way of running an option belongs to.
enum Modes : unsigned {
    kWindow = 1,
    kHeadless = 2,
    kSummary = 4,
    kAny = kWindow | kHeadless | kSummary,
};

struct OptionRow {
    const char* name;
    const char* argument;  // shown after the name in the help; null for none
    bool takesValue;       // false for --summary, whose dates are positional
    unsigned modes;
    const char* description;
};

// The one table of the monitor's options: the parser and the help are both made from it.
constexpr std::array<OptionRow, 15> kOptions{{
    {"lang", "ja|en", true, kWindow, "language of the windows (default: the desktop's)"},
    {"headless", nullptr, false, kHeadless, "record without windows or display, as the service does"},
    {"data-dir", "DIR", true, kHeadless | kSummary, "the data folder instead of the default (--headless, --summary)"},
    {"summary", "FROM TO", false, kSummary, "sum up the record files of the days FROM to TO (yyyy/mm/dd) and end"},
    {"port", "NAME", true, kSummary, "--summary: the port whose second record files are read"},
    {"json", nullptr, false, kSummary, "--summary: the result as one line of JSON"},
    {"hours", "HH:MM-HH:MM", true, kSummary, "--summary: count only these hours of each day (end excluded)"},
    {"days", "DAYS", true, kSummary, "--summary: count only these weekdays (mon-fri, sat,sun)"},
    {"category", "A|B|C", true, kSummary, "--summary: the category of the long-term figures (default B)"},
    {"to-range", "LOW,HIGH", true, kSummary, "--summary: the operative temperature range of the degree hours"},
    {"outdoor", "FILE", true, kSummary, "--summary: daily mean outdoor temperatures, for adaptive comfort"},
    {"report", "FILE.pdf", true, kSummary, "--summary: also write the survey report as an A4 PDF"},
    {"tolerance", "PCT", true, kSummary, "--report: the tolerance of its verdicts in per cent (default 5)"},
    {"help", nullptr, false, kAny, "this text, and end"},
    {"version", nullptr, false, kAny, "the program's version and the Qt version, and end"},
}};

QString Name(const OptionRow& row) { return QString::fromLatin1(row.name); }

const OptionRow* Find(const QString& name)
{
    for (const OptionRow& row : kOptions)
        if (Name(row) == name)
            return &row;
    return nullptr;
}

CommandLine Wrong(const QString& error)
{
    CommandLine line;
    line.mode = CommandLine::Mode::Wrong;
    line.error = error;
    return line;
}

}  // namespace

CommandLine ParseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    for (const OptionRow& row : kOptions) {
        QCommandLineOption option(Name(row));
        if (row.takesValue)
            option.setValueName(QString::fromLatin1(row.argument));
        parser.addOption(option);
    }
    if (!parser.parse(QStringList{QStringLiteral("qemra-monitor")} + arguments))
        return Wrong(parser.errorText());

    CommandLine line;
    if (parser.isSet(QStringLiteral("help"))) {
        line.mode = CommandLine::Mode::Help;
        return line;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        line.mode = CommandLine::Mode::Version;
        return line;
    }
    const bool headless = parser.isSet(QStringLiteral("headless"));
    const bool summary = parser.isSet(QStringLiteral("summary"));
    if (headless && summary)
        return Wrong(QStringLiteral("--headless and --summary do not go together"));
    const unsigned mode = headless ? kHeadless : summary ? kSummary : kWindow;
    const QString modeName = headless  ? QStringLiteral("--headless")
                             : summary ? QStringLiteral("--summary")
                                       : QStringLiteral("the window program");
    for (const QString& name : parser.optionNames()) {
        const OptionRow* row = Find(name);
        if (row != nullptr && (row->modes & mode) == 0)
            return Wrong(QStringLiteral("--%1 does not go with %2").arg(name, modeName));
        if (row != nullptr && row->takesValue && parser.values(name).size() > 1)
            return Wrong(QStringLiteral("--%1 is given more than once").arg(name));
    }
    // Only the summary takes arguments of its own (the dates).
    if (!summary && !parser.positionalArguments().isEmpty())
        return Wrong(QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().front()));

    if (summary) {
        line.mode = CommandLine::Mode::Summary;
        line.summaryArguments = arguments;
    } else if (headless) {
        line.mode = CommandLine::Mode::Headless;
        line.dataDir = parser.value(QStringLiteral("data-dir"));
        if (parser.isSet(QStringLiteral("data-dir")) && line.dataDir.isEmpty())
            return Wrong(QStringLiteral("--data-dir wants a folder"));
    } else {
        line.language = parser.value(QStringLiteral("lang"));
        if (parser.isSet(QStringLiteral("lang")) && line.language != QStringLiteral("ja") &&
            line.language != QStringLiteral("en"))
            return Wrong(QStringLiteral("--lang takes ja or en, not '%1'").arg(line.language));
    }
    return line;
}

QString MonitorUsageLine()
{
    return QStringLiteral("usage: qemra-monitor [--lang ja|en] | --headless [--data-dir DIR] | "
                          "--summary FROM TO [options]  (qemra-monitor --help lists the options)");
}

QString MonitorHelpText()
{
    QString text = QStringLiteral(
        "usage: qemra-monitor [--lang ja|en]\n"
        "       qemra-monitor --headless [--data-dir DIR]\n"
        "       qemra-monitor --summary FROM TO [--port NAME] [--data-dir DIR] [--json] [--hours HH:MM-HH:MM]\n"
        "                     [--days DAYS] [--category A|B|C] [--to-range LOW,HIGH] [--outdoor FILE]\n"
        "                     [--report FILE.pdf] [--tolerance PCT]\n"
        "Monitors, records and configures a serial thermal-comfort instrument. Without options it is the\n"
        "window program. An option takes its value as \"--name value\" or \"--name=value\".\n"
        "\n"
        "options:\n");
    for (const OptionRow& row : kOptions) {
        QString left = QStringLiteral("  --") + Name(row);
        if (row.argument != nullptr)
            left += u' ' + QString::fromLatin1(row.argument);
        text += left.leftJustified(26) + u' ' + QString::fromLatin1(row.description) + u'\n';
    }
    return text;
}

QString MonitorVersionText()
{
    return QStringLiteral("qemra-monitor " QEMRA_VERSION "\nQt ") + QString::fromLatin1(qVersion()) + u'\n';
}

}  // namespace qemra
