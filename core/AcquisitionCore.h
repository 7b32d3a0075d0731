#pragma once

#include "acquisition/PollCycle.h"
#include "acquisition/SharedState.h"
#include "acquisition/TraceLog.h"
#include "link/SerialLink.h"
#include "publish/Publisher.h"
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

    // Starts the 200 ms timer, and publishing when "Publish.ini" names a broker.
    void Start();
    // One tick of the timer.
    void Tick();
    // Reloads the port settings and opens the port; false (port closed) when either fails, with
    // the port's error text in ErrorText().
    bool Connect();
    QString ErrorText() const { return errorText_; }

    // Reopen the port every 2 s after it failed, whatever "Port0.ini" says (the headless recorder);
    // otherwise only while its "AutoReconnect" is on.
    void SetAlwaysReconnect(bool on) { alwaysReconnect_ = on; }
    // Starts reopening the port now (a start whose first connect failed).
    void ReconnectLater();
    bool Reconnecting() const { return reconnectTimer_.isActive(); }
    // The user closed the port: no more reopening until asked again.
    void StopReconnecting();
    static constexpr int kReconnectMs = 2000;

    // Publishing to the broker "Publish.ini" names; null when it names none.
    Publisher* Publishing() { return publisher_.get(); }
    // Ends publishing cleanly (a retained "offline"); the destructor does it too.
    void StopPublishing();

signals:
    // One line per event worth a log: port opened, lost and back, day files started, the broker.
    void Event(const QString& line);
    // Rows stopped reaching a record file (`failing`, with the file and the reason) or reach it
    // again; once per change, not once per row.
    void RecordWriteChanged(bool failing, const QString& path, const QString& reason);
    // The port is closed and reopened every 2 s (true) or no longer (false).
    void WaitingForPort(bool waiting);

private:
    void CheckSecond();
    void PortLost();
    void TryReconnect();
    void AnnounceNewDayFiles(bool before);

    const Clock& clock_;
    QString baseFolder_;
    std::unique_ptr<SharedState> state_;
    std::unique_ptr<SerialLink> link_;
    std::unique_ptr<TraceLog> trace_;
    std::unique_ptr<PollCycle> poll_;
    std::unique_ptr<RecordFiles> records_;
    std::unique_ptr<Publisher> publisher_;
    SecondTicker recordTicker_;
    QTimer timer_;
    QTimer reconnectTimer_;
    bool alwaysReconnect_ = false;
    // Seconds after a reopening in which no row is written: the values of every poll group come
    // in afresh first, so no row carries values from before the port went away.
    int freshSeconds_ = 0;
    bool dayFilesExisted_[2] = {true, true};
    QString errorText_;
};

}  // namespace qemra
