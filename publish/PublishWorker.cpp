#include "publish/PublishWorker.h"

#include <QMetaObject>

#include <mosquitto.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <pthread.h>

namespace qemra {

namespace {

// How long one pass of the network loop waits for traffic: also how late a live value or a new
// minute row may go out.
constexpr int kPassMs = 100;
// At the end: how long to wait for the broker to acknowledge the "offline", and the passes that
// may then send the DISCONNECT.
constexpr std::chrono::milliseconds kGoodbyeBound{2000};
constexpr int kGoodbyePasses = 3;
constexpr int kGoodbyePassMs = 100;

}  // namespace

PublishWorker::PublishWorker(PublishSettings settings, QString recordFolder, QString stateFilePath,
                             ReconnectBackoff backoff, QObject* context, Reports reports)
    : settings_(std::move(settings)), backoff_(backoff), reports_(std::move(reports)),
      client_(settings_, {[this] {
                              accepted_ = true;
                              justAccepted_ = true;
                              acceptedAt_ = std::chrono::steady_clock::now();
                          },
                          [this](int mid) {
                              if (mid == goodbyeMid_)
                                  goodbyeAcknowledged_ = true;
                              else if (forwarder_.Acknowledge(mid))
                                  acknowledgements_ = true;
                          },
                          // A refused row stays unacknowledged, so the state file never passes it.
                          [this](int mid, const QString& reason) {
                              if (mid == goodbyeMid_)
                                  goodbyeAcknowledged_ = true;
                              else
                                  forwarder_.Refuse(mid);
                              Report([call = reports_.refused, reason] { call(reason); });
                          }}),
      forwarder_(std::move(recordFolder), std::move(stateFilePath)), context_(context)
{
}

QByteArray PublishWorker::Topic(const char* name) const { return settings_.Topic(QString::fromLatin1(name)).toUtf8(); }

bool PublishWorker::Setup(TDateTime now, QString& error, QString& notice)
{
    forwarder_.Load(now, notice);
    return client_.Setup(Topic("status"), "offline", error);
}

template <typename Call>
void PublishWorker::Report(Call&& call)
{
    const std::lock_guard lock(mutex_);
    if (context_)
        QMetaObject::invokeMethod(context_, std::forward<Call>(call), Qt::QueuedConnection);
}

PublishWorker::Mailbox PublishWorker::TakeMailbox()
{
    const std::lock_guard lock(mutex_);
    Mailbox taken = mailbox_;
    mailbox_.live.reset();
    mailbox_.rowsWritten = false;
    return taken;
}

void PublishWorker::OfferLive(const TMesData& values, TDateTime now)
{
    const std::lock_guard lock(mutex_);
    mailbox_.live = Live{values, now};
    mailbox_.now = now;
}

void PublishWorker::OfferDevice(const DeviceInfo& device)
{
    const std::lock_guard lock(mutex_);
    mailbox_.device = device;
}

void PublishWorker::RowsWritten(TDateTime now)
{
    const std::lock_guard lock(mutex_);
    mailbox_.rowsWritten = true;
    mailbox_.now = now;
}

bool PublishWorker::Finish(std::chrono::milliseconds bound)
{
    std::unique_lock lock(mutex_);
    mailbox_.finishing = true;
    wake_.notify_all();
    const bool ended = wake_.wait_for(lock, bound, [this] { return finished_; });
    context_ = nullptr;
    return ended;
}

void PublishWorker::Run()
{
    // A broker that closes the connection while TLS writes to it would raise SIGPIPE, which ends the
    // program; blocked on this thread, the write fails with EPIPE instead.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);

    auto pause = backoff_.first;
    while (true) {
        {
            const std::lock_guard lock(mutex_);
            if (mailbox_.finishing)
                break;
        }
        accepted_ = false;
        justAccepted_ = false;
        int rc = client_.Connect();
        int error = errno;
        bool finishing = false;
        bool unanswered = false;
        const auto connectedAt = std::chrono::steady_clock::now();
        while (rc == MOSQ_ERR_SUCCESS) {
            rc = client_.Loop(kPassMs);
            error = errno;
            if (rc == MOSQ_ERR_SUCCESS && !accepted_ &&
                std::chrono::steady_clock::now() - connectedAt > backoff_.connack) {
                unanswered = true;
                break;
            }
            const Mailbox mail = TakeMailbox();
            if (mail.finishing) {
                finishing = true;
                if (rc == MOSQ_ERR_SUCCESS)
                    SayGoodbye(rc);
                break;
            }
            if (rc == MOSQ_ERR_SUCCESS && accepted_)
                Serve(mail);
        }
        if (finishing)
            break;
        if (forwarder_.SaveIfDue(true))
            Report([call = reports_.acknowledged, row = *forwarder_.LastAcknowledged()] { call(row); });
        // A connection that held starts the pauses afresh; one taken away at once (by a station with
        // the same client id, on a broker that does not say so) lets them grow.
        if (accepted_ && std::chrono::steady_clock::now() - acceptedAt_ >= backoff_.steady)
            pause = backoff_.first;
        // A broker that speaks only 3.1.1 is asked again at once in its own version.
        if (client_.FellBack() && !accepted_)
            continue;
        // Two stations with one client id would take the session from each other every second.
        if (client_.TakenOver())
            pause = backoff_.last;
        QString reason =
            unanswered ? QStringLiteral("timed out: no CONNACK within %1 s").arg(backoff_.connack.count() / 1000.0)
                       : client_.Reason(rc, error);
        if (client_.TakenOver())
            reason += QStringLiteral("; next attempt in %1 s").arg(pause.count() / 1000.0);
        Report([call = reports_.failed, reason] { call(reason); });
        std::unique_lock lock(mutex_);
        if (wake_.wait_for(lock, pause, [this] { return mailbox_.finishing; }))
            break;
        pause = std::min(pause * 2, backoff_.last);
    }
    forwarder_.SaveIfDue(true);
    const std::lock_guard lock(mutex_);
    finished_ = true;
    wake_.notify_all();
}

void PublishWorker::Serve(const Mailbox& mail)
{
    bool pump = mail.rowsWritten || acknowledgements_;
    acknowledgements_ = false;
    if (justAccepted_) {
        justAccepted_ = false;
        catchingUp_ = true;
        Report([call = reports_.connected] { call(); });
        Announce(mail.device);
        client_.Publish(Topic("status"), "online", 1, true);
        forwarder_.Restart();
        pump = true;
    } else if (mail.device != announced_) {
        Announce(mail.device);
    }
    if (pump) {
        const QByteArray topic = Topic("minute");
        forwarder_.Pump(mail.now, [&](const QByteArray& payload) { return client_.Publish(topic, payload, 1, false); });
    }
    if (forwarder_.SaveIfDue(false))
        Report([call = reports_.acknowledged, row = *forwarder_.LastAcknowledged()] { call(row); });
    // Live values follow once the rows left from before the connection are through. A broker slower
    // than the seconds loses seconds rather than piling them up.
    if (catchingUp_ && forwarder_.Through())
        catchingUp_ = false;
    if (mail.live && !catchingUp_ && !client_.Congested())
        client_.Publish(Topic("live"), livePayloads_.Live(mail.live->values, mail.live->time), 0, false);
}

void PublishWorker::Announce(const DeviceInfo& device)
{
    // Retained, so the automation system finds the sensors whenever it starts.
    announced_ = device;
    for (const DiscoveryMessage& message : DiscoveryMessages(settings_, device))
        client_.Publish(message.topic, message.payload, 1, true);
}

void PublishWorker::SayGoodbye(int& rc)
{
    if (accepted_) {
        goodbyeAcknowledged_ = false;
        goodbyeMid_ = client_.Publish(Topic("status"), "offline", 1, true);
        const auto deadline = std::chrono::steady_clock::now() + kGoodbyeBound;
        while (goodbyeMid_ >= 0 && !goodbyeAcknowledged_ && rc == MOSQ_ERR_SUCCESS &&
               std::chrono::steady_clock::now() < deadline)
            rc = client_.Loop(kGoodbyePassMs);
    }
    // With a DISCONNECT the broker keeps the last will to itself.
    client_.Disconnect();
    for (int pass = 0; pass < kGoodbyePasses && rc == MOSQ_ERR_SUCCESS; ++pass)
        rc = client_.Loop(kGoodbyePassMs);
}

}  // namespace qemra
