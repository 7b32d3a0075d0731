#include "publish/MqttClient.h"

#include <QFile>

#include <mosquitto.h>
#include <mqtt_protocol.h>

#include <cerrno>
#include <mutex>

namespace qemra {

namespace {

// QoS 1 messages the library sends before it waits for acknowledgements.
constexpr int kLibraryInflight = 64;

void InitialiseLibraryOnce()
{
    // The library's set-up is process-wide and never undone: other clients may be using it.
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

const char* OrNull(const QByteArray& bytes) { return bytes.isEmpty() ? nullptr : bytes.constData(); }

}  // namespace

MqttClient::MqttClient(PublishSettings settings, Handlers handlers)
    : settings_(std::move(settings)), handlers_(std::move(handlers))
{
}

MqttClient::~MqttClient()
{
    if (client_)
        mosquitto_destroy(client_);
}

bool MqttClient::Setup(const QByteArray& willTopic, const QByteArray& willPayload, QString& error)
{
    // The library only says "invalid arguments" for a TLS file it cannot read.
    if (settings_.Tls()) {
        if (settings_.CertFile.isEmpty() != settings_.KeyFile.isEmpty()) {
            error = QStringLiteral("CertFile and KeyFile go together");
            return false;
        }
        for (const QString& path : {settings_.CaFile, settings_.CertFile, settings_.KeyFile}) {
            QFile file(path);
            if (!path.isEmpty() && !file.open(QIODevice::ReadOnly)) {
                error = path + QStringLiteral(": ") + file.errorString();
                return false;
            }
        }
    }
    InitialiseLibraryOnce();
    client_ = mosquitto_new(settings_.ClientId.toUtf8().constData(), true, this);
    if (!client_) {
        error = qt_error_string(errno);
        return false;
    }
    // MQTT 5, so a refused publish and a session taken over are seen; 3.1.1 brokers get a fall back.
    int rc = mosquitto_int_option(client_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V5);
    if (rc == MOSQ_ERR_SUCCESS)
        rc = mosquitto_int_option(client_, MOSQ_OPT_SEND_MAXIMUM, kLibraryInflight);
    if (rc == MOSQ_ERR_SUCCESS && !settings_.Username.isEmpty())
        rc = mosquitto_username_pw_set(client_, settings_.Username.toUtf8().constData(),
                                       OrNull(settings_.Password.toUtf8()));
    // Without a CA file of its own the system's CA store verifies the broker.
    if (rc == MOSQ_ERR_SUCCESS && settings_.Tls() && settings_.CaFile.isEmpty())
        rc = mosquitto_int_option(client_, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
    if (rc == MOSQ_ERR_SUCCESS && settings_.Tls())
        rc = mosquitto_tls_set(client_, OrNull(QFile::encodeName(settings_.CaFile)), nullptr,
                               OrNull(QFile::encodeName(settings_.CertFile)),
                               OrNull(QFile::encodeName(settings_.KeyFile)), nullptr);
    if (rc == MOSQ_ERR_SUCCESS)
        rc = mosquitto_will_set(client_, willTopic.constData(), static_cast<int>(willPayload.size()),
                                willPayload.constData(), 1, true);
    if (rc != MOSQ_ERR_SUCCESS) {
        error = QString::fromUtf8(mosquitto_strerror(rc));
        return false;
    }
    mosquitto_connect_v5_callback_set(client_, &MqttClient::OnConnect);
    mosquitto_publish_v5_callback_set(client_, &MqttClient::OnPublish);
    mosquitto_disconnect_v5_callback_set(client_, &MqttClient::OnDisconnect);
    return true;
}

int MqttClient::Connect()
{
    refusal_.clear();
    libraryError_.clear();
    disconnectReason_.clear();
    fellBack_ = false;
    takenOver_ = false;
    // The library's own lines only explain a failed attempt; each costs a formatted text.
    mosquitto_log_callback_set(client_, &MqttClient::OnLog);
    if (!attempted_) {
        attempted_ = true;
        return mosquitto_connect(client_, settings_.Host.toUtf8().constData(), settings_.Port, settings_.KeepAlive);
    }
    return mosquitto_reconnect(client_);
}

int MqttClient::Loop(int milliseconds) { return mosquitto_loop(client_, milliseconds, 1); }

int MqttClient::Publish(const QByteArray& topic, const QByteArray& payload, int qos, bool retain)
{
    int mid = -1;
    const int rc = mosquitto_publish(client_, &mid, topic.constData(), static_cast<int>(payload.size()),
                                     payload.constData(), qos, retain);
    return rc == MOSQ_ERR_SUCCESS ? mid : -1;
}

void MqttClient::Disconnect() { mosquitto_disconnect(client_); }

bool MqttClient::Congested() const { return mosquitto_want_write(client_); }

QString MqttClient::Reason(int rc, int systemError) const
{
    if (!refusal_.isEmpty())
        return refusal_;
    if (!disconnectReason_.isEmpty())
        return disconnectReason_;
    QString reason = rc == MOSQ_ERR_ERRNO ? qt_error_string(systemError) : QString::fromUtf8(mosquitto_strerror(rc));
    if (!libraryError_.isEmpty())
        reason += QStringLiteral(" (") + libraryError_ + u')';
    return reason;
}

void MqttClient::OnConnect(mosquitto* client, void* self, int rc, int, const mosquitto_property*)
{
    auto& that = *static_cast<MqttClient*>(self);
    if (rc != 0) {
        if (that.protocol_ == MQTT_PROTOCOL_V5 &&
            (rc == MQTT_RC_UNSUPPORTED_PROTOCOL_VERSION || rc == CONNACK_REFUSED_PROTOCOL_VERSION) &&
            mosquitto_int_option(client, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311) == MOSQ_ERR_SUCCESS) {
            that.protocol_ = MQTT_PROTOCOL_V311;
            that.fellBack_ = true;
        }
        // Under MQTT 5 the code is a reason code; under 3.1.1 a CONNACK return code.
        that.refusal_ =
            QString::fromUtf8(that.protocol_ == MQTT_PROTOCOL_V5 && !that.fellBack_ ? mosquitto_reason_string(rc)
                                                                                    : mosquitto_connack_string(rc));
        return;
    }
    mosquitto_log_callback_set(client, nullptr);
    if (that.handlers_.connected)
        that.handlers_.connected();
}

void MqttClient::OnPublish(mosquitto*, void* self, int mid, int reasonCode, const mosquitto_property*)
{
    auto& that = *static_cast<MqttClient*>(self);
    if (reasonCode >= 0x80) {
        if (that.handlers_.refused)
            that.handlers_.refused(mid, QString::fromUtf8(mosquitto_reason_string(reasonCode)));
        return;
    }
    if (that.handlers_.published)
        that.handlers_.published(mid);
}

void MqttClient::OnDisconnect(mosquitto*, void* self, int reasonCode, const mosquitto_property*)
{
    auto& that = *static_cast<MqttClient*>(self);
    // Only a DISCONNECT from the broker carries a reason code here; lost connections give library
    // error codes, which Reason() explains from the loop's result.
    if (that.protocol_ != MQTT_PROTOCOL_V5 || reasonCode < 0x80)
        return;
    that.takenOver_ = reasonCode == MQTT_RC_SESSION_TAKEN_OVER;
    that.disconnectReason_ =
        that.takenOver_
            ? QStringLiteral("another client connected with the ClientId %1 and took the session over")
                  .arg(that.settings_.ClientId)
            : QStringLiteral("the broker ended the session: ") + QString::fromUtf8(mosquitto_reason_string(reasonCode));
}

void MqttClient::OnLog(mosquitto*, void* self, int level, const char* text)
{
    if (level == MOSQ_LOG_ERR)
        static_cast<MqttClient*>(self)->libraryError_ = QString::fromUtf8(text);
}

}  // namespace qemra
