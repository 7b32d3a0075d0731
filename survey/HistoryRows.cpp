#include "survey/HistoryRows.h"

#include <QDate>

#include <algorithm>
#include <cmath>
#include <limits>

namespace qemra {

void AppendColumnExtremes(QList<QPointF>& line, double x, double low, double high)
{
    if (low > high) {
        line.append(QPointF(x, std::numeric_limits<double>::quiet_NaN()));
        return;
    }
    // Coming from above, the column is drawn downwards, and the other way round.
    const bool fromAbove = !line.isEmpty() && std::isfinite(line.back().y()) && line.back().y() > (low + high) / 2.0;
    line.append(QPointF(x, fromAbove ? high : low));
    if (high != low)
        line.append(QPointF(x, fromAbove ? low : high));
}

namespace {

constexpr float kNone = std::numeric_limits<float>::infinity();
const qint64 kEpochDay = QDate(1899, 12, 30).toJulianDay();

}  // namespace

std::int64_t LocalSeconds(const RecordTime& time)
{
    const qint64 day = QDate(time.year, time.month, time.day).toJulianDay() - kEpochDay;
    return day * 86400 + std::int64_t{time.hour} * 3600 + std::int64_t{time.minute} * 60 + time.second;
}

HistoryRows::HistoryRows(std::vector<HistorySeries> series)
    : series_(std::move(series)), values_(series_.size()), pyramids_(series_.size())
{
}

bool HistoryRows::Append(std::int64_t seconds, const std::vector<float>& values, std::int64_t gap)
{
    if (Empty()) {
        origin_ = seconds;
        firstGap_ = gap;
    } else if (seconds < SecondsAt(Size() - 1)) {
        return false;
    }
    if (Empty() || seconds - SecondsAt(Size() - 1) > gap)
        runStarts_.push_back(Size());
    seconds_.push_back(static_cast<std::int32_t>(seconds - origin_));
    for (std::size_t s = 0; s < series_.size(); ++s)
        values_[s].push_back(values[s]);
    return true;
}

void HistoryRows::Reserve(std::size_t rows)
{
    seconds_.reserve(rows);
    for (std::vector<float>& series : values_)
        series.reserve(rows);
}

void HistoryRows::AppendRows(const HistoryRows& later)
{
    if (later.Empty())
        return;
    std::size_t from = 0;
    if (!Empty()) {
        const std::int64_t last = SecondsAt(Size() - 1);
        while (from < later.Size() && later.SecondsAt(from) < last)
            ++from;
        if (from == later.Size())
            return;
    } else {
        origin_ = later.SecondsAt(0);
        firstGap_ = later.firstGap_;
    }
    const std::size_t base = Size();
    // The first row taken starts a run when it lies too far after the rows here; the later runs
    // keep their starts.
    if (base == 0 || later.SecondsAt(from) - SecondsAt(base - 1) > later.firstGap_)
        runStarts_.push_back(base);
    for (const std::size_t start : later.runStarts_) {
        if (start > from)
            runStarts_.push_back(base + start - from);
    }
    const std::int64_t shift = later.origin_ - origin_;
    for (std::size_t r = from; r < later.Size(); ++r)
        seconds_.push_back(static_cast<std::int32_t>(later.seconds_[r] + shift));
    for (std::size_t s = 0; s < values_.size(); ++s)
        values_[s].insert(values_[s].end(), later.values_[s].begin() + static_cast<std::ptrdiff_t>(from),
                          later.values_[s].end());
}

void HistoryRows::Finish()
{
    for (std::size_t s = 0; s < values_.size(); ++s) {
        std::vector<Level>& levels = pyramids_[s];
        levels.clear();
        const std::vector<float>& rows = values_[s];
        Level level;
        for (std::size_t begin = 0; begin < rows.size(); begin += kFanOut) {
            float low = kNone;
            float high = -kNone;
            for (std::size_t r = begin; r < std::min(rows.size(), begin + kFanOut); ++r) {
                if (std::isfinite(rows[r])) {
                    low = std::min(low, rows[r]);
                    high = std::max(high, rows[r]);
                }
            }
            level.minimum.push_back(low);
            level.maximum.push_back(high);
        }
        while (level.minimum.size() > 1) {
            Level upper;
            for (std::size_t begin = 0; begin < level.minimum.size(); begin += kFanOut) {
                const std::size_t end = std::min(level.minimum.size(), begin + kFanOut);
                upper.minimum.push_back(*std::min_element(level.minimum.begin() + static_cast<std::ptrdiff_t>(begin),
                                                          level.minimum.begin() + static_cast<std::ptrdiff_t>(end)));
                upper.maximum.push_back(*std::max_element(level.maximum.begin() + static_cast<std::ptrdiff_t>(begin),
                                                          level.maximum.begin() + static_cast<std::ptrdiff_t>(end)));
            }
            levels.push_back(std::move(level));
            level = std::move(upper);
        }
        if (!level.minimum.empty())
            levels.push_back(std::move(level));
    }
}

std::size_t HistoryRows::RowAtOrAfter(double seconds) const
{
    const double offset = seconds - static_cast<double>(origin_);
    return static_cast<std::size_t>(
        std::lower_bound(seconds_.begin(), seconds_.end(), offset,
                         [](std::int32_t row, double at) { return static_cast<double>(row) < at; }) -
        seconds_.begin());
}

std::size_t HistoryRows::RowAfter(double seconds) const
{
    const double offset = seconds - static_cast<double>(origin_);
    return static_cast<std::size_t>(
        std::upper_bound(seconds_.begin(), seconds_.end(), offset,
                         [](double at, std::int32_t row) { return at < static_cast<double>(row); }) -
        seconds_.begin());
}

std::optional<std::size_t> HistoryRows::NearestRow(double seconds, double reach) const
{
    if (Empty())
        return std::nullopt;
    const std::size_t after = RowAtOrAfter(seconds);
    std::optional<std::size_t> best;
    double bestDistance = reach;
    for (const std::size_t row : {after == 0 ? after : after - 1, after}) {
        if (row >= Size())
            continue;
        const double distance = std::abs(static_cast<double>(SecondsAt(row)) - seconds);
        if (distance <= bestDistance) {
            best = row;
            bestDistance = distance;
        }
    }
    return best;
}

std::optional<std::size_t> HistoryRows::RowAt(double seconds, double reach) const
{
    const std::size_t after = RowAtOrAfter(seconds);
    if (after > 0 && after < Size() && !GapBetween(after - 1, after))
        return NearestRow(seconds, std::numeric_limits<double>::infinity());
    return NearestRow(seconds, reach);
}

bool HistoryRows::GapBetween(std::size_t a, std::size_t b) const
{
    const auto start = std::upper_bound(runStarts_.begin(), runStarts_.end(), a);
    return start != runStarts_.end() && *start <= b;
}

std::pair<float, float> HistoryRows::MinMax(int series, std::size_t begin, std::size_t end) const
{
    const std::vector<float>& rows = values_[static_cast<std::size_t>(series)];
    const std::vector<Level>& levels = pyramids_[static_cast<std::size_t>(series)];
    end = std::min(end, rows.size());
    float low = kNone;
    float high = -kNone;
    for (std::size_t at = begin; at < end;) {
        // The largest whole block that starts here and ends inside the range.
        std::size_t span = 1;
        std::size_t level = 0;
        while (level < levels.size() && at % (span * kFanOut) == 0 && at + span * kFanOut <= end) {
            span *= kFanOut;
            ++level;
        }
        if (level == 0) {
            if (std::isfinite(rows[at])) {
                low = std::min(low, rows[at]);
                high = std::max(high, rows[at]);
            }
        } else {
            const Level& blocks = levels[level - 1];
            low = std::min(low, blocks.minimum[at / span]);
            high = std::max(high, blocks.maximum[at / span]);
        }
        at += span;
    }
    return {low, high};
}

std::vector<QList<QPointF>> HistoryRows::Reduce(double from, double to, int columns) const
{
    std::vector<QList<QPointF>> points(series_.size());
    if (Empty() || columns < 1 || !(to > from))
        return points;
    const double perColumn = (to - from) / columns;
    const std::size_t first = RowAtOrAfter(from);
    const std::size_t last = RowAfter(to);
    for (auto& list : points)
        list.reserve(2 * static_cast<qsizetype>(columns) + 4);
    const auto addRow = [&](std::size_t row) {
        const auto x = static_cast<double>(SecondsAt(row));
        for (std::size_t s = 0; s < points.size(); ++s)
            points[s].append(QPointF(x, static_cast<double>(values_[s][row])));
    };
    const auto addBreak = [&](double x) {
        for (auto& list : points)
            list.append(QPointF(x, std::numeric_limits<double>::quiet_NaN()));
    };

    if (first > 0 && first < Size() && !GapBetween(first - 1, first))
        addRow(first - 1);
    long long previousColumn = -2;
    std::size_t previousEnd = 0;
    for (std::size_t row = first; row < last;) {
        const long long column =
            std::clamp(static_cast<long long>(std::floor((static_cast<double>(SecondsAt(row)) - from) / perColumn)),
                       0LL, static_cast<long long>(columns) - 1);
        std::size_t end =
            column + 1 >= columns ? last : RowAtOrAfter(from + static_cast<double>(column + 1) * perColumn);
        end = std::clamp(end, row + 1, last);
        if (previousColumn >= 0 && column > previousColumn + 1 && GapBetween(previousEnd - 1, row))
            addBreak(from + (static_cast<double>(previousColumn + column) / 2.0 + 0.5) * perColumn);
        if (end - row == 1) {
            addRow(row);
        } else {
            // A quarter into the column: its edge or middle lie where a rounding error decides between
            // two pixels, and two columns drawn into one pixel leave the next without a line.
            const double x = from + (static_cast<double>(column) + 0.25) * perColumn;
            for (std::size_t s = 0; s < points.size(); ++s) {
                const auto [low, high] = MinMax(static_cast<int>(s), row, end);
                AppendColumnExtremes(points[s], x, low, high);
            }
        }
        previousColumn = column;
        previousEnd = end;
        row = end;
    }
    if (last < Size() && last > 0 && !GapBetween(last - 1, last))
        addRow(last);
    return points;
}

}  // namespace qemra
