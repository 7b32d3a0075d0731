#include "core/AcquisitionCore.h"

#include "common/Prompts.h"
#include "publish/AckedMinuteFile.h"
#include "publish/Discovery.h"
#include "publish/PublishSettings.h"
#include "recording/RecordSettings.h"

#include <QFileInfo>

namespace qemra {

AcquisitionCore::AcquisitionCore(const Clock& clock, Prompts& prompts, QString baseFolder)
    : clock_(clock), baseFolder_(std::move(baseFolder)), state_(std::make_unique<SharedState>())
{
    link_ = std::make_unique<SerialLink>(state_->MySts.PortName, clock_, baseFolder_);
    link_->WindowNumber = 0;
    if (!link_->LoadPortSettings())
        prompts.Error(link_->ComPortM().ErrorText());

    trace_ = std::make_unique<TraceLog>(baseFolder_, clock_);
    poll_ = std::make_unique<PollCycle>(*state_, *link_, clock_, *trace_);
    poll_->hooks.ShowValues = [this] {
        if (hooks.ShowValues)
            hooks.ShowValues();
        // The first seconds after a connect still hold values from before any answer.
        if (publisher_ && poll_->WarmupCount > 3 && poll_->AllGroupsAnswered()) {
            publisher_->SetDevice(DeviceOf(state_->CurMes));
            publisher_->PublishLive(state_->CurMes, clock_.Now());
        }
    };
    poll_->hooks.SecondStep = [this] {
        if (hooks.SecondStep)
            hooks.SecondStep();
    };
    poll_->hooks.TickStep = [this] {
        if (hooks.TickStep)
            hooks.TickStep();
    };
    poll_->hooks.CheckSecond = [this] { CheckSecond(); };

    state_->CurMes.M11 = 0;
    state_->CurMes.M01 = 0;
    state_->CurMes.Measuring = 0;
    poll_->Acquiring = true;
    state_->MySts.Maint = 0;

    LoadRecordSettings(SettingsPath(), state_->MySts);
    records_ = std::make_unique<RecordFiles>(baseFolder_, *state_, clock_);
    records_->OnWriteEvent = [this](const RecordWriteEvent& event) {
        if (event.failing)
            emit Event(
                QStringLiteral("cannot write rows to %1: %2; trying again each second").arg(event.path, event.reason));
        else
            emit Event(
                QStringLiteral("rows reach %1 again; %2 rows lost meanwhile").arg(event.path).arg(event.lostRows));
        emit RecordWriteChanged(event.failing, event.path, event.reason);
    };

    timer_.setObjectName(QStringLiteral("MainTimer"));
    timer_.setInterval(kTimerMs);
    connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
    reconnectTimer_.setInterval(kReconnectMs);
    connect(&reconnectTimer_, &QTimer::timeout, this, [this] { TryReconnect(); });
    connect(link_.get(), &SerialLink::Lost, this, [this] { PortLost(); });
    connect(&link_->ComPortM(), &TComPort::OnConnection, this, [this](bool open) {
        if (open)
            poll_->PortOpened();
    });

    const QString publishIni = baseFolder_ + QStringLiteral("Publish.ini");
    const PublishSettings publishing = LoadPublishSettings(publishIni, link_->ComPortM().Port());
    // Settings that cannot be used are said when publishing would start.
    if (publishing.Enabled() || !publishing.Problem.isEmpty()) {
        publisher_ = std::make_unique<Publisher>(publishing, records_->RecordFolder(),
                                                 AckedMinuteFile::BesidePublishIni(publishIni), clock_,
                                                 [this](const QString& line) { emit Event(line); });
    }
}

AcquisitionCore::~AcquisitionCore()
{
    // The timer first, so no tick reaches a half-destroyed core; then the link and the broker.
    timer_.stop();
    reconnectTimer_.stop();
    link_->CloseLink();
    StopPublishing();
}

void AcquisitionCore::StopPublishing()
{
    if (publisher_)
        publisher_->Stop();
}

void AcquisitionCore::PortLost()
{
    emit Event(QStringLiteral("port lost: ") + link_->ComPortM().Port());
    records_->CloseMinute();
    if (alwaysReconnect_ || link_->ComPortM().AutoReconnect())
        ReconnectLater();
}

void AcquisitionCore::ReconnectLater()
{
    if (reconnectTimer_.isActive())
        return;
    reconnectTimer_.start();
    emit WaitingForPort(true);
}

void AcquisitionCore::StopReconnecting()
{
    if (!reconnectTimer_.isActive())
        return;
    reconnectTimer_.stop();
    emit WaitingForPort(false);
}

void AcquisitionCore::TryReconnect()
{
    if (link_->LinkOpen()) {
        StopReconnecting();
        return;
    }
    // The same path each time; a settings file that cannot be read keeps the last settings.
    link_->LoadPortSettings();
    if (!link_->OpenLink())
        return;
    StopReconnecting();
    poll_->WarmupCount = 0;
    freshSeconds_ = 2;
    emit Event(QStringLiteral("port back: ") + link_->ComPortM().Port());
}

QString AcquisitionCore::SettingsPath() const { return baseFolder_ + QStringLiteral("BaseSetpoint.ini"); }

void AcquisitionCore::Start()
{
    // Publishing starts with the clock, once whoever logs the core's events is listening.
    if (publisher_ && !timer_.isActive())
        publisher_->Start();
    timer_.start();
}

void AcquisitionCore::Tick() { poll_->MainTimerTimer(); }

bool AcquisitionCore::Connect()
{
    errorText_.clear();
    if (!link_->LoadPortSettings() || !link_->OpenLink()) {
        errorText_ = link_->ComPortM().ErrorText();
        return false;
    }
    emit Event(QStringLiteral("connected: ") + link_->ComPortM().Port());
    return true;
}

void AcquisitionCore::CheckSecond()
{
    // Once per new wall-clock second, whether or not the instrument is connected.
    if (!recordTicker_.NewSecond(clock_.Now()))
        return;
    // An open port whose poll groups have not all answered yet would show and record the values
    // the record held before them (zeros after a start).
    const bool answered = !link_->LinkOpen() || poll_->AllGroupsAnswered();
    if (hooks.ShowSecond && answered)
        hooks.ShowSecond();
    if (freshSeconds_ > 0 && link_->LinkOpen()) {
        --freshSeconds_;
    } else if (answered) {
        AnnounceNewDayFiles(true);
        records_->RecordSecond();
        AnnounceNewDayFiles(false);
    }
    if (publisher_)
        publisher_->MinuteRowWritten();
    if (hooks.Recorded)
        hooks.Recorded();
}

void AcquisitionCore::AnnounceNewDayFiles(bool before)
{
    // Only the log needs this: a day file that did not exist before this second's rows.
    if (!QObject::receivers(SIGNAL(Event(QString))))
        return;
    const TDateTime now = clock_.Now();
    const QString paths[2] = {records_->MinuteRecordPath(now), records_->SecondRecordPath(now)};
    for (int i = 0; i < 2; ++i) {
        const bool exists = QFileInfo::exists(paths[i]);
        if (before)
            dayFilesExisted_[i] = exists;
        else if (exists && !dayFilesExisted_[i])
            emit Event(QStringLiteral("day file started: ") + paths[i]);
    }
}

}  // namespace qemra
