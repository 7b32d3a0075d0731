#include "publish/MinuteRows.h"

#include "common/Cp932File.h"
#include "tests/publish/PublishFixture.h"
#include "tests/support/TempFolder.h"

#include <QFile>

#include <gtest/gtest.h>

namespace qemra {
namespace {

std::vector<TDateTime> TimesOf(const std::vector<MinuteRow>& rows)
{
    std::vector<TDateTime> times;
    for (const MinuteRow& row : rows)
        times.push_back(row.Time);
    return times;
}

TDateTime Day(int day, int hour, int minute) { return EncodeDateTime(2026, 12, day, hour, minute); }

class MinuteRowReaderTest : public ::testing::Test {
protected:
    TempFolder folder;
    FakeClock clock;
    MinuteRecorder recorder{folder.path(), clock};
    MinuteRowReader reader{recorder.RecordFolder()};
};

TEST_F(MinuteRowReaderTest, GivesTheLaterRowsOfTheOldestDayThatHasAny)
{
    recorder.WriteRow(Day(10, 23, 58), {});
    recorder.WriteRow(Day(10, 23, 59), {});
    // Written at 00:00:06, the midnight row opens the new day's file; maintenance mode puts a header
    // pair between two rows.
    recorder.WriteRow(Day(11, 0, 0), {});
    recorder.SetMaintenance(true);
    recorder.WriteRow(Day(11, 0, 1), {});
    const TDateTime now = clock.Now();

    struct Case {
        TDateTime after;
        std::vector<TDateTime> expected;
    };
    const Case cases[] = {
        {0, {Day(10, 23, 58), Day(10, 23, 59)}},
        {Day(10, 23, 58), {Day(10, 23, 59)}},
        {Day(10, 23, 59), {Day(11, 0, 0), Day(11, 0, 1)}},
        {Day(11, 0, 0), {Day(11, 0, 1)}},
        {Day(11, 0, 1), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(FormatDateTime(QStringLiteral("yyyy/mm/dd hh:nn"), c.after).toStdString());
        EXPECT_EQ(TimesOf(reader.NextRows(c.after, now)), c.expected);
    }
}

TEST_F(MinuteRowReaderTest, LooksNoFurtherBackThanSevenDays)
{
    recorder.WriteRow(Day(3, 12, 0), {});
    recorder.WriteRow(Day(4, 11, 59), {});
    recorder.WriteRow(Day(4, 12, 0), {});
    recorder.WriteRow(Day(11, 12, 0), {});
    const TDateTime now = Day(11, 12, 0);

    EXPECT_EQ(TimesOf(reader.NextRows(0, now)), std::vector<TDateTime>{Day(4, 12, 0)});
    EXPECT_EQ(TimesOf(reader.NextRows(Day(4, 12, 0), now)), std::vector<TDateTime>{Day(11, 12, 0)});
}

TEST_F(MinuteRowReaderTest, FollowsTheFileAsRowsAreAppendedOrItIsReplaced)
{
    recorder.WriteRow(Day(11, 9, 41), {});
    const QString path = reader.FilePath(Day(11, 0, 0));
    EXPECT_EQ(TimesOf(reader.NextRows(0, clock.Now())), std::vector<TDateTime>{Day(11, 9, 41)});

    recorder.WriteRow(Day(11, 9, 42), {});
    EXPECT_EQ(TimesOf(reader.NextRows(Day(11, 9, 41), clock.Now())), std::vector<TDateTime>{Day(11, 9, 42)});

    // A row still being written waits for its line end.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("2026/12/11 09:43,1,1,1,");
    file.flush();
    EXPECT_TRUE(reader.NextRows(Day(11, 9, 42), clock.Now()).empty());
    file.write("\r\n");
    file.close();
    const std::vector<MinuteRow> rows = reader.NextRows(Day(11, 9, 42), clock.Now());
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows.front().Text, "2026/12/11 09:43,1,1,1,");

    // Replaced by a file with other rows in other places: read again from its start.
    const QByteArray replaced =
        Cp932Lines({QStringLiteral("時刻,"), QStringLiteral("2026/12/11 09:50,2,"),
                    QStringLiteral("2026/12/11 09:40,3,"), QStringLiteral("2026/12/11 09:44,4,")});
    ASSERT_TRUE(file.remove());
    folder.write(QStringLiteral("Record/RT_20261211.RCD"), replaced);
    EXPECT_EQ(TimesOf(reader.NextRows(Day(11, 9, 43), clock.Now())),
              (std::vector<TDateTime>{Day(11, 9, 50), Day(11, 9, 44)}));
}

TEST_F(MinuteRowReaderTest, PassesOverAnOverlongLineAndReadsNoFileTwice)
{
    // Damaged: 3 MB without a line end, later followed by rows.
    const QString name = QStringLiteral("Record/RT_20261211.RCD");
    folder.write(name, QByteArray(3 << 20, 'x'));
    const TDateTime now = Day(11, 12, 0);
    EXPECT_TRUE(reader.NextRows(0, now).empty());
    {
        QFile file(folder.file(name));
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write("yyy\r\n2026/12/11 09:41,1,\r\n2026/12/11 09:42,2,\r\n");
    }
    EXPECT_EQ(TimesOf(reader.NextRows(0, now)), (std::vector<TDateTime>{Day(11, 9, 41), Day(11, 9, 42)}));

    // What was read is not read again: a row put in place of the damage in the same file is not seen,
    // a row appended is.
    {
        QFile file(folder.file(name));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.write("2026/12/11 09:40,0,\r\n");
        ASSERT_TRUE(file.seek(file.size()));
        file.write("2026/12/11 09:43,3,\r\n");
    }
    EXPECT_EQ(TimesOf(reader.NextRows(Day(11, 9, 42), now)), std::vector<TDateTime>{Day(11, 9, 43)});
}

TEST(MinuteRowTime, KnowsADataRowFromAnyOtherLine)
{
    struct Case {
        const char* line;
        std::optional<TDateTime> expected;
    };
    const Case cases[] = {
        {"2026/12/11 09:41,0.5,0.5,0.5,", EncodeDateTime(2026, 12, 11, 9, 41)},
        {"2026/12/11 09:41,", EncodeDateTime(2026, 12, 11, 9, 41)},
        {"2026/12/11 09:41:07,0.5,", std::nullopt},  // a second record row
        {"2026/02/30 09:41,0.5,", std::nullopt},
        {"2026/12/11 24:00,0.5,", std::nullopt},
        {",風速,,,気温,,,", std::nullopt},
        {"時刻,Avg,Max,Min,", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(MinuteRowTime(QByteArray(c.line)), c.expected);
    }
}

}  // namespace
}  // namespace qemra
