#include "acquisition/Main.h"
#include "app/Program.h"
#include "common/AppFolder.h"
#include "common/DateTime.h"
#include "common/Prompts.h"

#include <QApplication>
#include <QMessageBox>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <exception>
#include <sys/signalfd.h>
#include <unistd.h>

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

// Ctrl+C, kill and a closed terminal end the program the way closing the main window does, so the
// port is closed and its lock file removed. The signals are blocked in every thread (before the
// toolkit starts any) and read from a descriptor by the event loop instead.
sigset_t EndSignals()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int number : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&set, number);
    return set;
}

}  // namespace

int main(int argc, char** argv)
{
    const sigset_t endSignals = EndSignals();
    pthread_sigmask(SIG_BLOCK, &endSignals, nullptr);
    MonitorApplication app(argc, argv);
    try {
        qemra::SystemClock clock;
        qemra::QtPrompts prompts;
        qemra::Program program(clock, prompts, qemra::AppBaseFolder());
        prompts.SetParent(&program.Main());
        // The main window alone ends the program; the tool windows may still be open.
        app.setQuitOnLastWindowClosed(false);
        QObject::connect(&program.Main(), &qemra::TMainForm::Closed, &app, &QApplication::quit);
        const int signalFd = signalfd(-1, &endSignals, SFD_NONBLOCK | SFD_CLOEXEC);
        QSocketNotifier signalNotifier(signalFd, QSocketNotifier::Read);
        signalNotifier.setEnabled(signalFd >= 0);
        QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [&program, signalFd] {
            signalfd_siginfo info{};
            while (read(signalFd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
            }
            program.Main().close();
            QApplication::quit();
        });
        program.Main().show();
        const int status = app.exec();
        if (signalFd >= 0)
            close(signalFd);
        return status;
    } catch (const std::exception& error) {
        ShowError(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        ShowError(QStringLiteral("Unknown error"));
    }
    return 1;
}
