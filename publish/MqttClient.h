#pragma once

#include "publish/PublishSettings.h"

#include <QByteArray>
#include <QString>

#include <functional>

struct mosquitto;
struct mqtt5__property;
using mosquitto_property = struct mqtt5__property;

namespace qemra {

// One MQTT client through libmosquitto, used by one thread only: that thread connects, runs the
// network loop pass by pass and publishes between passes; the handlers run inside the passes.
class MqttClient {
public:
    struct Handlers {
        std::function<void()> connected;         // the broker accepted the connection
        std::function<void(int mid)> published;  // QoS 0 written out, QoS 1 acknowledged
        // The broker answered a QoS 1 message with a reason code of 0x80 or above: not delivered.
        std::function<void(int mid, const QString& reason)> refused;
    };

    MqttClient(PublishSettings settings, Handlers handlers);
    ~MqttClient();
    MqttClient(const MqttClient&) = delete;
    MqttClient& operator=(const MqttClient&) = delete;

    // Credentials, TLS files and the last will (QoS 1, retained). False with the library's reason.
    bool Setup(const QByteArray& willTopic, const QByteArray& willPayload, QString& error);
    // A connection attempt, the first or a new one; waits for the name lookup and the TCP connect.
    // The library's result code: MOSQ_ERR_SUCCESS once the CONNECT is on its way.
    int Connect();
    // One pass of the network loop, waiting up to `milliseconds` for traffic.
    int Loop(int milliseconds);
    // The message id, or -1 when the library did not take the message.
    int Publish(const QByteArray& topic, const QByteArray& payload, int qos, bool retain);
    void Disconnect();
    // Bytes are still waiting for the socket: the broker takes them slower than they come.
    bool Congested() const;
    // Why an attempt failed or a connection ended: the broker's refusal, else the library's text
    // (the system's for a system error) with the library's last error line, such as OpenSSL's.
    QString Reason(int rc, int systemError) const;
    // The attempt was refused only for speaking MQTT 5 to a broker that does not: the client now
    // speaks 3.1.1 and the next attempt may follow at once.
    bool FellBack() const { return fellBack_; }
    // The broker ended the session as another client connected with the same client id.
    bool TakenOver() const { return takenOver_; }
    // MQTT 5 while the broker speaks it, 4 (3.1.1) after a fall back.
    int ProtocolVersion() const { return protocol_; }

private:
    static void OnConnect(mosquitto* client, void* self, int rc, int flags, const mosquitto_property* properties);
    static void OnPublish(mosquitto* client, void* self, int mid, int reasonCode, const mosquitto_property* properties);
    static void OnDisconnect(mosquitto* client, void* self, int reasonCode, const mosquitto_property* properties);
    static void OnLog(mosquitto* client, void* self, int level, const char* text);

    PublishSettings settings_;
    Handlers handlers_;
    mosquitto* client_ = nullptr;
    bool attempted_ = false;    // the first attempt was made: later ones reconnect
    QString refusal_;           // the broker's reason for refusing the present attempt
    QString libraryError_;      // the library's last error line during the present attempt
    QString disconnectReason_;  // the reason code of the broker's DISCONNECT, if it sent one
    int protocol_ = 5;
    bool fellBack_ = false;
    bool takenOver_ = false;
};

}  // namespace qemra
