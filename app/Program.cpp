#include "app/Program.h"

#include "common/AppFolder.h"

#include "windows/main/MainWindow.h"
#include "recording/HistoryExport.h"
#include "windows/recording/MonitorListWindow.h"
#include "windows/settings/SetpointDialog.h"
#include "windows/settings/GroupedWriteDialog.h"
#include "windows/system/SystemSettingWindow.h"
#include "windows/history/HistoryWindow.h"

namespace qemra {

namespace {

// Modal without a nested event loop: the main timer and the answers keep running through the
// program's one loop while the dialog is up.
void ShowModal(QDialog& dialog)
{
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
}

// The running program keeps its history cache where its location says; a program given another
// base folder (a test's) keeps it there.
QString HistoryCacheFolder(const QString& baseFolder)
{
    const AppLocation running = RunningAppLocation();
    if (WithTrailingSlash(running.baseFolder) == WithTrailingSlash(baseFolder))
        return ChooseHistoryCacheFolder(running, QProcessEnvironment::systemEnvironment());
    return baseFolder.isEmpty() ? QString() : WithTrailingSlash(baseFolder) + QStringLiteral("HistoryCache/");
}

}  // namespace

Program::Program(const Clock& clock, Prompts& prompts, QString baseFolder)
    : clock_(clock), prompts_(prompts), baseFolder_(std::move(baseFolder))
{
    core_ = std::make_unique<AcquisitionCore>(clock_, prompts_, baseFolder_);
    main_ = std::make_unique<TMainForm>(*core_, clock_, prompts_);
    // The parameter defaults belong to the main window's creation; the parameter set lives here
    // because the main window's library cannot know its type.
    SetParameterDefaults(writePrm_);
    sysSet_ = std::make_unique<TSysSetForm>(*core_, main_->CommCtrl(), writePrm_, clock_, prompts_);
    mon_ = std::make_unique<TMonForm>(*core_);
    exporter_ = std::make_unique<HistoryExporter>(prompts_, core_->State().MesHistory, baseFolder_);
    write_ = std::make_unique<TWriteForm>(core_->Poll(), writePrm_, main_.get());
    prmSet_ = std::make_unique<TPrmSetForm>(core_->Poll(), core_->State(), main_.get());
    history_ = std::make_unique<THistoryForm>(baseFolder_, prompts_, nullptr, HistoryCacheFolder(baseFolder_));
    Wire();
}

Program::~Program()
{
    history_.reset();
    prmSet_.reset();
    write_.reset();
    mon_.reset();
    sysSet_.reset();
    main_.reset();
    exporter_.reset();
    core_.reset();
}

void Program::Wire()
{
    TMainForm::Hooks& hooks = main_->hooks;
    hooks.ConnectPort = [this] { sysSet_->ConnectPort(); };
    hooks.ShowSystemSetting = [this] {
        sysSet_->show();
        sysSet_->raise();
        sysSet_->activateWindow();
    };
    hooks.ShowOperationSetpoint = [this] { ShowModal(*prmSet_); };
    hooks.ShowMonitorList = [this] {
        mon_->show();
        mon_->raise();
    };
    hooks.SaveGraphData = [this] { mon_->SaveGraphData(); };
    hooks.ShowHistory = [this] {
        history_->show();
        history_->raise();
        history_->activateWindow();
    };
    core_->hooks.SecondStep = [this] { sysSet_->SecondStep(); };
    core_->hooks.TickStep = [this] { sysSet_->TickStep(); };

    sysSet_->GroupedWriteTick = [this] { write_->WriteTick(); };
    sysSet_->ShowGroupedWrite = [this] { ShowModal(*write_); };

    mon_->SaveGraphDataHook = [this] { exporter_->SaveGraphData(); };
    mon_->SaveShortLogHook = [this] { exporter_->BBSaveFileClick(); };
}

}  // namespace qemra
