#include "publish/Publisher.h"

namespace qemra {

namespace {

// The "offline" may wait two seconds for its acknowledgement; then the DISCONNECT.
constexpr std::chrono::milliseconds kFinishBound{3000};

}  // namespace

Publisher::Publisher(PublishSettings settings, QString recordFolder, QString stateFilePath, const Clock& clock,
                     LogSink log, QObject* parent)
    : Publisher(std::move(settings), std::move(recordFolder), std::move(stateFilePath), clock, std::move(log),
                ReconnectBackoff(), parent)
{
}

Publisher::Publisher(PublishSettings settings, QString recordFolder, QString stateFilePath, const Clock& clock,
                     LogSink log, ReconnectBackoff backoff, QObject* parent)
    : QObject(parent), settings_(std::move(settings)), recordFolder_(std::move(recordFolder)),
      stateFilePath_(std::move(stateFilePath)), clock_(clock), log_(std::move(log)), backoff_(backoff),
      stateText_(QStringLiteral("MQTT: 停止"))
{
}

Publisher::~Publisher() { Stop(); }

template <typename Handler>
auto Publisher::Current(Handler handler)
{
    return [this, generation = generation_, handler](auto... arguments) {
        if (generation == generation_ && worker_)
            (this->*handler)(arguments...);
    };
}

void Publisher::Start()
{
    if (!settings_.Enabled() || worker_)
        return;
    ++generation_;
    worker_ = std::make_shared<PublishWorker>(settings_, recordFolder_, stateFilePath_, backoff_, this,
                                              PublishWorker::Reports{Current(&Publisher::OnConnected),
                                                                     Current(&Publisher::OnFailed),
                                                                     Current(&Publisher::OnAcknowledged)});
    QString error;
    if (!worker_->Setup(error)) {
        worker_.reset();
        Log(QStringLiteral("MQTT: settings error %1: %2").arg(settings_.Address(), error));
        SetState(QStringLiteral("MQTT: 設定エラー (%1)").arg(error));
        return;
    }
    worker_->RowsWritten(clock_.Now());
    worker_->OfferDevice(device_);
    thread_ = std::thread([worker = worker_] { worker->Run(); });
    SetState(QStringLiteral("MQTT: 接続待ち %1").arg(settings_.Address()));
}

void Publisher::Stop()
{
    if (!worker_)
        return;
    if (worker_->Finish(kFinishBound))
        thread_.join();
    else
        thread_.detach();  // held up in a name lookup or connect; it ends by itself
    worker_.reset();
    connected_ = false;
    lastReason_.clear();
    SetState(QStringLiteral("MQTT: 停止"));
}

void Publisher::PublishLive(const TMesData& values, TDateTime now)
{
    if (worker_)
        worker_->OfferLive(values, now);
}

void Publisher::SetDevice(const DeviceInfo& device)
{
    if (settings_.Discovery.isEmpty() || device == device_)
        return;
    device_ = device;
    if (worker_)
        worker_->OfferDevice(device_);
}

void Publisher::MinuteRowWritten()
{
    if (worker_)
        worker_->RowsWritten(clock_.Now());
}

void Publisher::OnConnected()
{
    connected_ = true;
    lastReason_.clear();
    Log(QStringLiteral("MQTT: connected to %1").arg(settings_.Address()));
    SetState(QStringLiteral("MQTT: 接続中 %1").arg(settings_.Address()));
}

void Publisher::OnFailed(const QString& reason)
{
    const bool wasConnected = connected_;
    connected_ = false;
    if (reason != lastReason_ || wasConnected) {
        lastReason_ = reason;
        Log((wasConnected ? QStringLiteral("MQTT: disconnected from %1: %2")
                          : QStringLiteral("MQTT: cannot connect to %1: %2"))
                .arg(settings_.Address(), reason));
    }
    SetState(QStringLiteral("MQTT: 再接続待ち (%1)").arg(reason));
}

void Publisher::OnAcknowledged(TDateTime row) { acknowledged_ = row; }

void Publisher::SetState(const QString& text)
{
    if (text == stateText_)
        return;
    stateText_ = text;
    emit StateChanged(text);
}

void Publisher::Log(const QString& text)
{
    if (log_)
        log_(text);
}

}  // namespace qemra
