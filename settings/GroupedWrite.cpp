#include "settings/GroupedWrite.h"

#include "acquisition/PollCycle.h"
#include "common/NumberText.h"
#include "settings/EchoVerify.h"
#include "parameters/ParameterSet.h"

#include <algorithm>
#include <array>

namespace qemra {

namespace {

// Memo lines are for the screen, so they follow its language; the constants keep the source text.
QString Shown(const QString& source) { return GroupedWrite::tr(source.toUtf8().constData()); }
QString Colon() { return GroupedWrite::tr(" ： "); }

QString Text(const char* format, float value)
{
    return FormatFloat(QString::fromLatin1(format), static_cast<double>(value));
}

TKeyValue Pair(const char* key, const QString& value) { return {QString::fromLatin1(key), value}; }

// The correction table under "P01".."P20": DIV n at 2n+1, VAL n at 2n+2.
void AddTablePairs(std::vector<TKeyValue>& pairs, const TWritePrm& prm, int first, int last)
{
    for (int n = first; n <= last; ++n) {
        const auto i = static_cast<std::size_t>(n);
        pairs.push_back({QStringLiteral("P%1").arg(2 * n + 1, 2, 10, QLatin1Char('0')), Text("%1.2f", prm.DIV[i])});
        pairs.push_back({QStringLiteral("P%1").arg(2 * n + 2, 2, 10, QLatin1Char('0')), Text("%1.2f", prm.VAL[i])});
    }
}

}  // namespace

const QString GroupedWrite::kStopped = QStringLiteral(QT_TRANSLATE_NOOP("GroupedWrite", "書込み停止しました！"));
const QString GroupedWrite::kStillUnlocked = QStringLiteral(QT_TRANSLATE_NOOP(
    "GroupedWrite", "※計器の書込み保護が解除されたままです。書込みを最後まで完了すると保護が戻ります。"));
const QString GroupedWrite::kLinkLost = QStringLiteral(QT_TRANSLATE_NOOP("GroupedWrite", "通信が切断されました"));
const QString GroupedWrite::kFinished =
    QStringLiteral(QT_TRANSLATE_NOOP("GroupedWrite", "●●書込み完了しました！●●"));

WriteGroup MakeWriteGroup(int group, const TWritePrm& prm)
{
    WriteGroup g;
    g.Label = group == kWriteGroupCount - 1 ? QStringLiteral("Finish") : QStringLiteral("Group-%1").arg(group + 1);
    std::vector<TKeyValue>& p = g.Pairs;
    switch (group) {
    case 0:
        // The echo of the heater output is not compared: 5 of the 6 pairs.
        p = {Pair("E91", QStringLiteral("1")),        Pair("P99", QStringLiteral("8462")),
             Pair("E01", Text("%1.2f", prm.DifT0m)),  Pair("E02", Text("%1.2f", prm.AdjWS)),
             Pair("E03", Text("%1.2f", prm.AdjDifT)), Pair("E04", Text("%1.4f", prm.HeaterWatt))};
        g.Verified = 5;
        break;
    case 1:
        AddTablePairs(p, prm, 0, 3);
        break;
    case 2:
        AddTablePairs(p, prm, 4, 7);
        break;
    case 3:
        AddTablePairs(p, prm, 8, 9);
        break;
    case 4:
        p = {Pair("E16", Text("%1.3f", prm.ATRevice0)),  Pair("E17", Text("%1.3f", prm.ATRevice1)),
             Pair("E12", Text("%1.3f", prm.WDTRevice0)), Pair("E13", Text("%1.3f", prm.WDTRevice1)),
             Pair("P32", Text("%1.3f", prm.ChipStdV)),   Pair("E21", Text("%1.3f", prm.BGT_Revice0)),
             Pair("E22", Text("%1.3f", prm.BGT_Revice1))};
        break;
    case 5:
        p = {Pair("E26", Text("%1.3f", prm.BBT_Revice0)), Pair("E27", Text("%1.3f", prm.BBT_Revice1)),
             Pair("E28", Text("%1.3f", prm.BBT_Revice2)), Pair("P41", Text("%1.0f", prm.ATRev)),
             Pair("E06", Text("%1.3f", prm.BGT_Coef))};
        break;
    default:
        p = {Pair("E91", QStringLiteral("0")), Pair("P99", QStringLiteral("0"))};
        break;
    }
    if (g.Verified == 0)
        g.Verified = static_cast<int>(p.size());
    return g;
}

GroupedWrite::GroupedWrite(PollCycle& poll, const TWritePrm& prm, LineSink addLine)
    : poll_(poll), prm_(prm), addLine_(std::move(addLine))
{
}

GroupedWrite::~GroupedWrite() { poll_.ReleaseWriteQueue(this); }

void GroupedWrite::Reset()
{
    step_ = 0;
    active_ = false;
}

void GroupedWrite::Start()
{
    step_ = 1;
    unlockSent_ = false;
    addLine_(tr("【書込み開始】"));
    poll_.Acquiring = false;
    active_ = true;
    retryBudget_ = kRetries;
}

void GroupedWrite::Tick()
{
    if (!active_)
        return;
    if (step_ != 0 && step_ != kCompleted && !poll_.LinkConnected()) {
        // Nothing can answer any more: resending would go on with polling off for ever.
        addLine_(GroupLabelAtStep() + Colon() + Shown(kLinkLost));
        step_ = 0;
    }
    if (step_ == 0) {
        addLine_(Shown(kStopped));
        // Group-1 unlocks the instrument and only Finish locks it again.
        if (unlockSent_)
            addLine_(Shown(kStillUnlocked));
        active_ = false;
    } else if (step_ >= 1 && step_ <= 13 && step_ % 2 == 1) {
        SendGroup((step_ - 1) / 2);
    } else if (step_ >= 2 && step_ <= 14 && step_ % 2 == 0) {
        CheckGroup((step_ - 2) / 2);
    } else if (step_ == kCompleted) {
        if (OnCompleted)
            OnCompleted();
        poll_.ReleaseWriteQueue(this);
        poll_.Acquiring = true;
        addLine_(Shown(kFinished));
        active_ = false;
    }
}

void GroupedWrite::SendGroup(int group)
{
    const WriteGroup g = MakeWriteGroup(group, prm_);
    poll_.ClaimWriteQueue(this, [this] { Abandoned(); });
    poll_.ClearCmdList();
    for (std::size_t i = 0; i < g.Pairs.size(); ++i)
        poll_.CmdList[i] = g.Pairs[i];
    poll_.SendWriteRequest();
    if (group == 0)
        unlockSent_ = true;
    else if (group == kWriteGroupCount - 1 && poll_.SentPairCount == static_cast<int>(g.Pairs.size()))
        unlockSent_ = false;
    addLine_(g.Label + Colon() + tr("書込み"));
    ++step_;
}

void GroupedWrite::CheckGroup(int group)
{
    const WriteGroup g = MakeWriteGroup(group, prm_);
    const QStringList unsent = UnsentPairLines(poll_.CmdList, poll_.SentPairCount, g.Verified);
    if (!unsent.isEmpty()) {
        // What was left out of the request was never written, whatever the echo of the rest says.
        for (const QString& line : unsent)
            addLine_(line);
        step_ = 0;
        addLine_(g.Label + Colon() + tr("書込み失敗！ 送信データ不一致"));
    } else if (poll_.AnsReady) {
        const EchoVerdict verdict = VerifyEcho(poll_.CmdList, poll_.AnsList, g.Verified);
        for (const QString& line : verdict.lines)
            addLine_(line);
        if (verdict.good) {
            ++step_;
            addLine_(g.Label + Colon() + tr("書込み成功！"));
            retryBudget_ = kRetries;
        } else {
            step_ = 0;
            addLine_(g.Label + Colon() + tr("書込み失敗！ 送信データ不一致"));
        }
    } else if (retryBudget_ > 0) {
        --retryBudget_;
        --step_;
        addLine_(g.Label + Colon() + tr("応答なし 再書き込み！"));
    } else {
        step_ = 0;
        addLine_(g.Label + Colon() + tr("応答なし 書込み失敗！"));
    }
}

bool GroupedWrite::ReleaseOnClose()
{
    const bool held = poll_.HoldsWriteQueue(this);
    poll_.ReleaseWriteQueue(this);
    active_ = false;
    return held;
}

QString GroupedWrite::GroupLabelAtStep() const
{
    const int group = step_ >= 1 ? std::min((step_ - 1) / 2, kWriteGroupCount - 1) : 0;
    return MakeWriteGroup(group, prm_).Label;
}

void GroupedWrite::Abandoned()
{
    // Another writer has taken the lists (and suspended polling itself): this sequence ends here.
    if (!active_)
        return;
    addLine_(GroupLabelAtStep() + Colon() + tr("書込み中断！ 他の書込みが始まりました"));
    step_ = 0;
}

}  // namespace qemra
