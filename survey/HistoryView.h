#pragma once

#include "survey/HistoryIndex.h"

#include <QList>
#include <QPointF>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace qemra {

// What the strips draw of a loaded range: while a pixel column spans several blocks, the blocks'
// extremes; for a finer view the rows themselves, read from the files around the view (half a
// view either side, so a pan stays within them). A short read happens at once; a longer one runs
// on a thread of its own while the blocks stand in, and `rowsReady` is called from that thread
// when its rows are there. Only the rows of one stretch are ever kept.
class HistoryView {
public:
    // Rows read at once rather than in the background.
    static constexpr std::size_t kForegroundRows = 30000;
    // The rows are drawn once a column spans fewer than this many blocks.
    static constexpr std::size_t kBlocksPerColumn = 2;

    HistoryView(const HistoryIndex& index, std::function<void()> rowsReady);
    ~HistoryView();
    HistoryView(const HistoryView&) = delete;
    HistoryView& operator=(const HistoryView&) = delete;

    struct Points {
        std::vector<QList<QPointF>> series;  // one list per series of the index
        bool fromRows = false;               // drawn from the rows, not the blocks
        bool waiting = false;                // the rows are being read; ask again when ready
    };
    Points Reduce(double from, double to, int columns);

    // The row the line shows at `seconds` (as HistoryRows::RowAt), from the rows kept when they
    // cover it, else read from its file.
    std::optional<HistoryRowValues> RowAt(double seconds, double reach);

    // The rows kept now, and whether a read is under way.
    std::size_t RowsKept();
    bool Reading();

private:
    struct Stretch {
        double from = 0;
        double to = 0;
        std::unique_ptr<HistoryRows> rows;
    };
    void TakeArrived();
    void StopReading();
    bool Covers(const Stretch& stretch, double from, double to) const;

    const HistoryIndex& index_;
    std::function<void()> rowsReady_;
    Stretch kept_;
    std::mutex mutex_;
    Stretch arrived_;    // handed over by the reading thread
    Stretch requested_;  // what the reading thread reads; rows unused
    bool reading_ = false;
    std::atomic<bool> cancel_{false};
    std::thread reader_;
};

}  // namespace qemra
