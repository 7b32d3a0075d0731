#include "survey/HistoryRows.h"
#include "survey/HistoryLoader.h"
#include "survey/SummaryReport.h"
#include "survey/SurveyRun.h"
#include "tests/support/RecordedDays.h"
#include "tests/support/TempFolder.h"

#include <QTextStream>
#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace qemra;

namespace {

const std::vector<HistorySeries> kTwo{RecordQuantity::AirTemp, RecordQuantity::Wind};

std::vector<float> Values(double airTemp, double wind)
{
    return {static_cast<float>(airTemp), static_cast<float>(wind)};
}

// Rows with noise, one a second, with a gap of ten minutes after row 5000.
HistoryRows NoisyRows(std::size_t count)
{
    HistoryRows rows(kTwo);
    std::mt19937 random(7);
    std::uniform_real_distribution<float> value(-50.0f, 50.0f);
    std::int64_t at = 1'000'000;
    for (std::size_t i = 0; i < count; ++i) {
        at += i == 5000 ? 600 : 1;
        rows.Append(at, Values(value(random), value(random)), HistoryRows::kSecondGap);
    }
    rows.Finish();
    return rows;
}

}  // namespace

TEST(HistoryRows, ExtremesOfAnyRowRangeAreThoseOfAPlainScan)
{
    const HistoryRows rows = NoisyRows(70'000);
    std::mt19937 random(11);
    std::uniform_int_distribution<std::size_t> row(0, rows.Size());
    for (int trial = 0; trial < 2000; ++trial) {
        std::size_t begin = row(random);
        std::size_t end = row(random);
        if (begin > end)
            std::swap(begin, end);
        for (int series = 0; series < rows.SeriesCount(); ++series) {
            float low = INFINITY;
            float high = -INFINITY;
            for (std::size_t r = begin; r < end; ++r) {
                low = std::min(low, rows.ValueAt(series, r));
                high = std::max(high, rows.ValueAt(series, r));
            }
            const auto [pyramidLow, pyramidHigh] = rows.MinMax(series, begin, end);
            ASSERT_EQ(pyramidLow, low) << begin << ".." << end;
            ASSERT_EQ(pyramidHigh, high) << begin << ".." << end;
        }
    }
}

TEST(HistoryRows, EachPixelColumnKeepsTheExtremesOfItsRowsAndTheLineBreaksOverAGap)
{
    const HistoryRows rows = NoisyRows(20'000);
    const double from = static_cast<double>(rows.SecondsAt(0));
    const double to = static_cast<double>(rows.SecondsAt(rows.Size() - 1));
    constexpr int kColumns = 300;
    const std::vector<QList<QPointF>> points = rows.Reduce(from, to, kColumns);
    ASSERT_EQ(points.size(), 2u);
    const double perColumn = (to - from) / kColumns;
    for (int series = 0; series < 2; ++series) {
        const QList<QPointF>& line = points[static_cast<std::size_t>(series)];
        EXPECT_LE(line.size(), 2 * kColumns + 4) << "never a point per row";
        // Every row's value lies within what its column shows, and each column's extremes are rows'.
        std::vector<double> low(kColumns, INFINITY), high(kColumns, -INFINITY);
        int breaks = 0;
        for (const QPointF& p : line) {
            if (!std::isfinite(p.y())) {
                ++breaks;
                continue;
            }
            const int column = std::clamp(static_cast<int>(std::floor((p.x() - from) / perColumn)), 0, kColumns - 1);
            low[static_cast<std::size_t>(column)] = std::min(low[static_cast<std::size_t>(column)], p.y());
            high[static_cast<std::size_t>(column)] = std::max(high[static_cast<std::size_t>(column)], p.y());
        }
        EXPECT_EQ(breaks, 1) << "the ten-minute gap, wider than a column";
        std::vector<double> rowLow(kColumns, INFINITY), rowHigh(kColumns, -INFINITY);
        for (std::size_t r = 0; r < rows.Size(); ++r) {
            const int column =
                std::clamp(static_cast<int>(std::floor((static_cast<double>(rows.SecondsAt(r)) - from) / perColumn)), 0,
                           kColumns - 1);
            rowLow[static_cast<std::size_t>(column)] =
                std::min(rowLow[static_cast<std::size_t>(column)], static_cast<double>(rows.ValueAt(series, r)));
            rowHigh[static_cast<std::size_t>(column)] =
                std::max(rowHigh[static_cast<std::size_t>(column)], static_cast<double>(rows.ValueAt(series, r)));
        }
        EXPECT_EQ(low, rowLow);
        EXPECT_EQ(high, rowHigh);
    }
}

TEST(HistoryRows, ZoomedInColumnsShowTheRowsThemselvesAndReachBeyondTheEdges)
{
    const HistoryRows rows = NoisyRows(100);
    // Ten seconds over 500 pixels: each row has a column of its own.
    const double from = static_cast<double>(rows.SecondsAt(40)) + 0.5;
    const std::vector<QList<QPointF>> points = rows.Reduce(from, from + 10, 500);
    const QList<QPointF>& line = points[0];
    ASSERT_EQ(line.size(), 12) << "ten rows inside and one outside each end";
    for (qsizetype i = 0; i < line.size(); ++i) {
        EXPECT_EQ(line[i].x(), static_cast<double>(rows.SecondsAt(40 + static_cast<std::size_t>(i))));
        EXPECT_EQ(line[i].y(), static_cast<double>(rows.ValueAt(0, 40 + static_cast<std::size_t>(i))));
    }
}

TEST(HistoryRows, ValueUnderTheCursorIsTheNearestRowWithinARunOnly)
{
    HistoryRows rows(kTwo);
    rows.Append(100, Values(1, 0), HistoryRows::kSecondGap);
    rows.Append(101, Values(2, 0), HistoryRows::kSecondGap);
    rows.Append(200, Values(3, 0), HistoryRows::kSecondGap);  // after a gap
    rows.Finish();
    struct Case {
        double at;
        double reach;
        std::optional<std::size_t> row;
    };
    const Case cases[] = {
        {100.4, 0.1, 0}, {100.6, 0.1, 1}, {150, 0.1, std::nullopt}, {150, 60, 1}, {198, 3, 2}, {250, 10, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(rows.RowAt(c.at, c.reach), c.row) << c.at << " within " << c.reach;
}

TEST(HistoryRows, RowsJoinedDayByDayKeepTheirRunsAndOrder)
{
    HistoryRows first(kTwo);
    HistoryRows second(kTwo);
    HistoryRows third(kTwo);
    first.Append(10, Values(1, 0), HistoryRows::kSecondGap);
    first.Append(11, Values(2, 0), HistoryRows::kSecondGap);
    second.Append(12, Values(3, 0), HistoryRows::kSecondGap);  // continues the run
    second.Append(500, Values(4, 0), HistoryRows::kSecondGap);
    third.Append(560, Values(5, 0), HistoryRows::kMinuteGap);  // a minute row 60 s on: same run
    HistoryRows all(kTwo);
    for (const HistoryRows* day : {&first, &second, &third})
        all.AppendRows(*day);
    all.Finish();
    ASSERT_EQ(all.Size(), 5u);
    EXPECT_EQ(all.SecondsAt(4), 560);
    EXPECT_EQ(all.ValueAt(0, 2), 3.0f);
    EXPECT_FALSE(all.GapBetween(1, 2));
    EXPECT_TRUE(all.GapBetween(2, 3));
    EXPECT_FALSE(all.GapBetween(3, 4));
}

TEST(HistoryLoader, SummaryOfTheLoadedDaysIsTheCommandLineSummary)
{
    // Seconds of port COM7 on two days, minute rows only on the third, nothing on the fourth.
    TempFolder folder;
    history_test::RecordSeconds(folder.path(), QStringLiteral("COM7"), EncodeDateTime(2026, 12, 1, 10, 0, 0, 100), 400);
    history_test::RecordSeconds(folder.path(), QStringLiteral("COM7"), EncodeDateTime(2026, 12, 2, 23, 55, 0, 100),
                                290);
    history_test::RecordSeconds(folder.path(), QStringLiteral("COM7"), EncodeDateTime(2026, 12, 3, 9, 0, 0, 100), 200,
                                false);
    const RecordFolder records(folder.path());
    const QDate from(2026, 12, 1);
    const QDate to(2026, 12, 4);

    QString ignored;
    QTextStream err(&ignored);
    const SurveySummary expected = SummariseDays(records, QStringLiteral("COM7"), from, to, err);
    for (const int workers : {1, 2, 3}) {
        HistoryLoader loader(records, QStringLiteral("COM7"), from, to, kTwo);
        const std::optional<HistoryLoad> load = loader.Run(workers);
        ASSERT_TRUE(load.has_value());
        const HistoryFigures& figures = load->summary;
        EXPECT_EQ(figures.seconds, expected.Rows()) << workers << " workers";
        EXPECT_EQ(figures.skippedRows, expected.SkippedRows());
        EXPECT_EQ(figures.first, expected.First());
        EXPECT_EQ(figures.last, expected.Last());
        for (int q = 0; q < kRecordQuantities; ++q) {
            const auto quantity = static_cast<RecordQuantity>(q);
            EXPECT_EQ(figures.minimum[static_cast<std::size_t>(q)], expected.Minimum(quantity)) << q;
            EXPECT_EQ(figures.maximum[static_cast<std::size_t>(q)], expected.Maximum(quantity)) << q;
            // Joined day by day: the same average up to the rounding of the sums.
            EXPECT_NEAR(figures.Average(quantity), expected.Average(quantity),
                        1e-12 * std::max(1.0, std::abs(expected.Average(quantity))))
                << q;
        }
        for (int c = 0; c < kPmvCategories; ++c)
            EXPECT_DOUBLE_EQ(figures.Share(static_cast<PmvCategory>(c)), expected.Share(static_cast<PmvCategory>(c)));
        for (int l = 0; l < kWbgtLevels; ++l)
            EXPECT_DOUBLE_EQ(figures.Share(static_cast<WbgtLevel>(l)), expected.Share(static_cast<WbgtLevel>(l)));
        EXPECT_EQ(load->rows.Size(), 400u + 290u + 4u) << "the seconds, and the four minute rows of day 3";
        EXPECT_EQ(load->filesRead, 3);
        EXPECT_EQ(load->minuteDays, QList<QDate>{QDate(2026, 12, 3)});
        EXPECT_EQ(load->missingDays, QList<QDate>{QDate(2026, 12, 4)});
        EXPECT_EQ(loader.BytesRead(), loader.TotalBytes());
    }
    HistoryLoader cancelled(records, QStringLiteral("COM7"), from, to, kTwo);
    cancelled.Cancel();
    EXPECT_FALSE(cancelled.Run(2).has_value());
}
