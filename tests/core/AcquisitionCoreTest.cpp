#include "common/Prompts.h"
#include "core/AcquisitionCore.h"
#include "tests/support/PolledMinute.h"

#include <QCoreApplication>
#include <QDir>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>

using namespace qemra;

namespace {

TEST(AcquisitionCoreTest, PollsAndRecordsAMinuteWithoutAnyWindow)
{
    ASSERT_EQ(qobject_cast<QCoreApplication*>(QCoreApplication::instance())->metaObject()->className(),
              QStringLiteral("QCoreApplication"));
    TempFolder folder;
    const auto sim = StartSeededInstrument(folder);
    ASSERT_FALSE(sim->Device().isEmpty());
    FakeClock clock{EncodeDateTime(2024, 5, 20, 10, 59, 58) + 0.1 / 86400.0};
    RecordingPrompts prompts;
    AcquisitionCore core(clock, prompts, folder.path());
    int seconds = 0;
    core.hooks.Recorded = [&seconds] { ++seconds; };
    ASSERT_TRUE(core.Connect()) << core.ErrorText().toStdString();
    PollFor(clock, core.Poll(), [&core] { core.Tick(); }, 64);

    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(seconds, 64);
    EXPECT_EQ(core.State().MySts.PortName, folder.file("sim.tty"));
    const QStringList minute = QString::fromLatin1(folder.read("Record/RT_20240520.RCD")).split("\r\n");
    // Two header lines, the row of 11:00 and the empty text after the last line end.
    ASSERT_EQ(minute.size(), 4) << minute.join('|').toStdString();
    EXPECT_TRUE(minute[2].startsWith("2024/05/20 11:00")) << minute[2].toStdString();
    const QStringList second = QString::fromLatin1(folder.read("Record/RT_sim.tty_20240520.csv")).split("\r\n");
    EXPECT_GE(second.size(), 2 + 55) << "a row for every second after the warm-up";
}

// The first minute row after a connect holds only what the instrument said: its figures are those of
// the second rows of the same seconds, none of which holds the record's zeros from before the answers.
TEST(AcquisitionCoreTest, TheFirstMinuteRowAfterAConnectHoldsOnlyTheInstrumentsValues)
{
    TempFolder folder;
    const auto sim = StartSeededInstrument(folder);
    FakeClock clock{EncodeDateTime(2024, 5, 20, 10, 59, 58) + 0.1 / 86400.0};
    RecordingPrompts prompts;
    AcquisitionCore core(clock, prompts, folder.path());
    ASSERT_TRUE(core.Connect()) << core.ErrorText().toStdString();
    PollFor(clock, core.Poll(), [&core] { core.Tick(); }, 10);

    // The row of 11:00 is written at 11:00:06 and covers every second row up to then.
    const QStringList minute = QString::fromLatin1(folder.read("Record/RT_20240520.RCD")).split("\r\n");
    ASSERT_EQ(minute.size(), 4) << minute.join('|').toStdString();
    const QStringList figures = minute[2].split(u',');
    QList<QStringList> seconds;
    for (const QString& line : QString::fromLatin1(folder.read("Record/RT_sim.tty_20240520.csv")).split("\r\n")) {
        if (line.startsWith("2024/05/20 ") && line.mid(11, 8) <= "11:00:06")
            seconds << line.split(u',');
    }
    ASSERT_GE(seconds.size(), 5);
    // The second rows hold the first twelve quantities of the minute row, in the same order.
    for (int q = 0; q < 12; ++q) {
        SCOPED_TRACE(q);
        double low = 1e9, high = -1e9, sum = 0;
        for (const QStringList& row : seconds) {
            const double v = row[1 + q].toDouble();
            low = std::min(low, v);
            high = std::max(high, v);
            sum += v;
        }
        // Second rows are rounded to two or three decimals.
        EXPECT_NEAR(figures[1 + 3 * q].toDouble(), sum / seconds.size(), 0.0051);
        EXPECT_NEAR(figures[2 + 3 * q].toDouble(), high, 0.0051);
        EXPECT_NEAR(figures[3 + 3 * q].toDouble(), low, 0.0051);
    }
    EXPECT_GT(figures[3 + 3 * 1].toDouble(), 20.0) << "the lowest air temperature is the room's, not a zero";
    EXPECT_GT(figures[3 + 3 * 2].toDouble(), 20.0) << "the lowest humidity is the room's, not a zero";
}

}  // namespace

namespace {

TEST(AcquisitionCoreTest, APortThatHangsUpIsOpenedAgainOnlyWhenItsSettingsAskForIt)
{
    for (const bool autoReconnect : {true, false}) {
        SCOPED_TRACE(autoReconnect);
        TempFolder folder;
        const auto sim = StartSeededInstrument(folder);
        if (autoReconnect)
            folder.write("Port0.ini", folder.read("Port0.ini") + "AutoReconnect=1\r\n");
        SystemClock clock;
        RecordingPrompts prompts;
        AcquisitionCore core(clock, prompts, folder.path());
        QStringList events;
        QObject::connect(&core, &AcquisitionCore::Event, [&events](const QString& line) { events << line; });
        ASSERT_TRUE(core.Connect());
        sim->Ask("hangup");
        ASSERT_TRUE(QTest::qWaitFor([&events] { return !events.filter("port lost: ").isEmpty(); }, 3000));
        // Two rounds of the 2 s retry are enough to see it open again.
        (void)QTest::qWaitFor([&core] { return core.Link().LinkOpen(); }, 5000);
        EXPECT_EQ(core.Link().LinkOpen(), autoReconnect);
        EXPECT_EQ(events.filter("port back: ").size(), autoReconnect ? 1 : 0) << events.join('|').toStdString();
    }
}

}  // namespace
