#include "windows/main/TrendChart.h"

#include <QChart>
#include <QImage>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace qemra;

namespace {

QList<QPointF> Line(const std::vector<std::pair<double, double>>& xy)
{
    QList<QPointF> points;
    for (const auto& [x, y] : xy)
        points.append(QPointF(x, y));
    return points;
}

TEST(TrendChartPoints, KeepsThePointsInRangeWithOneNeighbourOutsideEachEnd)
{
    struct Case {
        const char* name;
        QList<QPointF> points;
        double from, to;
        QList<QPointF> kept;
    };
    const std::vector<Case> cases = {
        {"all inside", Line({{1, 5}, {2, 6}, {3, 7}}), 0, 10, Line({{1, 5}, {2, 6}, {3, 7}})},
        {"older points dropped but one", Line({{1, 1}, {2, 2}, {3, 3}, {4, 4}}), 2.5, 10,
         Line({{2, 2}, {3, 3}, {4, 4}})},
        {"newer point kept as neighbour", Line({{1, 1}, {5, 5}, {11, 11}, {12, 12}}), 0, 10,
         Line({{1, 1}, {5, 5}, {11, 11}})},
        {"nothing inside: the two around", Line({{1, 1}, {20, 2}}), 5, 10, Line({{1, 1}, {20, 2}})},
        {"empty", {}, 0, 10, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TrendChart::VisiblePoints(c.points, c.from, c.to, 100), c.kept) << c.name;
}

TEST(TrendChartPoints, KeepsEveryPeakWhenManyPointsShareAPixelColumn)
{
    // 600 seconds on 50 columns: twelve points a column, with single-second peaks among them.
    QList<QPointF> points;
    for (int s = 0; s <= 600; ++s)
        points.append(QPointF(s, s % 97 == 0 ? 30.0 : (s % 89 == 0 ? -30.0 : (s % 2) * 0.1)));
    const QList<QPointF> kept = TrendChart::VisiblePoints(points, 0, 600, 50);
    EXPECT_LE(kept.size(), 4 * 51);
    EXPECT_TRUE(
        std::is_sorted(kept.begin(), kept.end(), [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); }));
    for (const QPointF& p : points) {
        if (p.y() == 30.0 || p.y() == -30.0) {
            EXPECT_TRUE(kept.contains(p)) << "peak at " << p.x();
        }
    }
    EXPECT_EQ(kept.front(), points.front());
    EXPECT_EQ(kept.back(), points.back());
}

TEST(TrendChartPoints, LeavesOutOnlyPointsWithinHalfAPixelOfTheDrawnLine)
{
    // At 10 pixels per unit half a pixel is 0.05.
    struct Case {
        const char* name;
        QList<QPointF> points;
        QList<QPointF> kept;
    };
    const std::vector<Case> cases = {
        {"flat line to its ends", Line({{0, 1}, {1, 1}, {2, 1}, {3, 1}}), Line({{0, 1}, {3, 1}})},
        {"straight slope to its ends", Line({{0, 0}, {1, 1}, {2, 2}, {3, 3}}), Line({{0, 0}, {3, 3}})},
        {"jitter below half a pixel", Line({{0, 1}, {1, 1.02}, {2, 0.98}, {3, 1}}), Line({{0, 1}, {3, 1}})},
        {"one-second peak", Line({{0, 1}, {1, 1}, {2, 1.2}, {3, 1}, {4, 1}}),
         Line({{0, 1}, {1, 1}, {2, 1.2}, {3, 1}, {4, 1}})},
        {"dip kept, the point before it half a pixel off", Line({{0, 5}, {1, 5}, {2, 4.9}, {3, 5}}),
         Line({{0, 5}, {2, 4.9}, {3, 5}})},
        {"bend", Line({{0, 0}, {1, 0}, {2, 0}, {3, 1}, {4, 2}}), Line({{0, 0}, {2, 0}, {4, 2}})},
        {"two points", Line({{0, 0}, {1, 0}}), Line({{0, 0}, {1, 0}})},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TrendChart::WithoutHiddenPoints(c.points, 10.0), c.kept) << c.name;
}

// The minute lines are painted by the view itself; they must sit on whole minutes and move with
// the range, or the chart would show a stale grid under fresh data.
TEST(TrendChartTimeAxis, DrawsAMinuteLineOnEachWholeMinuteAndMovesItWithTheRange)
{
    TrendChart chart(QStringLiteral("ChartTest"));
    chart.resize(600 + TrendChart::kPlotLeft + TrendChart::kPlotRight, 110);
    chart.chart()->resize(chart.size());
    chart.chart()->setPlotArea(chart.PlotRect());
    const QRectF plot = chart.PlotRect();
    // A row between the value grid lines, which an empty chart draws at 0, 0.5 and 1.
    const int between = static_cast<int>(plot.top() + plot.height() / 4.0);
    const QColor grid(220, 220, 220);
    struct Case {
        double from;            // seconds; the range is ten minutes wide
        QStringList firstLast;  // first and last label
    };
    const Case cases[] = {
        {3600.0, {"01:00", "01:10"}},
        {3630.0, {"01:01", "01:10"}},
        {86400.0 - 300.0, {"23:55", "00:05"}},
    };
    for (const Case& c : cases) {
        chart.SetTimeRange(c.from, c.from + 600.0);
        const QStringList labels = chart.TimeLabels();
        ASSERT_FALSE(labels.isEmpty());
        EXPECT_EQ(QStringList({labels.front(), labels.back()}), c.firstLast) << c.from;
        const QImage image = chart.grab().toImage();
        int lines = 0;
        for (int x = static_cast<int>(plot.left()) + 1; x < static_cast<int>(plot.right()); ++x) {
            const double seconds = c.from + (x - plot.left()) * 600.0 / plot.width();
            const bool onMinute = std::abs(std::remainder(seconds, 60.0)) < 0.5;
            const bool drawn = image.pixelColor(x, between) == grid;
            EXPECT_EQ(drawn, onMinute) << c.from << " at column " << x;
            lines += drawn ? 1 : 0;
        }
        EXPECT_EQ(lines, static_cast<int>(labels.size() - (std::fmod(c.from, 60.0) == 0 ? 2 : 0))) << c.from;
    }
}

}  // namespace
