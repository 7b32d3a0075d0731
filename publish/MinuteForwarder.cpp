#include "publish/MinuteForwarder.h"

#include <algorithm>
#include <iterator>

namespace qemra {

namespace {

// During a backlog the state file is written once a second, not once a row: each write is flushed
// to the disk, and a stale time only means a few rows are sent twice.
constexpr std::chrono::seconds kSaveInterval{1};

}  // namespace

MinuteForwarder::MinuteForwarder(QString recordFolder, QString stateFilePath)
    : reader_(std::move(recordFolder)), stateFile_(std::move(stateFilePath))
{
}

void MinuteForwarder::Load(TDateTime now, QString& notice)
{
    acknowledged_ = stateFile_.Load();
    if (acknowledged_ && *acknowledged_ > now) {
        notice = QStringLiteral("%1 names %2, later than the clock; ignored, the rows of the last %3 days are sent")
                     .arg(stateFile_.Path(), IsoLocalTime(*acknowledged_))
                     .arg(MinuteRowReader::kDaysBack);
        acknowledged_.reset();
    }
    saved_ = acknowledged_;
}

void MinuteForwarder::Restart()
{
    pending_.clear();
    inFlight_.clear();
    refused_ = 0;
    drained_ = false;
    handed_ = acknowledged_.value_or(0);
}

void MinuteForwarder::Pump(TDateTime now, const std::function<int(const QByteArray&)>& publish)
{
    drained_ = false;
    while (inFlight_.size() - refused_ < kWindow) {
        if (pending_.empty()) {
            std::vector<MinuteRow> rows = reader_.NextRows(handed_, now);
            if (rows.empty()) {
                drained_ = true;
                return;
            }
            pending_.assign(std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
        }
        const MinuteRow& row = pending_.front();
        if (const std::optional<QByteArray> payload = payloads_.Minute(row)) {
            const int mid = publish(*payload);
            if (mid < 0)
                return;
            inFlight_.push_back({mid, row.Time, false});
        }
        // A row cut short cannot be sent; it is passed over.
        handed_ = row.Time;
        pending_.pop_front();
    }
}

bool MinuteForwarder::Acknowledge(int mid)
{
    const auto row =
        std::find_if(inFlight_.begin(), inFlight_.end(), [mid](const InFlight& f) { return f.mid == mid; });
    if (row == inFlight_.end())
        return false;
    row->acknowledged = true;
    // The state file only ever names a row whose predecessors all arrived.
    while (!inFlight_.empty() && inFlight_.front().acknowledged) {
        acknowledged_ = inFlight_.front().time;
        inFlight_.pop_front();
    }
    return true;
}

bool MinuteForwarder::Refuse(int mid)
{
    const auto row =
        std::find_if(inFlight_.begin(), inFlight_.end(), [mid](const InFlight& f) { return f.mid == mid; });
    if (row == inFlight_.end() || row->refused)
        return false;
    row->refused = true;
    ++refused_;
    return true;
}

bool MinuteForwarder::SaveIfDue(bool force)
{
    if (!acknowledged_ || acknowledged_ == saved_)
        return false;
    const auto now = std::chrono::steady_clock::now();
    if (!force && !Through() && now - savedAt_ < kSaveInterval)
        return false;
    stateFile_.Save(*acknowledged_);
    saved_ = acknowledged_;
    savedAt_ = now;
    return true;
}

}  // namespace qemra
