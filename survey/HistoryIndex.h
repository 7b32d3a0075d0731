#pragma once

#include "survey/HistoryFigures.h"
#include "survey/HistoryRows.h"

#include <QList>
#include <QPointF>
#include <QString>

#include <atomic>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

namespace qemra {

// The rows of a record file are taken in blocks of at most this many rows of one run.
inline constexpr int kHistoryBlockRows = 64;

// What is kept of one day's record file instead of its rows: per block where it starts in the
// file, its first and last time, its number of rows and, per series, its least and greatest value.
// Rows earlier than the row before (a clock set back) are left out, as the drawing leaves them out;
// a block ends where a run does (a gap longer than the rows' spacing), so a gap lies between blocks.
struct HistoryDayReduction {
    std::vector<std::int64_t> offsets;  // of the block's first row in the file
    std::vector<std::int64_t> firsts;   // local seconds of its first row
    std::vector<std::int32_t> spans;    // its last row's seconds after the first
    std::vector<std::uint16_t> counts;  // rows, 1 to kHistoryBlockRows
    std::vector<float> minimum;         // [block * series + s]; +inf when no finite value
    std::vector<float> maximum;         // -inf when none
    HistoryFigures figures;             // over every row of the file

    std::size_t Blocks() const { return offsets.size(); }
    // Whether the parts agree with each other and with `series` series.
    bool Consistent(std::size_t series) const;
    bool operator==(const HistoryDayReduction&) const = default;
};

// Reads one record file front to back into its reduction. `cancelled` and `bytesRead` (either may
// be null) are looked at and moved on every few thousand rows. Empty with `error` set when the file
// cannot be opened; a read that stopped early keeps what it read and sets `error`.
std::optional<HistoryDayReduction> ReduceRecordFile(const QString& path, bool minutes,
                                                    const std::vector<HistorySeries>& series, QString* error,
                                                    const std::atomic<bool>* cancelled = nullptr,
                                                    std::atomic<std::int64_t>* bytesRead = nullptr);

// A row read back from its file: its time and the value of each series.
struct HistoryRowValues {
    std::int64_t seconds = 0;
    std::vector<float> values;
};

// The reductions of a stretch of days joined in time order, with coarser levels over the blocks:
// what the history window keeps of a range, so its memory grows with the blocks and not with the
// rows. Views finer than the blocks, and the values at a second, are read from the files again
// through the blocks' offsets.
class HistoryIndex {
public:
    explicit HistoryIndex(std::vector<HistorySeries> series = {});

    const std::vector<HistorySeries>& Series() const { return series_; }
    // Appends a day's file; blocks earlier than the last one here are left out.
    void Append(const QString& path, bool minutes, const HistoryDayReduction& day);
    // Room for this many blocks, so appending does not move what is there.
    void Reserve(std::size_t blocks);
    // Carries the draught across the days and builds the coarser levels; needed once after the
    // last Append.
    void Finish();

    std::size_t Size() const { return rows_; }  // rows in all
    bool Empty() const { return rows_ == 0; }
    std::size_t Blocks() const { return firsts_.size(); }
    // The first and last row's seconds; only while not empty.
    std::int64_t FirstSeconds() const { return firsts_.front(); }
    std::int64_t LastSeconds() const { return firsts_.back() + spans_.back(); }
    // The rows of the blocks that reach into [from, to]; counting stops once past `enough`.
    std::size_t RowsBetween(double from, double to, std::size_t enough = std::numeric_limits<std::size_t>::max()) const;
    // Bytes the structure holds, roughly.
    std::size_t MemoryBytes() const;

    // For each series, the points a plot `columns` pixels wide over [from, to] needs, from the
    // blocks: per column the least and greatest value of the blocks that start in it, a break where
    // a run ends and columns without blocks follow. Good while a column spans several blocks.
    std::vector<QList<QPointF>> Reduce(double from, double to, int columns) const;

    // The rows of the blocks that reach into [from, to] read from their files, and the blocks just
    // outside, so lines reach the edges. Stops early when `cancelled` is set.
    HistoryRows ReadRows(double from, double to, const std::atomic<bool>* cancelled = nullptr) const;
    // The row the line shows at `seconds` (as HistoryRows::RowAt), read from its file.
    std::optional<HistoryRowValues> RowAt(double seconds, double reach) const;

private:
    struct Day {
        QString path;
        bool minutes = false;
    };
    struct Level {
        std::vector<float> minimum;
        std::vector<float> maximum;
    };
    static constexpr std::size_t kFanOut = 16;

    // Blocks [begin, end) into `rows`, the rows of the draught window before them taken in first.
    void ReadBlocks(std::size_t begin, std::size_t end, HistoryRows& rows, const std::atomic<bool>* cancelled) const;
    // The first block that ends at or after `seconds`, the first that starts after it, and at or
    // after it.
    std::size_t BlockEndingAtOrAfter(double seconds) const;
    std::size_t BlockStartingAfter(double seconds) const;
    std::size_t BlockStartingAtOrAfter(double seconds) const;
    bool GapBetween(std::size_t a, std::size_t b) const;  // blocks a < b in different runs
    std::pair<float, float> MinMax(std::size_t series, std::size_t begin, std::size_t end) const;
    // A day's reduction knows its own file only: where the day before ends within a draught window
    // of its first row, its first blocks are worked out again with the rows before them.
    void CarryDraughtAcrossDays();

    std::vector<HistorySeries> series_;
    std::vector<Day> days_;
    std::size_t rows_ = 0;
    std::vector<std::uint32_t> day_;
    std::vector<std::int64_t> offsets_;
    std::vector<std::int64_t> firsts_;
    std::vector<std::int32_t> spans_;
    std::vector<std::uint16_t> counts_;
    std::vector<std::size_t> runStarts_;  // blocks that start a run
    // Per series: level 0 the blocks, level k groups of kFanOut^k blocks.
    std::vector<std::vector<Level>> pyramids_;
};

}  // namespace qemra
