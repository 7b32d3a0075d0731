#include "publish/MqttClient.h"

#include <QFile>

#include <mosquitto.h>

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
    int rc = mosquitto_int_option(client_, MOSQ_OPT_SEND_MAXIMUM, kLibraryInflight);
    if (rc == MOSQ_ERR_SUCCESS && !settings_.Username.isEmpty())
        rc = mosquitto_username_pw_set(client_, settings_.Username.toUtf8().constData(),
                                       OrNull(settings_.Password.toUtf8()));
    if (rc == MOSQ_ERR_SUCCESS && settings_.Tls())
        rc = mosquitto_tls_set(client_, QFile::encodeName(settings_.CaFile).constData(), nullptr,
                               OrNull(QFile::encodeName(settings_.CertFile)),
                               OrNull(QFile::encodeName(settings_.KeyFile)), nullptr);
    if (rc == MOSQ_ERR_SUCCESS)
        rc = mosquitto_will_set(client_, willTopic.constData(), static_cast<int>(willPayload.size()),
                                willPayload.constData(), 1, true);
    if (rc != MOSQ_ERR_SUCCESS) {
        error = QString::fromUtf8(mosquitto_strerror(rc));
        return false;
    }
    mosquitto_connect_callback_set(client_, &MqttClient::OnConnect);
    mosquitto_publish_callback_set(client_, &MqttClient::OnPublish);
    return true;
}

int MqttClient::Connect()
{
    refusal_.clear();
    libraryError_.clear();
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
    QString reason = rc == MOSQ_ERR_ERRNO ? qt_error_string(systemError) : QString::fromUtf8(mosquitto_strerror(rc));
    if (!libraryError_.isEmpty())
        reason += QStringLiteral(" (") + libraryError_ + u')';
    return reason;
}

void MqttClient::OnConnect(mosquitto* client, void* self, int rc)
{
    auto& that = *static_cast<MqttClient*>(self);
    if (rc != 0) {
        that.refusal_ = QString::fromUtf8(mosquitto_connack_string(rc));
        return;
    }
    mosquitto_log_callback_set(client, nullptr);
    if (that.handlers_.connected)
        that.handlers_.connected();
}

void MqttClient::OnPublish(mosquitto*, void* self, int mid)
{
    auto& that = *static_cast<MqttClient*>(self);
    if (that.handlers_.published)
        that.handlers_.published(mid);
}

void MqttClient::OnLog(mosquitto*, void* self, int level, const char* text)
{
    if (level == MOSQ_LOG_ERR)
        static_cast<MqttClient*>(self)->libraryError_ = QString::fromUtf8(text);
}

}  // namespace qemra
