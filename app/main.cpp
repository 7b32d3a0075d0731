#include "windows/main/MainWindow.h"
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

#include <cstdio>
#include <cstring>
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

// The value of "--lang ja|en" ("--lang=en" too); nothing when it is not given. An unknown value
// is an error, so a typing slip does not silently leave the screens in the other language.
bool ReadLanguageOption(int argc, char** argv, std::optional<qemra::UiLanguage>& language)
{
    for (int i = 1; i < argc; ++i) {
        QString value;
        if (std::strcmp(argv[i], "--lang") == 0 && i + 1 < argc)
            value = QString::fromLocal8Bit(argv[i + 1]);
        else if (std::strncmp(argv[i], "--lang=", 7) == 0)
            value = QString::fromLocal8Bit(argv[i] + 7);
        else if (std::strcmp(argv[i], "--lang") != 0)
            continue;
        language = qemra::ParseUiLanguage(value);
        if (!language) {
            std::fprintf(stderr, "qemra-monitor: --lang takes ja or en\n");
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    // The survey summary runs without a display, so it goes before any window toolkit starts.
    if (qemra::WantsSurveySummary(argc, argv))
        return qemra::WantsSurveyReport(argc, argv) ? qemra::RunSurveyReportCommand(argc, argv)
                                                    : qemra::RunSurveySummaryCommand(argc, argv);
    // So does the unattended recorder.
    if (qemra::WantsHeadless(argc, argv))
        return qemra::RunHeadless(argc, argv);
    // Before the toolkit starts any thread, so that every thread keeps the end signals blocked.
    qemra::EndSignals::Block();
    std::optional<qemra::UiLanguage> language;
    if (!ReadLanguageOption(argc, argv, language))
        return 2;
    MonitorApplication app(argc, argv);
    const auto translation = qemra::InstallUiTranslation(qemra::SystemUiLanguage(language));
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
