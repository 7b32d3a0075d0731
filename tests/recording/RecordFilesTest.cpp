#include "recording/RecordFiles.h"

#include "common/Cp932File.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace qemra;

namespace {

const QString kStandardLabels = QStringLiteral(
    ",風速,,,気温,,,湿度,,,輻射熱,,,METs,,,clo,,,PMV,,,WBGTo,,,WBGTi,,,絶対湿度,,,露点温度,,,湿球温度,,,");
const QString kMaintLabels =
    kStandardLabels +
    QStringLiteral(
        "風向,,,気温１,,,気温２,,,WDS温度１,,,WDS温度２,,,BGT温度１,,,BGT温度２,,,BB温度１,,,BB温度２,,,BB温度３,,,"
        "SHT気温,,,SHT湿度,,,風速(補正前),,,気温(内部用),,,プローブ温度,,,温度差,,,CPU使用率,,,電源電圧,,,"
        "AD変換回数,,,DA出力値,,,");
const QString kStandardUnits = QStringLiteral("時刻,") + QStringLiteral("Avg,Max,Min,").repeated(12);
const QString kMaintUnits = QStringLiteral("時刻,") + QStringLiteral("Avg,Max,Min,").repeated(32);

QByteArray Crlf(const QStringList& lines) { return Cp932Lines(lines); }

QStringList LinesOf(const QByteArray& bytes)
{
    QStringList lines = FromCp932(bytes).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    return lines;
}

// The twelve main quantities with values whose texts are easy to check by eye.
void SetMainValues(TMesData& m)
{
    m.M01 = 0.5f;
    m.M11 = 23.456f;
    m.M12 = 45.6789f;
    m.M04 = -1.5f;
    m.M55 = 1.2f;
    m.H51 = 0.7f;
    m.M53 = 0.25f;
    m.M51 = 20.3f;
    m.M52 = 21.7f;
    m.M21 = 9.87f;
    m.M22 = 12.34f;
    m.M23 = 15.55f;
}

class RecordFilesTest : public ::testing::Test {
protected:
    RecordFilesTest()
    {
        state.MySts.PortName = QStringLiteral("COM7");
        state.CurMes.Measuring = 1;
    }

    // One second step on 2024-05-01 (or a later day), 150 ms into the second as the timer delivers it.
    void StepAt(int hour, int minute, int second, int day = 1)
    {
        clock.Set(EncodeDateTime(2024, 5, day, hour, minute, second, 150));
        files->RecordSecond();
    }

    QByteArray Read(const QString& name) const { return temp.read(QStringLiteral("Record/") + name); }

    TempFolder temp;
    SharedState state;
    FakeClock clock;
    std::unique_ptr<RecordFiles> files = std::make_unique<RecordFiles>(temp.path(), state, clock, nullptr, QChar(u'.'));
};

const QString kSecondFile = QStringLiteral("RT_COM7_20240501.csv");
const QString kMinuteFile = QStringLiteral("RT_20240501.RCD");
const QString kMainRow = QStringLiteral("0.500,23.46,45.679,-1.50,1.20,0.70,0.25,20.30,21.70,9.87,12.34,15.55,");

TEST_F(RecordFilesTest, FirstSecondRowOfTheDayStartsTheFileWithThePortHeader)
{
    state.MySts.SecRec = 1;
    SetMainValues(state.CurMes);
    StepAt(10, 15, 20);

    const QByteArray bytes = Read(kSecondFile);
    // The header in code page 932: "COM7,風速,気温," and the unit line "時刻,m/s.,℃,％,".
    EXPECT_TRUE(bytes.startsWith(QByteArray::fromHex("434f4d372c959791ac2c8b4389b72c")));
    EXPECT_TRUE(bytes.contains(QByteArray::fromHex("0d0a8e9e8d8f2c6d2f732e2c818e2c81932c")));
    EXPECT_EQ(
        bytes,
        Crlf({QStringLiteral("COM7,風速,気温,湿度,輻射熱,METs,clo,PMV,WBGTo,WBGTi,絶対湿度,露点温度,湿球温度,"),
              QStringLiteral("時刻,m/s.,℃,％,℃,,,,℃,℃,g/kg,℃,℃,"), QStringLiteral("2024/05/01 10:15:20,") + kMainRow}));
}

TEST_F(RecordFilesTest, SecondRecordingSwitchedOffAndOnAgainContinuesTheSameFile)
{
    SetMainValues(state.CurMes);
    state.MySts.SecRec = 1;
    StepAt(10, 15, 20);
    state.MySts.SecRec = 0;
    StepAt(10, 15, 21);
    state.MySts.SecRec = 1;
    StepAt(10, 15, 22);

    const QStringList lines = LinesOf(Read(kSecondFile));
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[2], QStringLiteral("2024/05/01 10:15:20,") + kMainRow);
    EXPECT_EQ(lines[3], QStringLiteral("2024/05/01 10:15:22,") + kMainRow);
}

TEST_F(RecordFilesTest, NothingMeasuredWritesNoRowsButCreatesTheFolder)
{
    state.CurMes.Measuring = 0;
    state.MySts.SecRec = 1;
    for (int second = 0; second < 10; ++second)
        StepAt(10, 15, second);

    EXPECT_TRUE(temp.exists(QStringLiteral("Record")));
    EXPECT_FALSE(temp.exists(QStringLiteral("Record/") + kSecondFile));
    EXPECT_FALSE(temp.exists(QStringLiteral("Record/") + kMinuteFile));
    EXPECT_EQ(files->Statistics().Count(), 0);
}

TEST_F(RecordFilesTest, MinuteRowAtSecondSixHoldsTheTwoSamplesSinceMeasuringStarted)
{
    state.CurMes.Measuring = 0;
    StepAt(10, 15, 4);
    state.CurMes.Measuring = 1;
    TMesData& m = state.CurMes;
    m.M01 = 1, m.M11 = 0.1234f, m.M12 = 50, m.M04 = -5, m.M55 = 1.2f, m.H51 = 0.5f;
    m.M53 = -0.5f, m.M51 = 1e-6f, m.M52 = 25, m.M21 = 10, m.M22 = 15, m.M23 = 18;
    StepAt(10, 15, 5);
    m.M01 = 2, m.M12 = 60, m.M04 = -3, m.H51 = 1, m.M53 = 0.5f, m.M21 = 12, m.M23 = 20;
    StepAt(10, 15, 6);
    StepAt(10, 15, 7);  // the latch holds: no second row in this minute

    EXPECT_EQ(Read(kMinuteFile),
              Crlf({kStandardLabels, kStandardUnits,
                    QStringLiteral("2024/05/01 10:15,1.5,2,1,0.123400002717972,0.123400002717972,0.123400002717972,"
                                   "55,60,50,-4,-3,-5,1.20000004768372,1.20000004768372,1.20000004768372,0.75,1,0.5,"
                                   "0,0.5,-0.5,9.99999997475243E-7,9.99999997475243E-7,9.99999997475243E-7,25,25,25,"
                                   "11,12,10,15,15,15,19,20,18,")}));
    EXPECT_EQ(files->Statistics().Count(), 1);  // the sample of second 7 starts the next minute
}

TEST_F(RecordFilesTest, MeasuringThatStartsInSecondSevenWaitsForTheNextMinute)
{
    state.CurMes.Measuring = 0;
    for (int second = 0; second <= 6; ++second)
        StepAt(10, 15, second);
    state.CurMes.Measuring = 1;
    // M52 counts the samples, so the average tells how many the row holds.
    for (int k = 0; k < 60; ++k) {
        state.CurMes.M52 = static_cast<float>(k + 1);
        StepAt(10, 15 + (7 + k) / 60, (7 + k) % 60);
    }

    const QStringList lines = LinesOf(Read(kMinuteFile));
    ASSERT_EQ(lines.size(), 3);
    const QStringList fields = lines[2].split(u',');
    EXPECT_EQ(fields[0], QStringLiteral("2024/05/01 10:16"));
    EXPECT_EQ(fields.mid(25, 3), (QStringList{"30.5", "60", "1"}));  // WBGTi: average, maximum, minimum
}

TEST_F(RecordFilesTest, MaintenanceModeSwitchedOnMidDayAddsItsHeaderPairOnce)
{
    StepAt(10, 15, 6);
    state.MySts.Maint = 1;
    StepAt(10, 15, 30);
    StepAt(10, 16, 6);
    StepAt(10, 16, 30);
    StepAt(10, 17, 6);
    StepAt(10, 17, 30);
    // After a restart the same day the mode of the last row is unknown again: standard rows follow
    // the maintenance rows without a header between.
    state.MySts.Maint = 0;
    files = std::make_unique<RecordFiles>(temp.path(), state, clock, nullptr, QChar(u'.'));
    StepAt(10, 18, 6);

    const QStringList lines = LinesOf(Read(kMinuteFile));
    ASSERT_EQ(lines.size(), 8);
    EXPECT_EQ(lines.mid(0, 2), (QStringList{kStandardLabels, kStandardUnits}));
    EXPECT_EQ(lines[2].count(u','), 1 + 3 * 12);
    EXPECT_EQ(lines.mid(3, 2), (QStringList{kMaintLabels, kMaintUnits}));
    EXPECT_EQ(lines[5].count(u','), 1 + 3 * 32);
    EXPECT_EQ(lines[6].count(u','), 1 + 3 * 32);
    EXPECT_TRUE(lines[6].startsWith(QStringLiteral("2024/05/01 10:17,")));
    EXPECT_EQ(lines[7].count(u','), 1 + 3 * 12);
}

TEST_F(RecordFilesTest, MaintenanceModeOnANewFileWritesItsHeaderPairTwice)
{
    state.MySts.Maint = 1;
    StepAt(10, 15, 6);

    const QStringList lines = LinesOf(Read(kMinuteFile));
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines.mid(0, 4), (QStringList{kMaintLabels, kMaintUnits, kMaintLabels, kMaintUnits}));
}

TEST_F(RecordFilesTest, RowAfterMidnightGoesIntoTheNewDaysFiles)
{
    state.MySts.SecRec = 1;
    StepAt(23, 59, 6);
    state.CurMes.M01 = 3;
    for (int second = 7; second <= 59; ++second)
        StepAt(23, 59, second);
    for (int second = 0; second <= 6; ++second)
        StepAt(0, 0, second, 2);

    const QStringList day1 = LinesOf(Read(kMinuteFile));
    const QStringList day2 = LinesOf(Read(QStringLiteral("RT_20240502.RCD")));
    ASSERT_EQ(day1.size(), 3);
    ASSERT_EQ(day2.size(), 3);
    EXPECT_TRUE(day2[2].startsWith(QStringLiteral("2024/05/02 00:00,3,3,3,")));
    EXPECT_EQ(LinesOf(Read(kSecondFile)).size(), 2 + 54);
    EXPECT_EQ(LinesOf(Read(QStringLiteral("RT_COM7_20240502.csv"))).size(), 2 + 7);
}

TEST_F(RecordFilesTest, ExistingFilesGetNoHeaderAndAMissingLineEndFirst)
{
    struct Case {
        QByteArray before;
        QByteArray between;  // what stands between the old bytes and the row
    };
    const Case cases[] = {{"", ""}, {"old row", "\r\n"}, {"old row\r\n", ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before.toStdString());
        TempFolder folder;
        folder.write(QStringLiteral("Record/") + kSecondFile, c.before);
        folder.write(QStringLiteral("Record/") + kMinuteFile, c.before);
        state.MySts.SecRec = 1;
        RecordFiles recorder(folder.path(), state, clock, nullptr, QChar(u'.'));
        clock.Set(EncodeDateTime(2024, 5, 1, 10, 15, 6, 150));
        recorder.RecordSecond();

        const QByteArray second = folder.read(QStringLiteral("Record/") + kSecondFile);
        const QByteArray minute = folder.read(QStringLiteral("Record/") + kMinuteFile);
        EXPECT_EQ(second, c.before + c.between +
                              "2024/05/01 10:15:06,0.000,0.00,0.000,0.00,0.00,0.00,0.00,0.00,"
                              "0.00,0.00,0.00,0.00,\r\n");
        EXPECT_EQ(LinesOf(minute.mid(c.before.size() + c.between.size())).size(), 1);
        EXPECT_TRUE(minute.startsWith(c.before + c.between + "2024/05/01 10:15,0,0,0,"));
    }
}

TEST_F(RecordFilesTest, NumbersUseTheGivenDecimalSeparator)
{
    files = std::make_unique<RecordFiles>(temp.path(), state, clock, nullptr, QChar(u','));
    state.MySts.SecRec = 1;
    state.CurMes.M01 = 1.25f;
    state.CurMes.M11 = 0.1234f;
    StepAt(10, 15, 6);

    EXPECT_TRUE(LinesOf(Read(kSecondFile))[2].startsWith(QStringLiteral("2024/05/01 10:15:06,1,250,0,12,")));
    EXPECT_TRUE(
        LinesOf(Read(kMinuteFile))[2].startsWith(QStringLiteral("2024/05/01 10:15,1,25,1,25,1,25,0,123400002717972,")));
}

// The latch decides on the same second the row's time stamp shows, also half a millisecond
// before a second begins, where rounding the date-time and rounding its fraction part can differ.
TEST(RecordSecondTest, SecondWithinTheMinuteIsTheSecondTheTimeStampShows)
{
    for (int day : {1, 17}) {
        for (int second : {5, 6, 8, 59}) {
            const TDateTime base = EncodeDateTime(2024, 5, day, 10, 15, second, 999) + 0.5 / 86400000.0;
            for (const TDateTime value : {base, std::nextafter(base, 0.0), std::nextafter(base, 1e9)}) {
                SCOPED_TRACE(FormatDateTime(QStringLiteral("yyyy/mm/dd hh:nn:ss"), value).toStdString());
                EXPECT_EQ(RecordFiles::SecondOfMinute(value), FormatDateTime(QStringLiteral("ss"), value).toInt());
            }
        }
    }
}

// Start values and precision of the minute statistics, quantity by quantity.
TEST(MinuteStatisticsTest, StartValuesStandWhenNoSamplePassesThem)
{
    struct Case {
        const char* name;
        int quantity;
        std::function<void(TMesData&)> set;
        double maximum;
        double minimum;
    };
    const Case cases[] = {
        {"C53 negative keeps maximum 0", 31, [](TMesData& m) { m.C53 = -5; }, 0, -5},
        {"M11 below -99 keeps maximum -99", 1, [](TMesData& m) { m.M11 = -150; }, -99, -150},
        {"M12 below -999 keeps maximum -999", 2, [](TMesData& m) { m.M12 = -1500; }, -999, -1500},
        {"C71 below -999 keeps maximum -999", 22, [](TMesData& m) { m.C71 = -1500; }, -999, -1500},
        {"M01 above 999 keeps minimum 999", 0, [](TMesData& m) { m.M01 = 1000; }, 1000, 999},
        {"C52 above 999 keeps minimum 999", 30, [](TMesData& m) { m.C52 = 1500; }, 1500, 999},
        {"C52 negative keeps maximum 0", 30, [](TMesData& m) { m.C52 = -3; }, 0, -3},
        {"M05 between the start values", 12, [](TMesData& m) { m.M05 = -500; }, -500, -500},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MinuteStatistics statistics;
        TMesData m;
        m.Measuring = 1;
        c.set(m);
        statistics.AccumulateMinute(m);
        statistics.AccumulateMinute(m);
        EXPECT_EQ(statistics.At(c.quantity).maximum, c.maximum);
        EXPECT_EQ(statistics.At(c.quantity).minimum, c.minimum);
    }
}

TEST(MinuteStatisticsTest, SumsKeepTheirOwnPrecisionAndC52AveragesTruncate)
{
    MinuteStatistics statistics;
    TMesData m;
    m.Measuring = 1;
    m.M55 = m.H51 = m.C71 = m.C72 = 0.1f;
    for (int i = 0; i < 10; ++i) {
        m.C52 = i % 2 == 0 ? -1 : -2;
        statistics.AccumulateMinute(m);
    }
    m.Measuring = 0;
    statistics.AccumulateMinute(m);  // not measuring: no sample

    ASSERT_EQ(statistics.Count(), 10);
    EXPECT_EQ(statistics.At(4).average, double(0.1f));                // M55 summed in double
    EXPECT_EQ(statistics.At(5).average, double(0.100000008940697f));  // H51 summed in single precision
    EXPECT_EQ(statistics.At(22).average, double(0.100000008940697f));
    EXPECT_EQ(statistics.At(23).average, double(0.100000008940697f));
    EXPECT_EQ(statistics.At(30).average, -1);  // -1.5 toward zero

    statistics.ResetMinuteStatistics();
    EXPECT_EQ(statistics.Count(), 0);
    EXPECT_EQ(statistics.At(0).maximum, 0);
    EXPECT_EQ(statistics.At(1).maximum, -99);
    EXPECT_EQ(statistics.At(1).minimum, 999);
}

}  // namespace
