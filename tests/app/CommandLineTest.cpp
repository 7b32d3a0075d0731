#include "app/CommandLine.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

// Both programs as a new user starts them from a shell on a machine without a display.
TEST(CommandLineTest, BothProgramsAnswerHelpVersionAndWrongOptionsWithoutADisplay)
{
    const QString monitor = QStringLiteral(QEMRA_MONITOR_PATH);
    const QString sim = QStringLiteral(QEMRA_SIM_PATH);
    const QString version = QStringLiteral("1.0.0\nQt ") + QString::fromLatin1(qVersion()) + u'\n';
    const struct Case {
        QString program;
        QStringList arguments;
        int exitCode;
        QString outStarts;  // standard output begins with this
        QString errHas;     // standard error holds this (and is empty when this is)
    } cases[] = {
        {monitor, {"--help"}, 0, "usage: qemra-monitor [--lang ja|en]\n", ""},
        {monitor, {"--version"}, 0, "qemra-monitor " + version, ""},
        {monitor, {"--headless", "--help"}, 0, "usage: qemra-monitor", ""},
        {monitor, {"--bogus"}, 2, "", "qemra-monitor: Unknown option 'bogus'.\nusage: qemra-monitor "},
        {monitor, {"--headless", "--data-dir"}, 2, "", "Missing value after '--data-dir'.\nusage: qemra-monitor "},
        {monitor, {"--summary", "2026/12/01", "2026/12/02", "--port"}, 2, "", "Missing value after '--port'"},
        {monitor, {"--headless", "--json"}, 2, "", "--json does not go with --headless\nusage: "},
        {monitor, {"--headless", "--summary"}, 2, "", "do not go together\nusage: "},
        {monitor, {"--lang", "fr"}, 2, "", "--lang takes ja or en"},
        {monitor, {"2026/12/01"}, 2, "", "unexpected argument '2026/12/01'\nusage: "},
        {sim, {"--help"}, 0, "usage: qemra-sim [options]\n", ""},
        {sim, {"--version"}, 0, "qemra-sim " + version, ""},
        {sim, {"--bogus"}, 2, "", "qemra-sim: Unknown option 'bogus'.\nusage: qemra-sim "},
        {sim, {"--seed"}, 2, "", "qemra-sim: Missing value after '--seed'.\nusage: qemra-sim "},
    };
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    for (const Case& c : cases) {
        const std::string call = (c.program.section(u'/', -1) + u' ' + c.arguments.join(u' ')).toStdString();
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(c.program, c.arguments);
        ASSERT_TRUE(process.waitForFinished(30000)) << call;
        const QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
        const QString err = QString::fromLocal8Bit(process.readAllStandardError());
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << call;
        EXPECT_EQ(process.exitCode(), c.exitCode) << call << "\n" << err.toStdString();
        // A null text starts with nothing, so the empty cases are asked apart.
        EXPECT_TRUE(c.outStarts.isEmpty() ? out.isEmpty() : out.startsWith(c.outStarts))
            << call << "\n" << out.toStdString();
        EXPECT_TRUE(c.errHas.isEmpty() ? err.isEmpty() : err.contains(c.errHas)) << call << "\n" << err.toStdString();
    }
}

TEST(CommandLineTest, HelpListsEveryOptionOnOneLine)
{
    const QStringList lines = qemra::MonitorHelpText().split(u'\n');
    for (const char* option :
         {"--lang ja|en", "--headless", "--data-dir DIR", "--summary FROM TO", "--port NAME", "--json",
          "--hours HH:MM-HH:MM", "--days DAYS", "--category A|B|C", "--to-range LOW,HIGH", "--outdoor FILE",
          "--report FILE.pdf", "--tolerance PCT", "--help", "--version"}) {
        const QString start = QStringLiteral("  ") + QString::fromLatin1(option) + u' ';
        EXPECT_EQ(lines.filter(QRegularExpression(u'^' + QRegularExpression::escape(start) + "\\s*\\S")).size(), 1)
            << option;
    }
}

TEST(CommandLineTest, EachWayOfRunningKeepsItsOwnOptionsAndTheSummaryGetsItsArgumentsUntouched)
{
    using Mode = qemra::CommandLine::Mode;
    const QStringList summary{"--summary",  "2026/12/01", "2026/12/31",  "--hours=08:00-18:00",
                              "--days",     "mon-fri",    "--category",  "A",
                              "--to-range", "20,26",      "--outdoor",   "out.csv",
                              "--report",   "r.pdf",      "--tolerance", "5",
                              "--json",     "--port",     "ttyUSB0",     "--data-dir",
                              "/d"};
    const qemra::CommandLine parsed = qemra::ParseCommandLine(summary);
    EXPECT_EQ(parsed.mode, Mode::Summary) << parsed.error.toStdString();
    EXPECT_EQ(parsed.summaryArguments, summary);

    const struct {
        QStringList arguments;
        Mode mode;
        QString dataDir;
        QString language;
    } cases[] = {
        {{}, Mode::Window, "", ""},
        {{"--lang", "en"}, Mode::Window, "", "en"},
        {{"--lang=ja"}, Mode::Window, "", "ja"},
        {{"--headless"}, Mode::Headless, "", ""},
        {{"--headless", "--data-dir", "/srv/qemra"}, Mode::Headless, "/srv/qemra", ""},
        {{"--data-dir=/srv/qemra", "--headless"}, Mode::Headless, "/srv/qemra", ""},
        {{"--version", "--headless"}, Mode::Version, "", ""},
        {{"--data-dir", "/srv/qemra"}, Mode::Wrong, "", ""},
        {{"--headless", "--lang", "ja"}, Mode::Wrong, "", ""},
        {{"--summary", "2026/12/01", "2026/12/02", "--lang", "ja"}, Mode::Wrong, "", ""},
        {{"--headless", "--data-dir", ""}, Mode::Wrong, "", ""},
        {{"--headless", "--data-dir", "/a", "--data-dir", "/b"}, Mode::Wrong, "", ""},
        {{"--headless", "extra"}, Mode::Wrong, "", ""},
    };
    for (const auto& c : cases) {
        const qemra::CommandLine line = qemra::ParseCommandLine(c.arguments);
        const std::string call = c.arguments.join(u' ').toStdString();
        EXPECT_EQ(line.mode, c.mode) << call << ": " << line.error.toStdString();
        EXPECT_EQ(line.error.isEmpty(), c.mode != Mode::Wrong) << call;
        EXPECT_EQ(line.dataDir, c.dataDir) << call;
        EXPECT_EQ(line.language, c.language) << call;
    }
}

}  // namespace
