#include "calibration/CalStatistics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

using namespace qemra;

namespace {

// Steady readings in values a float holds exactly, so averages and corrections can be checked
// to the last bit.
TMesData Steady()
{
    TMesData r;
    r.M01 = 0;
    r.C21 = 24.75f;  // AT-1
    r.C22 = 25.0f;   // AT-2
    r.C16 = 25.5f;   // WDT-1
    r.C17 = 24.5f;   // WDT-2
    r.C32 = 50.0f;   // temperature difference
    r.C26 = 25.25f;  // BGT-1
    r.C27 = 25.0f;   // BGT-2
    r.C76 = 26.5f;   // BBT-1
    r.C77 = 26.25f;  // BBT-2
    return r;
}

using Reading = std::function<TMesData(int age)>;

// Fills slots 0 .. count-1 of a fresh ring; slot k gets reading(k), the rest stay unfilled.
void Fill(TMesHistory& history, int count, const Reading& reading)
{
    for (int age = count - 1; age >= 0; --age)
        history.Push(reading(age), 45000.0 + (count - age) / 86400.0);
}

struct Evaluator {
    CalStats stats;
    TMesHistory history;
    std::int32_t step = 0;
    float adjWS = 5;

    void Evaluate(const TMesData& live) { UpdateCalStatistics(stats, history, live, adjWS, step); }
    // One second as the program runs it: the push, then the evaluation.
    void PushAndEvaluate(const TMesData& reading)
    {
        history.Push(reading, 45000.0);
        Evaluate(reading);
    }
};

std::vector<std::uint8_t> ReadinessFlags(const CalStats& s)
{
    return {s.WSStable,   s.AT1Stable,  s.AT2Stable,  s.WDT1Stable, s.WDT2Stable,
            s.BGT1Stable, s.BGT2Stable, s.BBT1Stable, s.BBT2Stable, s.DifTStable};
}

struct FillCase {
    const char* name;
    int seconds;  // pushed and evaluated, one by one; 0: one evaluation of the empty ring
    bool averaged;
    bool ready;
};

TEST(CalStatisticsTest, WindowFillDecidesWhatIsComputedAndWhetherAnyFlagIsSet)
{
    const FillCase cases[] = {
        {"right after start", 0, false, false},
        {"29 of 30 slots filled", 29, true, false},
        {"all 30 slots filled", 30, true, true},
    };
    for (const FillCase& c : cases) {
        SCOPED_TRACE(c.name);
        Evaluator e;
        // The live AT-1 reading lies above every slot: it counts for the maximum only.
        TMesData live = Steady();
        live.C21 = 24.875f;
        for (int s = 0; s < c.seconds; ++s) {
            e.history.Push(Steady(), 45000.0);
            e.Evaluate(live);
        }
        if (c.seconds == 0)
            e.Evaluate(live);
        const CalStats& s = e.stats;

        EXPECT_EQ(s.WinMax[kChAT1], 24.875);
        EXPECT_EQ(s.WinMin[kChAT1], c.averaged ? 24.75 : 24.875);
        EXPECT_EQ(s.WinMin[kChBBT2], 26.25);
        EXPECT_EQ(s.WinMax[kChBBT2], 26.25);
        if (c.averaged) {
            // Divided by the filled slots only, not by 30.
            EXPECT_EQ(s.WinAvg[kChAT1], 24.75);
            EXPECT_EQ(s.WinAvg[kChDifT], 50.0);
            // Reference: the mean of the six averages, 25.4583...
            const double ref = (24.75 + 25.0 + 25.25 + 25.0 + 26.5 + 26.25) / 6;
            EXPECT_EQ(s.ATRevCal0, static_cast<float>(ref - 24.75));
            EXPECT_EQ(s.ATRevCal1, static_cast<float>(ref - 25.0));
            EXPECT_EQ(s.BGTRevCal0, static_cast<float>(ref - 25.25));
            EXPECT_EQ(s.BBTRevCal1, static_cast<float>(ref - 26.25));
            EXPECT_EQ(s.WDTRevCal0, -0.5f);
            EXPECT_EQ(s.WDTRevCal1, 0.5f);
            EXPECT_EQ(s.DifT0mCal, 50.0f) << "still air: the difference at rest";
            EXPECT_EQ(s.AdjDifTCal, 0.0f);
            EXPECT_EQ(s.SumHist[0].Valid, 1);
            EXPECT_TRUE(s.WSZero);
        } else {
            for (int ch = 0; ch < kCalChannelCount; ++ch)
                EXPECT_EQ(s.WinAvg[ch], 0.0) << "channel " << ch;
            for (float v :
                 {s.ATRevCal0, s.ATRevCal1, s.WDTRevCal0, s.WDTRevCal1, s.BGTRevCal0, s.BGTRevCal1, s.BBTRevCal0,
                  s.BBTRevCal1, s.DifT0mCal, s.AdjDifTCal, s.WSAvg5, s.WSAvg15, s.WSGauge5, s.WSGauge15})
                EXPECT_EQ(v, 0.0f);
            EXPECT_EQ(s.SumHist[0].Valid, 0) << "no summary without a filled slot";
            EXPECT_FALSE(s.WSZero) << "no wind value without a filled slot";
        }
        for (std::uint8_t flag : ReadinessFlags(s))
            EXPECT_EQ(flag, c.ready ? 1 : 0);
        EXPECT_FALSE(s.WSInTol);
    }
}

TEST(CalStatisticsTest, FlagsOfTheLastEvaluationAreClearedByTheNext)
{
    Evaluator e;
    for (int s = 0; s < 30; ++s)
        e.PushAndEvaluate(Steady());
    ASSERT_TRUE(e.stats.DifTStable);
    e.history.Clear();
    e.Evaluate(Steady());
    for (std::uint8_t flag : ReadinessFlags(e.stats))
        EXPECT_EQ(flag, 0);
    EXPECT_FALSE(e.stats.WSZero);
}

struct AirCase {
    float at1;
    bool accepted;
};

TEST(CalStatisticsTest, AirTemperatureOutsideTheOpenRangeIsLeftOutOfTheReference)
{
    const AirCase cases[] = {{50.0f, false}, {49.75f, true}, {-10.0f, false}, {-9.75f, true}};
    const double others = 25.0 + 25.25 + 25.0 + 26.5 + 26.25;  // AT-2, BGT-1, BGT-2, BBT-1, BBT-2
    for (const AirCase& c : cases) {
        SCOPED_TRACE(c.at1);
        Evaluator e;
        Fill(e.history, 30, [&](int) {
            TMesData r = Steady();
            r.C21 = c.at1;
            return r;
        });
        TMesData live = Steady();
        live.C21 = c.at1;
        e.Evaluate(live);
        const double ref = c.accepted ? (others + c.at1) / 6 : others / 5;
        EXPECT_EQ(e.stats.ATRevCal0, c.accepted ? static_cast<float>(ref - c.at1) : 0.0f);
        EXPECT_EQ(e.stats.ATRevCal1, static_cast<float>(ref - 25.0));
        EXPECT_EQ(e.stats.BGTRevCal0, static_cast<float>(ref - 25.25));
        EXPECT_EQ(e.stats.BBTRevCal0, static_cast<float>(ref - 26.5));
    }
}

struct WindDifTCase {
    const char* name;
    int fast;  // slots reading `speed`; the rest read still air
    float speed;
    bool atRest;   // DifT0mCal follows the reading
    bool atSpeed;  // AdjDifTCal follows the reading
};

TEST(CalStatisticsTest, WindAverageChoosesWhichTemperatureDifferenceFollows)
{
    // 0.3 and 0.4 are no floats: 9 / 30 and 12 / 30 give those averages exactly in double.
    const WindDifTCase cases[] = {
        {"average 0.3", 18, 0.5f, true, false},
        {"average 0.4", 12, 1.0f, true, true},
        {"average 0.5", 30, 0.5f, false, true},
    };
    for (const WindDifTCase& c : cases) {
        SCOPED_TRACE(c.name);
        Evaluator e;
        e.stats.DifT0mCal = -1;
        e.stats.AdjDifTCal = -1;
        Fill(e.history, 30, [&](int age) {
            TMesData r = Steady();
            r.M01 = age < c.fast ? c.speed : 0.0f;
            r.C32 = 42.5f;
            return r;
        });
        e.Evaluate(Steady());
        EXPECT_EQ(e.stats.DifT0mCal, c.atRest ? 42.5f : -1.0f);
        EXPECT_EQ(e.stats.AdjDifTCal, c.atSpeed ? 42.5f : -1.0f);
    }
}

struct GaugeCase {
    float adjWS;
    float wind;  // every slot
    float gauge;
    bool inTol;
};

TEST(CalStatisticsTest, GaugesAndToleranceBandFollowTheReferenceSpeed)
{
    const GaugeCase cases[] = {
        {5, 5.0f, 1.0f, true},
        {5, 5.01f, 0.8f, true},
        {5, 5.02f, 0.6f, false},
        {5, 5.025f, 0.5f, false},
        {5, 5.05f, 0.0f, false},
        {5, 5.5f, 0.0f, false},
        {5, 4.975f, 0.5f, false},
        {5, 4.99f, 0.8f, true},
        {5, 4.95f, 0.0f, false},
        // Without a reference speed there is no band: full only on zero itself, and never NaN.
        {0, 0.0f, 1.0f, false},
        {0, 0.25f, 0.0f, false},
    };
    for (const GaugeCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "AdjWS " << c.adjWS << ", wind " << c.wind);
        Evaluator e;
        e.adjWS = c.adjWS;
        Fill(e.history, 20, [&](int) {
            TMesData r = Steady();
            r.M01 = c.wind;
            return r;
        });
        e.Evaluate(Steady());
        EXPECT_EQ(e.stats.WSAvg5, c.wind);
        EXPECT_EQ(e.stats.WSAvg15, c.wind);
        EXPECT_NEAR(e.stats.WSGauge5, c.gauge, 1e-4);
        EXPECT_NEAR(e.stats.WSGauge15, c.gauge, 1e-4);
        EXPECT_EQ(e.stats.WSInTol, c.inTol ? 1 : 0);
    }
}

TEST(CalStatisticsTest, ShortWindAveragesTakeOnlyTheFilledOfTheirNewestSlots)
{
    Evaluator e;
    // Slots 0..3 at 5.0, slots 4..9 at 4.0; slots 10.. unfilled.
    Fill(e.history, 10, [](int age) {
        TMesData r = Steady();
        r.M01 = age < 4 ? 5.0f : 4.0f;
        return r;
    });
    e.Evaluate(Steady());
    EXPECT_EQ(e.stats.WSAvg5, 4.8f);
    EXPECT_EQ(e.stats.WSAvg15, static_cast<float>((4 * 5.0 + 6 * 4.0) / 10));
}

struct StepCase {
    const char* name;
    float wind;  // every slot
    std::int32_t before;
    std::int32_t after;
    bool zero;
    bool inTol;
};

TEST(CalStatisticsTest, WindFlagsMoveTheCalibrationStep)
{
    const StepCase cases[] = {
        {"still air at step 9", 0.0f, 9, 10, true, false},
        {"0.0001 is not zero", 0.0001f, 9, 9, false, false},
        {"still air does not move step 11", 0.0f, 11, 11, true, false},
        {"in the band at step 11", 5.01f, 11, 12, false, true},
        {"in the band at step 12", 5.01f, 12, 12, false, true},
        {"out of the band at step 12", 5.02f, 12, 11, false, false},
        {"out of the band at step 11", 5.02f, 11, 11, false, false},
        {"in the band before step 11", 5.01f, 10, 10, false, true},
        {"out of the band at step 7", 5.02f, 7, 7, false, false},
    };
    for (const StepCase& c : cases) {
        SCOPED_TRACE(c.name);
        Evaluator e;
        e.step = c.before;
        Fill(e.history, 30, [&](int) {
            TMesData r = Steady();
            r.M01 = c.wind;
            return r;
        });
        e.Evaluate(Steady());
        EXPECT_EQ(e.step, c.after);
        EXPECT_EQ(e.stats.WSZero, c.zero ? 1 : 0);
        EXPECT_EQ(e.stats.WSInTol, c.inTol ? 1 : 0);
    }
}

TEST(CalStatisticsTest, AirTemperatureTwoWaitsForTheFirstSensorsCorrection)
{
    Evaluator e;
    for (int s = 0; s < 32; ++s)
        e.PushAndEvaluate(Steady());
    ASSERT_TRUE(e.stats.AT2Stable);
    // AT-1 steps up for three seconds: its correction moves by about 0.02, the AT-2 correction
    // only by a sixth of that, and AT-2 itself not at all.
    TMesData warmer = Steady();
    warmer.C21 = 25.0f;
    for (int s = 0; s < 3; ++s)
        e.PushAndEvaluate(warmer);
    const CalStats& st = e.stats;
    ASSERT_EQ(st.WinMax[kChAT2] - st.WinMin[kChAT2], 0.0);
    ASSERT_LT(st.SumMax.ATRev1 - st.SumMin.ATRev1, 0.005);
    ASSERT_GE(st.SumMax.ATRev0 - st.SumMin.ATRev0, 0.005);
    EXPECT_FALSE(st.AT1Stable);
    EXPECT_FALSE(st.AT2Stable);
    EXPECT_TRUE(st.BGT2Stable) << "the other sensors stay steady";
}

TEST(CalStatisticsTest, SummariesShiftNewestFirstAndAreTakenByTheFillOfTheSlotOfTheSameAge)
{
    Evaluator e;
    // Four seconds pushed before any evaluation: their slots count, their summaries are still
    // the empty ones.
    Fill(e.history, 4, [](int) { return Steady(); });
    TMesData r = Steady();
    r.C32 = 8.0f;
    e.PushAndEvaluate(r);
    EXPECT_EQ(e.stats.SumHist[0].Body.DifT, (8.0 + 4 * 50.0) / 5);
    EXPECT_EQ(e.stats.SumHist[1].Valid, 0);
    EXPECT_EQ(e.stats.SumMax.DifT, e.stats.SumHist[0].Body.DifT);
    EXPECT_EQ(e.stats.SumMin.DifT, 0.0);
    EXPECT_EQ(e.stats.SumAvg.DifT, e.stats.SumHist[0].Body.DifT / 5);

    std::vector<double> seen{e.stats.WinAvg[kChDifT]};
    for (int s = 1; s <= 16; ++s) {
        r.C32 = 8.0f + static_cast<float>(s);
        e.PushAndEvaluate(r);
        seen.push_back(e.stats.WinAvg[kChDifT]);
    }
    for (int k = 0; k < CalStats::kSummaryCount; ++k) {
        const CalSummary& entry = e.stats.SumHist[static_cast<std::size_t>(k)];
        EXPECT_EQ(entry.Valid, 1);
        EXPECT_EQ(entry.Body.DifT, seen[seen.size() - 1 - static_cast<std::size_t>(k)]) << "entry " << k;
    }
    const CalSummary& newest = e.stats.SumHist[0];
    EXPECT_EQ(newest.Body.ATRev0, static_cast<double>(e.stats.ATRevCal0));
    EXPECT_EQ(newest.Body.WDTRev1, static_cast<double>(e.stats.WDTRevCal1));
    double sum = 0;
    for (int k = 0; k < 5; ++k)
        sum += e.stats.SumHist[static_cast<std::size_t>(k)].Body.DifT;
    EXPECT_DOUBLE_EQ(e.stats.SumAvg.DifT, sum / 5);
    const auto lastFive = seen.end() - 5;
    EXPECT_EQ(e.stats.SumMax.DifT, *std::max_element(lastFive, seen.end()));
    EXPECT_EQ(e.stats.SumMin.DifT, *std::min_element(lastFive, seen.end()));
}

TEST(CalStatisticsTest, SummaryStatisticsStayWhenNoneOfTheFiveNewestSlotsIsFilled)
{
    CalStats stats;
    stats.SumMax.DifT = 3;
    stats.SumAvg.DifT = 2;
    stats.SumMin.DifT = 1;
    std::vector<TMesData> window(30, Steady());
    for (int k = 5; k < 30; ++k)
        window[static_cast<std::size_t>(k)].Measuring = 1;
    std::int32_t step = 0;
    UpdateCalStatistics(stats, window, Steady(), 5, step);

    EXPECT_EQ(stats.WinAvg[kChDifT], 50.0) << "the window itself is still evaluated";
    EXPECT_EQ(stats.SumHist[0].Valid, 1);
    EXPECT_EQ(stats.SumMax.DifT, 3.0);
    EXPECT_EQ(stats.SumAvg.DifT, 2.0);
    EXPECT_EQ(stats.SumMin.DifT, 1.0);
    EXPECT_FALSE(std::isnan(stats.SumAvg.ATRev0));
    for (std::uint8_t flag : ReadinessFlags(stats))
        EXPECT_EQ(flag, 0);
}

}  // namespace
