#include "app/Program.h"
#include "common/Prompts.h"
#include "core/AcquisitionCore.h"
#include "tests/support/PolledMinute.h"
#include "windows/link/CommunicationWindow.h"
#include "windows/main/MainWindow.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace qemra;

namespace {

const TDateTime kStart = EncodeDateTime(2024, 5, 20, 10, 59, 58) + 0.1 / 86400.0;


TEST(CoreAndWindowsRecordAlikeTest, TheCoreAloneWritesTheRecordFilesTheWindowProgramWritesForTheSameAnswers)
{
    // One folder for both runs, so the second record file's header names the same link path.
    TempFolder folder;
    {
        const auto sim = StartSeededInstrument(folder);
        FakeClock clock{kStart};
        RecordingPrompts prompts;
        AcquisitionCore core(clock, prompts, folder.path());
        ASSERT_TRUE(core.Connect());
        PollFor(clock, core.Poll(), [&core] { core.Tick(); }, 64);
    }
    ASSERT_TRUE(QDir(folder.path()).rename("Record", "RecordAlone"));
    {
        const auto sim = StartSeededInstrument(folder);
        FakeClock clock{kStart};
        RecordingPrompts prompts;
        Program program(clock, prompts, folder.path());
        program.Main().FormShow();
        program.Main().BBStartClick();
        ASSERT_TRUE(program.Main().CommCtrl().LinkOpen());
        PollFor(clock, program.Main().Poll(), [&program] { program.Main().MainTimerTimer(); }, 64);
    }
    for (const QString name : {"RT_20240520.RCD", "RT_sim.tty_20240520.csv"}) {
        const QByteArray written = folder.read("RecordAlone/" + name);
        EXPECT_FALSE(written.isEmpty()) << name.toStdString();
        EXPECT_EQ(written, folder.read("Record/" + name)) << name.toStdString();
    }
}

}  // namespace
