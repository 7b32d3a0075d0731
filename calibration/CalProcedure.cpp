#include "calibration/CalProcedure.h"

#include "common/AppFolder.h"
#include "common/DateTime.h"
#include "common/NumberText.h"
#include "common/Prompts.h"
#include "calibration/CalWorkFiles.h"

#include <cmath>
#include <cstdlib>

namespace qemra {

namespace {

constexpr std::int32_t kInitRetries = 5;

// Messages and memo lines are for the screen, so they follow its language; the constants keep the
// source text.
QString Shown(const QString& source) { return CalProcedure::tr(source.toUtf8().constData()); }

}  // namespace

const QString CalProcedure::kReferenceOutOfRange =
    QStringLiteral(QT_TRANSLATE_NOOP("CalProcedure", "基準温度は -10 ～ 50 ℃ の数値で入力してください"));
const QString CalProcedure::kUnsendable = QStringLiteral(QT_TRANSLATE_NOOP(
    "CalProcedure", "送信できない値があるため、書込みを中止しました。パラメータの値を確認してください。"));
const QString CalProcedure::kLinkLost = QString::fromUtf8(
    QT_TRANSLATE_NOOP("CalProcedure", "通信が切断されたため、キャリブレーションの書込みを中止しました。"));

CalProcedure::CalProcedure(PollCycle& poll, bool& forceLog, SharedState& state, TWritePrm& prm, const CalStats& stats,
                           const Clock& clock, Prompts& prompts, QString baseFolder, Hooks hooks)
    : poll_(poll), forceLog_(forceLog), state_(state), prm_(prm), stats_(stats), clock_(clock), prompts_(prompts),
      baseFolder_(std::move(baseFolder)), hooks_(std::move(hooks)),
      writeBack_(poll, forceLog, state.MySts, prm, hooks_.AddStatusLine, [this] { return TempRevOnly(); })
{
}

void CalProcedure::Start(const QString& serialNumber)
{
    // Without the defaults' file the run goes on with the built-in defaults; a file that is there
    // but cannot be taken stops it before anything changes.
    const QString defaults = DefaultParameterFilePath(baseFolder_);
    const ParameterLoad load = LoadParameterFile(prm_, defaults);
    ReportParameterLoad(load, defaults, prompts_, kParameterNotConvertible);
    if (load != ParameterLoad::Loaded && load != ParameterLoad::Missing)
        return;
    prm_.SerialNo = serialNumber;
    prm_.CalStart = clock_.Now();
    CalStarted = true;
    if (TempRevOnly())
        return;
    CalStep = 1;
    if (hooks_.ShowCalStatus)
        hooks_.ShowCalStatus();
    writeBack_.AddStatusLine(tr("■キャリブレーション開始■"));
    writeBack_.AddStatusLine(QStringLiteral("S/N:") + prm_.SerialNo);
    SendSettingInit();
    if (hooks_.FillDirectPage)
        hooks_.FillDirectPage();
    SaveCalWorkFile();
}

void CalProcedure::ConfirmTemperatures(bool useReference, const QString& referenceText)
{
    if (!ConfirmationsOpen())
        return;
    const TWritePrm before = prm_;
    prm_.ATRevice0 = float(double(stats_.ATRevCal0) - 0.35);
    prm_.ATRevice1 = float(double(stats_.ATRevCal1) - 0.35);
    prm_.BGT_Revice0 = float(double(stats_.BGTRevCal0) - 0.35);
    prm_.BGT_Revice1 = float(double(stats_.BGTRevCal1) - 0.35);
    prm_.BBT_Revice0 = float(double(stats_.BBTRevCal0) - 0.35);
    prm_.BBT_Revice1 = float(double(stats_.BBTRevCal1) - 0.35);
    if (useReference) {
        double v = 0;
        if (TryTextToFloat(referenceText, v) && !ReferenceTemperatureUsable(v)) {
            // Far outside what the sensors can read it only makes corrections too long to send.
            prm_ = before;
            prompts_.Warning(Shown(kReferenceOutOfRange));
            return;
        }
        if (TryTextToFloat(referenceText, v)) {
            prm_.ATRevice0 = float(v - stats_.WinAvg[kChAT1]);
            prm_.ATRevice1 = float(v - stats_.WinAvg[kChAT2]);
            prm_.BGT_Revice0 = float(v - stats_.WinAvg[kChBGT1]);
            prm_.BGT_Revice1 = float(v - stats_.WinAvg[kChBGT2]);
            prm_.BBT_Revice0 = float(v - stats_.WinAvg[kChBBT1]);
            prm_.BBT_Revice1 = float(v - stats_.WinAvg[kChBBT2]);
        } else {
            prompts_.Warning(tr("数字でない文字が含まれます"));
        }
    }
    if (hooks_.ATCheck && hooks_.ATCheck() && !TempSensorsPlausible(kSensorOffset)) {
        prompts_.Warning(tr("温度計測値に異常が見られます。"));
        return;
    }
    writeBack_.AddStatusLine(tr("□温度関係補正実施"));
    if (!writeBack_.SendTempRevisions()) {
        StopUnsendable(before);
        return;
    }
    if (!WriteWorkLog(QStringLiteral("_ATR.csv")))
        return;
    StageDone(6);
}

void CalProcedure::ClearTemperatures()
{
    prm_.ATRevice0 = prm_.ATRevice1 = 0;
    prm_.BGT_Revice0 = prm_.BGT_Revice1 = 0;
    prm_.BBT_Revice0 = prm_.BBT_Revice1 = 0;
    writeBack_.AddStatusLine(tr("□温度関係0初期化実施"));
    writeBack_.SendTempRevisions();
    StageDone(5);
}

void CalProcedure::ConfirmWDT()
{
    if (!ConfirmationsOpen())
        return;
    if (TempRevOnly())
        return;
    const TWritePrm before = prm_;
    prm_.WDTRevice0 = stats_.WDTRevCal0;
    prm_.WDTRevice1 = stats_.WDTRevCal1;
    writeBack_.AddStatusLine(tr("□風向温度補正実施"));
    if (!writeBack_.SendWDTRevisions()) {
        StopUnsendable(before);
        return;
    }
    if (!WriteWorkLog(QStringLiteral("_WTR.csv")))
        return;
    StageDone(7);
}

void CalProcedure::Confirm0m()
{
    if (!ConfirmationsOpen())
        return;
    if (TempRevOnly())
        return;
    const TWritePrm before = prm_;
    prm_.DifT0m = stats_.DifT0mCal;
    writeBack_.AddStatusLine(tr("□0m補正実施"));
    if (!writeBack_.Send0mRevision()) {
        StopUnsendable(before);
        return;
    }
    if (!WriteWorkLog(QStringLiteral("_cal0.csv")))
        return;
    StageDone(9);
}

void CalProcedure::ConfirmNm()
{
    if (!ConfirmationsOpen())
        return;
    if (TempRevOnly())
        return;
    const TWritePrm before = prm_;
    prm_.AdjDifT = stats_.AdjDifTCal;
    writeBack_.AddStatusLine(tr("□Nm補正実施"));
    if (!writeBack_.SendNmRevision()) {
        StopUnsendable(before);
        return;
    }
    if (!WriteWorkLog(QStringLiteral("_calx.csv")))
        return;
    StageDone(11);
}

void CalProcedure::Finish()
{
    if (!WriteWorkLog(QStringLiteral("_Fin.csv")))
        return;
    writeBack_.AddStatusLine(tr("□作業完了"));
    SaveCalWorkFile();
    if (hooks_.Finished)
        hooks_.Finished();
}

void CalProcedure::StageDone(std::int32_t step)
{
    CalStep = step;
    if (hooks_.StageDone)
        hooks_.StageDone(step);
    if (hooks_.ShowCalStatus)
        hooks_.ShowCalStatus();
    if (hooks_.FillDirectPage)
        hooks_.FillDirectPage();
    SaveCalWorkFile();
}

void CalProcedure::CalWriteTick()
{
    if (WriteAwaited() && !poll_.LinkConnected()) {
        StopForLostLink();
        return;
    }
    switch (CalStep) {
    case 1:
        if (writeBack_.CheckCalWrite()) {
            CalStep = 2;
            poll_.Acquiring = false;
        } else if (InitRetry > 0) {
            --InitRetry;
        } else {
            SendSettingInit();
        }
        break;
    case 2:
        writeBack_.SendDefaultGroup(false, true);
        CalStep = 3;
        if (!writeBack_.LastBatchSent())
            StopStart();
        break;
    case 3:
        if (writeBack_.CheckCalWrite()) {
            if (writeBack_.SendDefaultGroup(true, false))
                CalStep = 4;
        } else {
            writeBack_.SendDefaultGroup(false, false);
        }
        if (!writeBack_.LastBatchSent())
            StopStart();
        break;
    case 4:
        Resume();
        break;
    case 5:
    case 6:
        if (!state_.MySts.VerifyPending)
            break;
        if (writeBack_.CheckCalWrite()) {
            CalStep = CalStep == 5 ? 4 : 7;
            Resume();
        } else {
            writeBack_.SendTempRevisions();
        }
        break;
    case 7:
    case 9:
    case 11:
        if (!state_.MySts.VerifyPending)
            break;
        if (writeBack_.CheckCalWrite())
            Resume();
        else if (CalStep == 7)
            writeBack_.SendWDTRevisions();
        else if (CalStep == 9)
            writeBack_.Send0mRevision();
        else
            writeBack_.SendNmRevision();
        break;
    default:
        break;  // 0, 10 and 12 wait for the operator or the wind
    }
}

bool CalProcedure::TempSensorsPlausible(double offset) const
{
    for (const float correction : {stats_.ATRevCal0, stats_.ATRevCal1, stats_.BGTRevCal0, stats_.BGTRevCal1,
                                   stats_.BBTRevCal0, stats_.BBTRevCal1}) {
        const float x = float(double(correction) + offset);
        const double t = std::trunc(double(x));
        if (std::fabs(t) > 1)
            return false;
    }
    return true;
}

void CalProcedure::SendSettingInit()
{
    writeBack_.SendSettingInit();
    InitRetry = kInitRetries;
}

void CalProcedure::Resume()
{
    forceLog_ = false;
    // A setpoint or grouped write holding the lists has suspended polling for its echo; it resumes
    // polling itself, and this wait takes it up again once the lists are free.
    if (!poll_.WriteQueueHeld() || poll_.HoldsWriteQueue(&writeBack_))
        poll_.Acquiring = true;
}

bool CalProcedure::WriteAwaited() const
{
    if (CalStep >= 1 && CalStep <= 3)
        return true;
    return CalStep >= 5 && CalStep <= 11 && state_.MySts.VerifyPending != 0;
}

void CalProcedure::StopForLostLink()
{
    writeBack_.Abandon();
    // The start never completed; a temperature write that was not taken leaves that stage open.
    if (CalStep <= 3)
        CalStep = 0;
    else if (CalStep == 5 || CalStep == 6)
        CalStep = 4;
    Resume();
    writeBack_.AddStatusLine(Shown(kLinkLost));
    if (hooks_.ShowCalStatus)
        hooks_.ShowCalStatus();
    prompts_.Warning(Shown(kLinkLost));
}

void CalProcedure::StopStart()
{
    CalStep = 0;
    Resume();
    if (hooks_.ShowCalStatus)
        hooks_.ShowCalStatus();
    prompts_.Warning(Shown(kUnsendable));
}

void CalProcedure::StopUnsendable(const TWritePrm& before)
{
    // The stage stays where it was: nothing was written, so the values confirmed are taken back.
    prm_ = before;
    Resume();
    if (hooks_.FillDirectPage)
        hooks_.FillDirectPage();
    prompts_.Warning(Shown(kUnsendable));
}

bool CalProcedure::ReferenceTemperatureUsable(double value)
{
    return std::isfinite(value) && value >= kReferenceMin && value <= kReferenceMax;
}

bool CalProcedure::WriteWorkLog(const QString& suffix)
{
    QString error;
    if (qemra::WriteWorkLog(baseFolder_, prm_, state_.MesHistory, suffix, &error))
        return true;
    prompts_.Error(error);
    return false;
}

void CalProcedure::SaveCalWorkFile()
{
    // A serial number that cannot name a file saves no work file by design; any other failure is
    // the user's to know.
    if (!qemra::SaveCalWorkFile(baseFolder_, prm_) && SerialNumberFitsFileName(prm_.SerialNo))
        prompts_.Error(QStringLiteral("Cannot create file \"%1\".").arg(CalBaseName(baseFolder_, prm_) + QStringLiteral(".qemra")));
}

}  // namespace qemra
