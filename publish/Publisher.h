#pragma once

#include "acquisition/Records.h"
#include "common/DateTime.h"
#include "publish/AckedMinuteFile.h"
#include "publish/MinuteRows.h"
#include "publish/MqttConnection.h"
#include "publish/PublishSettings.h"

#include <QObject>
#include <QString>
#include <QThreadPool>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace qemra {

// Where the publisher's one-line events go (the program's log, standard error when headless).
using LogSink = std::function<void(const QString& line)>;

// Publishes what the station measures to an MQTT broker:
//   PREFIX/status  "online" when connected, "offline" at Stop() and as the last will (QoS 1, retained)
//   PREFIX/live    the main values of each second (QoS 0)
//   PREFIX/minute  each minute row of the minute record files (QoS 1)
// The minute record files are the buffer: the time of the last row the broker acknowledged is kept in
// the state file, and at start and at every reconnect every later row (up to seven days back) goes
// out in order before the new ones. Lives on the event-loop thread and never waits on the network.
class Publisher : public QObject {
    Q_OBJECT

public:
    // `recordFolder` holds the minute record files ("Record" beside the settings files);
    // `stateFilePath` is AckedMinuteFile::BesidePublishIni("…/Publish.ini").
    Publisher(PublishSettings settings, QString recordFolder, QString stateFilePath, const Clock& clock, LogSink log,
              QObject* parent = nullptr);
    // The same with other pauses between connection attempts.
    Publisher(PublishSettings settings, QString recordFolder, QString stateFilePath, const Clock& clock, LogSink log,
              ReconnectBackoff backoff, QObject* parent = nullptr);
    ~Publisher() override;

    // Connects in the background; does nothing while publishing is off (no host).
    void Start();
    // Once per second with new values while polling; dropped while there is no connection.
    void PublishLive(const TMesData& values, TDateTime now);
    // A minute row was appended: sends what is new in the minute record files.
    void MinuteRowWritten();
    // Clean end: the retained "offline" (waiting a little for the broker's acknowledgement), then
    // the connection and its thread. Start() may follow.
    void Stop();

    // One line for the user: "MQTT: 接続中 host:port", "MQTT: 再接続待ち (reason)", ...
    QString StateText() const { return stateText_; }
    bool Connected() const { return connected_; }
    // A connection thread exists (false while publishing is off or stopped).
    bool Running() const { return connection_ != nullptr; }
    // The time of the last minute row the broker acknowledged, if any.
    std::optional<TDateTime> AcknowledgedRow() const { return acknowledged_; }

signals:
    void StateChanged(const QString& text);

private:
    // A minute row handed to the library and not yet acknowledged.
    struct InFlight {
        int mid = -1;
        TDateTime time = 0;
        bool acknowledged = false;
    };

    void OnConnected();
    void OnFailed(const QString& reason);
    void OnPublished(int mid);
    void Pump();
    void SetState(const QString& text);
    void Log(const QString& text);
    void SaveSoon();
    void SaveNow();
    QByteArray Topic(const char* name) const;
    // Runs `handler` only if it belongs to the present connection: calls queued by one that has
    // been stopped may still arrive.
    template <typename Handler>
    auto Current(Handler handler);

    PublishSettings settings_;
    const Clock& clock_;
    LogSink log_;
    ReconnectBackoff backoff_;
    MinuteRowReader reader_;
    std::unique_ptr<MqttConnection> connection_;
    int generation_ = 0;  // counts the connections started
    bool connected_ = false;
    QString stateText_;
    QString lastReason_;  // the failure last logged, so a retry failing alike logs nothing

    std::optional<TDateTime> acknowledged_;  // the state file's time
    TDateTime handed_ = 0;                   // the last minute row handed to the library
    std::deque<MinuteRow> pending_;          // rows read from the files, not handed over yet
    std::deque<InFlight> inFlight_;
    std::deque<int> liveMids_;  // live messages handed over and not yet written out

    // The state file is written on a thread of its own, at most once a second: a flush to the disk
    // can take longer than a poll tick.
    AckedMinuteFile stateFile_;
    QTimer saveTimer_;
    std::optional<TDateTime> saved_;  // what the state file holds
    std::mutex saveMutex_;
    std::optional<TDateTime> toSave_;  // guarded by saveMutex_
    QThreadPool saver_;                // last, so it has finished before the members its work uses go
};

}  // namespace qemra
