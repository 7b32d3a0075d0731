#include "app/EndSignals.h"
#include "app/Program.h"
#include "app/ProgramRun.h"
#include "common/Prompts.h"
#include "tests/support/TempFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

#include <csignal>
#include <pthread.h>

using namespace qemra;

namespace {

// Message boxes as the program shows them, each with an event loop of its own until answered; the
// end signal comes while the first one is up. A box nobody closes is given up after a while.
class SignalDuringMessageBox final : public Prompts {
public:
    QStringList texts;
    bool gaveUp = false;

    void Message(Kind, const QString& text) override
    {
        texts.append(text);
        if (texts.size() == 1)
            raise(SIGTERM);
        QEventLoop box;
        QTimer::singleShot(5000, &box, [this, &box] {
            gaveUp = true;
            box.exit();
        });
        box.exec();
    }
    QString OpenFileName(const FileDialogOptions&) override { return {}; }
    QString SaveFileName(const FileDialogOptions&) override { return {}; }
};

TEST(EndSignalsTest, SignalWhileAStartUpMessageBoxIsUpEndsTheProgramWithoutShowingAWindow)
{
    const sigset_t endSignals = EndSignals::Set();
    sigset_t before;
    pthread_sigmask(SIG_BLOCK, &endSignals, &before);

    TempFolder folder;
    QDir().mkpath(folder.file("Port0.ini"));  // a folder: the port settings cannot be loaded
    FakeClock clock(EncodeDateTime(2024, 1, 15, 9, 5, 7));
    SignalDuringMessageBox prompts;
    bool shown = false;
    int status = -1;
    {
        EndSignals listening;
        ASSERT_TRUE(listening.Listening());
        // Should the program start all the same, its event loop is ended so the test cannot hang.
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
        watchdog.start(10000);
        status = RunProgram(clock, prompts, folder.path(), listening, [&shown](Program&) { shown = true; });
        EXPECT_TRUE(listening.Received());
    }

    ASSERT_FALSE(prompts.texts.isEmpty());
    EXPECT_EQ(prompts.texts.front(), "Failed to load settings");
    EXPECT_FALSE(prompts.gaveUp) << "the message box stayed up after the signal";
    EXPECT_FALSE(shown) << "the program went on to show its windows";
    EXPECT_EQ(status, 0);

    // The ended loops leave the application ending every new loop until its main loop has run.
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
}

}  // namespace
