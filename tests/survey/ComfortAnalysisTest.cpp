// The comfort figures of the survey over hand-made days whose figures are worked out by hand.
#include "survey/ComfortFormulas.h"
#include "survey/ComfortStream.h"
#include "survey/HistoryRows.h"
#include "survey/SummaryReport.h"
#include "survey/SurveyDays.h"
#include "survey/SurveyRun.h"

#include "common/Cp932File.h"
#include "tests/support/TempFolder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace qemra;

namespace {

QStringList SecondHeader()
{
    return {QStringLiteral("COM7,風速,気温,湿度,輻射熱,METs,clo,PMV,WBGTo,WBGTi,絶対湿度,露点温度,湿球温度,"),
            QStringLiteral("時刻,m/s.,℃,％,℃,,,,℃,℃,g/kg,℃,℃,")};
}

struct Values {
    double wind = 0.15;
    double air = 22;
    double radiant = 22;
    double pmv = 0;
    double wbgtIn = 20;
    double mets = 1.2;
};

QString TimeText(QDate day, int second)
{
    return QStringLiteral("%1 %2:%3:%4")
        .arg(day.toString(QStringLiteral("yyyy/MM/dd")))
        .arg(second / 3600, 2, 10, QChar(u'0'))
        .arg(second / 60 % 60, 2, 10, QChar(u'0'))
        .arg(second % 60, 2, 10, QChar(u'0'));
}

QString Row(QDate day, int second, const Values& v)
{
    return QStringLiteral("%1,%2,%3,45.000,%4,%5,0.70,%6,19.50,%7,7.50,6.00,10.00,")
        .arg(TimeText(day, second))
        .arg(v.wind, 0, 'f', 3)
        .arg(v.air, 0, 'f', 2)
        .arg(v.radiant, 0, 'f', 2)
        .arg(v.mets, 0, 'f', 2)
        .arg(v.pmv, 0, 'f', 2)
        .arg(v.wbgtIn, 0, 'f', 2);
}

// A steady 0.15 m/s with a population standard deviation of 0.05: 0.10 and 0.20 by turns.
Values Swinging(int second)
{
    Values v;
    v.wind = second % 2 == 0 ? 0.10 : 0.20;
    return v;
}

const QDate kFriday(2026, 12, 11);

struct SummaryRun {
    int exitCode = 0;
    QString out;
    QString err;
    QJsonObject json() const { return QJsonDocument::fromJson(out.toUtf8()).object(); }
    QJsonObject at(const char* key) const { return json()[QLatin1String(key)].toObject(); }
};

class ComfortSurveyTest : public ::testing::Test {
protected:
    void WriteSeconds(QDate day, const QStringList& rows) const
    {
        data.write(QStringLiteral("Record/RT_COM7_%1.csv").arg(day.toString(QStringLiteral("yyyyMMdd"))),
                   Cp932Lines(SecondHeader() + rows));
    }
    // Rows for the seconds [from, to) of a day.
    static QStringList Rows(QDate day, int from, int to, const std::function<Values(int)>& values = Swinging)
    {
        QStringList rows;
        for (int s = from; s < to; ++s)
            rows.append(Row(day, s, values(s)));
        return rows;
    }
    SummaryRun Summary(QStringList args, const QString& dataDir = {}) const
    {
        args.prepend(QStringLiteral("--summary"));
        args.append(QStringLiteral("--json"));
        SummaryRun run;
        QTextStream out(&run.out);
        QTextStream err(&run.err);
        run.exitCode = RunSurveySummary(args, dataDir.isEmpty() ? data.path() : dataDir, out, err);
        return run;
    }
    SummaryRun Day(QDate day, QStringList more = {}) const
    {
        const QString text = day.toString(QStringLiteral("yyyy/MM/dd"));
        return Summary(QStringList{text, text} + more);
    }

    TempFolder data;
};

TEST(ComfortFormulas, MeetPublishedReferencePoints)
{
    EXPECT_DOUBLE_EQ(PpdOf(0), 5.0);
    EXPECT_NEAR(PpdOf(0.5), 10.2, 0.05);  // "about 10 % at +-0.5"
    EXPECT_DOUBLE_EQ(PpdOf(-0.5), PpdOf(0.5));
    EXPECT_NEAR(PpdOf(1.0), 26.1, 0.05);

    // The weight of the air temperature steps at 0.2 and 0.6 m/s.
    const struct {
        double wind, operative;
    } operative[] = {{0.0, 23}, {0.199, 23}, {0.2, 22.8}, {0.599, 22.8}, {0.6, 22.6}, {2, 22.6}};
    for (const auto& c : operative)
        EXPECT_NEAR(OperativeTemperature(22, 24, c.wind), c.operative, 1e-12) << c.wind;

    const struct {
        const char* name;
        double wind, deviation, air, turbulence, rate;
        bool outside;
    } draught[] = {
        {"steady 0.15 m/s", 0.15, 0.05, 22, 100.0 / 3, 14.364211519088709, false},
        {"below 0.05 m/s no draught", 0.04, 0.01, 22, 25, 0, false},
        {"still air", 0, 0, 22, 0, 0, true},
        {"clamped at 100 %", 2, 1.2, 20, 60, 100, true},
        {"warmer than the skin", 0.3, 0.06, 35, 20, 0, true},
    };
    for (const auto& c : draught) {
        const DraughtFigures figures = DraughtOf(c.wind, c.deviation, c.air);
        EXPECT_NEAR(figures.turbulenceIntensity, c.turbulence, 1e-12) << c.name;
        EXPECT_NEAR(figures.draughtRate, c.rate, 1e-12) << c.name;
        EXPECT_EQ(figures.outsideModel, c.outside) << c.name;
    }

    const WbgtLimits limits = WbgtLimitsFor(1.2);  // 125.604 W
    EXPECT_NEAR(limits.acclimatised, 32.56146009252293, 1e-12);
    EXPECT_NEAR(limits.unacclimatised, 30.304051069962888, 1e-12);
}

TEST(ComfortFormulas, PutsEveryBoundaryInTheWorseCategory)
{
    const struct {
        double value;
        PmvCategory byPmv;
        En16798Category en;
        ComfortCategory byDraught;
    } cases[] = {
        {0.19, PmvCategory::A, En16798Category::I, ComfortCategory::A},
        {0.2, PmvCategory::B, En16798Category::II, ComfortCategory::A},
        {-0.5, PmvCategory::C, En16798Category::III, ComfortCategory::A},
        {0.7, PmvCategory::Outside, En16798Category::IV, ComfortCategory::A},
        {-1.0, PmvCategory::Outside, En16798Category::Outside, ComfortCategory::A},
        {10, PmvCategory::Outside, En16798Category::Outside, ComfortCategory::B},
        {20, PmvCategory::Outside, En16798Category::Outside, ComfortCategory::C},
        {30, PmvCategory::Outside, En16798Category::Outside, ComfortCategory::Outside},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PmvCategoryOf(c.value), c.byPmv) << c.value;
        EXPECT_EQ(En16798CategoryOf(c.value), c.en) << c.value;
        EXPECT_EQ(DraughtCategoryOf(c.value), c.byDraught) << c.value;
    }
    EXPECT_EQ(DraughtCategoryOf(9.99), ComfortCategory::A);

    // Running mean 20: comfort temperature 25.4; category I from 22.4 to 27.4.
    EXPECT_FALSE(AdaptiveComfortTemperature(14.99));
    EXPECT_FALSE(AdaptiveComfortTemperature(30.01));
    const double comfort = *AdaptiveComfortTemperature(20);
    const struct {
        double operative;
        AdaptiveCategory category;
    } adaptive[] = {{comfort - 3, AdaptiveCategory::I},    {comfort + 2, AdaptiveCategory::I},
                    {comfort + 2.5, AdaptiveCategory::II}, {comfort - 4, AdaptiveCategory::II},
                    {comfort + 4, AdaptiveCategory::III},  {comfort - 5.5, AdaptiveCategory::Outside}};
    for (const auto& c : adaptive)
        EXPECT_EQ(AdaptiveCategoryOf(c.operative, comfort), c.category) << c.operative - comfort;
}

TEST(ComfortStream, DefinesDraughtFrom162RowsInTheTrailing180Seconds)
{
    ComfortStream stream;
    const std::int64_t start = 1'000'000;
    RecordValues values{};
    values[QuantityIndex(RecordQuantity::AirTemp)] = 22;
    std::optional<DraughtFigures> last;
    for (int s = 0; s < 162; ++s) {
        values[0] = Swinging(s).wind;
        last = stream.Add(start + s, values).draught;
        EXPECT_EQ(last.has_value(), s == 161) << s + 1 << " rows";
    }
    ASSERT_TRUE(last);
    EXPECT_DOUBLE_EQ(last->meanWind, 0.15);
    EXPECT_NEAR(last->turbulenceIntensity, 100.0 / 3, 1e-12);
    EXPECT_NEAR(last->draughtRate, 14.364211519088709, 1e-12);

    // 20 s away: the rows older than 180 s leave by time, whatever their number.
    values[0] = 0.10;
    EXPECT_FALSE(stream.Add(start + 181, values).draught) << "161 rows in (1, 181]";
    EXPECT_FALSE(stream.Add(start + 400, values).draught) << "a gap longer than the window empties it";

    // However the rows came and went, the same rows give the same bits.
    ComfortStream fresh;
    ComfortStream used;
    for (int s = 0; s < 5000; ++s) {
        values[0] = 0.05 + 0.001 * (s * 7919 % 331);
        used.Add(start + s, values);
    }
    ComfortSecond a;
    ComfortSecond b;
    for (int s = 5000; s < 5180; ++s) {
        values[0] = 0.05 + 0.001 * (s * 7919 % 331);
        a = used.Add(start + s, values);
        b = fresh.Add(start + s, values);
    }
    ASSERT_TRUE(a.draught && b.draught);
    EXPECT_EQ(a.draught->draughtRate, b.draught->draughtRate);
    EXPECT_EQ(a.draught->turbulenceIntensity, b.draught->turbulenceIntensity);
}

TEST_F(ComfortSurveyTest, TakesTheDayBeforeIntoTheWindowsAcrossMidnightAndLeavesAGapOut)
{
    const QDate saturday = kFriday.addDays(1);
    WriteSeconds(saturday, Rows(saturday, 0, 10));
    const struct {
        const char* name;
        int fridayFrom;  // Friday's rows from this second to midnight
        qint64 draughtSeconds;
    } cases[] = {
        {"no day before", 86400, 0},
        {"the last three minutes before", 86400 - 180, 10},
        {"rows until 23:58:00", 86400 - 180, 0},  // written below with the last two minutes cut
    };
    for (const auto& c : cases) {
        QStringList friday = Rows(kFriday, c.fridayFrom, 86400);
        if (QLatin1String(c.name) == QLatin1String("rows until 23:58:00"))
            friday = friday.mid(0, 61);
        WriteSeconds(kFriday, friday);
        const SummaryRun run = Day(saturday);
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(run.json()[QStringLiteral("rows")].toInteger(), 10) << c.name;
        EXPECT_EQ(run.at("draught")[QStringLiteral("seconds")].toInteger(), c.draughtSeconds) << c.name;
    }
}

TEST_F(ComfortSurveyTest, AveragesWbgtOverTheHourAndComparesItWithBothLimits)
{
    // An hour of 31 degrees at 1.2 METs: above the unacclimatised limit (30.3), below the other (32.6).
    WriteSeconds(kFriday, Rows(kFriday, 0, 3600, [](int) {
                     Values v;
                     v.wbgtIn = 31;
                     return v;
                 }));
    const SummaryRun run = Day(kFriday);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonObject wbgt = run.at("wbgt_twa");
    EXPECT_EQ(wbgt[QStringLiteral("seconds")].toInteger(), 3600 - 3239) << "from the 3,240th row on";
    EXPECT_EQ(wbgt[QStringLiteral("max")].toDouble(), 31);
    EXPECT_TRUE(wbgt[QStringLiteral("max_at")].toString().startsWith(QStringLiteral("2026-12-11T00:53:59")));
    EXPECT_EQ(wbgt[QStringLiteral("over_acclimatised")].toDouble(), 0);
    EXPECT_EQ(wbgt[QStringLiteral("over_unacclimatised")].toDouble(), 1);
}

TEST_F(ComfortSurveyTest, WorksOutTheLongTermFiguresOfTheCountedSeconds)
{
    // PMV 0, 0.5, -0.6, 1.0 with operative temperatures 22, 25, 27, 19 (wind 0.1: air and radiant alike).
    const double pmv[] = {0, 0.5, -0.6, 1.0};
    const double air[] = {22, 25, 27, 19};
    QStringList rows;
    for (int i = 0; i < 4; ++i) {
        Values v;
        v.wind = 0.1;
        v.pmv = pmv[i];
        v.air = v.radiant = air[i];
        rows.append(Row(kFriday, 36000 + i, v));
    }
    WriteSeconds(kFriday, rows);
    const SummaryRun run = Day(kFriday, {QStringLiteral("--to-range"), QStringLiteral("20,26")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonObject longTerm = run.at("long_term");
    const double ppd[] = {PpdOf(0), PpdOf(0.5), PpdOf(-0.6), PpdOf(1.0)};
    EXPECT_EQ(longTerm[QStringLiteral("category")].toString(), QStringLiteral("B"));
    EXPECT_EQ(longTerm[QStringLiteral("pmv_limit")].toDouble(), 0.5);
    EXPECT_DOUBLE_EQ(longTerm[QStringLiteral("hours")].toDouble(), 4 / 3600.0);
    EXPECT_DOUBLE_EQ(longTerm[QStringLiteral("hours_outside")].toDouble(), 3 / 3600.0) << "0.5 is on the limit";
    EXPECT_DOUBLE_EQ(longTerm[QStringLiteral("share_outside")].toDouble(), 0.75);
    EXPECT_NEAR(longTerm[QStringLiteral("ppd_weighted_hours")].toDouble(), (ppd[1] + ppd[2] + ppd[3]) / ppd[1] / 3600.0,
                1e-15);
    EXPECT_NEAR(longTerm[QStringLiteral("average_ppd")].toDouble(), (ppd[0] + ppd[1] + ppd[2] + ppd[3]) / 4, 1e-12);
    EXPECT_NEAR(longTerm[QStringLiteral("ppd_hours")].toDouble(), (ppd[0] + ppd[1] + ppd[2] + ppd[3]) / 3600, 1e-14);
    EXPECT_NEAR(longTerm[QStringLiteral("degree_hours")].toDouble(), (1.0 + 1.0) / 3600, 1e-15);

    const QJsonObject en = run.at("en16798_category");
    EXPECT_EQ(en[QStringLiteral("I")].toDouble(), 0.25);
    EXPECT_EQ(en[QStringLiteral("III")].toDouble(), 0.5);
    EXPECT_EQ(en[QStringLiteral("outside")].toDouble(), 0.25);
    // Four rows define no draught: the comfort category is the PMV's alone.
    EXPECT_EQ(run.at("comfort_category")[QStringLiteral("C")].toDouble(), 0.5);
    EXPECT_TRUE(run.at("quantities")[QStringLiteral("draught_rate")].toObject()[QStringLiteral("avg")].isNull());
    EXPECT_TRUE(Day(kFriday).at("long_term")[QStringLiteral("degree_hours")].isNull()) << "without --to-range";

    const SummaryRun strict = Day(kFriday, {QStringLiteral("--category"), QStringLiteral("A")});
    EXPECT_DOUBLE_EQ(strict.at("long_term")[QStringLiteral("hours_outside")].toDouble(), 3 / 3600.0);
    EXPECT_EQ(strict.at("selection")[QStringLiteral("category")].toString(), QStringLiteral("A"));
}

TEST_F(ComfortSurveyTest, CountsAnOvernightShiftOnTheDayItStarts)
{
    // Thursday's shift ends Friday 06:00; Friday's runs into Saturday.
    const QDate saturday = kFriday.addDays(1);
    WriteSeconds(kFriday, {Row(kFriday, 5 * 3600, {}), Row(kFriday, 21 * 3600 + 3599, {}), Row(kFriday, 22 * 3600, {}),
                           Row(kFriday, 86399, {})});
    WriteSeconds(saturday, {Row(saturday, 0, {}), Row(saturday, 6 * 3600 - 1, {}), Row(saturday, 6 * 3600, {})});
    const QStringList range{QStringLiteral("2026/12/11"), QStringLiteral("2026/12/12")};
    const SummaryRun run = Summary(range + QStringList{QStringLiteral("--hours"), QStringLiteral("22:00-06:00"),
                                                       QStringLiteral("--days"), QStringLiteral("fri")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.json()[QStringLiteral("rows")].toInteger(), 4);
    EXPECT_EQ(run.at("selection")[QStringLiteral("hours")].toString(), QStringLiteral("22:00-06:00"));
    EXPECT_EQ(run.at("selection")[QStringLiteral("days")].toArray(), QJsonArray{QStringLiteral("fri")});
    EXPECT_TRUE(run.json()[QStringLiteral("first")].toString().startsWith(QStringLiteral("2026-12-11T22:00:00")));
    EXPECT_TRUE(run.json()[QStringLiteral("last")].toString().startsWith(QStringLiteral("2026-12-12T05:59:59")));

    const SummaryRun all = Summary(range);
    EXPECT_EQ(all.json()[QStringLiteral("rows")].toInteger(), 7);
    EXPECT_TRUE(all.at("selection")[QStringLiteral("hours")].isNull());
    EXPECT_TRUE(all.at("selection")[QStringLiteral("days")].isNull());
}

TEST_F(ComfortSurveyTest, ClassifiesAdaptiveComfortOnlyWhereTheRunningMeanIsKnown)
{
    // Seven days of 20 degrees before Friday: running mean 20, comfort temperature 25.4. Saturday
    // misses Friday's temperature, which stands on a malformed line.
    data.write(QStringLiteral("outdoor.csv"), "date,mean\n2026/12/04,20\n2026-12-05,20\n2026/12/06,20\n"
                                              "2026/12/07,20\n2026/12/08,20\n2026/12/09,20\n2026/12/10,20\n"
                                              "2026/12/11,warm\n");
    const QDate saturday = kFriday.addDays(1);
    auto at = [](double operative) {
        return [operative](int) {
            Values v;
            v.wind = 0.1;
            v.air = v.radiant = operative;
            return v;
        };
    };
    WriteSeconds(kFriday, Rows(kFriday, 0, 4, at(22.5)) + Rows(kFriday, 4, 5, at(29)));
    WriteSeconds(saturday, Rows(saturday, 0, 3, at(25)));
    const SummaryRun run = Summary({QStringLiteral("2026/12/11"), QStringLiteral("2026/12/12"),
                                    QStringLiteral("--outdoor"), data.file(QStringLiteral("outdoor.csv"))});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(data.file(QStringLiteral("outdoor.csv")) + QStringLiteral(":9:")))
        << run.err.toStdString();
    const QJsonObject adaptive = run.at("adaptive");
    EXPECT_EQ(adaptive[QStringLiteral("seconds")].toInteger(), 5);
    EXPECT_EQ(adaptive[QStringLiteral("I")].toDouble(), 0.8);
    EXPECT_EQ(adaptive[QStringLiteral("III")].toDouble(), 0.2);
    EXPECT_EQ(adaptive[QStringLiteral("not_applicable")].toInteger(), 3);
    EXPECT_TRUE(Day(kFriday).json()[QStringLiteral("adaptive")].isNull()) << "without --outdoor";
}

TEST_F(ComfortSurveyTest, CountsAMinuteFileDayFromItsAveragesWithoutDraught)
{
    QString row = QStringLiteral("2026/12/11 10:00,");
    // Wind 0.3 (weight 0.6), air 22, radiant 24, PMV 0.5.
    for (const char* average : {"0.3", "22", "45", "24", "1.2", "0.7", "0.5", "19.5", "20", "7.5", "6", "10"})
        row += QLatin1String(average) + QStringLiteral(",9,0,");
    data.write(QStringLiteral("Record/RT_20261211.RCD"), Cp932Lines({row}));
    const SummaryRun run = Day(kFriday);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.json()[QStringLiteral("rows")].toInteger(), 60);
    const QJsonObject quantities = run.at("quantities");
    EXPECT_DOUBLE_EQ(quantities[QStringLiteral("operative_temp")].toObject()[QStringLiteral("avg")].toDouble(), 22.8);
    EXPECT_DOUBLE_EQ(quantities[QStringLiteral("ppd")].toObject()[QStringLiteral("max")].toDouble(), PpdOf(0.5));
    EXPECT_TRUE(quantities[QStringLiteral("turbulence_intensity")].toObject()[QStringLiteral("max")].isNull());
    EXPECT_EQ(run.at("draught")[QStringLiteral("seconds")].toInteger(), 0);
    EXPECT_EQ(run.at("wbgt_twa")[QStringLiteral("seconds")].toInteger(), 0);
    EXPECT_TRUE(run.at("wbgt_twa")[QStringLiteral("max_at")].isNull());
}

TEST_F(ComfortSurveyTest, RefusesBadOptionValuesBeforeReadingAnyFile)
{
    data.write(QStringLiteral("folder/x"), "");
    data.write(QStringLiteral("binary.csv"), QByteArray("2026/12/04,20\n\0\x01\x02", 17));
    const struct {
        QStringList args;
        const char* named;
    } cases[] = {
        {{QStringLiteral("--hours"), QStringLiteral("25:00-08:00")}, "--hours 25:00-08:00"},
        {{QStringLiteral("--hours"), QStringLiteral("08:00-08:00")}, "--hours 08:00-08:00"},
        {{QStringLiteral("--hours"), QStringLiteral("8-18")}, "--hours 8-18"},
        {{QStringLiteral("--days"), QStringLiteral("funday")}, "--days funday"},
        {{QStringLiteral("--days"), QStringLiteral("mon-fri-sun")}, "--days mon-fri-sun"},
        {{QStringLiteral("--category"), QStringLiteral("D")}, "--category D"},
        {{QStringLiteral("--to-range"), QStringLiteral("26,20")}, "--to-range 26,20"},
        {{QStringLiteral("--to-range"), QStringLiteral("20")}, "--to-range 20"},
        {{QStringLiteral("--outdoor"), data.file(QStringLiteral("missing.csv"))}, "missing.csv"},
        {{QStringLiteral("--outdoor"), data.file(QStringLiteral("folder"))}, "folder"},
        {{QStringLiteral("--outdoor"), data.file(QStringLiteral("binary.csv"))}, "binary.csv"},
    };
    for (const auto& c : cases) {
        // No record folder at all: a run that read anything would end with 1.
        const SummaryRun run = Summary(QStringList{QStringLiteral("2026/12/11"), QStringLiteral("2026/12/11")} + c.args,
                                       data.file(QStringLiteral("nothing-here")));
        EXPECT_EQ(run.exitCode, 2) << c.named;
        EXPECT_TRUE(run.err.contains(QLatin1String(c.named))) << run.err.toStdString();
        EXPECT_EQ(run.out, QString());
    }
}

TEST_F(ComfortSurveyTest, HandsEachCountedSecondToAnObserver)
{
    WriteSeconds(kFriday, Rows(kFriday, 0, 200));
    QString row = QStringLiteral("2026/12/12 10:00,");
    for (int i = 0; i < 12; ++i)
        row += QStringLiteral("0.5,9,0,");
    data.write(QStringLiteral("Record/RT_20261212.RCD"), Cp932Lines({row}));
    const RecordFolder folder(data.path());
    const ComfortOptions options;
    std::int64_t seconds = 0;
    int draughts = 0;
    const CountedSecondObserver observer = [&](const CountedSecond& second) {
        seconds += second.weight;
        draughts += second.draughtRate ? 1 : 0;
    };
    const SurveyFigures figures =
        SurveyDays(folder, QStringLiteral("COM7"), options).Range(kFriday, kFriday.addDays(1), 2, &observer);
    EXPECT_EQ(seconds, 260);
    EXPECT_EQ(figures.summary.Rows(), 260);
    EXPECT_EQ(draughts, 200 - 161);
}

// Days shared among threads give the very figures of one thread reading them in turn.
TEST_F(ComfortSurveyTest, SharesDaysAmongThreadsWithTheSameResultToTheLastBit)
{
    for (int d = 0; d < 6; ++d) {
        const QDate day = kFriday.addDays(d);
        WriteSeconds(day, Rows(day, 86400 - 4000 + 300 * d, 86400, [](int s) {
                         Values v;
                         v.wind = 0.05 + 0.001 * (s * 7919 % 331);
                         v.air = 20 + 0.01 * (s % 613);
                         v.pmv = -1 + 0.01 * (s % 200);
                         v.wbgtIn = 25 + 0.01 * (s % 997);
                         return v;
                     }));
    }
    const RecordFolder folder(data.path());
    ComfortOptions options;
    options.toRange = std::pair{21.0, 24.0};
    const SurveyDays days(folder, QStringLiteral("COM7"), options);
    const SurveyFigures one = days.Range(kFriday, kFriday.addDays(6), 1);
    const QJsonObject expected = SummaryJson(one.summary, one.comfort);
    EXPECT_GT(expected[QStringLiteral("draught")].toObject()[QStringLiteral("seconds")].toInteger(), 0);
    EXPECT_GT(expected[QStringLiteral("wbgt_twa")].toObject()[QStringLiteral("seconds")].toInteger(), 0);
    for (const int workers : {2, 3, 7}) {
        const SurveyFigures shared = days.Range(kFriday, kFriday.addDays(6), workers);
        EXPECT_EQ(SummaryJson(shared.summary, shared.comfort), expected) << workers << " workers";
        EXPECT_EQ(shared.missingDays, one.missingDays);
    }
}

}  // namespace
