#include "acquisition/TraceLog.h"
#include "acquisition/PollCycle.h"
#include "tests/support/FakeFrameLink.h"
#include "tests/support/TempFolder.h"

#include <QDir>
#include <gtest/gtest.h>

#include <memory>

namespace qemra {
namespace {

class TraceLogTest : public ::testing::Test {
protected:
    TempFolder folder;
    FakeClock clock{EncodeDateTime(2024, 1, 15, 9, 5, 7, 400)};
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();
    FakeFrameLink link;
    TraceLog trace{folder.path(), clock};
    PollCycle poll{*state, link, clock, trace};

    void SetPairs(TKeyValueList& list, std::initializer_list<TKeyValue> pairs)
    {
        list.fill(TKeyValue{});
        std::size_t i = 0;
        for (const TKeyValue& pair : pairs)
            list[i++] = pair;
    }
};

TEST_F(TraceLogTest, VerificationAppendsSentAndEchoedPairsInMaintenanceMode)
{
    state->MySts.Maint = 1;
    SetPairs(poll.CmdList, {{"E01", "0.50"}, {"E02", "1.20"}});
    SetPairs(poll.AnsList, {{"E01", "0.5"}, {"E02", "1.2"}});

    EXPECT_TRUE(poll.VerifyWriteEcho(2));
    EXPECT_TRUE(poll.VerifyWriteEcho(2));

    const QByteArray lines = "2024/01/15 09:05.07,Snd: E01=0.50,E02=1.20,,\r\n"
                             "2024/01/15 09:05.07,Rcv: E01=0.5,E02=1.2,,\r\n";
    EXPECT_EQ(folder.read("240115QemraKVS.log"), lines + lines);
}

TEST_F(TraceLogTest, EmptyAnswerListIsTracedAsEmptyPairs)
{
    state->MySts.Maint = 1;
    SetPairs(poll.CmdList, {{"E01", "0.50"}, {"", ""}, {"E03", "2"}});
    poll.ClearAnsList();

    EXPECT_FALSE(poll.VerifyWriteEcho(3));
    EXPECT_EQ(folder.read("240115QemraKVS.log"), "2024/01/15 09:05.07,Snd: E01=0.50,E03=2,,\r\n"
                                                 "2024/01/15 09:05.07,Rcv: =,=,,\r\n");
}

TEST_F(TraceLogTest, VerificationOutsideMaintenanceModeWritesNothing)
{
    SetPairs(poll.CmdList, {{"E01", "0.50"}});
    SetPairs(poll.AnsList, {{"E01", "0.51"}});

    EXPECT_FALSE(poll.VerifyWriteEcho(1));
    EXPECT_TRUE(QDir(folder.path()).isEmpty());
}

TEST_F(TraceLogTest, UnwritableFolderLosesTheLinesButNotTheResult)
{
    folder.write("plain", "x");
    TraceLog blocked(folder.file("plain/"), clock);
    PollCycle cycle(*state, link, clock, blocked);
    state->MySts.Maint = 1;
    SetPairs(cycle.CmdList, {{"E01", "0.50"}});
    SetPairs(cycle.AnsList, {{"E01", "0.5"}});

    EXPECT_TRUE(cycle.VerifyWriteEcho(1));
    EXPECT_EQ(folder.read("plain"), "x");
}

TEST_F(TraceLogTest, EachLineGoesToTheFileOfItsOwnDateInUtf8)
{
    clock.Set(EncodeDateTime(2024, 1, 15, 23, 59, 59, 900));
    trace.Write(QStringLiteral("Snd: 計測=1,"));
    clock.Set(EncodeDateTime(2024, 1, 16, 0, 0, 0, 100));
    trace.Write(QStringLiteral("Rcv: 計測=1,"));

    EXPECT_EQ(trace.FileNameFor(EncodeDateTime(2024, 1, 15)), folder.file("240115QemraKVS.log"));
    EXPECT_EQ(folder.read("240115QemraKVS.log"),
              QByteArray("2024/01/15 23:59.59,Snd: \xE8\xA8\x88\xE6\xB8\xAC=1,,\r\n"));
    EXPECT_EQ(folder.read("240116QemraKVS.log"),
              QByteArray("2024/01/16 00:00.00,Rcv: \xE8\xA8\x88\xE6\xB8\xAC=1,,\r\n"));
}

}  // namespace
}  // namespace qemra
