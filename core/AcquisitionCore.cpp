#include "core/AcquisitionCore.h"

#include "common/Prompts.h"
#include "recording/RecordSettings.h"

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

    timer_.setObjectName(QStringLiteral("MainTimer"));
    timer_.setInterval(kTimerMs);
    connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
}

AcquisitionCore::~AcquisitionCore()
{
    // The timer first, so no tick reaches a half-destroyed core; then the link.
    timer_.stop();
    link_->CloseLink();
}

QString AcquisitionCore::SettingsPath() const { return baseFolder_ + QStringLiteral("BaseSetpoint.ini"); }

void AcquisitionCore::Start() { timer_.start(); }

void AcquisitionCore::Tick() { poll_->MainTimerTimer(); }

bool AcquisitionCore::Connect()
{
    errorText_.clear();
    if (!link_->LoadPortSettings() || !link_->OpenLink()) {
        errorText_ = link_->ComPortM().ErrorText();
        return false;
    }
    return true;
}

void AcquisitionCore::CheckSecond()
{
    // Once per new wall-clock second, whether or not the instrument is connected.
    if (!recordTicker_.NewSecond(clock_.Now()))
        return;
    if (hooks.ShowSecond)
        hooks.ShowSecond();
    records_->RecordSecond();
    if (hooks.Recorded)
        hooks.Recorded();
}

}  // namespace qemra
