#pragma once

#include "acquisition/PollCycle.h"
#include "calibration/CalStatistics.h"
#include "calibration/CalWriteBack.h"
#include "parameters/ParameterSet.h"

#include <QCoreApplication>
#include <QString>
#include <cstdint>
#include <functional>

namespace qemra {

class Clock;
class Prompts;

// The calibration's step machine and the logic of its operator actions: it copies the computed
// corrections into the parameter set, sends them through the write-back, keeps the work files and
// checks every batch against the echo until the instrument has taken it. No widget inside; the
// calibration page reads the window's check boxes through the hooks and shows the state.
class CalProcedure {
    Q_DECLARE_TR_FUNCTIONS(CalProcedure)

public:
    struct Hooks {
        std::function<bool()> TempRevOnly;     // "気温補正のみ"
        std::function<bool()> ATCheck;         // "温度素子異常確認"
        std::function<void()> ShowCalStatus;   // after every step change by an action
        std::function<void()> FillDirectPage;  // parameter set shown on the direct-operation page
        std::function<void(const QString&)> AddStatusLine;
        std::function<void(std::int32_t step)> StageDone;  // a confirmation or the zeroing has sent and set its step
        std::function<void()> Finished;                    // "作業完了" has written its work log and work file
    };

    static constexpr double kSensorOffset = -0.35;
    // The reference temperatures the statistics accept.
    static constexpr double kReferenceMin = -10;
    static constexpr double kReferenceMax = 50;
    static const QString kReferenceOutOfRange;
    static const QString kUnsendable;
    static const QString kLinkLost;
    static bool ReferenceTemperatureUsable(double value);

    CalProcedure(PollCycle& poll, bool& forceLog, SharedState& state, TWritePrm& prm, const CalStats& stats,
                 const Clock& clock, Prompts& prompts, QString baseFolder, Hooks hooks);

    std::int32_t CalStep = 0;
    std::int32_t InitRetry = 0;
    // A start has taken the serial number and start time since the program started (also in the
    // air-temperature-only mode, which stays at step 0).
    bool CalStarted = false;

    CalWriteBack& WriteBack() { return writeBack_; }

    // The operator actions; each returns once its batch is sent (the echo is checked by CalWriteTick).
    void Start(const QString& serialNumber);
    void ConfirmTemperatures(bool useReference, const QString& referenceText);
    void ClearTemperatures();
    void ConfirmWDT();
    void Confirm0m();
    void ConfirmNm();
    void Finish();

    // Before any start the instrument is still locked and no work file has a serial number or
    // start time, so a confirmation would only write files for nobody and resend a write the
    // instrument refuses for ever.
    bool ConfirmationsOpen() const { return CalStarted; }

    // One check of the write under way; every 400 ms.
    void CalWriteTick();
    // True when every computed temperature correction plus the offset stays below 2 in magnitude.
    bool TempSensorsPlausible(double offset) const;

private:
    void SendSettingInit();
    void Resume();
    // A batch is out and its echo not yet taken.
    bool WriteAwaited() const;
    void StopForLostLink();
    void StopStart();
    void StopUnsendable(const TWritePrm& before);
    // The work log and its file error box; false when it could not be written.
    bool WriteWorkLog(const QString& suffix);
    void SaveCalWorkFile();
    void StageDone(std::int32_t step);
    bool TempRevOnly() const { return hooks_.TempRevOnly && hooks_.TempRevOnly(); }

    PollCycle& poll_;
    bool& forceLog_;
    SharedState& state_;
    TWritePrm& prm_;
    const CalStats& stats_;
    const Clock& clock_;
    Prompts& prompts_;
    QString baseFolder_;
    Hooks hooks_;
    CalWriteBack writeBack_;
};

}  // namespace qemra
