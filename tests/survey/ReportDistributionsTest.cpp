#include "survey/ReportDistributions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

using namespace qemra;

namespace {

using Quantity = ReportDistributions::Quantity;

RecordTime At(int day, int hour, int minute = 0, int second = 0) { return {2026, 12, day, hour, minute, second}; }

// A thousand seconds in the hour from 9:00, operative temperature rising evenly from 20.00 to 29.99,
// PMV from -0.5 to +0.499, the draught rate defined on every other second only.
void AddRisingHour(ReportDistributions& d, int day)
{
    for (int i = 0; i < 1000; ++i) {
        const std::optional<double> dr = i % 2 == 0 ? std::optional<double>(i / 10.0) : std::nullopt;
        d.AddSecond(At(day, 9, i / 60, i % 60), 1, 20.0 + i * 0.01, -0.5 + i * 0.001, dr);
    }
}

TEST(ReportDistributionsTest, ReadsTheMeanAndTheTenAndNinetyPercentQuantilesOfEachHour)
{
    ReportDistributions d;
    AddRisingHour(d, 1);
    const auto to = d.AtHour(Quantity::OperativeTemp, 9);
    ASSERT_TRUE(to.mean && to.low && to.high);
    EXPECT_NEAR(*to.mean, 24.995, 1e-9);
    // Read from bins 0.05 K wide, the quantiles are good to a bin.
    EXPECT_NEAR(*to.low, 21.0, 0.05);
    EXPECT_NEAR(*to.high, 29.0, 0.05);
    EXPECT_DOUBLE_EQ(to.seconds, 1000);

    const auto pmv = d.AtHour(Quantity::Pmv, 9);
    EXPECT_NEAR(*pmv.low, -0.4, 0.01);
    EXPECT_NEAR(*pmv.high, 0.4, 0.01);

    // The draught rate counts only where it is defined: 0, 0.2, ... 99.8.
    const auto dr = d.AtHour(Quantity::DraughtRate, 9);
    EXPECT_DOUBLE_EQ(dr.seconds, 500);
    EXPECT_NEAR(*dr.mean, 49.9, 1e-9);
    EXPECT_NEAR(*dr.low, 10.0, 0.2);
    EXPECT_NEAR(*dr.high, 90.0, 0.2);

    // An hour without seconds has no figures.
    const auto empty = d.AtHour(Quantity::OperativeTemp, 3);
    EXPECT_FALSE(empty.mean || empty.low || empty.high);
}

TEST(ReportDistributionsTest, CountsMinuteRowsAsSixtySecondsAndValuesBeyondTheGridInTheEndBins)
{
    ReportDistributions d;
    d.AddSecond(At(1, 10), 60, 22.0, 3.7, std::nullopt);
    d.AddSecond(At(1, 10, 1), 1, 22.0, -0.05, 250.0);
    d.AddSecond(At(1, 10, 2), 1, 22.0, std::nan(""), 5.0);  // passed over

    const auto pmv = d.PmvHistogram();
    ASSERT_EQ(pmv.seconds.size(), 60u);
    EXPECT_DOUBLE_EQ(pmv.lowest, -3.0);
    EXPECT_DOUBLE_EQ(pmv.seconds.back(), 60);
    EXPECT_DOUBLE_EQ(pmv.seconds[29], 1);  // -0.1 <= -0.05 < 0
    const auto dr = d.DraughtHistogram();
    ASSERT_EQ(dr.seconds.size(), 40u);
    EXPECT_DOUBLE_EQ(dr.seconds.back(), 1);
    EXPECT_DOUBLE_EQ(d.Seconds(), 61);
    EXPECT_DOUBLE_EQ(d.AtHour(Quantity::OperativeTemp, 10).seconds, 61);
}

TEST(ReportDistributionsTest, PutsAValueOnABinEdgeIntoTheBinItStarts)
{
    ReportDistributions d;
    for (const double pmv : {0.2, 0.3, -0.2, -0.3})
        d.AddSecond(At(1, 8), 1, 22.0, pmv, std::nullopt);
    const auto h = d.PmvHistogram();
    for (const int bin : {32, 33, 28, 27})
        EXPECT_DOUBLE_EQ(h.seconds[std::size_t(bin)], 1) << bin;
}

TEST(ReportDistributionsTest, MergesDaysInOrderAsIfAllSecondsCameToOne)
{
    ReportDistributions whole;
    ReportDistributions first;
    ReportDistributions second;
    for (ReportDistributions* d : {&whole, &first})
        AddRisingHour(*d, 1);
    // The second part begins with the rest of day 1, then day 2.
    for (ReportDistributions* d : {&whole, &second}) {
        d->AddSecond(At(1, 23, 59, 59), 1, 31.0, 0.9, 12.0);
        d->AddSecond(At(2, 9), 60, 18.5, -1.2, std::nullopt);
        d->AddSecond(At(2, 9, 1), 1, 19.5, -1.0, 40.0);
    }
    first.Append(second);

    for (const Quantity q : {Quantity::OperativeTemp, Quantity::Pmv, Quantity::DraughtRate}) {
        for (const int hour : {9, 23}) {
            const auto a = whole.AtHour(q, hour);
            const auto b = first.AtHour(q, hour);
            EXPECT_EQ(a.low, b.low);
            EXPECT_EQ(a.high, b.high);
            EXPECT_DOUBLE_EQ(a.seconds, b.seconds);
            EXPECT_NEAR(a.mean.value_or(-99), b.mean.value_or(-99), 1e-9);
        }
    }
    EXPECT_EQ(whole.PmvHistogram().seconds, first.PmvHistogram().seconds);
    EXPECT_EQ(whole.DraughtHistogram().seconds, first.DraughtHistogram().seconds);

    ASSERT_EQ(first.Days().size(), 2u);
    const auto& day1 = first.Days()[0];
    EXPECT_EQ(day1.date, QDate(2026, 12, 1));
    EXPECT_DOUBLE_EQ(day1.minimum, 20.0);
    EXPECT_DOUBLE_EQ(day1.maximum, 31.0);
    EXPECT_DOUBLE_EQ(day1.seconds, 1001);
    const auto& day2 = first.Days()[1];
    EXPECT_DOUBLE_EQ(day2.minimum, 18.5);
    EXPECT_DOUBLE_EQ(day2.maximum, 19.5);
    EXPECT_NEAR(day2.Average(), (18.5 * 60 + 19.5) / 61, 1e-12);
}

}  // namespace
