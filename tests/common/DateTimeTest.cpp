#include "common/DateTime.h"

#include <gtest/gtest.h>

namespace qemra {
namespace {

TEST(DateTime, CountsDaysFromTheEpochWithTheTimeAsFraction)
{
    EXPECT_EQ(EncodeDateTime(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDateTime(1900, 1, 1), 2.0);
    EXPECT_EQ(EncodeDateTime(2024, 1, 15), 45306.0);
    EXPECT_EQ(EncodeDateTime(2024, 1, 15, 12), 45306.5);
    EXPECT_EQ(EncodeDateTime(2024, 1, 15, 18), 45306.75);
    EXPECT_EQ(EncodeDateTime(1899, 12, 29, 18), -0.25);  // floored: the day before, 18:00
}

struct FormatCase {
    TDateTime value;
    const char* format;
    const char* text;
};

TEST(DateTime, FormatsEveryFormInUse)
{
    const FormatCase cases[] = {
        {EncodeDateTime(2024, 1, 15, 9, 5, 7), "yyyy/mm/dd hh:nn.ss", "2024/01/15 09:05.07"},
        {EncodeDateTime(2024, 1, 15, 9, 5, 7), "yyyy/mm/dd hh:nn:ss", "2024/01/15 09:05:07"},
        {EncodeDateTime(2024, 1, 15, 9, 5, 7), "yyyy/mm/dd hh:nn", "2024/01/15 09:05"},
        {EncodeDateTime(2024, 1, 15, 9, 5, 7), "yymmdd", "240115"},
        {EncodeDateTime(2024, 1, 15, 9, 5, 7), "yyyymmdd", "20240115"},
        {EncodeDateTime(2024, 1, 15, 9, 5, 7), "_yymmddhhnn", "_2401150905"},
        {EncodeDateTime(2024, 1, 15, 9, 5, 7), "hh:nn", "09:05"},
        {EncodeDateTime(2024, 1, 15, 9, 5, 7), "YYYY-MM-DD x", "2024-01-15 x"},
        {EncodeDateTime(2023, 12, 31, 23, 59, 59, 999), "yyyy/mm/dd hh:nn:ss", "2023/12/31 23:59:59"},
        {EncodeDateTime(2024, 1, 1), "yyyy/mm/dd hh:nn:ss", "2024/01/01 00:00:00"},
        {EncodeDateTime(2024, 2, 28, 23, 59, 59) + 1.0 / 86400, "yyyy/mm/dd hh:nn:ss", "2024/02/29 00:00:00"},
        {EncodeDateTime(2024, 2, 29) + 1, "yyyymmdd", "20240301"},
        {EncodeDateTime(2023, 2, 28) + 1, "yyyymmdd", "20230301"},
        {EncodeDateTime(2024, 4, 30, 23, 59, 59) + 1.0 / 86400, "yymmdd hh:nn:ss", "240501 00:00:00"},
        {EncodeDateTime(2000, 1, 1), "yymmdd", "000101"},
        // A value a hair below a whole second shows that second, not the one before.
        {EncodeDateTime(2024, 1, 15, 10, 15, 6) - 1e-11, "hh:nn:ss", "10:15:06"},
        {EncodeDateTime(2024, 1, 15, 23, 59, 59, 999) + 0.6 / 86400000, "yyyy/mm/dd hh:nn:ss", "2024/01/16 00:00:00"},
    };
    for (const FormatCase& c : cases)
        EXPECT_EQ(FormatDateTime(QString::fromLatin1(c.format), c.value), QString::fromLatin1(c.text)) << c.text;
}

TEST(DateTime, WholeSecondsStepOncePerSecondThroughAWholeDay)
{
    for (const TDateTime day : {EncodeDateTime(2024, 1, 15), EncodeDateTime(2024, 2, 29), EncodeDateTime(2038, 6, 1)}) {
        const std::int32_t midnight = WholeSeconds(day);
        for (int s = 0; s < 86400; ++s) {
            const int h = s / 3600, m = s / 60 % 60, sec = s % 60;
            const QDate date = FromDateTime(day).date();
            ASSERT_EQ(WholeSeconds(EncodeDateTime(date.year(), date.month(), date.day(), h, m, sec)) - midnight, s);
            ASSERT_EQ(WholeSeconds(EncodeDateTime(date.year(), date.month(), date.day(), h, m, sec, 999)) - midnight,
                      s);
            ASSERT_EQ(SecondOfDay(EncodeDateTime(date.year(), date.month(), date.day(), h, m, sec, 999)), s);
        }
    }
}

TEST(DateTime, ConvertsToAndFromLocalQDateTime)
{
    const QDateTime local(QDate(2024, 3, 5), QTime(14, 30, 15, 250), Qt::LocalTime);
    const TDateTime value = ToDateTime(local);
    EXPECT_EQ(value, EncodeDateTime(2024, 3, 5, 14, 30, 15, 250));
    EXPECT_EQ(FromDateTime(value), local);
    EXPECT_EQ(FromDateTime(value - 1e-10), local);  // rounded to the millisecond
}

TEST(DateTime, SystemClockReadsTheLocalTime)
{
    const QDateTime before = QDateTime::currentDateTime().addMSecs(-1);
    const TDateTime now = SystemClock().Now();
    const QDateTime after = QDateTime::currentDateTime().addMSecs(1);
    EXPECT_LE(before, FromDateTime(now));
    EXPECT_GE(after, FromDateTime(now));
}

TEST(FakeClock, CrossesSecondsAndMidnightWithoutDrift)
{
    const TDateTime start = EncodeDateTime(2023, 12, 31, 23, 59, 58);
    FakeClock clock(start);
    std::int32_t last = WholeSeconds(clock.Now());
    int changes = 0;
    for (int tick = 1; tick <= 5 * 86400; ++tick) {  // one day of 200 ms ticks
        clock.AdvanceMilliseconds(200);
        const std::int32_t now = WholeSeconds(clock.Now());
        ASSERT_EQ(now != last, tick % 5 == 0) << "tick " << tick;
        if (now != last) {
            ASSERT_EQ(now, last + 1);
            ++changes;
        }
        last = now;
        if (tick == 10) {
            EXPECT_EQ(FormatDateTime("yyyy/mm/dd hh:nn:ss", clock.Now()), QString("2024/01/01 00:00:00"));
        }
    }
    EXPECT_EQ(changes, 86400);
    EXPECT_EQ(clock.Now(), EncodeDateTime(2024, 1, 1, 23, 59, 58));

    clock.AdvanceSeconds(-86400.5);
    EXPECT_EQ(clock.Now(), EncodeDateTime(2023, 12, 31, 23, 59, 57, 500));
}

}  // namespace
}  // namespace qemra
