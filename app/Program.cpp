#include "app/Program.h"

#include "acquisition/Main.h"
#include "recording/HistoryExport.h"
#include "recording/Monlist.h"
#include "recording/RecordFiles.h"
#include "settings/Prmset.h"
#include "settings/Setwrite.h"
#include "system/Systemset.h"

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

}  // namespace

Program::Program(const Clock& clock, Prompts& prompts, QString baseFolder)
    : clock_(clock), prompts_(prompts), baseFolder_(std::move(baseFolder))
{
    main_ = std::make_unique<TMainForm>(state_, clock_, prompts_, baseFolder_);
    // The parameter defaults belong to the main window's creation; the parameter set lives here
    // because the main window's library cannot know its type.
    SetParameterDefaults(writePrm_);
    sysSet_ = std::make_unique<TSysSetForm>(*main_, state_, writePrm_, clock_, prompts_, baseFolder_);
    mon_ = std::make_unique<TMonForm>(state_, clock_, baseFolder_);
    recordFiles_ = std::make_unique<RecordFiles>(baseFolder_, state_, clock_);
    exporter_ = std::make_unique<HistoryExporter>(prompts_, state_.MesHistory);
    write_ = std::make_unique<TWriteForm>(main_->Poll(), writePrm_, main_.get());
    prmSet_ = std::make_unique<TPrmSetForm>(main_->Poll(), state_, main_.get());
    Wire();
}

Program::~Program()
{
    prmSet_.reset();
    write_.reset();
    mon_.reset();
    sysSet_.reset();
    main_.reset();
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
    hooks.SecondStep = [this] { sysSet_->SecondStep(); };
    hooks.TickStep = [this] { sysSet_->TickStep(); };
    hooks.CheckSecond = [this] { mon_->CheckSecond(); };

    sysSet_->GroupedWriteTick = [this] { write_->WriteTick(); };
    sysSet_->ShowGroupedWrite = [this] { ShowModal(*write_); };

    mon_->RecordSecondHook = [this] { recordFiles_->RecordSecond(); };
    mon_->SaveGraphDataHook = [this] { exporter_->SaveGraphData(); };
    mon_->SaveShortLogHook = [this] { exporter_->BBSaveFileClick(); };
}

}  // namespace qemra
