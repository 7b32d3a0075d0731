#pragma once

#include "common/DateTime.h"
#include "publish/AckedMinuteFile.h"
#include "publish/MinuteRows.h"
#include "publish/Payloads.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <deque>
#include <functional>
#include <optional>

namespace qemra {

// The minute rows on their way from the minute record files to the broker: which rows are handed over
// and not yet acknowledged, and the last acknowledged one, kept in the state file. Delivery is at least
// once and in order: after a new connection everything after the last acknowledged row goes out again.
class MinuteForwarder {
public:
    // Rows handed over before their acknowledgements come back: enough to keep a local broker busy
    // through a backlog, few enough that a slow one holds little.
    static constexpr std::size_t kWindow = 32;

    MinuteForwarder(QString recordFolder, QString stateFilePath);

    // Reads the last acknowledged row from the state file. A time later than `now` (a clock set back
    // since) would hold every row back: it is ignored, as if there were no state, and `notice` says so.
    void Load(TDateTime now, QString& notice);
    // A new connection: rows handed over on the last one may be lost.
    void Restart();
    // Hands rows over while the window has room. `publish` takes a payload and gives its message id,
    // or -1 when it was not taken (then the row waits for the next call).
    void Pump(TDateTime now, const std::function<int(const QByteArray&)>& publish);
    // False when the id is not one of the rows.
    bool Acknowledge(int mid);
    // The broker refused the row: it stays unacknowledged, so the state file never names it or a
    // later row on this connection, while the rows after it still go out. False for another id.
    bool Refuse(int mid);
    // Writes the state file when the last acknowledged row has changed and everything found is
    // through, or a second has passed since the last write, or `force`. True when it wrote.
    bool SaveIfDue(bool force);

    std::optional<TDateTime> LastAcknowledged() const { return acknowledged_; }
    // Everything found went out and came back, acknowledged or refused.
    bool Through() const { return inFlight_.size() == refused_ && pending_.empty() && drained_; }

private:
    struct InFlight {
        int mid = -1;
        TDateTime time = 0;
        bool acknowledged = false;
        bool refused = false;
    };

    MinuteRowReader reader_;
    PayloadWriter payloads_;
    AckedMinuteFile stateFile_;
    std::optional<TDateTime> acknowledged_;
    std::optional<TDateTime> saved_;  // what the state file holds
    std::chrono::steady_clock::time_point savedAt_{};
    TDateTime handed_ = 0;           // the last row handed over
    std::deque<MinuteRow> pending_;  // read from the files, not handed over yet
    std::deque<InFlight> inFlight_;
    bool drained_ = false;  // the files held nothing further at the last look
    std::size_t refused_ = 0;  // rows in `inFlight_` the broker refused
};

}  // namespace qemra
