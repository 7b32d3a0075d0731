#include "acquisition/PollCycle.h"

#include "acquisition/TraceLog.h"
#include "common/NumberText.h"
#include "link/FrameCodec.h"

#include <algorithm>
#include <utility>

namespace qemra {

namespace {

constexpr int kGroupCount = 6;
constexpr int kGroupSize = 8;
// The pairs of a write request get what a frame leaves after "<RW," and ">", so a packed request
// is never too long to frame and is never dropped on its way to the port.
constexpr int kWritePairsLimit = kMaxFramedLength - 4;

}  // namespace

PollCycle::PollCycle(SharedState& state, FrameLink& link, const Clock& clock, TraceLog& traceLog)
    : state_(state), link_(link), clock_(clock), traceLog_(traceLog)
{
}

void PollCycle::MainTimerTimer()
{
    if (link_.Connected() && Acquiring) {
        PollStep();
        state_.CurMes.Measuring = 1;
        const TDateTime now = clock_.Now();
        const std::int32_t second = WholeSeconds(now);
        if (second != LastSecond) {
            // The first seconds after a start are shown but kept out of the history.
            if (WarmupCount <= 3)
                ++WarmupCount;
            else if (AllGroupsAnswered())
                state_.MesHistory.Push(state_.CurMes, now);
            if (hooks.ShowValues)
                hooks.ShowValues();
            if (hooks.SecondStep)
                hooks.SecondStep();
        }
        LastSecond = second;
    } else {
        state_.CurMes.Measuring = 0;
    }
    if (hooks.TickStep)
        hooks.TickStep();
    if (hooks.CheckSecond)
        hooks.CheckSecond();
}

void PollCycle::PollStep()
{
    PollPhase = static_cast<std::uint8_t>(PollPhase + 1);
    const int group = PollPhase % kGroupCount;
    for (int i = 0; i < kGroupSize; ++i)
        CmdList[static_cast<std::size_t>(i)].Key =
            QString::fromLatin1(CodeTable[static_cast<std::size_t>(kGroupSize * group + i)]);

    if (AnsReady) {
        for (int i = 0; i < kGroupSize; ++i) {
            const TKeyValue& answer = AnsList[static_cast<std::size_t>(i)];
            StoreValue(state_.CurMes, answer.Key, answer.Value);
        }
        if (requestedGroup_ >= 0)
            answeredGroups_ |= 1u << requestedGroup_;
    }
    SendReadRequest();
    requestedGroup_ = group;
}

void PollCycle::SendReadRequest()
{
    QByteArray text;
    for (const TKeyValue& entry : CmdList) {
        if (entry.Key.isEmpty())
            break;
        text += entry.Key.toLatin1();
        text += ',';
    }
    text.prepend("RD,");
    AnsReady = false;
    ClearAnsList();
    awaiting_ = Awaiting::ReadAnswer;
    requestedGroup_ = -1;
    link_.SetOnFrame([this] { OnFrameReceived(); });
    link_.SendFrame(text);
}

int PollCycle::PendingPairCount() const
{
    int n = 0;
    while (n < kPairListSize && !CmdList[static_cast<std::size_t>(n)].Key.isEmpty() &&
           !CmdList[static_cast<std::size_t>(n)].Value.isEmpty())
        ++n;
    return n;
}

bool PollCycle::WriteRequestFits() const
{
    const int n = PendingPairCount();
    for (int i = 0; i < n; ++i) {
        float value = 0;
        if (!TryTextToSingle(CmdList[static_cast<std::size_t>(i)].Value, value))
            return false;
    }
    QByteArray text;
    return PackPairs(CmdList.data(), text, n, kWritePairsLimit) == n;
}

void PollCycle::SendWriteRequest()
{
    QByteArray text;
    SentPairCount = PackPairs(CmdList.data(), text, PendingPairCount(), kWritePairsLimit);
    text.prepend("RW,");
    AnsReady = false;
    ClearAnsList();
    awaiting_ = Awaiting::WriteAnswer;
    requestedGroup_ = -1;
    link_.SetOnFrame([this] { OnFrameReceived(); });
    link_.SendFrame(text);
}

void PollCycle::ClearCmdList() { CmdList.fill(TKeyValue{}); }

void PollCycle::ClearAnsList() { AnsList.fill(TKeyValue{}); }

bool PollCycle::VerifyWriteEcho(int n)
{
    // Callers pass a count kept elsewhere; never read past the lists.
    n = std::clamp(n, 0, kPairListSize);
    bool ok = true;
    QString sent;
    QString received;
    for (int i = 0; i < n; ++i) {
        const TKeyValue& cmd = CmdList[static_cast<std::size_t>(i)];
        if (cmd.Key.isEmpty())
            continue;
        const TKeyValue& ans = AnsList[static_cast<std::size_t>(i)];
        if (ans.Key == cmd.Key) {
            // Compared as the instrument holds them, in single precision; a text that is not a
            // number cannot be compared and is let through.
            float sentValue = 0;
            float echoValue = 0;
            if (TryTextToSingle(cmd.Value, sentValue) && TryTextToSingle(ans.Value, echoValue) &&
                sentValue != echoValue)
                ok = false;
        } else {
            ok = false;
        }
        sent += cmd.Key + u'=' + cmd.Value + u',';
        received += ans.Key + u'=' + ans.Value + u',';
    }
    if (state_.MySts.Maint) {
        traceLog_.Write(QStringLiteral("Snd: ") + sent);
        traceLog_.Write(QStringLiteral("Rcv: ") + received);
    }
    return ok;
}

void PollCycle::ClaimWriteQueue(const void* writer, WriterAbandon abandon)
{
    if (writer_ != nullptr && writer_ != writer) {
        // Moved out first: the abandoned writer may claim or release from inside its callback.
        WriterAbandon previous = std::move(abandonWriter_);
        writer_ = nullptr;
        if (previous)
            previous();
    }
    writer_ = writer;
    abandonWriter_ = std::move(abandon);
}

void PollCycle::ReleaseWriteQueue(const void* writer)
{
    if (writer_ != writer)
        return;
    writer_ = nullptr;
    abandonWriter_ = nullptr;
}

void PollCycle::OnFrameReceived()
{
    // The buffer holds "<" payload ">"; the payload's first two characters name the answer and
    // the third is a separator.
    QByteArray frame = link_.RxBuf();
    frame = frame.size() >= 2 ? frame.mid(1, frame.size() - 2) : QByteArray();
    const QByteArray command = frame.left(2);
    const QByteArray rest = frame.mid(3);
    // A read answer that comes after a write request was sent (the instrument was slow, or the
    // write went out between a read request and its answer) belongs to the read and is dropped,
    // and the same for a write answer after a read request.
    const bool expected = (command == "AD" && awaiting_ == Awaiting::ReadAnswer) ||
                          (command == "AW" && awaiting_ == Awaiting::WriteAnswer);
    if (expected) {
        if (!AnsReady)
            SplitPairs(rest, AnsList.data(), kPairListSize);
        AnsReady = true;
    }
}

void PollCycle::PortOpened()
{
    AnsReady = false;
    ClearAnsList();
    awaiting_ = Awaiting::Nothing;
    requestedGroup_ = -1;
    answeredGroups_ = 0;
}

}  // namespace qemra
