#include "acquisition/Main.h"
#include "common/Cp932File.h"
#include "common/Prompts.h"
#include "link/Comctrl.h"
#include "system/CalPage.h"
#include "system/CalWorkFiles.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TempFolder.h"
#include "tests/system/CalRig.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace qemra;

namespace {

constexpr int kSixTemperatures[] = {kChAT1, kChAT2, kChBGT1, kChBGT2, kChBBT1, kChBBT2};

// Averages of the newest filled history slots (at most `span`), per calibration channel.
std::array<double, kCalChannelCount> Averages(const TMesHistory& history, int span)
{
    std::array<double, kCalChannelCount> sums{};
    int n = 0;
    for (int k = 0; k < span; ++k) {
        if (!history[k].Measuring)
            continue;
        ++n;
        for (int ch = 0; ch < kCalChannelCount; ++ch)
            sums[static_cast<std::size_t>(ch)] += double(history[k].*CalChannelFields[static_cast<std::size_t>(ch)]);
    }
    for (double& sum : sums)
        sum = n > 0 ? sum / n : 0;
    return sums;
}

// Stands in for what the statistics compute once they are in place: the corrections, the two
// temperature differences, the wind averages with their step changes, and readiness flags that
// enable the buttons the walk presses.
void StandInStatistics(CalStats& s, const TMesHistory& history, float adjWS, std::int32_t& calStep)
{
    const auto avg = Averages(history, 10);
    s.WinAvg = avg;
    double reference = 0;
    for (const int ch : kSixTemperatures)
        reference += avg[static_cast<std::size_t>(ch)];
    reference /= 6;
    s.ATRevCal0 = float(reference - avg[kChAT1]);
    s.ATRevCal1 = float(reference - avg[kChAT2]);
    s.BGTRevCal0 = float(reference - avg[kChBGT1]);
    s.BGTRevCal1 = float(reference - avg[kChBGT2]);
    s.BBTRevCal0 = float(reference - avg[kChBBT1]);
    s.BBTRevCal1 = float(reference - avg[kChBBT2]);
    const double wdt = (avg[kChWDT1] + avg[kChWDT2]) * 0.5;
    s.WDTRevCal0 = float(wdt - avg[kChWDT1]);
    s.WDTRevCal1 = float(wdt - avg[kChWDT2]);
    if (avg[kChWind] < 0.5)
        s.DifT0mCal = float(avg[kChDifT]);
    if (avg[kChWind] > 0.3)
        s.AdjDifTCal = float(avg[kChDifT]);
    s.WinMax[kChWind] = avg[kChWind];
    s.AT1Stable = s.AT2Stable = s.BGT1Stable = s.BGT2Stable = s.BBT1Stable = s.BBT2Stable = 1;
    s.WDT1Stable = s.WDT2Stable = s.DifTStable = s.WSStable = 1;
    s.SumMax.DifT = s.SumMin.DifT = avg[kChDifT];

    s.WSAvg5 = float(Averages(history, 5)[kChWind]);
    s.WSAvg15 = float(Averages(history, 15)[kChWind]);
    const float tol = adjWS * 0.005f;
    const auto gauge = [&](float a) { return std::max(0.0f, 1.0f - 0.5f * std::abs(a - adjWS) / tol); };
    s.WSGauge5 = gauge(s.WSAvg5);
    s.WSGauge15 = gauge(s.WSAvg15);
    if (s.WSAvg5 == 0 && calStep == 9)
        calStep = 10;
    const bool inTolerance = adjWS - tol * 0.5f < s.WSAvg15 && s.WSAvg15 < adjWS + tol * 0.5f;
    if (inTolerance && calStep == 11)
        calStep = 12;
    else if (!inTolerance && calStep == 12)
        calStep = 11;
}

class CalWalk {
public:
    CalWalk()
        : sim_({"--seed", "11", "--ambient", "24", "--wind", "0.35", "--quiet", "--link", folder.file("sim.tty"),
                "--port-ini", folder.file("Port0.ini"), "--command-pipe", folder.file("sim.cmd")})
    {
        folder.write("DefaultPrm.qemra", "[Early]\r\nHeaterWatt=0.2\r\nDifT0m=50\r\nAdjDifT=20\r\nAdjWS=5\r\n"
                                         "ATRev=9\r\nBGT_Coef=3\r\n[System]\r\nChipStdV=2.5\r\n");
        SetParameterDefaults(prm);
        main = std::make_unique<TMainForm>(*state, clock, prompts, folder.path());
        CalPageWindow window;
        window.SerialNumber = [] { return QStringLiteral("A123"); };
        window.TempRevOnly = [] { return false; };
        window.ATCheck = [] { return true; };
        window.FillDirectPage = [this] { ++filled; };
        page = std::make_unique<TCalPage>(*main, *state, prm, clock, prompts, folder.path(), window);
        main->hooks.SecondStep = [this] {
            page->SecondStep();
            StandInStatistics(page->Stats(), state->MesHistory, prm.AdjWS, page->Procedure().CalStep);
            page->ShowCalStatus();
        };
        main->hooks.TickStep = [this] {
            if (++ticks % 2 == 0)
                page->CalWriteTick();
        };
    }

    bool Connect()
    {
        if (sim_.Device().isEmpty())
            return false;
        main->CommCtrl().LoadPortSettings();
        return main->CommCtrl().OpenLink();
    }

    // Waits for the answer to whatever the last tick or click sent.
    void WaitForAnswer()
    {
        QElapsedTimer waited;
        waited.start();
        while (!main->Poll().AnsReady && waited.elapsed() < 3000)
            QTest::qWait(2);
    }
    void Tick()
    {
        main->MainTimerTimer();
        WaitForAnswer();
        clock.AdvanceMilliseconds(200);
    }
    void Seconds(int seconds)
    {
        for (int i = 0; i < seconds * 5; ++i)
            Tick();
    }
    // Ticks until the step is reached, at most the given seconds.
    bool TickUntilStep(int step, int seconds)
    {
        for (int i = 0; i < seconds * 5 && page->CalStep() != step; ++i)
            Tick();
        return page->CalStep() == step;
    }
    void Click(const char* name)
    {
        auto* button = page->findChild<QPushButton*>(name);
        ASSERT_NE(button, nullptr) << name;
        ASSERT_TRUE(button->isEnabled()) << name << " at step " << page->CalStep();
        button->click();
        WaitForAnswer();
    }
    void Steer(const QByteArray& command)
    {
        QFile pipe(folder.file("sim.cmd"));
        ASSERT_TRUE(pipe.open(QIODevice::WriteOnly));
        pipe.write(command + "\n");
        pipe.close();
        QTest::qWait(50);  // the simulator takes it before the next request
    }
    double Spread(std::initializer_list<int> channels, int span)
    {
        const auto avg = Averages(state->MesHistory, span);
        double low = 1e9, high = -1e9;
        for (const int ch : channels) {
            low = std::min(low, avg[static_cast<std::size_t>(ch)]);
            high = std::max(high, avg[static_cast<std::size_t>(ch)]);
        }
        return high - low;
    }

    TempFolder folder;
    FakeClock clock{EncodeDateTime(2024, 3, 5, 14, 7, 0) + 0.1 / 86400.0};
    RecordingPrompts prompts;
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();
    TWritePrm prm;
    std::unique_ptr<TMainForm> main;
    std::unique_ptr<TCalPage> page;
    int ticks = 0;
    int filled = 0;

private:
    SimProcess sim_;
};

TEST(CalWalkEndToEndTest, CompleteCalibrationOnTheSimulatedInstrument)
{
    CalWalk walk;
    ASSERT_TRUE(walk.Connect()) << "the simulator did not start or its port did not open";
    walk.Seconds(16);  // four warm-up seconds, then a dozen snapshots
    ASSERT_GE(walk.Spread({kChAT1, kChAT2, kChBGT1, kChBGT2, kChBBT1, kChBBT2}, 10), 0.2)
        << "the simulated sensors start apart";

    // Start: initialisation and the six default-value groups, every one confirmed.
    walk.Click("BBCalStart");
    EXPECT_EQ(walk.page->CalStep(), 1);
    ASSERT_TRUE(walk.TickUntilStep(4, 20));
    EXPECT_EQ(walk.prompts.texts(), QStringList()) << "DefaultPrm.qemra was found";
    EXPECT_EQ(walk.prm.SerialNo, "A123");
    walk.Seconds(2);
    EXPECT_TRUE(walk.main->Poll().Acquiring);
    EXPECT_FALSE(walk.main->CommCtrl().ForceLog);

    // Temperatures settled: the corrections go to the instrument and its sensors agree.
    walk.Seconds(12);
    walk.Click("BBATRcvFin");
    EXPECT_EQ(walk.page->CalStep(), 6);
    ASSERT_TRUE(walk.TickUntilStep(7, 5));
    walk.Seconds(12);
    EXPECT_LT(walk.Spread({kChAT1, kChAT2, kChBGT1, kChBGT2, kChBBT1, kChBBT2}, 10), 0.06);

    walk.Click("BBWSTRcvFin");
    walk.Seconds(12);
    EXPECT_EQ(walk.page->CalStep(), 7);
    EXPECT_LT(walk.Spread({kChWDT1, kChWDT2}, 10), 0.06);

    // Still air: the temperature difference at rest, then a zero reading moves on to step 10.
    walk.Steer("wind 0");
    walk.Seconds(12);
    walk.Click("BB0mCalFin");
    EXPECT_EQ(walk.page->CalStep(), 9);
    ASSERT_TRUE(walk.TickUntilStep(10, 10));

    // Reference flow: the difference at AdjWS, then the tolerance band completes the calibration.
    walk.Steer("wind 5");
    walk.Seconds(16);
    walk.Click("BB4mCalFin");
    EXPECT_EQ(walk.page->CalStep(), 11);
    ASSERT_TRUE(walk.TickUntilStep(12, 10));
    if (const QByteArray shot = qgetenv("QEMRA_CAL_SHOT"); !shot.isEmpty())
        walk.page->grab().save(QString::fromLocal8Bit(shot));
    walk.Click("BBFin");

    QStringList expected = {"■キャリブレーション開始■", "S/N:A123", "＜設定初期化＞", "設定OK"};
    for (int group = 0; group < 6; ++group)
        expected << QStringLiteral("＜デフォルト値設定＞：%1").arg(group) << "設定OK";
    expected << "□温度関係補正実施" << "＜気温補正送信＞" << "設定OK";
    expected << "□風向温度補正実施" << "＜風向温補正送信＞" << "設定OK";
    expected << "□0m補正実施" << "＜0m/s. 補正送信＞" << "設定OK";
    expected << "□Nm補正実施" << "＜Nm/s. 補正送信＞" << "設定OK";
    expected << "□作業完了";
    EXPECT_EQ(walk.page->Memo()->toPlainText().split(u'\n'), expected);

    const QString base = QStringLiteral("A123_2403051407");
    const QByteArray header = ToCp932(",風速,気温,温度差,風速(RAW),AT-1,AT-2,WDT-1,WDT-2,BGT-1,BGT-2,BBT-1,BBT-2,\r\n"
                                      ",m/s.,℃,℃,m/s.,℃,℃,℃,℃,℃,℃,℃,℃,\r\n");
    for (const char* suffix : {"_ATR.csv", "_WTR.csv", "_cal0.csv", "_calx.csv", "_Fin.csv"}) {
        const QByteArray log = walk.folder.read(base + suffix);
        EXPECT_TRUE(log.startsWith(header)) << suffix;
        EXPECT_GT(log.count("\r\n"), 2 + 10) << suffix;
    }
    const QByteArray work = walk.folder.read(base + ".qemra");
    EXPECT_TRUE(work.contains("AdjWS=5")) << work.toStdString();
    EXPECT_EQ(walk.filled, 5) << "the direct page shows every stage";
}

}  // namespace
