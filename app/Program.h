#pragma once

#include "core/AcquisitionCore.h"
#include "parameters/ParameterSet.h"

#include <QString>
#include <memory>

namespace qemra {

class Clock;
class HistoryExporter;
class Prompts;
class TMainForm;
class TMonForm;
class TPrmSetForm;
class TSysSetForm;
class TWriteForm;
class THistoryForm;

// The running program: the acquisition core, the parameter set and the five windows over them,
// created in their fixed order and wired together. Destroyed in reverse order, the windows before
// the core they show.
class Program {
public:
    Program(const Clock& clock, Prompts& prompts, QString baseFolder);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    AcquisitionCore& Core() { return *core_; }
    SharedState& State() { return core_->State(); }
    TWritePrm& WritePrm() { return writePrm_; }
    TMainForm& Main() { return *main_; }
    TSysSetForm& SysSet() { return *sysSet_; }
    TMonForm& Mon() { return *mon_; }
    TWriteForm& Write() { return *write_; }
    TPrmSetForm& PrmSet() { return *prmSet_; }

private:
    void Wire();

    const Clock& clock_;
    Prompts& prompts_;
    QString baseFolder_;
    TWritePrm writePrm_;
    std::unique_ptr<AcquisitionCore> core_;
    std::unique_ptr<HistoryExporter> exporter_;
    std::unique_ptr<TMainForm> main_;
    std::unique_ptr<TSysSetForm> sysSet_;
    std::unique_ptr<TMonForm> mon_;
    std::unique_ptr<TWriteForm> write_;
    std::unique_ptr<TPrmSetForm> prmSet_;
    std::unique_ptr<THistoryForm> history_;
};

}  // namespace qemra
