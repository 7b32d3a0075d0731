#include "common/DailyLog.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace qemra {
namespace {

TEST(DailyLog, LinesAroundMidnightGoToTheFileOfTheirOwnDate)
{
    TempFolder folder;
    FakeClock clock(EncodeDateTime(2024, 1, 15, 23, 59, 59, 600));
    const DailyLog log(folder.path(), "QemraCom.log", clock);
    folder.write("240115QemraCom.log", "earlier\r\n");

    log.Write("Snd->>: <RD,M01,>EA");
    clock.AdvanceMilliseconds(200);
    log.Write(QString::fromUtf8("<<-Rcv: 温度"));
    clock.AdvanceMilliseconds(200);
    log.Write("after");

    EXPECT_EQ(folder.read("240115QemraCom.log"),
              QByteArray("earlier\r\n"
                         "2024/01/15 23:59.59,Snd->>: <RD,M01,>EA,\r\n") +
                  QString::fromUtf8("2024/01/15 23:59.59,<<-Rcv: 温度,\r\n").toUtf8());
    EXPECT_EQ(folder.read("240116QemraCom.log"), QByteArray("2024/01/16 00:00.00,after,\r\n"));
    EXPECT_EQ(log.FileNameFor(EncodeDateTime(2024, 2, 29, 12)), folder.path() + "240229QemraCom.log");
}

TEST(DailyLog, LineThatCannotBeWrittenIsLostQuietly)
{
    TempFolder folder;
    FakeClock clock(EncodeDateTime(2024, 1, 15, 9, 5, 7));
    const DailyLog log(folder.file("no/such/folder"), "QemraKVS.log", clock);
    log.Write("lost");
    EXPECT_FALSE(folder.exists("no/such/folder/240115QemraKVS.log"));
}

}  // namespace
}  // namespace qemra
