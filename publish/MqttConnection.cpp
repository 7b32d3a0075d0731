#include "publish/MqttConnection.h"

#include <QFile>
#include <QMetaObject>

#include <mosquitto.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace qemra {

namespace {

// How long one pass of the network loop waits for traffic; a publish or a stop wakes it earlier.
constexpr int kLoopWaitMs = 1000;
// Passes of the loop that may send the DISCONNECT at the end, and how long each waits.
constexpr int kGoodbyePasses = 3;
constexpr int kGoodbyeWaitMs = 100;
// QoS 1 messages the library sends before it waits for acknowledgements.
constexpr unsigned kLibraryInflight = 64;

void InitialiseLibraryOnce()
{
    // The library's set-up is process-wide and is never undone: other clients may be using it.
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

const char* CStringOrNull(const QByteArray& bytes) { return bytes.isEmpty() ? nullptr : bytes.constData(); }

}  // namespace

struct MqttConnection::Shared {
    PublishSettings settings;
    Will will;
    Events events;
    ReconnectBackoff backoff;
    mosquitto* client = nullptr;

    std::mutex mutex;
    std::condition_variable wake;
    // Guarded by `mutex`.
    QObject* context = nullptr;  // null once the owner stopped listening
    bool stopping = false;
    bool finished = false;
    bool watching = false;
    std::vector<int> acknowledged;  // while watching: ids of the messages the broker acknowledged
    QString lastLibraryError;       // the library's last error line during a connection attempt

    // Only the thread touches these.
    bool accepted = false;  // the broker accepted the present connection
    QString refusal;        // why the broker refused it

    ~Shared()
    {
        if (client)
            mosquitto_destroy(client);
    }

    bool Stopping()
    {
        const std::lock_guard lock(mutex);
        return stopping;
    }

    template <typename Call>
    void Post(Call&& call)
    {
        const std::lock_guard lock(mutex);
        if (context)
            QMetaObject::invokeMethod(context, std::forward<Call>(call), Qt::QueuedConnection);
    }

    QString Reason(int rc, int error)
    {
        if (!refusal.isEmpty())
            return refusal;
        QString reason = rc == MOSQ_ERR_ERRNO ? qt_error_string(error) : QString::fromUtf8(mosquitto_strerror(rc));
        const std::lock_guard lock(mutex);
        if (!lastLibraryError.isEmpty())
            reason += QStringLiteral(" (") + lastLibraryError + u')';
        return reason;
    }

    static Shared& Of(void* userdata) { return *static_cast<Shared*>(userdata); }

    static void OnConnect(mosquitto* client, void* userdata, int rc)
    {
        Shared& shared = Of(userdata);
        if (rc != 0) {
            shared.refusal = QString::fromUtf8(mosquitto_connack_string(rc));
            return;
        }
        shared.accepted = true;
        // The library's own lines are wanted only to explain a failed attempt; each would cost a
        // formatted text on every publish.
        mosquitto_log_callback_set(client, nullptr);
        shared.Post([call = shared.events.connected] {
            if (call)
                call();
        });
    }

    static void OnPublish(mosquitto*, void* userdata, int mid)
    {
        Shared& shared = Of(userdata);
        {
            const std::lock_guard lock(shared.mutex);
            if (shared.watching) {
                shared.acknowledged.push_back(mid);
                shared.wake.notify_all();
            }
        }
        shared.Post([call = shared.events.published, mid] {
            if (call)
                call(mid);
        });
    }

    static void OnLog(mosquitto*, void* userdata, int level, const char* text)
    {
        if (level != MOSQ_LOG_ERR)
            return;
        Shared& shared = Of(userdata);
        const std::lock_guard lock(shared.mutex);
        shared.lastLibraryError = QString::fromUtf8(text);
    }
};

MqttConnection::MqttConnection(PublishSettings settings, Will will, QObject* context, Events events,
                               ReconnectBackoff backoff)
    : shared_(std::make_shared<Shared>())
{
    shared_->settings = std::move(settings);
    shared_->will = std::move(will);
    shared_->events = std::move(events);
    shared_->backoff = backoff;
    shared_->context = context;
}

MqttConnection::~MqttConnection() { Stop(std::chrono::milliseconds(2000)); }

bool MqttConnection::Start(QString& error)
{
    if (Running())
        return true;
    InitialiseLibraryOnce();
    const PublishSettings& settings = shared_->settings;
    mosquitto* client = mosquitto_new(settings.ClientId.toUtf8().constData(), true, shared_.get());
    if (!client) {
        error = qt_error_string(errno);
        return false;
    }
    shared_->client = client;
    // Another thread runs the network loop: the library must not write to the socket from ours.
    int rc = mosquitto_threaded_set(client, true);
    if (rc == MOSQ_ERR_SUCCESS)
        rc = mosquitto_int_option(client, MOSQ_OPT_SEND_MAXIMUM, kLibraryInflight);
    if (rc == MOSQ_ERR_SUCCESS && !settings.Username.isEmpty())
        rc = mosquitto_username_pw_set(client, settings.Username.toUtf8().constData(),
                                       CStringOrNull(settings.Password.toUtf8()));
    if (rc == MOSQ_ERR_SUCCESS && settings.Tls()) {
        const QByteArray ca = QFile::encodeName(settings.CaFile);
        const QByteArray cert = QFile::encodeName(settings.CertFile);
        const QByteArray key = QFile::encodeName(settings.KeyFile);
        rc = mosquitto_tls_set(client, ca.constData(), nullptr, CStringOrNull(cert), CStringOrNull(key), nullptr);
    }
    if (rc == MOSQ_ERR_SUCCESS)
        rc = mosquitto_will_set(client, shared_->will.topic.constData(), static_cast<int>(shared_->will.payload.size()),
                                shared_->will.payload.constData(), 1, true);
    if (rc != MOSQ_ERR_SUCCESS) {
        error = QString::fromUtf8(mosquitto_strerror(rc));
        return false;
    }
    mosquitto_connect_callback_set(client, &Shared::OnConnect);
    mosquitto_publish_callback_set(client, &Shared::OnPublish);
    thread_ = std::thread(&MqttConnection::Run, shared_);
    return true;
}

void MqttConnection::Run(std::shared_ptr<Shared> shared)
{
    mosquitto* client = shared->client;
    const PublishSettings& settings = shared->settings;
    const QByteArray host = settings.Host.toUtf8();
    auto pause = shared->backoff.first;
    bool first = true;
    while (!shared->Stopping()) {
        shared->accepted = false;
        shared->refusal.clear();
        {
            const std::lock_guard lock(shared->mutex);
            shared->lastLibraryError.clear();
        }
        mosquitto_log_callback_set(client, &Shared::OnLog);
        int rc = first ? mosquitto_connect(client, host.constData(), settings.Port, settings.KeepAlive)
                       : mosquitto_reconnect(client);
        int error = errno;
        first = false;
        while (rc == MOSQ_ERR_SUCCESS && !shared->Stopping()) {
            rc = mosquitto_loop(client, kLoopWaitMs, 1);
            error = errno;
        }
        if (shared->Stopping()) {
            // Still connected: a DISCONNECT first, so the broker keeps its last will to itself.
            if (rc == MOSQ_ERR_SUCCESS) {
                mosquitto_disconnect(client);
                for (int pass = 0; pass < kGoodbyePasses && rc == MOSQ_ERR_SUCCESS; ++pass)
                    rc = mosquitto_loop(client, kGoodbyeWaitMs, 1);
            }
            break;
        }
        if (shared->accepted)
            pause = shared->backoff.first;
        const QString reason = shared->Reason(rc, error);
        shared->Post([call = shared->events.failed, reason] {
            if (call)
                call(reason);
        });
        std::unique_lock lock(shared->mutex);
        shared->wake.wait_for(lock, pause, [&] { return shared->stopping; });
        pause = std::min(pause * 2, shared->backoff.last);
    }
    const std::lock_guard lock(shared->mutex);
    shared->finished = true;
    shared->wake.notify_all();
}

int MqttConnection::Publish(const QByteArray& topic, const QByteArray& payload, int qos, bool retain)
{
    if (!shared_->client)
        return -1;
    int mid = -1;
    const int rc = mosquitto_publish(shared_->client, &mid, topic.constData(), static_cast<int>(payload.size()),
                                     payload.constData(), qos, retain);
    return rc == MOSQ_ERR_SUCCESS ? mid : -1;
}

bool MqttConnection::PublishAcknowledged(const QByteArray& topic, const QByteArray& payload, bool retain,
                                         std::chrono::milliseconds bound)
{
    {
        const std::lock_guard lock(shared_->mutex);
        shared_->watching = true;
        shared_->acknowledged.clear();
    }
    const int mid = Publish(topic, payload, 1, retain);
    std::unique_lock lock(shared_->mutex);
    const auto seen = [&] {
        return std::find(shared_->acknowledged.begin(), shared_->acknowledged.end(), mid) !=
               shared_->acknowledged.end();
    };
    const bool acknowledged =
        mid >= 0 && shared_->wake.wait_for(lock, bound, [&] { return seen() || shared_->finished; }) && seen();
    shared_->watching = false;
    shared_->acknowledged.clear();
    return acknowledged;
}

void MqttConnection::Stop(std::chrono::milliseconds bound)
{
    if (!thread_.joinable()) {
        const std::lock_guard lock(shared_->mutex);
        shared_->context = nullptr;
        return;
    }
    {
        const std::lock_guard lock(shared_->mutex);
        shared_->stopping = true;
    }
    // Queues the DISCONNECT and wakes the loop at once, which then ends.
    mosquitto_disconnect(shared_->client);
    shared_->wake.notify_all();
    std::unique_lock lock(shared_->mutex);
    const bool finished = shared_->wake.wait_for(lock, bound, [&] { return shared_->finished; });
    shared_->context = nullptr;
    lock.unlock();
    if (finished)
        thread_.join();
    else
        thread_.detach();  // it holds its own share of the client and frees it when it ends
}

}  // namespace qemra
