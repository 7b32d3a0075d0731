#include "windows/main/MainWindow.h"
#include "windows/main/TrendChart.h"
#include "app/Program.h"
#include "common/Prompts.h"
#include "windows/link/CommunicationWindow.h"
#include "windows/recording/MonitorListWindow.h"
#include "windows/system/SystemSettingWindow.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TempFolder.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLineSeries>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <memory>

using namespace qemra;

namespace {

// Where the serial port library may keep its lock file for a port opened by this path.
QStringList LockFiles(const QString& device)
{
    QStringList found;
    const QString name = QStringLiteral("LCK..") + QString(device).replace('/', '_');
    for (const char* folder : {"/var/lock", "/run/lock", "/tmp", "/var/tmp"}) {
        const QString path = QString::fromLatin1(folder) + '/' + name;
        if (QFileInfo::exists(path))
            found << path;
    }
    return found;
}

int ChartPoints(TMainForm& main)
{
    int points = 0;
    for (int c = 0; c < 5; ++c)
        for (int s = 0; s < main.Chart(c).SeriesCount(); ++s)
            points += static_cast<int>(main.Chart(c).Series(s)->count());
    return points;
}

TEST(ProgramEndToEndTest, StartShowsLiveValuesAndTheChartsFillAfterTheWarmUp)
{
    TempFolder folder;
    // The simulator points "Port0.ini" of the folder at its link.
    SimProcess sim({"--seed", "5", "--ambient", "22", "--quiet", "--link", folder.file("sim.tty"), "--port-ini",
                    folder.file("Port0.ini")});
    ASSERT_FALSE(sim.Device().isEmpty()) << "the simulator printed no device path";

    FakeClock clock(EncodeDateTime(2024, 1, 15, 9, 5, 7) + 0.1 / 86400.0);
    RecordingPrompts prompts;
    auto program = std::make_unique<Program>(clock, prompts, folder.path());
    TMainForm& main = program->Main();
    main.FormShow();
    EXPECT_EQ(program->WritePrm().DifT0m, 50.0f) << "the parameter defaults are in place";

    // Nothing is polled before start.
    for (int i = 0; i < 3; ++i)
        main.MainTimerTimer();
    EXPECT_EQ(main.Poll().PollPhase, 0);

    main.findChild<QCheckBox*>("CBSecRec")->click();
    main.findChild<QToolButton*>("BBStart")->click();
    ASSERT_TRUE(main.CommCtrl().LinkOpen());
    EXPECT_TRUE(program->SysSet().findChild<QToolButton*>("SBConnection")->isChecked());
    const QString port = folder.file("sim.tty");
    EXPECT_EQ(program->State().MySts.PortName, port);

    // One tick every 200 ms of the fake clock; each waits for its answer so no group is lost.
    const auto tick = [&] {
        main.MainTimerTimer();
        QElapsedTimer waited;
        waited.start();
        while (!main.Poll().AnsReady && waited.elapsed() < 2000)
            QTest::qWait(5);
        clock.AdvanceMilliseconds(200);
    };
    for (int second = 1; second <= 5; ++second) {
        for (int i = 0; i < 5; ++i)
            tick();
        EXPECT_EQ(ChartPoints(main), 0) << "second " << second;
    }
    EXPECT_EQ(main.windowTitle(), port + " | Qemra-series monitor. Ver.0.82");
    const QString air = main.findChild<QLabel*>("PAirTemp")->text();
    EXPECT_TRUE(air.startsWith("2") && air.endsWith(" ℃")) << air.toStdString();
    EXPECT_NE(main.findChild<QLabel*>("PWBGTi")->text(), "0.00 ℃");
    EXPECT_EQ(main.findChild<QLabel*>("SBStatusPanel2")->text(), port);
    EXPECT_NE(program->Mon().ListText(2, 1), "0.00 ℃") << "the monitor list follows every second";

    for (int i = 0; i < 5; ++i)
        tick();
    EXPECT_EQ(ChartPoints(main), 8) << "one point per series after the warm-up";
    for (int i = 0; i < 5; ++i)
        tick();
    EXPECT_EQ(ChartPoints(main), 16);
    EXPECT_GT(main.Chart(2).Series(0)->at(1).y(), 15.0) << "air temperature near the ambient";
    const bool lockedWhileOpen = !LockFiles(port).isEmpty();

    // The monitor window's second step wrote the second record, and the save button exports the ring.
    EXPECT_GE(folder.read("Record/RT_sim.tty_20240115.csv").count("\r\n"), 5);
    prompts.fileAnswers.push_back(folder.file("graph.csv"));
    main.findChild<QToolButton*>("BBSaveData")->click();
    EXPECT_EQ(folder.read("graph.csv").count("\r\n"), 2 + 2)
        << "labels, units, and the ring's three slots less the newest";

    // Closing ends it all: timer stopped, link closed, recording setting saved.
    EXPECT_TRUE(main.close());
    program.reset();
    EXPECT_TRUE(LockFiles(port).isEmpty()) << "locked while open: " << lockedWhileOpen;
    EXPECT_TRUE(folder.read("BaseSetpoint.ini").contains("[Record]\r\nSecRec=1\r\n"));
}

}  // namespace
