#include "windows/main/MainWindow.h"
#include "common/Prompts.h"
#include "windows/link/CommunicationWindow.h"
#include "windows/system/CalDataGrid.h"
#include "calibration/CalStatistics.h"
#include "parameters/ParameterSet.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TempFolder.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

using namespace qemra;

namespace {

TEST(CalibrationEndToEndTest, StillAirSettlesEveryFlagItsSteadySensorsAllowAndTheGridShowsThem)
{
    TempFolder folder;
    SimProcess sim({"--seed", "11", "--ambient", "22", "--quiet", "--link", folder.file("sim.tty"), "--port-ini",
                    folder.file("Port0.ini")});
    ASSERT_FALSE(sim.Device().isEmpty()) << "the simulator printed no device path";

    // What the system setting window owns and shows once per second.
    CalStats stats;
    std::int32_t calStep = 0;
    TWritePrm prm;
    SetParameterDefaults(prm);
    TCalDataView view(stats);
    QWidget page;
    const CalResultPanels panels = CreateCalResultPanels(&page);
    int seconds = 0;

    FakeClock clock(EncodeDateTime(2024, 3, 4, 10, 0, 0) + 0.1 / 86400.0);
    RecordingPrompts prompts;
    AcquisitionCore core(clock, prompts, folder.path());
    SharedState* state = &core.State();
    TMainForm main(core, clock, prompts);
    core.hooks.SecondStep = [&] {
        UpdateCalStatistics(stats, state->MesHistory, state->CurMes, prm.AdjWS, calStep);
        view.ShowCalData(prm, panels);
        ++seconds;
    };
    main.BBStartClick();
    ASSERT_TRUE(main.CommCtrl().LinkOpen());

    // 35 seconds of the fake clock, one tick per 200 ms, each waiting for its answer.
    for (int i = 0; i < 35 * 5; ++i) {
        main.MainTimerTimer();
        QElapsedTimer waited;
        waited.start();
        while (!main.Poll().AnsReady && waited.elapsed() < 2000)
            QTest::qWait(2);
        clock.AdvanceMilliseconds(200);
    }
    main.BBStopClick();

    EXPECT_EQ(seconds, 35);
    const struct {
        const char* name;
        std::uint8_t value;
    } flags[] = {
        {"WSStable", stats.WSStable},     {"AT1Stable", stats.AT1Stable},   {"AT2Stable", stats.AT2Stable},
        {"WDT1Stable", stats.WDT1Stable}, {"WDT2Stable", stats.WDT2Stable}, {"BGT1Stable", stats.BGT1Stable},
        {"BGT2Stable", stats.BGT2Stable}, {"BBT1Stable", stats.BBT1Stable}, {"BBT2Stable", stats.BBT2Stable},
        {"DifTStable", stats.DifTStable}, {"WSZero", stats.WSZero},
    };
    for (const auto& flag : flags)
        EXPECT_EQ(flag.value, 1) << flag.name;
    EXPECT_EQ(stats.WSInTol, 0) << "still air is far from the reference speed";
    EXPECT_EQ(calStep, 0) << "no calibration runs";

    // The simulator's first air-temperature element reads about 0.12 above the 22 degree ambient,
    // its hot wire the written difference at rest, 50.
    EXPECT_NEAR(stats.WinAvg[kChAT1], 22.12, 0.3);
    EXPECT_NEAR(stats.DifT0mCal, 50.0, 0.1);
    QTableWidget& grid = *view.Grid();
    EXPECT_EQ(grid.item(1, 1)->text(), "0.000") << "still air reads exactly zero";
    EXPECT_TRUE(grid.item(2, 2)->text().startsWith("22.")) << grid.item(2, 2)->text().toStdString();
    EXPECT_TRUE(grid.item(6, 2)->text().startsWith("50.") || grid.item(6, 2)->text().startsWith("49."))
        << grid.item(6, 2)->text().toStdString();
    EXPECT_EQ(grid.item(14, 2)->text(), "0.000");
    EXPECT_EQ(grid.columnWidth(0), 70);
    EXPECT_EQ(CalRowColour(stats, 2), kCalReadyColour);
    EXPECT_EQ(panels.PATRev->palette().color(QPalette::Window), kCalReadyColour);
    EXPECT_EQ(panels.PWS0Cal->palette().color(QPalette::Window), kCalReadyColour);
    EXPECT_EQ(panels.PWS0CalSet->text(), "Set: 50.000");
}

}  // namespace
