#include "publish/Payloads.h"

#include "tests/publish/PublishFixture.h"
#include "tests/support/TempFolder.h"

#include <QFile>

#include <gtest/gtest.h>

namespace qemra {
namespace {

TEST(PayloadWriter, WritesTheTimeWithTheOffsetOfTheZoneInForceAtThatTime)
{
    struct Moment {
        TDateTime time;
        const char* expected;
    };
    struct Zone {
        const char* zone;
        std::vector<Moment> moments;  // one after the other, as a writer meets them
    };
    const Zone zones[] = {
        {"JST-9",
         {{EncodeDateTime(2026, 12, 11, 9, 41, 0), "2026-12-11T09:41:00+09:00"},
          // Milliseconds are dropped, not rounded up into the next second.
          {EncodeDateTime(2026, 12, 11, 9, 41, 7, 999), "2026-12-11T09:41:07+09:00"},
          {EncodeDateTime(1999, 12, 31, 23, 59, 59), "1999-12-31T23:59:59+09:00"}}},
        {"UTC0", {{EncodeDateTime(2026, 12, 11, 9, 41, 0), "2026-12-11T09:41:00+00:00"}}},
        {"<+0530>-5:30", {{EncodeDateTime(2026, 12, 11, 23, 59, 59), "2026-12-11T23:59:59+05:30"}}},
        // Daylight saving time: the offset of that day, also from one second to the next.
        {"EST5EDT,M3.2.0,M11.1.0",
         {{EncodeDateTime(2026, 1, 1, 0, 0, 0), "2026-01-01T00:00:00-05:00"},
          {EncodeDateTime(2026, 3, 8, 1, 59, 59), "2026-03-08T01:59:59-05:00"},
          {EncodeDateTime(2026, 3, 8, 3, 0, 0), "2026-03-08T03:00:00-04:00"},
          {EncodeDateTime(2026, 7, 1, 12, 0, 0), "2026-07-01T12:00:00-04:00"}}},
    };
    for (const Zone& z : zones) {
        const LocalZone zone(z.zone);
        PayloadWriter writer;
        for (const Moment& m : z.moments) {
            SCOPED_TRACE(m.expected);
            EXPECT_EQ(writer.Time(m.time), m.expected);
        }
    }
}

// The row the recorder writes for one minute of these values, standard or with the maintenance groups.
MinuteRow RecordedRow(bool maintenance)
{
    TempFolder folder;
    FakeClock clock;
    MinuteRecorder recorder(folder.path(), clock);
    recorder.SetMaintenance(maintenance);
    TMesData first;
    first.M01 = 0.123f;
    first.M11 = -5.5f;
    first.M53 = 0.000001f;  // written in the exponent form
    first.C52 = 1200;
    TMesData second = first;
    second.M01 = 3e10f;
    const TDateTime minute = EncodeDateTime(2026, 12, 11, 9, 41);
    recorder.WriteRow(minute, first, second);
    MinuteRowReader reader(recorder.RecordFolder());
    const std::vector<MinuteRow> rows = reader.NextRows(0, clock.Now());
    return rows.size() == 1 ? rows.front() : MinuteRow{};
}

TEST(PayloadWriter, TakesTheTwelveStandardGroupsOfAStandardOrAMaintenanceRow)
{
    const LocalZone zone("JST-9");
    const MinuteRow standard = RecordedRow(false);
    const MinuteRow maintenance = RecordedRow(true);
    ASSERT_EQ(standard.Text.count(','), 1 + 3 * 12);
    ASSERT_EQ(maintenance.Text.count(','), 1 + 3 * 32);

    const QByteArray zeros = R"({"avg":0,"max":0,"min":0})";
    const QByteArray expected = R"({"time":"2026-12-11T09:41:00+09:00","wind":{"avg":1.5e+10,"max":3e+10,)"
                                R"("min":0.123},"air_temp":{"avg":-5.5,"max":-5.5,"min":-5.5},"rh":)" +
                                zeros + R"(,"radiant_temp":)" + zeros + R"(,"mets":)" + zeros + R"(,"clo":)" + zeros +
                                R"(,"pmv":{"avg":1e-06,"max":1e-06,"min":1e-06},"wbgt_out":)" + zeros +
                                R"(,"wbgt_in":)" + zeros + R"(,"abs_humidity":)" + zeros + R"(,"dew_point":)" + zeros +
                                R"(,"wet_bulb":)" + zeros + "}";
    PayloadWriter writer;
    EXPECT_EQ(writer.Minute(standard), expected);
    EXPECT_EQ(writer.Minute(maintenance), expected);
}

TEST(PayloadWriter, GivesNoMinutePayloadForARowCutShortAndNullForAFigureThatIsNoNumber)
{
    const LocalZone zone("JST-9");
    PayloadWriter writer;
    const TDateTime minute = EncodeDateTime(2026, 12, 11, 9, 41);
    const QByteArray figures = QByteArray("1,2,3,").repeated(11);
    EXPECT_EQ(writer.Minute({minute, "2026/12/11 09:41," + figures + "1,2,"}), std::nullopt);
    const std::optional<QByteArray> payload = writer.Minute({minute, "2026/12/11 09:41," + figures + "1,x,3,"});
    ASSERT_TRUE(payload);
    EXPECT_TRUE(payload->endsWith(R"("wet_bulb":{"avg":1,"max":null,"min":3}})")) << payload->toStdString();
}

}  // namespace
}  // namespace qemra
