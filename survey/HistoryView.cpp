#include "survey/HistoryView.h"

#include <algorithm>

namespace qemra {

HistoryView::HistoryView(const HistoryIndex& index, std::function<void()> rowsReady)
    : index_(index), rowsReady_(std::move(rowsReady))
{
}

HistoryView::~HistoryView() { StopReading(); }

void HistoryView::StopReading()
{
    cancel_.store(true, std::memory_order_relaxed);
    if (reader_.joinable())
        reader_.join();
    cancel_.store(false, std::memory_order_relaxed);
    const std::lock_guard lock(mutex_);
    reading_ = false;
}

void HistoryView::TakeArrived()
{
    const std::lock_guard lock(mutex_);
    if (arrived_.rows) {
        kept_ = std::move(arrived_);
        arrived_ = {};
    }
}

bool HistoryView::Covers(const Stretch& stretch, double from, double to) const
{
    return stretch.rows && stretch.from <= from && stretch.to >= to;
}

HistoryView::Points HistoryView::Reduce(double from, double to, int columns)
{
    Points points;
    TakeArrived();
    const std::size_t finest = static_cast<std::size_t>(std::max(1, columns)) * kHistoryBlockRows * kBlocksPerColumn;
    if (index_.Empty() || !(to > from) || index_.RowsBetween(from, to, finest) > finest) {
        points.series = index_.Reduce(from, to, columns);
        return points;
    }
    if (!Covers(kept_, from, to)) {
        const double margin = (to - from) / 2;
        const double wantFrom = from - margin;
        const double wantTo = to + margin;
        bool waiting = false;
        {
            const std::lock_guard lock(mutex_);
            waiting = reading_ && requested_.from <= from && requested_.to >= to;
        }
        if (!waiting) {
            if (index_.RowsBetween(wantFrom, wantTo, kForegroundRows) <= kForegroundRows) {
                kept_ = {wantFrom, wantTo, std::make_unique<HistoryRows>(index_.ReadRows(wantFrom, wantTo))};
            } else {
                // A read of a stretch no longer wanted gives way to this one.
                StopReading();
                {
                    const std::lock_guard lock(mutex_);
                    requested_ = {wantFrom, wantTo, nullptr};
                    reading_ = true;
                }
                reader_ = std::thread([this, wantFrom, wantTo] {
                    auto rows = std::make_unique<HistoryRows>(index_.ReadRows(wantFrom, wantTo, &cancel_));
                    if (cancel_.load(std::memory_order_relaxed))
                        return;
                    {
                        const std::lock_guard lock(mutex_);
                        arrived_ = {wantFrom, wantTo, std::move(rows)};
                        reading_ = false;
                    }
                    if (rowsReady_)
                        rowsReady_();
                });
                waiting = true;
            }
        }
        if (waiting) {
            points.series = index_.Reduce(from, to, columns);
            points.waiting = true;
            return points;
        }
    }
    points.series = kept_.rows->Reduce(from, to, columns);
    points.fromRows = true;
    return points;
}

std::optional<HistoryRowValues> HistoryView::RowAt(double seconds, double reach)
{
    TakeArrived();
    if (kept_.rows && seconds >= kept_.from && seconds <= kept_.to) {
        // With kept rows on both sides of `seconds`, they decide as the file would; nearer the
        // ends of what is kept, a run may go on beyond it.
        const HistoryRows& rows = *kept_.rows;
        const std::size_t after = rows.RowAtOrAfter(seconds);
        if (after > 0 && after < rows.Size()) {
            const std::optional<std::size_t> row = rows.RowAt(seconds, reach);
            if (!row)
                return std::nullopt;
            HistoryRowValues values{rows.SecondsAt(*row), {}};
            for (int s = 0; s < rows.SeriesCount(); ++s)
                values.values.push_back(rows.ValueAt(s, *row));
            return values;
        }
    }
    return index_.RowAt(seconds, reach);
}

std::size_t HistoryView::RowsKept()
{
    TakeArrived();
    return kept_.rows ? kept_.rows->Size() : 0;
}

bool HistoryView::Reading()
{
    const std::lock_guard lock(mutex_);
    return reading_;
}

}  // namespace qemra
