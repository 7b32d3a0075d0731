#pragma once

#include "acquisition/SharedState.h"
#include "system/ParameterSet.h"

#include <QString>
#include <memory>

namespace qemra {

class Clock;
class HistoryExporter;
class Prompts;
class RecordFiles;
class TMainForm;
class TMonForm;
class TPrmSetForm;
class TSysSetForm;
class TWriteForm;

// The running program: the shared records, the parameter set and the five windows, created in
// their fixed order and wired together. Destroyed in reverse order, the main window last, so its
// timer and link outlive every window that uses them; the record files and exports go after them.
class Program {
public:
    Program(const Clock& clock, Prompts& prompts, QString baseFolder);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    SharedState& State() { return state_; }
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
    SharedState state_;
    TWritePrm writePrm_;
    // The monitor window's recording machinery: the daily record files and the history exports.
    std::unique_ptr<RecordFiles> recordFiles_;
    std::unique_ptr<HistoryExporter> exporter_;
    std::unique_ptr<TMainForm> main_;
    std::unique_ptr<TSysSetForm> sysSet_;
    std::unique_ptr<TMonForm> mon_;
    std::unique_ptr<TWriteForm> write_;
    std::unique_ptr<TPrmSetForm> prmSet_;
};

}  // namespace qemra
