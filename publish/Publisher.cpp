#include "publish/Publisher.h"

#include "publish/Payloads.h"

#include <algorithm>

namespace qemra {

namespace {

// Minute rows handed to the library before their acknowledgements come back: enough to keep a
// local broker busy through a backlog, few enough that a slow one holds little.
constexpr std::size_t kMinuteWindow = 32;
// Live messages waiting to be written out; past this a slow broker loses seconds, not memory.
constexpr std::size_t kLiveBacklog = 8;
constexpr std::chrono::milliseconds kGoodbyeBound{2000};
constexpr std::chrono::milliseconds kThreadBound{2000};
constexpr int kSaveDelayMs = 1000;
constexpr int kSaveBoundMs = 2000;

}  // namespace

Publisher::Publisher(PublishSettings settings, QString recordFolder, QString stateFilePath, const Clock& clock,
                     LogSink log, QObject* parent)
    : Publisher(std::move(settings), std::move(recordFolder), std::move(stateFilePath), clock, std::move(log),
                ReconnectBackoff{}, parent)
{
}

Publisher::Publisher(PublishSettings settings, QString recordFolder, QString stateFilePath, const Clock& clock,
                     LogSink log, ReconnectBackoff backoff, QObject* parent)
    : QObject(parent), settings_(std::move(settings)), clock_(clock), log_(std::move(log)), backoff_(backoff),
      reader_(std::move(recordFolder)), stateText_(QStringLiteral("MQTT: 停止")), stateFile_(std::move(stateFilePath))
{
    saver_.setMaxThreadCount(1);
    saveTimer_.setSingleShot(true);
    saveTimer_.setInterval(kSaveDelayMs);
    connect(&saveTimer_, &QTimer::timeout, this, &Publisher::SaveNow);
}

Publisher::~Publisher() { Stop(); }

QByteArray Publisher::Topic(const char* name) const { return settings_.Topic(QString::fromLatin1(name)).toUtf8(); }

template <typename Handler>
auto Publisher::Current(Handler handler)
{
    return [this, generation = generation_, handler](auto... arguments) {
        if (generation == generation_ && connection_)
            (this->*handler)(arguments...);
    };
}

void Publisher::Start()
{
    if (!settings_.Enabled() || connection_)
        return;
    acknowledged_ = stateFile_.Load();
    saved_ = acknowledged_;
    ++generation_;
    MqttConnection::Events events;
    events.connected = Current(&Publisher::OnConnected);
    events.failed = Current(&Publisher::OnFailed);
    events.published = Current(&Publisher::OnPublished);
    connection_ = std::make_unique<MqttConnection>(settings_, MqttConnection::Will{Topic("status"), "offline"}, this,
                                                   std::move(events), backoff_);
    QString error;
    if (!connection_->Start(error)) {
        connection_.reset();
        Log(QStringLiteral("MQTT: 設定エラー %1: %2").arg(settings_.Address(), error));
        SetState(QStringLiteral("MQTT: 設定エラー (%1)").arg(error));
        return;
    }
    SetState(QStringLiteral("MQTT: 接続待ち %1").arg(settings_.Address()));
}

void Publisher::Stop()
{
    if (!connection_)
        return;
    if (connected_)
        connection_->PublishAcknowledged(Topic("status"), "offline", true, kGoodbyeBound);
    connection_->Stop(kThreadBound);
    connection_.reset();
    connected_ = false;
    pending_.clear();
    inFlight_.clear();
    liveMids_.clear();
    lastReason_.clear();
    saveTimer_.stop();
    SaveNow();
    saver_.waitForDone(kSaveBoundMs);
    SetState(QStringLiteral("MQTT: 停止"));
}

void Publisher::OnConnected()
{
    connected_ = true;
    lastReason_.clear();
    Log(QStringLiteral("MQTT: 接続 %1").arg(settings_.Address()));
    SetState(QStringLiteral("MQTT: 接続中 %1").arg(settings_.Address()));
    connection_->Publish(Topic("status"), "online", 1, true);
    // Rows handed over on the last connection may be lost; everything after the last acknowledged
    // row goes out again, in order.
    pending_.clear();
    inFlight_.clear();
    liveMids_.clear();
    handed_ = acknowledged_.value_or(0);
    Pump();
}

void Publisher::OnFailed(const QString& reason)
{
    const bool wasConnected = connected_;
    connected_ = false;
    if (reason != lastReason_ || wasConnected) {
        lastReason_ = reason;
        Log((wasConnected ? QStringLiteral("MQTT: 切断 %1: %2") : QStringLiteral("MQTT: 接続できません %1: %2"))
                .arg(settings_.Address(), reason));
    }
    SetState(QStringLiteral("MQTT: 再接続待ち (%1)").arg(reason));
}

void Publisher::OnPublished(int mid)
{
    if (const auto live = std::find(liveMids_.begin(), liveMids_.end(), mid); live != liveMids_.end()) {
        liveMids_.erase(live);
        return;
    }
    const auto row =
        std::find_if(inFlight_.begin(), inFlight_.end(), [mid](const InFlight& f) { return f.mid == mid; });
    if (row == inFlight_.end())
        return;
    row->acknowledged = true;
    // The state file only ever names a row whose predecessors all arrived.
    bool advanced = false;
    while (!inFlight_.empty() && inFlight_.front().acknowledged) {
        acknowledged_ = inFlight_.front().time;
        inFlight_.pop_front();
        advanced = true;
    }
    if (advanced)
        SaveSoon();
    Pump();
}

void Publisher::PublishLive(const TMesData& values, TDateTime now)
{
    if (!connected_ || liveMids_.size() >= kLiveBacklog)
        return;
    const int mid = connection_->Publish(Topic("live"), LivePayload(values, now), 0, false);
    if (mid >= 0)
        liveMids_.push_back(mid);
}

void Publisher::MinuteRowWritten() { Pump(); }

void Publisher::Pump()
{
    while (connected_ && inFlight_.size() < kMinuteWindow) {
        if (pending_.empty()) {
            std::vector<MinuteRow> rows = reader_.NextRows(handed_, clock_.Now());
            if (rows.empty())
                return;
            pending_.assign(std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
        }
        const MinuteRow& row = pending_.front();
        if (const std::optional<QByteArray> payload = MinutePayload(row)) {
            const int mid = connection_->Publish(Topic("minute"), *payload, 1, false);
            if (mid < 0)
                return;  // tried again with the next row, acknowledgement or connection
            inFlight_.push_back({mid, row.Time, false});
        }
        // A row cut short cannot be sent; it is passed over.
        handed_ = row.Time;
        pending_.pop_front();
    }
}

void Publisher::SaveSoon()
{
    if (!saveTimer_.isActive())
        saveTimer_.start();
}

void Publisher::SaveNow()
{
    if (!acknowledged_ || acknowledged_ == saved_)
        return;
    saved_ = acknowledged_;
    {
        const std::lock_guard lock(saveMutex_);
        const bool queued = toSave_.has_value();
        toSave_ = acknowledged_;
        if (queued)
            return;  // the write already waiting takes the newer time
    }
    saver_.start([this] {
        std::optional<TDateTime> time;
        {
            const std::lock_guard lock(saveMutex_);
            time.swap(toSave_);
        }
        if (time)
            stateFile_.Save(*time);
    });
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
