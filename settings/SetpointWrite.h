#pragma once

#include <QCoreApplication>
#include <QString>
#include <cstdint>
#include <functional>

namespace qemra {

class PollCycle;

// The four operating values the setpoint dialog last read from its controls and sends.
struct OperationSetpoint {
    std::uint8_t MesMode = 0;   // "H50": item index of the measurement mode
    std::uint8_t CaseMode = 0;  // "H82": item index of the case mode
    float clo = 0;              // "H51"
    float METs = 0;             // "H52"
};

// The setpoint dialog's write: one request of four pairs, checked by the dialog's 500 ms timer,
// sent again after a mismatch and, while the retry budget lasts, after a missing answer.
// Polling is suspended from the start of a write until it is verified or given up.
class SetpointWrite {
    Q_DECLARE_TR_FUNCTIONS(SetpointWrite)

public:
    using LineSink = std::function<void(const QString&)>;
    static constexpr std::uint32_t kRetries = 3;
    static const QString kInterrupted;
    static const QString kLinkLost;

    SetpointWrite(PollCycle& poll, LineSink addLine);
    ~SetpointWrite();
    SetpointWrite(const SetpointWrite&) = delete;
    SetpointWrite& operator=(const SetpointWrite&) = delete;

    // Suspends polling, sends the values and starts waiting with a fresh retry budget.
    void Start(const OperationSetpoint& values);
    // One check of the pending write; nothing when none is pending.
    void Check();
    // Forgets a pending write without a line (the dialog is being opened again).
    void Reset();

    bool Pending() const { return pending_; }
    std::uint32_t RetryBudget() const { return retryBudget_; }
    const OperationSetpoint& Values() const { return values_; }

private:
    void Send();
    void End();
    void Abandoned();

    PollCycle& poll_;
    LineSink addLine_;
    OperationSetpoint values_;
    bool pending_ = false;
    std::uint32_t retryBudget_ = kRetries;
};

// The value texts the setpoint dialog sends and shows: "%1.2f" with ".".
QString SetpointValueText(float value);

}  // namespace qemra
