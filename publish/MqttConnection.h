#pragma once

#include "publish/PublishSettings.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

namespace qemra {

// The pause before the next connection attempt: `first` after the first failure, doubled after each
// further one up to `last`, and `first` again once a connection was accepted.
struct ReconnectBackoff {
    std::chrono::milliseconds first{1000};
    std::chrono::milliseconds last{60000};
};

// One client connection to the broker through libmosquitto. Connecting, reading, writing, pings and
// reconnecting run on a thread of its own, so no call here waits on the network; what happens there
// reaches `context`'s thread as queued calls, never after Stop().
//
// The thread runs its own loop rather than the library's: the library's loop gives up for good after
// a TLS or name-lookup failure, where a station left alone for days must keep trying.
class MqttConnection {
public:
    struct Events {
        std::function<void()> connected;                    // the broker accepted the connection
        std::function<void(const QString& reason)> failed;  // an attempt failed or the connection ended
        std::function<void(int mid)> published;             // QoS 0 written out, QoS 1 acknowledged
    };
    struct Will {
        QByteArray topic;
        QByteArray payload;
    };

    MqttConnection(PublishSettings settings, Will will, QObject* context, Events events,
                   ReconnectBackoff backoff = ReconnectBackoff());
    ~MqttConnection();
    MqttConnection(const MqttConnection&) = delete;
    MqttConnection& operator=(const MqttConnection&) = delete;

    // Sets the client up (credentials, TLS files, last will) and starts the thread. False with the
    // library's reason when it cannot be set up; nothing runs then.
    bool Start(QString& error);
    // Hands a message over for sending; its id, or -1 when the library did not take it.
    int Publish(const QByteArray& topic, const QByteArray& payload, int qos, bool retain);
    // A QoS 1 message, waiting up to `bound` for the broker's acknowledgement.
    bool PublishAcknowledged(const QByteArray& topic, const QByteArray& payload, bool retain,
                             std::chrono::milliseconds bound);
    // Ends the connection with a DISCONNECT and ends the thread, waiting at most `bound`; a thread
    // still held up in a name lookup or connect is left to end by itself.
    void Stop(std::chrono::milliseconds bound);
    bool Running() const { return thread_.joinable(); }

private:
    struct Shared;
    static void Run(std::shared_ptr<Shared> shared);

    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

}  // namespace qemra
