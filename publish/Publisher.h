#pragma once

#include "acquisition/Records.h"
#include "common/DateTime.h"
#include "publish/PublishSettings.h"
#include "publish/PublishWorker.h"

#include <QObject>
#include <QSet>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <thread>

namespace qemra {

// Where the publisher's one-line events go (the program's log, standard error when headless).
using LogSink = std::function<void(const QString& line)>;

// Publishes what the station measures to an MQTT broker:
//   PREFIX/status  "online" when connected, "offline" at Stop() and as the last will (QoS 1, retained)
//   PREFIX/live    the main values of each second (QoS 0)
//   PREFIX/minute  each minute row of the minute record files (QoS 1)
// The minute record files are the buffer: the time of the last row the broker acknowledged is kept in
// the state file, and at start and at every reconnect every later row (up to seven days back) goes
// out in order before the new ones.
//
// Lives on the event-loop thread; the network, the record files and the state file are worked on a
// thread of its own, so no call here waits on anything but a lock (Stop() excepted, within bounds).
class Publisher : public QObject {
    Q_OBJECT

public:
    // `recordFolder` holds the minute record files (RecordFiles::RecordFolder()); `stateFilePath` is
    // AckedMinuteFile::BesidePublishIni(path of "Publish.ini").
    Publisher(PublishSettings settings, QString recordFolder, QString stateFilePath, const Clock& clock, LogSink log,
              QObject* parent = nullptr);
    // The same with other pauses between connection attempts.
    Publisher(PublishSettings settings, QString recordFolder, QString stateFilePath, const Clock& clock, LogSink log,
              ReconnectBackoff backoff, QObject* parent = nullptr);
    ~Publisher() override;

    // Connects in the background; does nothing while publishing is off (no host).
    void Start();
    // Once per second with new values while polling; goes out within a tenth of a second while
    // connected and no rows from before the connection wait, and is dropped otherwise.
    void PublishLive(const TMesData& values, TDateTime now);
    // What the instrument says of itself (DeviceOf(values)), each second while polling; with
    // discovery on, a change sends the discovery messages again.
    void SetDevice(const DeviceInfo& device);
    // A minute row was appended: what is new in the minute record files goes out.
    void MinuteRowWritten();
    // Clean end: the retained "offline" (waiting up to two seconds for the broker's acknowledgement),
    // then the connection and its thread. Start() may follow.
    void Stop();

    // One line for the user: "MQTT: 接続中 host:port", "MQTT: 再接続待ち (reason)", "MQTT: 停止", ...
    QString StateText() const { return stateText_; }
    bool Connected() const { return connected_; }
    // The publishing thread exists (false while publishing is off or stopped).
    bool Running() const { return worker_ != nullptr; }
    // The last minute row the broker acknowledged, as the state file names it since Start().
    std::optional<TDateTime> AcknowledgedRow() const { return acknowledged_; }

signals:
    void StateChanged(const QString& text);

private:
    void OnConnected();
    void OnFailed(const QString& reason);
    void OnAcknowledged(TDateTime row);
    void OnRefused(const QString& reason);
    void SetState(const QString& text);
    void Log(const QString& text);
    // Runs `handler` only while the thread that reported it is the present one: calls queued by
    // a stopped one may still arrive.
    template <typename Handler>
    auto Current(Handler handler);

    const PublishSettings settings_;
    const QString recordFolder_;
    const QString stateFilePath_;
    const Clock& clock_;
    const LogSink log_;
    const ReconnectBackoff backoff_;
    std::shared_ptr<PublishWorker> worker_;  // shared with its thread, which may outlive a Stop()
    std::thread thread_;
    int generation_ = 0;  // counts the threads started
    bool connected_ = false;
    QString stateText_;
    QString lastReason_;  // the failure last logged, so a retry failing alike logs nothing
    std::optional<TDateTime> acknowledged_;
    QSet<QString> refusals_;  // the refusals already logged since Start()
    bool problemSaid_ = false;  // settings that cannot be used are said once
    DeviceInfo device_;
};

}  // namespace qemra
