#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <mutex>
#include <vector>

struct mosquitto;

// A test's own MQTT client that subscribes to a topic filter and keeps every message it receives.
class Subscriber {
public:
    struct Message {
        QString topic;
        QByteArray payload;
        bool retained = false;
    };

    struct Options {
        QString username, password;
        // A persistent session: the broker keeps the subscription and queues messages for it while
        // the connection is down, also across its own restart.
        QString sessionId;
    };

    // Connects to the loopback broker and subscribes at QoS 1; Ready() tells whether both worked.
    // The connection comes back by itself after the broker was away.
    Subscriber(int port, const QString& filter, const Options& options = {});
    ~Subscriber();
    Subscriber(const Subscriber&) = delete;
    Subscriber& operator=(const Subscriber&) = delete;

    bool Ready() const { return ready_; }
    std::vector<Message> Messages() const;
    // The payloads received on one topic, in order.
    std::vector<QByteArray> Payloads(const QString& topic) const;

private:
    static void OnMessage(mosquitto*, void* self, const struct mosquitto_message* message);
    static void OnSubscribe(mosquitto*, void* self, int, int, const int*);

    mosquitto* client_ = nullptr;
    bool ready_ = false;
    mutable std::mutex mutex_;
    std::vector<Message> messages_;
    bool subscribed_ = false;
};
