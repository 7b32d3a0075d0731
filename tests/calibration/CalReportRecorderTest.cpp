#include "calibration/CalReportRecorder.h"

#include "common/Prompts.h"
#include "tests/support/TempFolder.h"

#include <QDir>
#include <gtest/gtest.h>

#include <memory>

using namespace qemra;

namespace {

// The recorder beside the records it reads, for serial number A123 started on 5 March 2024 at 14:07.
struct ReportRig {
    TempFolder folder;
    FakeClock clock{EncodeDateTime(2024, 3, 5, 14, 7, 0)};
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();
    TWritePrm prm;
    CalStats stats;
    RecordingPrompts prompts;
    CalReportRecorder recorder{*state, prm, stats, clock, prompts, folder.path()};

    ReportRig()
    {
        SetParameterDefaults(prm);
        prm.SerialNo = QStringLiteral("A123");
        prm.CalStart = clock.Now();
    }
    // One snapshot a second, AT-1 rising by 0.01 from 24 and the wind speed at 5.
    void Seconds(int count)
    {
        for (int i = 0; i < count; ++i) {
            state->CurMes.C21 = 24.0f + 0.01f * float(pushed++);
            state->CurMes.M01 = 5.0f;
            state->MesHistory.Push(state->CurMes, clock.Now());
            clock.AdvanceSeconds(1);
        }
    }
    const CalReportValue& Value(const CalReport& report, const char* key)
    {
        for (const CalReportValue& v : report.Values) {
            if (v.Key == QLatin1String(key))
                return v;
        }
        static const CalReportValue none;
        return none;
    }
    int pushed = 0;
};

TEST(CalReportRecorderTest, ListsTheDefaultsBeforeAndEachConfirmationsValuesAfterAsTheyWentOnTheWire)
{
    ReportRig rig;
    rig.recorder.Started();
    rig.prm.ATRevice0 = -0.4124f;
    rig.prm.ATRevice1 = 0.1176f;
    rig.prm.BGT_Revice0 = -0.2031f;
    rig.prm.BGT_Revice1 = 0.3664f;
    rig.prm.BBT_Revice0 = -1.0262f;
    rig.prm.BBT_Revice1 = 0.7509f;
    rig.recorder.StageDone(6);
    const CalReport temperatures = rig.recorder.Report();
    rig.prm.WDTRevice0 = 0.2154f;
    rig.prm.WDTRevice1 = -0.2154f;
    rig.recorder.StageDone(7);
    rig.prm.DifT0m = 49.976f;
    rig.recorder.StageDone(9);
    rig.prm.AdjDifT = 19.9749f;
    rig.recorder.StageDone(11);
    const CalReport finished = rig.recorder.Report();

    const struct {
        const char* key;
        const char* label;
        const char* unit;
        const char* before;
        const char* after;
        bool afterTemperatures;  // already confirmed with the temperatures
    } rows[] = {
        {"E16", "気温器差-1", "℃", "0.000", "-0.412", true},    {"E17", "気温器差-2", "℃", "0.000", "0.118", true},
        {"E21", "器差-黒球1", "℃", "0.000", "-0.203", true},    {"E22", "器差-黒球2", "℃", "0.000", "0.366", true},
        {"E26", "器差-基板1", "℃", "0.000", "-1.026", true},    {"E27", "器差-基板2", "℃", "0.000", "0.751", true},
        {"E12", "風速器差-1", "℃", "0.000", "0.215", false},    {"E13", "風速器差-2", "℃", "0.000", "-0.215", false},
        {"E01", "0m/s.時温度差", "℃", "50.00", "49.98", false}, {"E03", "基準時温度差", "℃", "20.00", "19.97", false},
        {"E02", "基準風速値", "m/s", "5.00", "5.00", false},
    };
    ASSERT_EQ(finished.Values.size(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const CalReportValue& v = finished.Values[i];
        EXPECT_EQ(v.Key, rows[i].key);
        EXPECT_EQ(v.Label, QString::fromUtf8(rows[i].label)) << rows[i].key;
        EXPECT_EQ(v.Unit, QString::fromUtf8(rows[i].unit)) << rows[i].key;
        EXPECT_EQ(v.Before, rows[i].before) << rows[i].key;
        EXPECT_EQ(v.After, rows[i].after) << rows[i].key;
        EXPECT_EQ(temperatures.Values[i].After, rows[i].afterTemperatures ? rows[i].after : "")
            << rows[i].key << ": a stage not yet confirmed has sent nothing";
    }
}

TEST(CalReportRecorderTest, KeepsEachStagesStatisticsAndReadingsAsTheyWereAtItsConfirmation)
{
    ReportRig rig;
    rig.recorder.Started();
    rig.Seconds(40);
    rig.clock.AdvanceMilliseconds(500);
    rig.stats.WinMax[kChAT1] = 24.39;
    rig.stats.WinAvg[kChAT1] = 24.245;
    rig.stats.WinMin[kChAT1] = 24.1;
    rig.recorder.StageDone(6);
    // Later seconds change the statistics and the ring, not what the stage confirmed.
    rig.stats.WinMax[kChAT1] = 30;
    rig.Seconds(100);
    rig.recorder.StageDone(11);
    const CalReport report = rig.recorder.Report();

    ASSERT_EQ(report.Stages.size(), 4u);
    const CalReportStage& temperatures = report.Stages[0];
    EXPECT_EQ(temperatures.Name, "温度系器差確定");
    EXPECT_EQ(temperatures.ConfirmedAt, "14:07:40");
    ASSERT_EQ(temperatures.Rows.size(), std::size_t(kCalChannelCount));
    EXPECT_EQ(report.Channels[kChAT1], "気温１");
    const CalReportStatistics& at1 = temperatures.Rows[kChAT1];
    EXPECT_EQ(QStringList({at1.Max, at1.Avg, at1.Min, at1.Spread}),
              QStringList({"24.390", "24.245", "24.100", "0.290"}));
    EXPECT_EQ(temperatures.Confirms, (std::vector<int>{kChAT1, kChAT2, kChBGT1, kChBGT2, kChBBT1, kChBBT2}));
    ASSERT_EQ(temperatures.Traces.size(), 6u);
    const CalReportTrace& trace = temperatures.Traces[0];
    EXPECT_EQ(trace.Label, "気温１");
    EXPECT_FALSE(trace.RightAxis);
    // Every snapshot but the newest, oldest first, in seconds before the confirmation.
    ASSERT_EQ(trace.Points.size(), 39u);
    EXPECT_NEAR(trace.Points.front().x(), -40.5, 1e-3);
    EXPECT_FLOAT_EQ(float(trace.Points.front().y()), 24.0f);
    EXPECT_NEAR(trace.Points.back().x(), -2.5, 1e-3);
    EXPECT_FLOAT_EQ(float(trace.Points.back().y()), 24.38f);

    EXPECT_TRUE(report.Stages[1].ConfirmedAt.isEmpty()) << "never confirmed";
    EXPECT_TRUE(report.Stages[1].Rows.empty());
    EXPECT_TRUE(report.Stages[1].Traces.empty());

    const CalReportStage& reference = report.Stages[3];
    EXPECT_EQ(reference.Name, "Nm/s.調整確定");
    EXPECT_EQ(reference.Rows[kChAT1].Max, "30.000");
    ASSERT_EQ(reference.Traces.size(), 2u);
    EXPECT_EQ(reference.Traces[0].Label, "温度差L");
    EXPECT_EQ(reference.Traces[1].Label, "風速");
    EXPECT_TRUE(reference.Traces[1].RightAxis);
    EXPECT_EQ(reference.RightUnit, "m/s");
    EXPECT_EQ(reference.Traces[1].Points.size(), 139u);
}

TEST(CalReportRecorderTest, NamesTheReferenceTheTemperatureCorrectionsWereTakenFrom)
{
    const struct {
        std::optional<double> reference;
        bool zeroedAfterwards;
        const char* expected;
    } cases[] = {
        {25.0, false, "気温基準器 25.00 ℃"},
        {std::nullopt, false, "素子平均 24.533 ℃\n各補正値から 0.35 ℃ 減算"},
        {25.0, true, ""},
    };
    for (const auto& c : cases) {
        ReportRig rig;
        rig.recorder.Started();
        rig.stats.WinAvg[kChBGT1] = 24.2;
        rig.stats.BGTRevCal0 = 0.333f;
        rig.prm.ATRevice0 = 0.25f;
        rig.recorder.StageDone(6, c.reference);
        if (c.zeroedAfterwards) {
            rig.prm.ATRevice0 = 0;
            rig.recorder.StageDone(5);
        }
        const CalReport report = rig.recorder.Report();
        EXPECT_EQ(report.ReferenceTemperature, QString::fromUtf8(c.expected)) << c.expected;
        EXPECT_EQ(rig.Value(report, "E16").After, c.zeroedAfterwards ? "0.000" : "0.250") << c.expected;
        EXPECT_EQ(report.Stages[0].ConfirmedAt.isEmpty(), c.zeroedAfterwards)
            << "the zeroing takes back the confirmation";
    }
}

TEST(CalReportRecorderTest, HeadsTheCertificateWithTheInstrumentTheRunAndTheWindCheck)
{
    const struct {
        float average15;
        std::uint8_t inTolerance;
        const char* average15Text;
        const char* deviation15;
    } cases[] = {{5.01f, 1, "5.010", "+0.200"}, {4.98f, 0, "4.980", "-0.400"}};
    for (const auto& c : cases) {
        ReportRig rig;
        rig.state->CurMes.S00 = 3.1f;
        rig.state->CurMes.S01 = 1.05f;
        rig.recorder.Started();
        rig.clock.AdvanceSeconds(263);
        rig.stats.WSAvg5 = 5.003f;
        rig.stats.WSAvg15 = c.average15;
        rig.stats.WSInTol = c.inTolerance;
        const CalReport report = rig.recorder.Report();
        EXPECT_EQ(report.SerialNo, "A123");
        EXPECT_EQ(report.Model, "3.10");
        EXPECT_EQ(report.Version, "1.05");
        EXPECT_EQ(report.Started, "2024/03/05 14:07:00");
        EXPECT_EQ(report.Finished, "2024/03/05 14:11:23");
        EXPECT_EQ(report.Program, "Qemra-series Monitor Ver.0.82");
        EXPECT_EQ(report.FileName, "A123_2403051407_Report.pdf");
        EXPECT_EQ(report.ReferenceWindSpeed, "AdjWS = 5.00 m/s");
        EXPECT_EQ(report.Tolerance, "±0.25 %（4.9875 〜 5.0125 m/s）");
        EXPECT_EQ(report.Average5, "5.003");
        EXPECT_EQ(report.Deviation5, "+0.060");
        EXPECT_EQ(report.Average15, c.average15Text);
        EXPECT_EQ(report.Deviation15, c.deviation15);
        EXPECT_EQ(report.Passed, c.inTolerance != 0);
    }
}

TEST(CalReportRecorderTest, ANewStartForgetsThePreviousRun)
{
    ReportRig rig;
    rig.recorder.Started();
    rig.prm.ATRevice0 = 0.5f;
    rig.recorder.StageDone(6, 25.0);
    rig.prm.DifT0m = 47.5f;  // the defaults of the next start
    rig.recorder.Started();
    const CalReport report = rig.recorder.Report();
    EXPECT_EQ(rig.Value(report, "E16").After, "");
    EXPECT_EQ(rig.Value(report, "E01").Before, "47.50");
    EXPECT_TRUE(report.Stages[0].ConfirmedAt.isEmpty());
    EXPECT_EQ(report.ReferenceTemperature, "");
}

TEST(CalReportRecorderTest, WritesTheCertificateBesideTheWorkLogsOnlyUnderANameTheSerialNumberCanGive)
{
    const struct {
        const char* serial;
        bool written;
    } cases[] = {{"A123", true}, {"A:123", false}, {"A/123", false}};
    for (const auto& c : cases) {
        ReportRig rig;
        rig.prm.SerialNo = QString::fromLatin1(c.serial);
        rig.recorder.Started();
        EXPECT_EQ(rig.recorder.WriteReport(), c.written) << c.serial;
        const QString name = rig.prm.SerialNo + QStringLiteral("_2403051407_Report.pdf");
        const QStringList files = QDir(rig.folder.path()).entryList(QDir::Files | QDir::Hidden);
        EXPECT_EQ(files, c.written ? QStringList{name} : QStringList()) << c.serial << ": no temporary file stays";
        if (c.written) {
            EXPECT_TRUE(rig.folder.read(name).startsWith("%PDF-"));
            EXPECT_EQ(rig.prompts.texts(), QStringList());
        } else {
            EXPECT_EQ(rig.prompts.texts(),
                      QStringList{QStringLiteral("Cannot create file \"%1\".").arg(rig.folder.file(name))});
        }
    }
}

}  // namespace
