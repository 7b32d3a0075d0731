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
      stateText_(tr("MQTT: 停止"))
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
    if (worker_)
        return;
    if (!settings_.Problem.isEmpty()) {
        if (!problemSaid_)
            Log(QStringLiteral("MQTT: publishing off: ") + settings_.Problem);
        problemSaid_ = true;
        SetState(tr("MQTT: 設定エラー (%1)").arg(settings_.Problem));
        return;
    }
    if (!settings_.Enabled())
        return;
    ++generation_;
    worker_ = std::make_shared<PublishWorker>(
        settings_, recordFolder_, stateFilePath_, backoff_, this,
        PublishWorker::Reports{Current(&Publisher::OnConnected), Current(&Publisher::OnFailed),
                               Current(&Publisher::OnAcknowledged), Current(&Publisher::OnRefused)});
    QString error;
    QString notice;
    const bool ready = worker_->Setup(clock_.Now(), error, notice);
    if (!notice.isEmpty())
        Log(QStringLiteral("MQTT: ") + notice);
    if (!ready) {
        worker_.reset();
        Log(QStringLiteral("MQTT: settings error %1: %2").arg(settings_.Address(), error));
        SetState(tr("MQTT: 設定エラー (%1)").arg(error));
        return;
    }
    refusals_.clear();
    worker_->RowsWritten(clock_.Now());
    worker_->OfferDevice(device_);
    thread_ = std::thread([worker = worker_] { worker->Run(); });
    SetState(tr("MQTT: 接続待ち %1").arg(settings_.Address()));
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
    SetState(tr("MQTT: 停止"));
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
    SetState(tr("MQTT: 接続中 %1").arg(settings_.Address()));
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
    SetState(tr("MQTT: 再接続待ち (%1)").arg(reason));
}

void Publisher::OnAcknowledged(TDateTime row) { acknowledged_ = row; }

void Publisher::OnRefused(const QString& reason)
{
    // Once per reason: a broker that refuses one row refuses the next ones alike.
    if (refusals_.contains(reason))
        return;
    refusals_.insert(reason);
    Log(QStringLiteral("MQTT: %1 refused a message: %2; refused minute rows are not counted as sent and go out "
                       "again after the next reconnect")
            .arg(settings_.Address(), reason));
}

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
