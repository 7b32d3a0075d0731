#include "acquisition/PollCycle.h"
#include "acquisition/TraceLog.h"
#include "common/Prompts.h"
#include "link/SerialLink.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TempFolder.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

namespace qemra {
namespace {

constexpr double kAmbient = 22;
constexpr double kHumidity = 45;

TEST(PollEndToEndTest, PollingTheSimulatedInstrumentFillsValuesOfEveryGroup)
{
    SimProcess sim({"--seed", "7", "--ambient", QString::number(kAmbient), "--humidity", QString::number(kHumidity)});
    ASSERT_FALSE(sim.Device().isEmpty()) << "the simulator printed no device path";

    TempFolder folder;
    folder.write("Port0.ini", "[ComPortM]\r\nPort=" + sim.Device().toLocal8Bit() +
                                  "\r\nBaudRate=38400\r\nStopBits=1\r\nDataBits=8\r\nParity=None\r\n"
                                  "FlowControl=None\r\n");
    SystemClock clock;
    RecordingPrompts prompts;
    auto state = std::make_unique<SharedState>();
    SerialLink link(state->MySts.PortName, clock, folder.path());
    link.LoadPortSettings();
    ASSERT_TRUE(link.OpenLink());
    EXPECT_EQ(state->MySts.PortName, sim.Device());

    TraceLog trace(folder.path(), clock);
    PollCycle poll(*state, link, clock, trace);
    int shown = 0;
    poll.hooks.ShowValues = [&shown] { ++shown; };
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&poll] { poll.MainTimerTimer(); });
    timer.start(200);
    // About 2.5 s: every group requested twice; a busy machine may stretch the ticks.
    QElapsedTimer elapsed;
    elapsed.start();
    while (poll.PollPhase < 13 && elapsed.elapsed() < 10000)
        QTest::qWait(50);
    timer.stop();
    link.CloseLink();

    const TMesData& cur = state->CurMes;
    EXPECT_GE(poll.PollPhase, 13);
    EXPECT_GE(shown, 2);
    EXPECT_EQ(cur.Measuring, 1);
    EXPECT_NEAR(cur.M11, kAmbient, 3.0);  // group 0: air temperature
    EXPECT_NE(cur.S00, 0.0f);             // group 1: model number
    EXPECT_GT(cur.M53, -4.0f);            // group 2: PMV on its scale
    EXPECT_LT(cur.M53, 4.0f);
    EXPECT_GT(cur.M21, 1.0f);              // group 3: absolute humidity, g/kg
    EXPECT_NEAR(cur.M12, kHumidity, 5.0);  // group 4: relative humidity
    EXPECT_NEAR(cur.C13, kHumidity, 5.0);  // group 5: humidity before correction
}

}  // namespace
}  // namespace qemra
