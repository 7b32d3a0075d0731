#pragma once

#include "acquisition/PollCycle.h"
#include "acquisition/SharedState.h"
#include "acquisition/TraceLog.h"
#include "link/SerialLink.h"
#include "recording/MonitorList.h"
#include "recording/RecordFiles.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

namespace qemra {

class Clock;
class Prompts;

// The acquisition core: the shared records, the link to the instrument, the 200 ms poll cycle with
// its timer, the trace log and the daily record files with their minute statistics. It runs with
// or without windows; the windows and the calibration attach through the hooks, which run in the
// fixed order of a tick: the poll step, then on a new second while polling ShowValues and
// SecondStep, then TickStep, then on a new wall-clock second ShowSecond, the record rows and
// Recorded.
class AcquisitionCore : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        std::function<void()> ShowValues;  // main window, once per new second while polling
        std::function<void()> SecondStep;  // calibration statistics, once per new second while polling
        std::function<void()> TickStep;    // grouped write and calibration checks, every tick
        std::function<void()> ShowSecond;  // monitor list, once per new second, before the rows
        std::function<void()> Recorded;    // once per new second, after the rows
    };

    static constexpr int kTimerMs = 200;

    // Creates the records and the link, loads "Port0.ini" (an unreadable one is reported through
    // `prompts`) and the recording setting, and switches acquisition on; the port stays closed and
    // the timer stopped until Connect and Start.
    AcquisitionCore(const Clock& clock, Prompts& prompts, QString baseFolder);
    ~AcquisitionCore() override;
    AcquisitionCore(const AcquisitionCore&) = delete;
    AcquisitionCore& operator=(const AcquisitionCore&) = delete;

    Hooks hooks;

    SharedState& State() { return *state_; }
    SerialLink& Link() { return *link_; }
    PollCycle& Poll() { return *poll_; }
    TraceLog& Trace() { return *trace_; }
    RecordFiles& Records() { return *records_; }
    QTimer& MainTimer() { return timer_; }
    const QString& BaseFolder() const { return baseFolder_; }
    // "BaseSetpoint.ini": the parameter set and the recording setting.
    QString SettingsPath() const;

    // Starts the 200 ms timer.
    void Start();
    // One tick of the timer.
    void Tick();
    // Reloads the port settings and opens the port; false (port closed) when either fails, with
    // the port's error text in ErrorText().
    bool Connect();
    QString ErrorText() const { return errorText_; }

private:
    void CheckSecond();

    const Clock& clock_;
    QString baseFolder_;
    std::unique_ptr<SharedState> state_;
    std::unique_ptr<SerialLink> link_;
    std::unique_ptr<TraceLog> trace_;
    std::unique_ptr<PollCycle> poll_;
    std::unique_ptr<RecordFiles> records_;
    SecondTicker recordTicker_;
    QTimer timer_;
    QString errorText_;
};

}  // namespace qemra
