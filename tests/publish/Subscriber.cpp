#include "tests/publish/Subscriber.h"

#include <QElapsedTimer>
#include <QThread>

#include <mosquitto.h>

Subscriber::Subscriber(int port, const QString& filter, const Options& options)
{
    mosquitto_lib_init();
    const bool persistent = !options.sessionId.isEmpty();
    client_ = mosquitto_new(persistent ? options.sessionId.toUtf8().constData() : nullptr, !persistent, this);
    if (!client_)
        return;
    mosquitto_message_callback_set(client_, &Subscriber::OnMessage);
    mosquitto_subscribe_callback_set(client_, &Subscriber::OnSubscribe);
    if (!options.username.isEmpty())
        mosquitto_username_pw_set(client_, options.username.toUtf8().constData(),
                                  options.password.toUtf8().constData());
    mosquitto_reconnect_delay_set(client_, 1, 1, false);
    if (mosquitto_connect(client_, "127.0.0.1", port, 30) != MOSQ_ERR_SUCCESS ||
        mosquitto_loop_start(client_) != MOSQ_ERR_SUCCESS ||
        mosquitto_subscribe(client_, nullptr, filter.toUtf8().constData(), 1) != MOSQ_ERR_SUCCESS)
        return;
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 5000) {
        {
            const std::lock_guard lock(mutex_);
            if (subscribed_) {
                ready_ = true;
                return;
            }
        }
        QThread::msleep(10);
    }
}

Subscriber::~Subscriber()
{
    if (!client_)
        return;
    mosquitto_disconnect(client_);
    mosquitto_loop_stop(client_, false);
    mosquitto_destroy(client_);
}

std::vector<Subscriber::Message> Subscriber::Messages() const
{
    const std::lock_guard lock(mutex_);
    return messages_;
}

std::vector<QByteArray> Subscriber::Payloads(const QString& topic) const
{
    std::vector<QByteArray> payloads;
    for (const Message& message : Messages())
        if (message.topic == topic)
            payloads.push_back(message.payload);
    return payloads;
}

void Subscriber::OnMessage(mosquitto*, void* self, const mosquitto_message* message)
{
    auto& subscriber = *static_cast<Subscriber*>(self);
    const std::lock_guard lock(subscriber.mutex_);
    subscriber.messages_.push_back({QString::fromUtf8(message->topic),
                                    QByteArray(static_cast<const char*>(message->payload), message->payloadlen),
                                    message->retain});
}

void Subscriber::OnSubscribe(mosquitto*, void* self, int, int, const int*)
{
    auto& subscriber = *static_cast<Subscriber*>(self);
    const std::lock_guard lock(subscriber.mutex_);
    subscriber.subscribed_ = true;
}
