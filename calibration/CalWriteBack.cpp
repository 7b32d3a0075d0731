#include "calibration/CalWriteBack.h"

#include "common/NumberText.h"

#include <algorithm>

namespace qemra {

namespace {

// Texts on the serial line always carry "." whatever the user's locale.
QString Fixed(const char* format, float value) { return FormatFloat(QString::fromLatin1(format), double(value), u'.'); }

CalPair Pair(const char* key, QString value) { return {QString::fromLatin1(key), std::move(value)}; }

CalPair Protect() { return Pair("E91", QStringLiteral("1")); }

// Correction table element n: DIV under P(2n+1), VAL under P(2n+2).
void AddTablePairs(std::vector<CalPair>& pairs, const TWritePrm& prm, int first, int last)
{
    for (int n = first; n <= last; ++n) {
        const auto index = static_cast<std::size_t>(n);
        pairs.push_back({QStringLiteral("P%1").arg(2 * n + 1, 2, 10, QChar(u'0')), Fixed("%1.2f", prm.DIV[index])});
        pairs.push_back({QStringLiteral("P%1").arg(2 * n + 2, 2, 10, QChar(u'0')), Fixed("%1.2f", prm.VAL[index])});
    }
}

}  // namespace

CalWriteBack::CalWriteBack(PollCycle& poll, bool& forceLog, TMySts& status, const TWritePrm& prm,
                           StatusSink addStatusLine, std::function<bool()> tempRevOnly)
    : poll_(poll), forceLog_(forceLog), status_(status), prm_(prm), addStatusLine_(std::move(addStatusLine)),
      tempRevOnly_(std::move(tempRevOnly))
{
}

void CalWriteBack::AddStatusLine(const QString& text) const
{
    if (addStatusLine_)
        addStatusLine_(text);
}

std::vector<CalPair> CalWriteBack::SettingInitPairs()
{
    return {Protect(), Pair("P99", QStringLiteral("8462")), Pair("P91", QStringLiteral("9318"))};
}

std::vector<CalPair> CalWriteBack::DefaultGroupPairs(const TWritePrm& prm, int group)
{
    std::vector<CalPair> pairs;
    switch (group) {
    case 0:
        pairs = {Protect(),
                 Pair("P99", QStringLiteral("8462")),
                 Pair("E01", Fixed("%1.2f", prm.DifT0m)),
                 Pair("E02", Fixed("%1.2f", prm.AdjWS)),
                 Pair("E03", Fixed("%1.2f", prm.AdjDifT)),
                 Pair("E04", Fixed("%1.4f", prm.HeaterWatt))};
        break;
    case 1:
        pairs = {Pair("E16", Fixed("%1.3f", prm.ATRevice0)),  Pair("E17", Fixed("%1.3f", prm.ATRevice1)),
                 Pair("E12", Fixed("%1.3f", prm.WDTRevice0)), Pair("E13", Fixed("%1.3f", prm.WDTRevice1)),
                 Pair("P32", Fixed("%1.3f", prm.ChipStdV)),   Pair("E21", Fixed("%1.3f", prm.BGT_Revice0)),
                 Pair("E22", Fixed("%1.3f", prm.BGT_Revice1))};
        break;
    case 2:
        pairs = {Pair("E26", Fixed("%1.3f", prm.BBT_Revice0)), Pair("E27", Fixed("%1.3f", prm.BBT_Revice1)),
                 Pair("E28", Fixed("%1.3f", prm.BBT_Revice2)), Pair("P41", Fixed("%1.0f", prm.ATRev)),
                 Pair("E06", Fixed("%1.3f", prm.BGT_Coef))};
        break;
    case 3:
        AddTablePairs(pairs, prm, 0, 3);
        break;
    case 4:
        AddTablePairs(pairs, prm, 4, 7);
        break;
    case 5:
        AddTablePairs(pairs, prm, 8, 9);
        break;
    default:
        break;
    }
    return pairs;
}

std::vector<CalPair> CalWriteBack::TempRevisionPairs(const TWritePrm& prm)
{
    return {Protect(),
            Pair("E16", Fixed("%1.3f", prm.ATRevice0)),
            Pair("E17", Fixed("%1.3f", prm.ATRevice1)),
            Pair("E21", Fixed("%1.3f", prm.BGT_Revice0)),
            Pair("E22", Fixed("%1.3f", prm.BGT_Revice1)),
            Pair("E26", Fixed("%1.3f", prm.BBT_Revice0)),
            Pair("E27", Fixed("%1.3f", prm.BBT_Revice1))};
}

std::vector<CalPair> CalWriteBack::WDTRevisionPairs(const TWritePrm& prm)
{
    return {Protect(), Pair("E12", Fixed("%1.3f", prm.WDTRevice0)), Pair("E13", Fixed("%1.3f", prm.WDTRevice1))};
}

std::vector<CalPair> CalWriteBack::ZeroRevisionPairs(const TWritePrm& prm)
{
    return {Protect(), Pair("E01", Fixed("%1.2f", prm.DifT0m))};
}

std::vector<CalPair> CalWriteBack::NmRevisionPairs(const TWritePrm& prm)
{
    return {Protect(), Pair("E03", Fixed("%1.2f", prm.AdjDifT)), Pair("E02", Fixed("%1.2f", prm.AdjWS))};
}

bool CalWriteBack::SendBatch(const std::vector<CalPair>& pairs, const QString& statusLine, bool setPending)
{
    // Another writer holding the lists simply loses them; the calibration's own checks resend.
    poll_.ClaimWriteQueue(this, [] {});
    poll_.Acquiring = false;
    forceLog_ = true;
    poll_.ClearCmdList();
    const std::size_t count = std::min(pairs.size(), poll_.CmdList.size());
    for (std::size_t i = 0; i < count; ++i) {
        poll_.CmdList[i].Key = pairs[i].Key;
        poll_.CmdList[i].Value = pairs[i].Value;
    }
    AddStatusLine(statusLine);
    if (count < pairs.size() || !poll_.WriteRequestFits()) {
        // Resending what can never go out would keep polling off for ever.
        AddStatusLine(tr("送信不可：１回の要求に収まらない値があります"));
        Abandon();
        lastBatchSent_ = false;
        return false;
    }
    status_.VerifyCount = static_cast<std::int32_t>(count);
    if (setPending)
        status_.VerifyPending = 1;
    poll_.SendWriteRequest();
    lastBatchSent_ = true;
    return true;
}

void CalWriteBack::Abandon()
{
    status_.VerifyPending = 0;
    poll_.ReleaseWriteQueue(this);
}

void CalWriteBack::SendSettingInit()
{
    // The step machine checks on every call at this stage, so the pending flag stays as it is.
    SendBatch(SettingInitPairs(), tr("＜設定初期化＞"), false);
}

bool CalWriteBack::SendDefaultGroup(bool advance, bool restart)
{
    if (restart) {
        DefGroup = 0;
    } else if (advance) {
        ++DefGroup;
        if (DefGroup > kDefaultGroupCount - 1)
            return true;
    }
    SendDefaultValues(DefGroup);
    return false;
}

bool CalWriteBack::SendDefaultValues(int group)
{
    if (tempRevOnly_ && tempRevOnly_())
        return true;
    return SendBatch(DefaultGroupPairs(prm_, group), tr("＜デフォルト値設定＞：%1").arg(group), true);
}

bool CalWriteBack::SendTempRevisions() { return SendBatch(TempRevisionPairs(prm_), tr("＜気温補正送信＞"), true); }

bool CalWriteBack::SendWDTRevisions()
{
    if (tempRevOnly_ && tempRevOnly_())
        return true;
    return SendBatch(WDTRevisionPairs(prm_), tr("＜風向温補正送信＞"), true);
}

bool CalWriteBack::Send0mRevision()
{
    if (tempRevOnly_ && tempRevOnly_())
        return true;
    return SendBatch(ZeroRevisionPairs(prm_), tr("＜0m/s. 補正送信＞"), true);
}

bool CalWriteBack::SendNmRevision()
{
    if (tempRevOnly_ && tempRevOnly_())
        return true;
    return SendBatch(NmRevisionPairs(prm_), tr("＜Nm/s. 補正送信＞"), true);
}

bool CalWriteBack::CheckCalWrite()
{
    status_.VerifyPending = 0;
    const bool ok = poll_.VerifyWriteEcho(status_.VerifyCount);
    AddStatusLine(ok ? tr("設定OK") : tr("設定NG"));
    if (ok)
        poll_.ReleaseWriteQueue(this);
    return ok;
}

}  // namespace qemra
