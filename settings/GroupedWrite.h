#pragma once

#include "link/KeyValue.h"

#include <QCoreApplication>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

namespace qemra {

class PollCycle;
struct TWritePrm;

// One request of the grouped write: its label, the pairs sent (values taken from the parameter
// set at the moment of sending) and how many leading pairs the echo check compares.
struct WriteGroup {
    QString Label;
    std::vector<TKeyValue> Pairs;
    int Verified = 0;
};

inline constexpr int kWriteGroupCount = 7;
// Group g (0 to 6) as it would be sent now.
WriteGroup MakeWriteGroup(int group, const TWritePrm& prm);

// The grouped write's step machine, one step per main-timer tick: odd steps 1..13 send a group,
// the even step after checks its echo; 0 is stopped, 15 completed. Every step leaves a line.
// Polling stays suspended from Start until the sequence completes or the dialog is closed.
class GroupedWrite {
    Q_DECLARE_TR_FUNCTIONS(GroupedWrite)

public:
    using LineSink = std::function<void(const QString&)>;
    static constexpr std::int32_t kCompleted = 15;
    static constexpr std::uint32_t kRetries = 3;
    static const QString kStopped;
    static const QString kFinished;
    static const QString kStillUnlocked;
    static const QString kLinkLost;

    GroupedWrite(PollCycle& poll, const TWritePrm& prm, LineSink addLine);
    ~GroupedWrite();
    GroupedWrite(const GroupedWrite&) = delete;
    GroupedWrite& operator=(const GroupedWrite&) = delete;

    // Called when the sequence completes, before polling resumes.
    std::function<void()> OnCompleted;

    void Reset();  // stopped, inactive
    void Start();  // from "Group-1" with a fresh retry budget
    void Tick();   // one step while active

    // The dialog is closing: true when this write still held the request lists (running, or
    // stopped after a failure), which it then gives up.
    bool ReleaseOnClose();

    std::int32_t Step() const { return step_; }
    bool Active() const { return active_; }
    // Between the first send and the end (completed or stopped): closing now would leave the
    // instrument half written.
    bool Running() const { return active_ && step_ != 0 && step_ != kCompleted; }
    std::uint32_t RetryBudget() const { return retryBudget_; }

private:
    void SendGroup(int group);
    void CheckGroup(int group);
    void Abandoned();
    QString GroupLabelAtStep() const;

    PollCycle& poll_;
    const TWritePrm& prm_;
    LineSink addLine_;
    std::int32_t step_ = 0;
    bool active_ = false;
    std::uint32_t retryBudget_ = kRetries;
    // Group-1 (E91=1, P99=8462) went out and no whole Finish since.
    bool unlockSent_ = false;
};

}  // namespace qemra
