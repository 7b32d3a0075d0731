#include "windows/main/MainWindow.h"
#include "app/CommandLine.h"
#include "app/EndSignals.h"
#include "app/Headless.h"
#include "app/Program.h"
#include "app/ProgramRun.h"
#include "app/SurveyReportRun.h"
#include "common/AppFolder.h"
#include "common/DateTime.h"
#include "common/UiLanguage.h"
#include "translations/UiTranslation.h"
#include "windows/common/QtPrompts.h"

#include <QApplication>
#include <QMessageBox>
#include <QStringList>

#include <cstdio>
#include <exception>
#include <optional>

namespace {

void ShowError(const QString& text)
{
    std::fprintf(stderr, "qemra-monitor: %s\n", text.toLocal8Bit().constData());
    QMessageBox::critical(nullptr, QStringLiteral("Qemra-series Monitor"), text);
}

// Every event goes through here, so an error escaping a handler is shown instead of ending the
// program unexplained; the event loop goes on.
class MonitorApplication final : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& error) {
            ShowError(QString::fromLocal8Bit(error.what()));
        } catch (...) {
            ShowError(QStringLiteral("Unknown error"));
        }
        return false;
    }
};

}  // namespace

int main(int argc, char** argv)
{
    // Read before any window toolkit starts: the help, the version, a wrong option, the survey
    // summary and the unattended recorder need no display.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const qemra::CommandLine line = qemra::ParseCommandLine(arguments);
    switch (line.mode) {
    case qemra::CommandLine::Mode::Help:
        std::fputs(qemra::MonitorHelpText().toLocal8Bit().constData(), stdout);
        return 0;
    case qemra::CommandLine::Mode::Version:
        std::fputs(qemra::MonitorVersionText().toLocal8Bit().constData(), stdout);
        return 0;
    case qemra::CommandLine::Mode::Wrong:
        std::fprintf(stderr, "qemra-monitor: %s\n%s\n", line.error.toLocal8Bit().constData(),
                     qemra::MonitorUsageLine().toLocal8Bit().constData());
        return 2;
    case qemra::CommandLine::Mode::Summary:
        return qemra::WantsSurveyReport(argc, argv) ? qemra::RunSurveyReportCommand(argc, argv)
                                                    : qemra::RunSurveySummaryCommand(argc, argv);
    case qemra::CommandLine::Mode::Headless:
        return qemra::RunHeadless(argc, argv, line.dataDir);
    case qemra::CommandLine::Mode::Window:
        break;
    }
    // Before the toolkit starts any thread, so that every thread keeps the end signals blocked.
    qemra::EndSignals::Block();
    MonitorApplication app(argc, argv);
    const auto translation = qemra::InstallUiTranslation(qemra::SystemUiLanguage(qemra::ParseUiLanguage(line.language)));
    try {
        // Ctrl+C, kill and a closed terminal end the program the way closing the main window does,
        // so the port is closed and its lock file removed; listening starts before any window or
        // message box can appear.
        qemra::EndSignals endSignals;
        qemra::SystemClock clock;
        qemra::QtPrompts prompts;
        return qemra::RunProgram(clock, prompts, qemra::AppBaseFolder(), endSignals,
                                 [&prompts](qemra::Program& program) { prompts.SetParent(&program.Main()); });
    } catch (const std::exception& error) {
        ShowError(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        ShowError(QStringLiteral("Unknown error"));
    }
    return 1;
}
