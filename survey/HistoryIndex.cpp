#include "survey/HistoryIndex.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <type_traits>

namespace qemra {

namespace {

constexpr float kNone = std::numeric_limits<float>::infinity();
// Rows between looks at the cancel flag and updates of the bytes read.
constexpr int kRowsPerStep = 4096;

std::int64_t GapOf(bool minutes) { return minutes ? HistoryRows::kMinuteGap : HistoryRows::kSecondGap; }

// LocalSeconds with the date's part kept from the row before: the rows of a file share their date.
class RowSeconds {
public:
    std::int64_t Of(const RecordTime& time)
    {
        if (time.year != year_ || time.month != month_ || time.day != day_) {
            year_ = time.year;
            month_ = time.month;
            day_ = time.day;
            midnight_ = LocalSeconds(RecordTime{time.year, time.month, time.day, 0, 0, 0});
        }
        return midnight_ + std::int64_t{time.hour} * 3600 + std::int64_t{time.minute} * 60 + time.second;
    }

private:
    int year_ = -1;
    int month_ = -1;
    int day_ = -1;
    std::int64_t midnight_ = 0;
};

const RecordValues& ValuesOf(const SecondRecordRow& row) { return row.values; }
// A minute row stands for its averages.
const RecordValues& ValuesOf(const MinuteRecordRow& row) { return row.average; }

template <class Row>
std::optional<HistoryDayReduction> Reduce(const QString& path, bool minutes, const std::vector<HistorySeries>& series,
                                          QString* error, const std::atomic<bool>* cancelled,
                                          std::atomic<std::int64_t>* bytesRead)
{
    RecordFileReader<Row> reader;
    if (!reader.Open(path, error))
        return std::nullopt;
    HistoryDayReduction day;
    SurveySummary summary;
    const std::int64_t weight = minutes ? 60 : 1;
    const std::int64_t gap = GapOf(minutes);
    const std::size_t count = series.size();
    std::int64_t last = 0;
    std::int64_t reported = 0;
    RowSeconds rowSeconds;
    HistorySeriesValues seriesValues(series);
    Row row;
    for (int n = 1; reader.Next(row); ++n) {
        const RecordValues& values = ValuesOf(row);
        summary.Add(row.time, values, weight);
        const std::int64_t seconds = rowSeconds.Of(row.time);
        const bool first = day.offsets.empty();
        if (!first && seconds < last) {
            summary.AddSkippedRows(1);
        } else {
            if (first || seconds - last > gap || day.counts.back() == kHistoryBlockRows) {
                day.offsets.push_back(reader.RowOffset());
                day.firsts.push_back(seconds);
                day.spans.push_back(0);
                day.counts.push_back(0);
                day.minimum.insert(day.minimum.end(), count, kNone);
                day.maximum.insert(day.maximum.end(), count, -kNone);
            }
            const std::size_t block = day.offsets.size() - 1;
            ++day.counts[block];
            day.spans[block] = static_cast<std::int32_t>(seconds - day.firsts[block]);
            const std::vector<float>& rowValues = seriesValues.Of(seconds, values, minutes);
            for (std::size_t s = 0; s < count; ++s) {
                const float value = rowValues[s];
                if (std::isfinite(value)) {
                    float& low = day.minimum[block * count + s];
                    float& high = day.maximum[block * count + s];
                    low = std::min(low, value);
                    high = std::max(high, value);
                }
            }
            last = seconds;
        }
        if (n % kRowsPerStep == 0) {
            if (bytesRead != nullptr)
                bytesRead->fetch_add(reader.BytesRead() - reported, std::memory_order_relaxed);
            reported = reader.BytesRead();
            if (cancelled != nullptr && cancelled->load(std::memory_order_relaxed))
                break;
        }
    }
    if (bytesRead != nullptr)
        bytesRead->fetch_add(reader.BytesRead() - reported, std::memory_order_relaxed);
    summary.AddSkippedRows(reader.SkippedRows());
    if (reader.ReadFailed() && error != nullptr)
        *error = QStringLiteral("reading stopped early");
    day.figures = HistoryFigures::Of(summary);
    return day;
}

}  // namespace

bool HistoryDayReduction::Consistent(std::size_t series) const
{
    const std::size_t blocks = offsets.size();
    if (firsts.size() != blocks || spans.size() != blocks || counts.size() != blocks ||
        minimum.size() != blocks * series || maximum.size() != blocks * series)
        return false;
    for (std::size_t b = 0; b < blocks; ++b) {
        if (counts[b] < 1 || counts[b] > kHistoryBlockRows || spans[b] < 0 || offsets[b] < 0 ||
            (b > 0 && (firsts[b] < firsts[b - 1] + spans[b - 1] || offsets[b] <= offsets[b - 1])))
            return false;
    }
    return true;
}

std::optional<HistoryDayReduction> ReduceRecordFile(const QString& path, bool minutes,
                                                    const std::vector<HistorySeries>& series, QString* error,
                                                    const std::atomic<bool>* cancelled,
                                                    std::atomic<std::int64_t>* bytesRead)
{
    return minutes ? Reduce<MinuteRecordRow>(path, minutes, series, error, cancelled, bytesRead)
                   : Reduce<SecondRecordRow>(path, minutes, series, error, cancelled, bytesRead);
}

HistoryIndex::HistoryIndex(std::vector<HistorySeries> series) : series_(std::move(series)), pyramids_(series_.size())
{
    for (auto& levels : pyramids_)
        levels.resize(1);
}

void HistoryIndex::Reserve(std::size_t blocks)
{
    day_.reserve(blocks);
    offsets_.reserve(blocks);
    firsts_.reserve(blocks);
    spans_.reserve(blocks);
    counts_.reserve(blocks);
    for (auto& levels : pyramids_) {
        levels.front().minimum.reserve(blocks);
        levels.front().maximum.reserve(blocks);
    }
}

void HistoryIndex::Append(const QString& path, bool minutes, const HistoryDayReduction& day)
{
    const auto dayIndex = static_cast<std::uint32_t>(days_.size());
    days_.push_back({path, minutes});
    const std::int64_t gap = GapOf(minutes);
    const std::size_t count = series_.size();
    for (std::size_t b = 0; b < day.Blocks(); ++b) {
        if (!firsts_.empty() && day.firsts[b] < LastSeconds())
            continue;
        // The blocks of a day end where its runs do, so the gap test finds the runs again.
        if (firsts_.empty() || day.firsts[b] - LastSeconds() > gap)
            runStarts_.push_back(firsts_.size());
        day_.push_back(dayIndex);
        offsets_.push_back(day.offsets[b]);
        firsts_.push_back(day.firsts[b]);
        spans_.push_back(day.spans[b]);
        counts_.push_back(day.counts[b]);
        rows_ += day.counts[b];
        for (std::size_t s = 0; s < count; ++s) {
            pyramids_[s].front().minimum.push_back(day.minimum[b * count + s]);
            pyramids_[s].front().maximum.push_back(day.maximum[b * count + s]);
        }
    }
}

void HistoryIndex::CarryDraughtAcrossDays()
{
    if (!HistorySeriesValues(series_).NeedsLeadIn())
        return;
    for (std::size_t b = 1; b < Blocks(); ++b) {
        if (day_[b] == day_[b - 1] || days_[day_[b]].minutes || days_[day_[b - 1]].minutes ||
            firsts_[b] - (firsts_[b - 1] + spans_[b - 1]) >= DraughtWindow::kSpan)
            continue;
        std::size_t end = b;
        while (end < Blocks() && day_[end] == day_[b] && firsts_[end] < firsts_[b] + DraughtWindow::kSpan)
            ++end;
        HistoryRows rows(series_);
        ReadBlocks(b, end, rows, nullptr);
        rows.Finish();
        std::size_t row = 0;
        for (std::size_t block = b; block < end; ++block) {
            const std::size_t blockEnd = rows.RowAfter(static_cast<double>(firsts_[block] + spans_[block]));
            // A file that changed since its reduction keeps what the reduction says.
            if (blockEnd - row == counts_[block]) {
                for (std::size_t s = 0; s < series_.size(); ++s) {
                    const auto [low, high] = rows.MinMax(static_cast<int>(s), row, blockEnd);
                    pyramids_[s].front().minimum[block] = low;
                    pyramids_[s].front().maximum[block] = high;
                }
            }
            row = blockEnd;
        }
        b = end - 1;
    }
}

void HistoryIndex::Finish()
{
    CarryDraughtAcrossDays();
    for (auto& levels : pyramids_) {
        levels.resize(1);
        while (levels.back().minimum.size() > 1) {
            const Level& lower = levels.back();
            Level upper;
            for (std::size_t begin = 0; begin < lower.minimum.size(); begin += kFanOut) {
                const auto from = static_cast<std::ptrdiff_t>(begin);
                const auto to = static_cast<std::ptrdiff_t>(std::min(lower.minimum.size(), begin + kFanOut));
                upper.minimum.push_back(*std::min_element(lower.minimum.begin() + from, lower.minimum.begin() + to));
                upper.maximum.push_back(*std::max_element(lower.maximum.begin() + from, lower.maximum.begin() + to));
            }
            levels.push_back(std::move(upper));
        }
    }
}

std::size_t HistoryIndex::MemoryBytes() const
{
    std::size_t bytes = day_.capacity() * sizeof(std::uint32_t) + offsets_.capacity() * sizeof(std::int64_t) +
                        firsts_.capacity() * sizeof(std::int64_t) + spans_.capacity() * sizeof(std::int32_t) +
                        counts_.capacity() * sizeof(std::uint16_t) + runStarts_.capacity() * sizeof(std::size_t);
    for (const auto& levels : pyramids_)
        for (const Level& level : levels)
            bytes += (level.minimum.capacity() + level.maximum.capacity()) * sizeof(float);
    return bytes;
}

std::size_t HistoryIndex::BlockEndingAtOrAfter(double seconds) const
{
    std::size_t low = 0;
    std::size_t high = Blocks();
    while (low < high) {
        const std::size_t mid = (low + high) / 2;
        if (static_cast<double>(firsts_[mid] + spans_[mid]) < seconds)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

std::size_t HistoryIndex::BlockStartingAtOrAfter(double seconds) const
{
    return static_cast<std::size_t>(
        std::lower_bound(firsts_.begin(), firsts_.end(), seconds,
                         [](std::int64_t first, double at) { return static_cast<double>(first) < at; }) -
        firsts_.begin());
}

std::size_t HistoryIndex::BlockStartingAfter(double seconds) const
{
    return static_cast<std::size_t>(
        std::upper_bound(firsts_.begin(), firsts_.end(), seconds,
                         [](double at, std::int64_t first) { return at < static_cast<double>(first); }) -
        firsts_.begin());
}

bool HistoryIndex::GapBetween(std::size_t a, std::size_t b) const
{
    const auto start = std::upper_bound(runStarts_.begin(), runStarts_.end(), a);
    return start != runStarts_.end() && *start <= b;
}

std::size_t HistoryIndex::RowsBetween(double from, double to, std::size_t enough) const
{
    std::size_t rows = 0;
    const std::size_t end = BlockStartingAfter(to);
    for (std::size_t b = BlockEndingAtOrAfter(from); b < end && rows <= enough; ++b)
        rows += counts_[b];
    return rows;
}

std::pair<float, float> HistoryIndex::MinMax(std::size_t series, std::size_t begin, std::size_t end) const
{
    const std::vector<Level>& levels = pyramids_[series];
    float low = kNone;
    float high = -kNone;
    for (std::size_t at = begin; at < end;) {
        // The largest whole group that starts here and ends inside the range.
        std::size_t span = 1;
        std::size_t level = 0;
        while (level + 1 < levels.size() && at % (span * kFanOut) == 0 && at + span * kFanOut <= end) {
            span *= kFanOut;
            ++level;
        }
        low = std::min(low, levels[level].minimum[at / span]);
        high = std::max(high, levels[level].maximum[at / span]);
        at += span;
    }
    return {low, high};
}

std::vector<QList<QPointF>> HistoryIndex::Reduce(double from, double to, int columns) const
{
    std::vector<QList<QPointF>> points(series_.size());
    if (Empty() || columns < 1 || !(to > from))
        return points;
    const double perColumn = (to - from) / columns;
    const std::size_t first = BlockEndingAtOrAfter(from);
    const std::size_t last = BlockStartingAfter(to);
    for (auto& list : points)
        list.reserve(2 * static_cast<qsizetype>(columns) + 4);
    // A block outside the range stands at its middle with the middle of its values.
    const auto addBlock = [&](std::size_t block) {
        const double x = static_cast<double>(firsts_[block]) + spans_[block] / 2.0;
        for (std::size_t s = 0; s < points.size(); ++s) {
            const float low = pyramids_[s].front().minimum[block];
            const float high = pyramids_[s].front().maximum[block];
            points[s].append(QPointF(x, low <= high ? (static_cast<double>(low) + high) / 2.0
                                                    : std::numeric_limits<double>::quiet_NaN()));
        }
    };
    const auto addBreak = [&](double x) {
        for (auto& list : points)
            list.append(QPointF(x, std::numeric_limits<double>::quiet_NaN()));
    };

    if (first > 0 && first < Blocks() && !GapBetween(first - 1, first))
        addBlock(first - 1);
    long long previousColumn = -2;
    std::size_t previousEnd = 0;
    for (std::size_t block = first; block < last;) {
        const long long column =
            std::clamp(static_cast<long long>(std::floor((static_cast<double>(firsts_[block]) - from) / perColumn)),
                       0LL, static_cast<long long>(columns) - 1);
        std::size_t end =
            column + 1 >= columns ? last : BlockStartingAtOrAfter(from + static_cast<double>(column + 1) * perColumn);
        end = std::clamp(end, block + 1, last);
        if (previousColumn >= 0 && column > previousColumn + 1 && GapBetween(previousEnd - 1, block))
            addBreak(from + (static_cast<double>(previousColumn + column) / 2.0 + 0.5) * perColumn);
        if (end - block == 1 && counts_[block] == 1) {
            const auto x = static_cast<double>(firsts_[block]);
            for (std::size_t s = 0; s < points.size(); ++s) {
                const float value = pyramids_[s].front().minimum[block];
                points[s].append(QPointF(x, value <= pyramids_[s].front().maximum[block]
                                                ? static_cast<double>(value)
                                                : std::numeric_limits<double>::quiet_NaN()));
            }
        } else {
            const double x = from + (static_cast<double>(column) + 0.25) * perColumn;
            for (std::size_t s = 0; s < points.size(); ++s) {
                const auto [low, high] = MinMax(s, block, end);
                AppendColumnExtremes(points[s], x, low, high);
            }
        }
        previousColumn = column;
        previousEnd = end;
        block = end;
    }
    if (last < Blocks() && last > 0 && !GapBetween(last - 1, last))
        addBlock(last);
    return points;
}

void HistoryIndex::ReadBlocks(std::size_t begin, std::size_t end, HistoryRows& rows,
                              const std::atomic<bool>* cancelled) const
{
    HistorySeriesValues seriesValues(series_);
    std::size_t lead = begin;
    if (seriesValues.NeedsLeadIn() && begin < end)
        lead = std::min(begin, BlockEndingAtOrAfter(static_cast<double>(firsts_[begin] - DraughtWindow::kSpan + 1)));
    for (std::size_t group = lead; group < end;) {
        // The blocks of one file that follow each other are read in one pass; the first
        // `leading` rows only fill the draught window.
        std::size_t groupEnd = group + 1;
        std::size_t wanted = counts_[group];
        std::size_t leading = group < begin ? counts_[group] : 0;
        while (groupEnd < end && day_[groupEnd] == day_[group]) {
            wanted += counts_[groupEnd];
            if (groupEnd < begin)
                leading += counts_[groupEnd];
            ++groupEnd;
        }
        const Day& day = days_[day_[group]];
        const std::int64_t gap = GapOf(day.minutes);
        const auto take = [&]<class Row>(RecordFileReader<Row>& reader) {
            if (!reader.Open(day.path, nullptr, offsets_[group]))
                return;
            Row row;
            RowSeconds rowSeconds;
            std::int64_t last = std::numeric_limits<std::int64_t>::min();
            std::size_t taken = 0;
            for (int n = 1; taken < wanted && reader.Next(row); ++n) {
                const std::int64_t seconds = rowSeconds.Of(row.time);
                // A file that no longer holds the block's first row where it was has changed.
                if (taken == 0 && seconds != firsts_[group])
                    return;
                if (seconds < last)
                    continue;
                last = seconds;
                if (taken++ < leading)
                    seriesValues.Lead(seconds, ValuesOf(row), day.minutes);
                else
                    rows.Append(seconds, seriesValues.Of(seconds, ValuesOf(row), day.minutes), gap);
                if (n % kRowsPerStep == 0 && cancelled != nullptr && cancelled->load(std::memory_order_relaxed))
                    return;
            }
        };
        if (day.minutes) {
            MinuteRecordReader reader(std::size_t{1} << 16);
            take(reader);
        } else {
            SecondRecordReader reader(std::size_t{1} << 16);
            take(reader);
        }
        if (cancelled != nullptr && cancelled->load(std::memory_order_relaxed))
            return;
        group = groupEnd;
    }
}

HistoryRows HistoryIndex::ReadRows(double from, double to, const std::atomic<bool>* cancelled) const
{
    HistoryRows rows(series_);
    if (Empty() || to < from)
        return rows;
    std::size_t begin = BlockEndingAtOrAfter(from);
    std::size_t end = BlockStartingAfter(to);
    begin = begin > 0 ? begin - 1 : 0;
    end = std::min(Blocks(), end + 1);
    std::size_t wanted = 0;
    for (std::size_t b = begin; b < end; ++b)
        wanted += counts_[b];
    rows.Reserve(wanted);
    ReadBlocks(begin, end, rows, cancelled);
    rows.Finish();
    return rows;
}

std::optional<HistoryRowValues> HistoryIndex::RowAt(double seconds, double reach) const
{
    if (Empty())
        return std::nullopt;
    // The row at or after `seconds` lies in the first block that ends there or later, the row
    // before it in that block or the one before.
    const std::size_t block = BlockEndingAtOrAfter(seconds);
    const std::size_t begin = block > 0 ? block - 1 : 0;
    const std::size_t end = std::min(Blocks(), block + 1);
    HistoryRows rows(series_);
    ReadBlocks(begin, end, rows, nullptr);
    const std::optional<std::size_t> row = rows.RowAt(seconds, reach);
    if (!row)
        return std::nullopt;
    HistoryRowValues values{rows.SecondsAt(*row), {}};
    for (int s = 0; s < rows.SeriesCount(); ++s)
        values.values.push_back(rows.ValueAt(s, *row));
    return values;
}

}  // namespace qemra
