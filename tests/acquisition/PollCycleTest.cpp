#include "acquisition/PollCycle.h"
#include "acquisition/TraceLog.h"
#include "tests/support/FakeFrameLink.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace qemra {
namespace {

const char* const kGroupRequests[6] = {
    "RD,M01,M11,C01,C11,C12,C32,C50,C51,", "RD,C52,C53,S00,S01,S11,S12,S13,C21,", "RD,C22,C16,C17,M05,M51,M52,M53,M54,",
    "RD,M55,M21,M22,M23,M31,M32,M33,C26,", "RD,C27,M04,M12,C71,C72,C76,C77,C78,", "RD,H50,H51,H82,C13,M00,M00,M00,M00,",
};

int IndexOf(const std::string& code)
{
    for (int j = 0; j < kCodesInUse; ++j)
        if (code == CodeTable[static_cast<std::size_t>(j)])
            return j;
    ADD_FAILURE() << "no such code " << code;
    return 0;
}

class PollCycleTest : public ::testing::Test {
protected:
    TempFolder folder;
    FakeClock clock{EncodeDateTime(2024, 1, 15, 9, 5, 7, 100)};
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();
    FakeFrameLink link;
    TraceLog trace{folder.path(), clock};
    PollCycle poll{*state, link, clock, trace};

    // Every value of the record, by code index.
    std::vector<double> Values() const
    {
        std::vector<double> values;
        for (int j = 0; j < kCodesInUse; ++j)
            values.push_back(ValueAt(state->CurMes, j));
        return values;
    }

    void FillCmd(const std::vector<TKeyValue>& pairs)
    {
        poll.ClearCmdList();
        for (std::size_t i = 0; i < pairs.size(); ++i)
            poll.CmdList[i] = pairs[i];
    }
};

TEST_F(PollCycleTest, FirstTicksRequestGroupsOneToFiveThenZero)
{
    for (int tick = 0; tick < 6; ++tick)
        poll.MainTimerTimer();

    const std::vector<QByteArray> expected = {kGroupRequests[1], kGroupRequests[2], kGroupRequests[3],
                                              kGroupRequests[4], kGroupRequests[5], kGroupRequests[0]};
    EXPECT_EQ(link.sent, expected);
    EXPECT_EQ(link.handlerSetAtSend, std::vector<bool>(6, true));
}

TEST_F(PollCycleTest, PhaseWrapFollowsGroupThreeWithGroupZero)
{
    poll.PollPhase = 254;
    for (int tick = 0; tick < 3; ++tick)
        poll.MainTimerTimer();

    const std::vector<QByteArray> expected = {kGroupRequests[3], kGroupRequests[0], kGroupRequests[1]};
    EXPECT_EQ(link.sent, expected);
    EXPECT_EQ(poll.PollPhase, 1);
}

TEST_F(PollCycleTest, StoresTheFirstEightCodePairsOfAnAnswerAtTheNextTick)
{
    struct Case {
        const char* answer;
        std::map<std::string, double> changes;
    };
    const Case cases[] = {
        {"AD,M11=24.5,M01=0.25,", {{"M11", 24.5}, {"M01", 0.25}}},
        {"AW,H50=1,H82=2,", {}},  // a write's answer is no answer to a read request
        {"AD;S00=1234,C52=12.9,", {{"S00", 1234}, {"C52", 12}}},  // the separator is not looked at
        {"AD,M00=7,M00=8,m01=3,X99=4,", {}},
        {"XX,M01=5,", {}},
        {"AD,M01=5", {}},  // a pair without its closing "," is lost
        {"AD,M01=1,M01=2,M01=3,M01=4,M01=5,M01=6,M01=7,M01=8,M11=9,", {{"M01", 8}}},
        {"AD,M01=abc,M11=21.25,", {{"M11", 21.25}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        state->CurMes = TMesData{};
        poll.MainTimerTimer();
        link.Deliver(c.answer);
        EXPECT_EQ(Values(), std::vector<double>(kCodesInUse, 0.0)) << "stored before the next tick";
        poll.MainTimerTimer();

        std::vector<double> expected(kCodesInUse, 0.0);
        for (const auto& [code, value] : c.changes)
            expected[static_cast<std::size_t>(IndexOf(code))] = value;
        EXPECT_EQ(Values(), expected);
    }
}

TEST_F(PollCycleTest, AcceptsOnlyReadAndWriteAnswersAndSurvivesShortBuffers)
{
    struct Case {
        QByteArray buffer;
        bool ready;
        const char* firstKey;
    };
    const Case cases[] = {
        {"", false, ""},
        {"<", false, ""},
        {"<>", false, ""},
        {"<A>", false, ""},
        {"<AD>", true, ""},
        {"<AD,>", true, ""},
        {"<AW,E01=1,>", false, ""},
        {"<RD,M01,>", false, ""},
        {"<ad,M01=1,>", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.buffer.toStdString());
        poll.MainTimerTimer();
        link.DeliverRaw(c.buffer);
        EXPECT_EQ(poll.AnsReady, c.ready);
        EXPECT_EQ(poll.AnsList[0].Key, QString::fromLatin1(c.firstKey));
    }
}

TEST_F(PollCycleTest, IgnoresASecondAnswerToOneRequest)
{
    poll.MainTimerTimer();
    link.Deliver("AD,M01=1,");
    link.Deliver("AD,M01=2,M11=3,");
    poll.MainTimerTimer();

    EXPECT_FLOAT_EQ(state->CurMes.M01, 1.0f);
    EXPECT_FLOAT_EQ(state->CurMes.M11, 0.0f);
}

TEST_F(PollCycleTest, LeftoverCommandEntriesRideAlongUntilTheListIsCleared)
{
    QByteArray leftover;
    for (int i = 8; i < 18; ++i) {
        poll.CmdList[static_cast<std::size_t>(i)] = {QString("E%1").arg(i, 2, 10, QChar('0')), "1"};
        leftover += QString("E%1,").arg(i, 2, 10, QChar('0')).toLatin1();
    }
    poll.MainTimerTimer();
    // Pairs beyond the eighth are never stored, even when they name a value code.
    link.Deliver("AD,C52=1,C53=2,S00=3,S01=4,S11=5,S12=6,S13=7,C21=8,M01=9,M11=10,");
    poll.MainTimerTimer();
    poll.ClearCmdList();
    poll.MainTimerTimer();

    ASSERT_EQ(link.sent.size(), 3u);
    EXPECT_EQ(link.sent[0], kGroupRequests[1] + leftover);
    EXPECT_EQ(link.sent[1], kGroupRequests[2] + leftover);
    EXPECT_EQ(link.sent[2], kGroupRequests[3]);
    EXPECT_FLOAT_EQ(state->CurMes.C21, 8.0f);
    EXPECT_FLOAT_EQ(state->CurMes.M01, 0.0f);
    EXPECT_FLOAT_EQ(state->CurMes.M11, 0.0f);
}

// n pairs "Kxx=" + value, each `packed` characters long as "K=V,".
std::vector<TKeyValue> Pairs(int n, int packed)
{
    std::vector<TKeyValue> pairs;
    for (int i = 0; i < n; ++i)
        pairs.push_back({QString("K%1").arg(i, 2, 10, QChar('0')), QString(packed - 5, QChar('7'))});
    return pairs;
}

QByteArray Packed(const std::vector<TKeyValue>& pairs, int n)
{
    QByteArray text;
    for (int i = 0; i < n; ++i)
        text +=
            (pairs[static_cast<std::size_t>(i)].Key + "=" + pairs[static_cast<std::size_t>(i)].Value + ",").toLatin1();
    return text;
}

TEST_F(PollCycleTest, WriteRequestCarriesTheLeadingCompletePairsThatFitTheFrame)
{
    const std::vector<TKeyValue> incomplete = {{"H50", "1"}, {"H82", "2"}, {"H51", ""}, {"H52", "1.2"}};
    const std::vector<TKeyValue> tens = Pairs(20, 10);
    const std::vector<TKeyValue> elevens = Pairs(20, 11);
    std::vector<TKeyValue> overlong = Pairs(12, 10);
    overlong.push_back({"K", "v"});  // 120 + 4 = 124 characters: one more than a frame leaves

    struct Case {
        const char* name;
        std::vector<TKeyValue> pairs;
        QByteArray payload;
    };
    const Case cases[] = {
        {"incomplete third entry", incomplete, "RW,H50=1,H82=2,"},
        {"ten-character pairs", tens, "RW," + Packed(tens, 12)},
        {"eleven-character pairs", elevens, "RW," + Packed(elevens, 11)},
        {"124 packed characters", overlong, "RW," + Packed(overlong, 12)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        link.sent.clear();
        poll.AnsReady = true;
        poll.AnsList[0] = {"X", "1"};
        FillCmd(c.pairs);
        poll.SendWriteRequest();

        ASSERT_EQ(link.sent.size(), 1u);
        EXPECT_EQ(link.sent[0], c.payload);
        EXPECT_TRUE(link.handlerSetAtSend.back());
        EXPECT_FALSE(poll.AnsReady);
        EXPECT_TRUE(poll.AnsList[0].Key.isEmpty());
    }
    // "<" + payload + ">" always fits one frame, so no request is refused by the link; the writer
    // learns how many pairs went out.
    EXPECT_EQ(link.sent[0].size() + 2, 125);
    EXPECT_EQ(poll.SentPairCount, 12);
    EXPECT_FALSE(poll.WriteRequestFits());
}

TEST_F(PollCycleTest, WriteEchoMatchesInSinglePrecisionAndByKey)
{
    struct Case {
        const char* name;
        std::vector<TKeyValue> cmd;
        std::vector<TKeyValue> ans;
        int n;
        bool ok;
    };
    const Case cases[] = {
        {"trailing zeros", {{"E01", "0.50"}, {"E02", "1.20"}}, {{"E01", "0.5"}, {"E02", "1.2"}}, 2, true},
        {"other value", {{"E01", "0.50"}, {"E02", "1.20"}}, {{"E01", "0.51"}, {"E02", "1.2"}}, 2, false},
        {"missing echo", {{"E01", "0.50"}, {"E02", "1.20"}}, {{"E01", "0.5"}}, 2, false},
        {"not a number", {{"E01", "abc"}}, {{"E01", "0.5"}}, 1, true},
        // Past the single-precision range a text is no number either.
        {"echo beyond single precision", {{"E01", "1"}}, {{"E01", "1e39"}}, 1, true},
        {"largest single still compared", {{"E01", "1"}}, {{"E01", "3.4028235e38"}}, 1, false},
        {"other key", {{"E01", "0.50"}}, {{"E02", "0.50"}}, 1, false},
        {"equal as float", {{"E01", "0.1"}}, {{"E01", "0.100000001"}}, 1, true},
        {"beyond n", {{"E01", "0.5"}, {"E02", "1.2"}}, {{"E01", "0.5"}, {"E02", "9"}}, 1, true},
        {"empty command key", {{"", ""}, {"E02", "1.2"}}, {{"X", "1"}, {"E02", "1.2"}}, 2, true},
        {"nothing compared", {{"E01", "1"}}, {{"E02", "2"}}, 0, true},
        {"count past the lists", {{"E01", "1"}}, {{"E01", "1"}}, 25, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FillCmd(c.cmd);
        poll.ClearAnsList();
        for (std::size_t i = 0; i < c.ans.size(); ++i)
            poll.AnsList[i] = c.ans[i];
        EXPECT_EQ(poll.VerifyWriteEcho(c.n), c.ok);
    }
}

struct HookCounts {
    int show = 0, second = 0, tick = 0, check = 0;
};

PollCycle::Hooks CountingHooks(HookCounts& counts)
{
    return {[&counts] { ++counts.show; }, [&counts] { ++counts.second; }, [&counts] { ++counts.tick; },
            [&counts] { ++counts.check; }};
}

TEST_F(PollCycleTest, TicksWithoutPollingOnlyRunTheTickHooks)
{
    struct Case {
        bool open;
        bool acquiring;
    };
    for (const Case c : {Case{false, true}, Case{true, false}, Case{false, false}}) {
        SCOPED_TRACE(testing::Message() << "open " << c.open << " acquiring " << c.acquiring);
        PollCycle idle(*state, link, clock, trace);
        HookCounts counts;
        idle.hooks = CountingHooks(counts);
        link.open = c.open;
        idle.Acquiring = c.acquiring;
        link.sent.clear();
        state->CurMes.Measuring = 1;
        for (int tick = 0; tick < 3; ++tick) {
            idle.MainTimerTimer();
            clock.AdvanceSeconds(1);
        }
        EXPECT_EQ(idle.PollPhase, 0);
        EXPECT_EQ(idle.LastSecond, 0);
        EXPECT_TRUE(link.sent.empty());
        EXPECT_EQ(state->CurMes.Measuring, 0);
        EXPECT_EQ(counts.show + counts.second, 0);
        EXPECT_EQ(counts.tick, 3);
        EXPECT_EQ(counts.check, 3);
    }
}

TEST_F(PollCycleTest, NewSecondRunsHooksAfterThePollInTickOrder)
{
    std::vector<std::string> events;
    poll.hooks.ShowValues = [&] {
        events.push_back("ShowValues");
        EXPECT_EQ(state->CurMes.Measuring, 1);
        EXPECT_EQ(link.sent.size(), 1u);
    };
    poll.hooks.SecondStep = [&] { events.push_back("SecondStep"); };
    poll.hooks.TickStep = [&] { events.push_back("TickStep"); };
    poll.hooks.CheckSecond = [&] { events.push_back("CheckSecond"); };

    poll.MainTimerTimer();
    EXPECT_EQ(events, (std::vector<std::string>{"ShowValues", "SecondStep", "TickStep", "CheckSecond"}));
    EXPECT_EQ(poll.LastSecond, WholeSeconds(clock.Now()));

    events.clear();
    clock.AdvanceMilliseconds(200);
    poll.MainTimerTimer();
    EXPECT_EQ(events, (std::vector<std::string>{"TickStep", "CheckSecond"}));
}

TEST_F(PollCycleTest, FirstFourSecondsAreShownButKeptOutOfTheHistory)
{
    HookCounts counts;
    poll.hooks = CountingHooks(counts);
    // Five ticks per second, seconds 09:05:10 to 09:05:15.
    auto runSecond = [&](int second) {
        for (int tick = 0; tick < 5; ++tick) {
            clock.Set(EncodeDateTime(2024, 1, 15, 9, 5, second, 100 + 200 * tick));
            poll.MainTimerTimer();
            link.Deliver("AD,");
        }
    };
    for (int second = 10; second < 14; ++second)
        runSecond(second);
    EXPECT_EQ(counts.show, 4);
    EXPECT_EQ(counts.second, 4);
    EXPECT_EQ(state->MesHistory[0].Measuring, 0);

    state->CurMes.M11 = 21.5f;
    clock.Set(EncodeDateTime(2024, 1, 15, 9, 5, 14, 100));
    poll.MainTimerTimer();
    link.Deliver("AD,");
    EXPECT_EQ(counts.show, 5);
    EXPECT_EQ(state->MesHistory[0].Measuring, 1);
    EXPECT_EQ(state->MesHistory[0].Stamp, clock.Now());
    EXPECT_FLOAT_EQ(state->MesHistory[0].M11, 21.5f);

    runSecond(14);  // the rest of that second pushes nothing more
    EXPECT_EQ(state->MesHistory[1].Measuring, 0);
    runSecond(15);
    EXPECT_EQ(state->MesHistory[1].Measuring, 1);
    EXPECT_EQ(counts.show, 6);
    EXPECT_EQ(counts.tick, 31);
}

TEST_F(PollCycleTest, TakesOnlyTheAnswerKindTheOutstandingRequestWaitsFor)
{
    // A read answer that arrives after a write request went out is late; the write's echo follows.
    poll.MainTimerTimer();
    FillCmd({{"H51", "0.8"}, {"H82", "2"}});
    poll.SendWriteRequest();
    link.Deliver("AD,H50=1,H51=0.5,H82=1,C13=0,");
    EXPECT_FALSE(poll.AnsReady) << "a late read answer is no echo";
    link.Deliver("AW,H51=0.8,H82=2,");
    ASSERT_TRUE(poll.AnsReady);
    EXPECT_TRUE(poll.VerifyWriteEcho(2));

    // And a late write answer is no read answer.
    poll.MainTimerTimer();
    link.Deliver("AW,H51=0.8,H82=2,");
    EXPECT_FALSE(poll.AnsReady);
    link.Deliver("AD,M01=0.25,");
    EXPECT_TRUE(poll.AnsReady);
    EXPECT_EQ(poll.AnsList[0].Key, "M01");
}

TEST_F(PollCycleTest, HistoryWaitsUntilEveryGroupHasAnsweredSinceThePortOpened)
{
    // One tick a second, so the warm-up is long past before the groups are all in.
    auto tickAt = [&](int second, const QByteArray& answer) {
        clock.Set(EncodeDateTime(2024, 1, 15, 9, 6, second, 100));
        poll.MainTimerTimer();
        if (!answer.isEmpty())
            link.Deliver(answer);
    };
    int second = 0;
    for (int i = 0; i < 8; ++i)
        tickAt(second++, i == 2 ? QByteArray() : QByteArray("AD,"));  // group 3 stays unanswered
    EXPECT_FALSE(poll.AllGroupsAnswered());
    EXPECT_EQ(state->MesHistory[0].Measuring, 0) << "values from before the first answers";
    for (int i = 0; i < 6; ++i)
        tickAt(second++, "AD,");
    EXPECT_TRUE(poll.AllGroupsAnswered());
    EXPECT_EQ(state->MesHistory[0].Measuring, 1);

    poll.PortOpened();
    EXPECT_FALSE(poll.AllGroupsAnswered()) << "answers from before the port opened do not count";
    EXPECT_FALSE(poll.AnsReady);
}

}  // namespace
}  // namespace qemra
