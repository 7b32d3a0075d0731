#pragma once

#include "acquisition/SharedState.h"
#include "common/DateTime.h"
#include "link/FrameLink.h"
#include "link/KeyValue.h"

#include <cstdint>
#include <functional>

namespace qemra {

class TraceLog;

// The 200 ms tick: polls the instrument group by group, stores answers into CurMes, pushes one
// snapshot per second, and carries the shared write queue (CmdList/AnsList) the writers use.
// The main window owns it; the hooks call into the other windows.
class PollCycle {
public:
    struct Hooks {
        std::function<void()> ShowValues;   // main window refresh, once per new second
        std::function<void()> SecondStep;   // system setting window, once per new second
        std::function<void()> TickStep;     // system setting window, every tick
        std::function<void()> CheckSecond;  // monitor window, every tick
    };

    PollCycle(SharedState& state, FrameLink& link, const Clock& clock, TraceLog& traceLog);

    TKeyValueList CmdList{};
    TKeyValueList AnsList{};
    bool AnsReady = false;
    bool Acquiring = true;
    std::int32_t WarmupCount = 0;
    std::uint8_t PollPhase = 0;
    std::int32_t LastSecond = 0;
    // How many pairs of CmdList the last write request carried; a writer whose pairs did not all
    // fit in one frame must not take the echo of the rest as verified.
    int SentPairCount = 0;
    Hooks hooks;

    void MainTimerTimer();
    void PollStep();
    void SendReadRequest();
    void SendWriteRequest();
    // The leading pairs of CmdList that hold a key and a value: what a write request tries to send.
    int PendingPairCount() const;
    // Whether every pending pair fits in one write request and is a number the instrument can take.
    bool WriteRequestFits() const;
    bool LinkConnected() const { return link_.Connected(); }
    void ClearCmdList();
    void ClearAnsList();
    bool VerifyWriteEcho(int n);
    void OnFrameReceived();

    // The port has just been opened: answers from before do not count, and every poll group has to
    // answer afresh before a second is taken into the history or the records.
    void PortOpened();
    // Every poll group has answered since the port opened, so the record holds no value from
    // before the first answers.
    bool AllGroupsAnswered() const { return answeredGroups_ == kAllGroups; }

    // The writers (setpoint dialog, grouped write, calibration) share CmdList and AnsList. A writer
    // claims the lists before each send; when another writer still holds them, that writer's
    // `abandon` runs first so it stops waiting for an echo that will never be its own.
    // Releasing is done when a write has ended (verified or given up).
    using WriterAbandon = std::function<void()>;
    void ClaimWriteQueue(const void* writer, WriterAbandon abandon);
    void ReleaseWriteQueue(const void* writer);
    bool HoldsWriteQueue(const void* writer) const { return writer_ == writer && writer != nullptr; }
    bool WriteQueueHeld() const { return writer_ != nullptr; }

private:
    // Which answer the outstanding request waits for; the other kind is a late answer to an
    // earlier request and must not stand in for this one's.
    enum class Awaiting { Nothing, ReadAnswer, WriteAnswer };
    static constexpr unsigned kAllGroups = 0x3F;

    SharedState& state_;
    FrameLink& link_;
    const Clock& clock_;
    TraceLog& traceLog_;
    const void* writer_ = nullptr;
    WriterAbandon abandonWriter_;
    Awaiting awaiting_ = Awaiting::Nothing;
    int requestedGroup_ = -1;  // the poll group of the outstanding read request, -1 for none
    unsigned answeredGroups_ = 0;
};

}  // namespace qemra
