#include "settings/SetpointWrite.h"

#include "acquisition/PollCycle.h"
#include "common/NumberText.h"
#include "settings/EchoVerify.h"

namespace qemra {

namespace {

constexpr int kPairs = 4;

// Memo lines are for the screen, so they follow its language; the constants keep the source text.
QString Shown(const QString& source) { return SetpointWrite::tr(source.toUtf8().constData()); }

}  // namespace

const QString SetpointWrite::kInterrupted =
    QStringLiteral(QT_TRANSLATE_NOOP("SetpointWrite", " 書込み中断！ 他の書込みが始まりました"));
const QString SetpointWrite::kLinkLost =
    QStringLiteral(QT_TRANSLATE_NOOP("SetpointWrite", " 書込み失敗！ 通信が切断されました"));

QString SetpointValueText(float value) { return FormatFloat(QStringLiteral("%1.2f"), static_cast<double>(value)); }

SetpointWrite::SetpointWrite(PollCycle& poll, LineSink addLine) : poll_(poll), addLine_(std::move(addLine)) {}

SetpointWrite::~SetpointWrite()
{
    // The poll cycle outlives the dialog; it must not call back into a writer that is gone.
    poll_.ReleaseWriteQueue(this);
}

void SetpointWrite::Start(const OperationSetpoint& values)
{
    values_ = values;
    poll_.Acquiring = false;
    Send();
    retryBudget_ = kRetries;
    pending_ = true;
}

void SetpointWrite::Send()
{
    poll_.ClaimWriteQueue(this, [this] { Abandoned(); });
    poll_.ClearCmdList();
    TKeyValueList& cmd = poll_.CmdList;
    cmd[0] = {QStringLiteral("H50"), QString::number(values_.MesMode)};
    cmd[1] = {QStringLiteral("H82"), QString::number(values_.CaseMode)};
    cmd[2] = {QStringLiteral("H51"), SetpointValueText(values_.clo)};
    cmd[3] = {QStringLiteral("H52"), SetpointValueText(values_.METs)};
    poll_.SendWriteRequest();
    pending_ = true;
    addLine_(tr(" 書込み"));
}

void SetpointWrite::Check()
{
    if (!pending_)
        return;
    if (!poll_.LinkConnected()) {
        // No answer can come on a closed link: give up instead of resending for ever.
        End();
        addLine_(Shown(kLinkLost));
        return;
    }
    const QStringList unsent = UnsentPairLines(poll_.CmdList, poll_.SentPairCount, kPairs);
    if (!unsent.isEmpty()) {
        // A value too long for the request can never be sent: fail once instead of resending it.
        for (const QString& line : unsent)
            addLine_(line);
        End();
        addLine_(tr(" 書込み失敗！ 送信データ不一致"));
        return;
    }
    if (poll_.AnsReady) {
        const EchoVerdict verdict = VerifyEcho(poll_.CmdList, poll_.AnsList, kPairs);
        for (const QString& line : verdict.lines)
            addLine_(line);
        if (verdict.good) {
            End();
            addLine_(tr(" 書込み成功！"));
            retryBudget_ = kRetries;
        } else {
            addLine_(tr(" 書込み失敗！ 送信データ不一致"));
            Send();
        }
        return;
    }
    if (retryBudget_ > 0) {
        --retryBudget_;
        addLine_(tr(" 応答なし 再書き込み！"));
        Send();
    } else {
        End();
        addLine_(tr(" 応答なし 書込み失敗！"));
    }
}

void SetpointWrite::End()
{
    pending_ = false;
    poll_.ReleaseWriteQueue(this);
    poll_.Acquiring = true;
}

void SetpointWrite::Reset()
{
    // A write left pending would keep polling suspended with nothing left to resume it.
    if (pending_ && poll_.HoldsWriteQueue(this))
        End();
    pending_ = false;
}

void SetpointWrite::Abandoned()
{
    // Another writer has taken the lists and suspended polling itself; it resumes polling.
    pending_ = false;
    addLine_(Shown(kInterrupted));
}

}  // namespace qemra
