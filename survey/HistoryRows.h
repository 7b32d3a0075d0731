#pragma once

#include "survey/HistorySeries.h"
#include "survey/RecordFileReader.h"

#include <QList>
#include <QPointF>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace qemra {

// One pixel column of a reduced line at `x`: its extremes as a vertical stroke entered from the side
// the line came from, or a break (NaN) when the column holds no value (`low` > `high`).
void AppendColumnExtremes(QList<QPointF>& line, double x, double low, double high);

// A row time in local wall-clock seconds since 1899-12-30 00:00, the x of the trend charts.
std::int64_t LocalSeconds(const RecordTime& time);

// The rows of a stretch of record files, a few series each, kept in time order for drawing: the
// values of each series and, over each, a pyramid of minima and maxima of blocks of rows, so
// a pixel column's extremes come from a few blocks whatever the number of rows under it.
class HistoryRows {
public:
    // Rows farther apart than their spacing allows (a second row more than `kSecondGap`, a minute
    // row more than `kMinuteGap` after the row before) start a new run: the line breaks there.
    static constexpr std::int64_t kSecondGap = 5;
    static constexpr std::int64_t kMinuteGap = 150;

    explicit HistoryRows(std::vector<HistorySeries> series = {});

    const std::vector<HistorySeries>& Series() const { return series_; }
    int SeriesCount() const { return static_cast<int>(series_.size()); }

    // Rows must come in time order; a row earlier than the last one (a clock set back) is passed
    // over and false returned. `values`: one per series, in their order. `gap`: the spacing beyond
    // which this row starts a new run.
    bool Append(std::int64_t seconds, const std::vector<float>& values, std::int64_t gap);
    // Room for `rows` rows in all, so appending does not move what is there.
    void Reserve(std::size_t rows);
    // Appends all rows of `later`, whose series must be the same; rows earlier than the last
    // row here are passed over.
    void AppendRows(const HistoryRows& later);
    // Builds the pyramid; needed once after the last Append before MinMax and Reduce.
    void Finish();

    std::size_t Size() const { return seconds_.size(); }
    bool Empty() const { return seconds_.empty(); }
    std::int64_t SecondsAt(std::size_t row) const { return origin_ + seconds_[row]; }
    float ValueAt(int series, std::size_t row) const { return values_[static_cast<std::size_t>(series)][row]; }

    // The row nearest to `seconds` within `reach` seconds, if any.
    std::optional<std::size_t> NearestRow(double seconds, double reach) const;
    // The row whose value the line shows at `seconds`: the nearest row where `seconds` lies within
    // a run, else the nearest within `reach` seconds, if any.
    std::optional<std::size_t> RowAt(double seconds, double reach) const;
    // The rows from `seconds` on (lower bound) and after `seconds` (upper bound).
    std::size_t RowAtOrAfter(double seconds) const;
    std::size_t RowAfter(double seconds) const;
    // Whether rows `a` < `b` lie in different runs.
    bool GapBetween(std::size_t a, std::size_t b) const;

    // The least and greatest finite value of one series over the rows [begin, end); min > max
    // when there is none.
    std::pair<float, float> MinMax(int series, std::size_t begin, std::size_t end) const;

    // For each series, the points a plot `columns` pixels wide over [from, to] needs: per pixel
    // column with rows, the column's least and greatest value a quarter into the column (in the
    // order that joins the columns around it best), a break (y not finite) where a run ends and
    // a column without rows follows, and the rows just outside each end so the lines reach the
    // edges. A column holding a single row keeps that row's own time.
    std::vector<QList<QPointF>> Reduce(double from, double to, int columns) const;

private:
    static constexpr std::size_t kFanOut = 16;

    struct Level {
        std::vector<float> minimum;
        std::vector<float> maximum;
    };

    std::vector<HistorySeries> series_;
    std::int64_t origin_ = 0;
    std::int64_t firstGap_ = kSecondGap;        // the spacing the first row was given
    std::vector<std::int32_t> seconds_;         // from origin_
    std::vector<std::vector<float>> values_;    // per series, per row
    std::vector<std::size_t> runStarts_;        // rows that start a run, the first row included
    std::vector<std::vector<Level>> pyramids_;  // per series; level k has blocks of kFanOut^(k+1) rows
};

}  // namespace qemra
