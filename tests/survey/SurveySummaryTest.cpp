// The survey summary over hand-made days whose figures are worked out by hand.
#include "survey/SummaryReport.h"
#include "survey/SurveyRun.h"

#include "common/Cp932File.h"
#include "tests/support/TempFolder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <map>
#include <set>

using namespace qemra;

namespace {

const QString kSecondUnits = QStringLiteral("時刻,m/s.,℃,％,℃,,,,℃,℃,g/kg,℃,℃,");

QStringList SecondHeader(const QString& port)
{
    return {port + QStringLiteral(",風速,気温,湿度,輻射熱,METs,clo,PMV,WBGTo,WBGTi,絶対湿度,露点温度,湿球温度,"),
            kSecondUnits};
}

// A second row that varies wind, air temperature, PMV and indoor WBGT; the other columns stay put.
QString SecondRow(const char* time, const char* wind, const char* air, const char* pmv, const char* wbgtIn)
{
    return QStringLiteral("%1,%2,%3,45.000,22.00,1.20,0.70,%4,19.50,%5,7.50,6.00,10.00,")
        .arg(QLatin1String(time), QLatin1String(wind), QLatin1String(air), QLatin1String(pmv), QLatin1String(wbgtIn));
}

// Ten seconds, one on each side of every bound, as the recorder prints them.
const QStringList kBoundaryRows = {
    SecondRow("2026/12/11 09:41:00", "0.100", "20.00", "0.19", "20.99"),
    SecondRow("2026/12/11 09:41:01", "0.200", "20.50", "-0.20", "21.00"),
    SecondRow("2026/12/11 09:41:02", "0.300", "21.00", "0.20", "24.99"),
    SecondRow("2026/12/11 09:41:03", "0.400", "21.50", "0.49", "25.00"),
    SecondRow("2026/12/11 09:41:04", "0.500", "22.00", "0.50", "27.99"),
    SecondRow("2026/12/11 09:41:05", "0.600", "22.50", "-0.50", "28.00"),
    SecondRow("2026/12/11 09:41:06", "0.700", "23.00", "0.69", "30.99"),
    SecondRow("2026/12/11 09:41:07", "0.800", "23.50", "0.70", "31.00"),
    SecondRow("2026/12/11 09:41:08", "0.900", "24.00", "-0.70", "35.00"),
    SecondRow("2026/12/11 09:41:09", "1.000", "24.50", "1.50", "21.00"),
};

// A minute row: the given averages of wind, PMV and indoor WBGT, maxima and minima far from them.
QString MinuteRow(const char* time, const char* wind, const char* pmv, const char* wbgtIn)
{
    QString row = QLatin1String(time) + u',';
    const QString groups[12] = {QLatin1String(wind),   QStringLiteral("22"),   QStringLiteral("45"),
                                QStringLiteral("22"),  QStringLiteral("1.2"),  QStringLiteral("0.7"),
                                QLatin1String(pmv),    QStringLiteral("19.5"), QLatin1String(wbgtIn),
                                QStringLiteral("7.5"), QStringLiteral("6"),    QStringLiteral("10")};
    for (const QString& average : groups)
        row += average + QStringLiteral(",99,-99,");
    return row;
}

const QStringList kMinuteHeader = {
    QStringLiteral(
        ",風速,,,気温,,,湿度,,,輻射熱,,,METs,,,clo,,,PMV,,,WBGTo,,,WBGTi,,,絶対湿度,,,露点温度,,,湿球温度,,,"),
    QStringLiteral("時刻,") + QStringLiteral("Avg,Max,Min,").repeated(12)};

struct SummaryRun {
    int exitCode = 0;
    QString out;
    QString err;
    QJsonObject json() const { return QJsonDocument::fromJson(out.toUtf8()).object(); }
};

class SurveySummaryTest : public ::testing::Test {
protected:
    void WriteRecord(const QString& name, const QStringList& lines) const
    {
        data.write(QStringLiteral("Record/") + name, Cp932Lines(lines));
    }
    void WriteBoundaryDay(const QString& port = QStringLiteral("COM7")) const
    {
        WriteRecord(QStringLiteral("RT_%1_20261211.csv").arg(port), SecondHeader(port) + kBoundaryRows);
    }

    SummaryRun Summary(QStringList args) const
    {
        args.prepend(QStringLiteral("--summary"));
        SummaryRun run;
        QTextStream out(&run.out);
        QTextStream err(&run.err);
        run.exitCode = RunSurveySummary(args, data.path(), out, err);
        return run;
    }

    TempFolder data;
};

TEST_F(SurveySummaryTest, SummarisesAHandMadeDayWithEveryBoundInTheUpperClass)
{
    WriteBoundaryDay();
    const SummaryRun run =
        Summary({QStringLiteral("2026/12/11"), QStringLiteral("2026/12/11"), QStringLiteral("--json")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.err, QString());
    const QJsonObject json = run.json();
    EXPECT_EQ(json[QStringLiteral("rows")].toInteger(), 10);
    EXPECT_EQ(json[QStringLiteral("skipped_rows")].toInteger(), 0);

    const QJsonObject quantities = json[QStringLiteral("quantities")].toObject();
    const struct {
        const char* key;
        double min, avg, max;
    } figures[] = {
        {"wind", 0.1, 0.55, 1.0},  {"air_temp", 20, 22.25, 24.5},  {"rh", 45, 45, 45},
        {"pmv", -0.7, 0.287, 1.5}, {"wbgt_in", 20.99, 26.596, 35}, {"wet_bulb", 10, 10, 10},
    };
    for (const auto& f : figures) {
        const QJsonObject q = quantities[QLatin1String(f.key)].toObject();
        EXPECT_EQ(q[QStringLiteral("min")].toDouble(), f.min) << f.key;  // as written in the file
        EXPECT_EQ(q[QStringLiteral("max")].toDouble(), f.max) << f.key;
        EXPECT_NEAR(q[QStringLiteral("avg")].toDouble(), f.avg, 1e-12) << f.key;
        if (f.min == f.max) {
            EXPECT_EQ(q[QStringLiteral("avg")].toDouble(), f.min) << f.key << ": a steady value averages to itself";
        }
    }

    // |PMV| 0.19 | 0.20 0.20 0.49 | 0.50 0.50 0.69 | 0.70 0.70 1.50
    const QJsonObject pmv = json[QStringLiteral("pmv_category")].toObject();
    EXPECT_EQ(pmv[QStringLiteral("A")].toDouble(), 0.1);
    EXPECT_EQ(pmv[QStringLiteral("B")].toDouble(), 0.3);
    EXPECT_EQ(pmv[QStringLiteral("C")].toDouble(), 0.3);
    EXPECT_EQ(pmv[QStringLiteral("outside")].toDouble(), 0.3);
    // WBGT 20.99 | 21 24.99 21 | 25 27.99 | 28 30.99 | 31 35
    const QJsonObject wbgt = json[QStringLiteral("wbgt_level")].toObject();
    EXPECT_EQ(wbgt[QStringLiteral("safe")].toDouble(), 0.1);
    EXPECT_EQ(wbgt[QStringLiteral("caution")].toDouble(), 0.3);
    EXPECT_EQ(wbgt[QStringLiteral("warning")].toDouble(), 0.2);
    EXPECT_EQ(wbgt[QStringLiteral("severe")].toDouble(), 0.2);
    EXPECT_EQ(wbgt[QStringLiteral("danger")].toDouble(), 0.2);

    const QString offset = IsoLocalTime({2026, 12, 11, 9, 41, 0}).right(6);
    EXPECT_EQ(json[QStringLiteral("first")].toString(), QStringLiteral("2026-12-11T09:41:00") + offset);
    EXPECT_EQ(json[QStringLiteral("last")].toString(), QStringLiteral("2026-12-11T09:41:09") + offset);
}

TEST_F(SurveySummaryTest, SkipsAndCountsMalformedRows)
{
    WriteRecord(QStringLiteral("RT_COM7_20261211.csv"),
                SecondHeader(QStringLiteral("COM7")) + kBoundaryRows.mid(0, 5) +
                    QStringList{QStringLiteral("2026/12/11 09:41:05,abc,22.50,45.000,22.00,1.20,0.70,-0.50,19.50,28.00,"
                                               "7.50,6.00,10.00,"),
                                QStringLiteral("2026/12/11 09:41:06,0.700,23.00,")} +
                    kBoundaryRows.mid(7));
    const SummaryRun run =
        Summary({QStringLiteral("2026/12/11"), QStringLiteral("2026/12/11"), QStringLiteral("--json")});
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.json()[QStringLiteral("rows")].toInteger(), 8);
    EXPECT_EQ(run.json()[QStringLiteral("skipped_rows")].toInteger(), 2);
}

TEST_F(SurveySummaryTest, CountsEachMinuteRowOfADayWithoutSecondFileAsSixtySecondsOfItsAverages)
{
    WriteBoundaryDay();
    // A day with its second record file ignores its minute record file.
    WriteRecord(QStringLiteral("RT_20261211.RCD"),
                kMinuteHeader + QStringList{MinuteRow("2026/12/11 09:41", "5", "3", "40")});
    WriteRecord(QStringLiteral("RT_20261212.RCD"),
                kMinuteHeader + QStringList{MinuteRow("2026/12/12 09:00", "2", "0.3", "26"),
                                            MinuteRow("2026/12/12 09:01", "0.05", "-0.1", "20")});
    const SummaryRun run =
        Summary({QStringLiteral("2026/12/11"), QStringLiteral("2026/12/12"), QStringLiteral("--json")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("minute record file counted for 2026/12/12"))) << run.err.toStdString();
    const QJsonObject json = run.json();
    EXPECT_EQ(json[QStringLiteral("rows")].toInteger(), 130);
    EXPECT_TRUE(json[QStringLiteral("last")].toString().startsWith(QStringLiteral("2026-12-12T09:01:00")));

    const QJsonObject wind = json[QStringLiteral("quantities")].toObject()[QStringLiteral("wind")].toObject();
    EXPECT_EQ(wind[QStringLiteral("min")].toDouble(), 0.05);
    EXPECT_EQ(wind[QStringLiteral("max")].toDouble(), 2);
    EXPECT_NEAR(wind[QStringLiteral("avg")].toDouble(), (5.5 + 60 * 2 + 60 * 0.05) / 130, 1e-12);
    const QJsonObject pmv = json[QStringLiteral("pmv_category")].toObject();
    EXPECT_DOUBLE_EQ(pmv[QStringLiteral("A")].toDouble(), 61.0 / 130);
    EXPECT_DOUBLE_EQ(pmv[QStringLiteral("B")].toDouble(), 63.0 / 130);
    EXPECT_DOUBLE_EQ(pmv[QStringLiteral("outside")].toDouble(), 3.0 / 130);
    const QJsonObject wbgt = json[QStringLiteral("wbgt_level")].toObject();
    EXPECT_DOUBLE_EQ(wbgt[QStringLiteral("safe")].toDouble(), 61.0 / 130);
    EXPECT_DOUBLE_EQ(wbgt[QStringLiteral("warning")].toDouble(), 62.0 / 130);
    EXPECT_DOUBLE_EQ(wbgt[QStringLiteral("danger")].toDouble(), 2.0 / 130);
}

TEST_F(SurveySummaryTest, NamesMissingDaysAndSummarisesTheRest)
{
    WriteBoundaryDay();
    const SummaryRun run =
        Summary({QStringLiteral("2026/12/08"), QStringLiteral("2026/12/12"), QStringLiteral("--json")});
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.json()[QStringLiteral("rows")].toInteger(), 10);
    EXPECT_TRUE(run.err.contains(QStringLiteral("no record file for 2026/12/08 to 2026/12/10, 2026/12/12")))
        << run.err.toStdString();
}

TEST_F(SurveySummaryTest, ListsThePortsWhenSeveralWereRecordedAndTakesTheOneAskedFor)
{
    WriteBoundaryDay(QStringLiteral("COM7"));
    WriteRecord(QStringLiteral("RT_ttyUSB0_20261211.csv"),
                SecondHeader(QStringLiteral("/dev/ttyUSB0")) + kBoundaryRows.mid(0, 3));
    // A port recorded only outside the range makes no choice necessary.
    WriteRecord(
        QStringLiteral("RT_ttyS0_20261201.csv"),
        SecondHeader(QStringLiteral("/dev/ttyS0")) +
            kBoundaryRows.join(u'\n').replace(QStringLiteral("2026/12/11"), QStringLiteral("2026/12/01")).split(u'\n'));

    const SummaryRun ambiguous = Summary({QStringLiteral("2026/12/11"), QStringLiteral("2026/12/11")});
    EXPECT_EQ(ambiguous.exitCode, 2);
    EXPECT_TRUE(ambiguous.err.contains(QStringLiteral("COM7, ttyUSB0"))) << ambiguous.err.toStdString();
    EXPECT_TRUE(ambiguous.err.contains(QStringLiteral("usage:")));
    EXPECT_EQ(ambiguous.out, QString());

    for (const QString& port : {QStringLiteral("ttyUSB0"), QStringLiteral("/dev/ttyUSB0")}) {
        const SummaryRun picked = Summary({QStringLiteral("2026/12/11"), QStringLiteral("2026/12/11"),
                                           QStringLiteral("--port"), port, QStringLiteral("--json")});
        ASSERT_EQ(picked.exitCode, 0) << port.toStdString();
        EXPECT_EQ(picked.json()[QStringLiteral("rows")].toInteger(), 3) << port.toStdString();
    }
    const SummaryRun alone =
        Summary({QStringLiteral("2026/12/01"), QStringLiteral("2026/12/05"), QStringLiteral("--json")});
    ASSERT_EQ(alone.exitCode, 0);
    EXPECT_EQ(alone.json()[QStringLiteral("rows")].toInteger(), 10) << "the one port of the range";
}

TEST_F(SurveySummaryTest, WritesOneJsonObjectWithExactlyTheAgreedKeys)
{
    WriteBoundaryDay();
    const SummaryRun run =
        Summary({QStringLiteral("--json"), QStringLiteral("2026/12/11"), QStringLiteral("2026/12/11")});
    ASSERT_EQ(run.exitCode, 0);
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(run.out.toUtf8(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << run.out.toStdString();
    ASSERT_TRUE(document.isObject());
    using Keys = std::set<QString>;
    auto keys = [](const QJsonObject& object) {
        const QStringList list = object.keys();
        return Keys(list.begin(), list.end());
    };
    const QJsonObject json = document.object();
    EXPECT_EQ(keys(json), (Keys{"rows", "first", "last", "quantities", "pmv_category", "wbgt_level", "skipped_rows",
                                "duplicate_rows", "selection", "draught", "dr_category", "comfort_category",
                                "en16798_category", "long_term", "wbgt_twa", "adaptive"}));
    const QJsonObject quantities = json[QStringLiteral("quantities")].toObject();
    EXPECT_EQ(keys(quantities), (Keys{"wind", "air_temp", "rh", "radiant_temp", "mets", "clo", "pmv", "wbgt_out",
                                      "wbgt_in", "abs_humidity", "dew_point", "wet_bulb", "ppd", "operative_temp",
                                      "draught_rate", "turbulence_intensity"}));
    for (const QString& key : quantities.keys()) {
        EXPECT_EQ(keys(quantities[key].toObject()), (Keys{"min", "avg", "max"})) << key.toStdString();
        // Ten seconds define no draught.
        EXPECT_EQ(quantities[key].toObject()[QStringLiteral("avg")].isDouble(),
                  key != QLatin1String("draught_rate") && key != QLatin1String("turbulence_intensity"))
            << key.toStdString();
    }
    const auto objectKeys = [&](const char* key) { return keys(json[QLatin1String(key)].toObject()); };
    EXPECT_EQ(objectKeys("selection"), (Keys{"hours", "days", "category"}));
    EXPECT_EQ(objectKeys("draught"), (Keys{"seconds", "outside_model"}));
    EXPECT_EQ(objectKeys("dr_category"), (Keys{"A", "B", "C", "outside"}));
    EXPECT_EQ(objectKeys("comfort_category"), (Keys{"A", "B", "C", "outside"}));
    EXPECT_EQ(objectKeys("en16798_category"), (Keys{"I", "II", "III", "IV", "outside"}));
    EXPECT_EQ(objectKeys("long_term"), (Keys{"category", "pmv_limit", "hours", "hours_outside", "share_outside",
                                             "ppd_weighted_hours", "average_ppd", "ppd_hours", "degree_hours"}));
    EXPECT_EQ(objectKeys("wbgt_twa"), (Keys{"seconds", "max", "max_at", "over_acclimatised", "over_unacclimatised"}));
    EXPECT_TRUE(json[QStringLiteral("adaptive")].isNull());
    EXPECT_EQ(keys(json[QStringLiteral("pmv_category")].toObject()), (Keys{"A", "B", "C", "outside"}));
    EXPECT_EQ(keys(json[QStringLiteral("wbgt_level")].toObject()),
              (Keys{"safe", "caution", "warning", "severe", "danger"}));
    EXPECT_TRUE(json[QStringLiteral("rows")].isDouble());
    EXPECT_TRUE(json[QStringLiteral("first")].isString());
}

TEST_F(SurveySummaryTest, PrintsATableWithoutJson)
{
    WriteBoundaryDay();
    const SummaryRun run = Summary({QStringLiteral("2026/12/11"), QStringLiteral("2026/12/11")});
    ASSERT_EQ(run.exitCode, 0);
    // Each line as its words, so the test does not hang on column widths.
    std::map<QString, QStringList> words;
    for (const QString& line : run.out.split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList parts = line.split(u' ', Qt::SkipEmptyParts);
        words[parts.front()] = parts.mid(1);
    }
    EXPECT_EQ(words[QStringLiteral("rows")], QStringList{QStringLiteral("10")});
    EXPECT_EQ(words[QStringLiteral("first")], QStringList{IsoLocalTime({2026, 12, 11, 9, 41, 0})});
    EXPECT_EQ(words[QStringLiteral("quantity")], (QStringList{"min", "avg", "max"}));
    EXPECT_EQ(words[QStringLiteral("wind")], (QStringList{"0.1", "0.55", "1"}));
    EXPECT_EQ(words[QStringLiteral("wbgt_in")], (QStringList{"20.99", "26.596", "35"}));
    EXPECT_EQ(words[QStringLiteral("pmv_category")],
              (QStringList{"A", "0.1000", "B", "0.3000", "C", "0.3000", "outside", "0.3000"}));
    EXPECT_EQ(words[QStringLiteral("wbgt_level")], (QStringList{"safe", "0.1000", "caution", "0.3000", "warning",
                                                                "0.2000", "severe", "0.2000", "danger", "0.2000"}));
    EXPECT_EQ(words[QStringLiteral("skipped_rows")], QStringList{QStringLiteral("0")});
    EXPECT_EQ(words[QStringLiteral("draught_rate")], (QStringList{"-", "-", "-"}));
    EXPECT_EQ(words[QStringLiteral("selection")], (QStringList{"hours", "-", "days", "-", "category", "B"}));
}

// Minute averages carry fifteen digits; the table keeps six, and every column stays apart.
TEST_F(SurveySummaryTest, PrintsAtMostSixSignificantDigitsInColumnsWideEnoughForThem)
{
    WriteRecord(QStringLiteral("RT_20261211.RCD"),
                kMinuteHeader +
                    QStringList{MinuteRow("2026/12/11 09:00", "0.0174833333333333", "0.238", "-1234.56789012345"),
                                MinuteRow("2026/12/11 09:01", "0.723866666666666", "0.3", "20")});
    const SummaryRun run = Summary({QStringLiteral("2026/12/11"), QStringLiteral("2026/12/11")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        const QStringList words = line.split(u' ', Qt::SkipEmptyParts);
        if (words.size() == 4 && line.startsWith(QStringLiteral("wind"))) {
            EXPECT_EQ(words.mid(1), (QStringList{"0.0174833", "0.370675", "0.723867"})) << line.toStdString();
        }
        for (const QString& word : words) {
            bool number = false;
            word.toDouble(&number);
            if (number) {
                QString digits = word;
                digits.remove(QRegularExpression(QStringLiteral("e.*$|[-.]")));
                digits.remove(QRegularExpression(QStringLiteral("^0+")));
                EXPECT_LE(digits.size(), 6) << word.toStdString() << " in: " << line.toStdString();
            }
        }
    }
    // The quantity rows line up: every value ends in the column of its heading.
    const qsizetype header = lines.indexOf(QRegularExpression(QStringLiteral("quantity .*")));
    ASSERT_GE(header, 0);
    for (qsizetype i = header + 1; i < header + 17 && i < lines.size(); ++i)
        EXPECT_EQ(lines[i].size(), lines[header].size()) << lines[i].toStdString();
}

// Odd rows cannot fool the figures: each case is a day of the boundary rows with something wrong.
TEST_F(SurveySummaryTest, CountsEachSecondOnceWhateverTheOrderOrDamageOfTheRows)
{
    QStringList shuffled = kBoundaryRows;
    std::swap(shuffled[0], shuffled[5]);
    std::swap(shuffled[9], shuffled[2]);
    const QString huge =
        QStringLiteral("2026/12/11 09:41:10,1e308,22.00,45.000,22.00,1.20,0.70,0.10,19.50,20.00,7.50,6.00,10.00,");
    const QString otherDay =
        QString(kBoundaryRows[3]).replace(QStringLiteral("2026/12/11"), QStringLiteral("2026/12/10"));
    const struct {
        const char* name;
        QStringList rows;
        qint64 rows_, skipped, duplicates;
    } cases[] = {
        {"shuffled rows", shuffled, 10, 0, 0},
        {"every row twice", kBoundaryRows + kBoundaryRows, 10, 0, 10},
        {"a row of another day", kBoundaryRows + QStringList{otherDay}, 10, 1, 0},
        {"a value beyond a million", kBoundaryRows + QStringList{huge}, 10, 1, 0},
        {"blank lines",
         QStringList{QString()} + kBoundaryRows.mid(0, 5) + QStringList{QString(), QString()} + kBoundaryRows.mid(5),
         10, 0, 0},
    };
    for (const auto& c : cases) {
        WriteRecord(QStringLiteral("RT_COM7_20261211.csv"), SecondHeader(QStringLiteral("COM7")) + c.rows);
        const SummaryRun run =
            Summary({QStringLiteral("2026/12/11"), QStringLiteral("2026/12/11"), QStringLiteral("--json")});
        ASSERT_EQ(run.exitCode, 0) << c.name;
        const QJsonObject json = run.json();
        EXPECT_EQ(json[QStringLiteral("rows")].toInteger(), c.rows_) << c.name;
        EXPECT_EQ(json[QStringLiteral("skipped_rows")].toInteger(), c.skipped) << c.name;
        EXPECT_EQ(json[QStringLiteral("duplicate_rows")].toInteger(), c.duplicates) << c.name;
        EXPECT_TRUE(json[QStringLiteral("first")].toString().startsWith(QStringLiteral("2026-12-11T09:41:00")))
            << c.name;
        EXPECT_TRUE(json[QStringLiteral("last")].toString().startsWith(QStringLiteral("2026-12-11T09:41:09")))
            << c.name;
        const QJsonObject wind = json[QStringLiteral("quantities")].toObject()[QStringLiteral("wind")].toObject();
        EXPECT_NEAR(wind[QStringLiteral("avg")].toDouble(), 0.55, 1e-12) << c.name;
        EXPECT_EQ(wind[QStringLiteral("max")].toDouble(), 1.0) << c.name;
    }

    // Files without a single readable row are no summary.
    WriteRecord(QStringLiteral("RT_COM7_20261211.csv"),
                SecondHeader(QStringLiteral("COM7")) + QStringList{huge, otherDay});
    const SummaryRun none = Summary({QStringLiteral("2026/12/11"), QStringLiteral("2026/12/11")});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_TRUE(none.err.contains(QStringLiteral("no readable row"))) << none.err.toStdString();
    EXPECT_EQ(none.out, QString());
}

TEST_F(SurveySummaryTest, RefusesAPortWithoutSecondRecordsWhereOthersHaveThem)
{
    WriteBoundaryDay(QStringLiteral("COM7"));
    WriteBoundaryDay(QStringLiteral("ttyUSB0"));
    WriteRecord(QStringLiteral("RT_20261211.RCD"),
                kMinuteHeader + QStringList{MinuteRow("2026/12/11 09:41", "5", "3", "40")});
    const SummaryRun run = Summary({QStringLiteral("2026/12/11"), QStringLiteral("2026/12/11"),
                                    QStringLiteral("--port"), QStringLiteral("COM3"), QStringLiteral("--json")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("COM3"))) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("COM7, ttyUSB0"))) << run.err.toStdString();
    EXPECT_EQ(run.out, QString());
}

// A JSON number is the shortest text that reads back as the very double computed.
TEST_F(SurveySummaryTest, WritesJsonNumbersAsTheirShortestRoundTripText)
{
    WriteBoundaryDay();
    const SummaryRun run =
        Summary({QStringLiteral("2026/12/11"), QStringLiteral("2026/12/11"), QStringLiteral("--json")});
    ASSERT_EQ(run.exitCode, 0);
    const double average = run.json()[QStringLiteral("quantities")]
                               .toObject()[QStringLiteral("ppd")]
                               .toObject()[QStringLiteral("avg")]
                               .toDouble();
    const QString text = QString::number(average, 'g', QLocale::FloatingPointShortest);
    EXPECT_GT(text.size(), 6) << "an average that needs more digits than the table shows";
    EXPECT_TRUE(run.out.contains(QStringLiteral("\"avg\":") + text)) << run.out.toStdString();
}

TEST_F(SurveySummaryTest, ReadsTheGivenDataFolderOverTheProgramOne)
{
    TempFolder other;
    other.write(QStringLiteral("Record/RT_COM7_20261211.csv"),
                Cp932Lines(SecondHeader(QStringLiteral("COM7")) + kBoundaryRows.mid(0, 4)));
    WriteBoundaryDay();
    const SummaryRun run = Summary({QStringLiteral("2026/12/11"), QStringLiteral("2026/12/11"),
                                    QStringLiteral("--data-dir"), other.path(), QStringLiteral("--json")});
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.json()[QStringLiteral("rows")].toInteger(), 4);
}

TEST_F(SurveySummaryTest, RefusesBadArgumentsWithAUsageLine)
{
    WriteBoundaryDay();
    const QStringList cases[] = {
        {},
        {QStringLiteral("2026/12/11")},
        {QStringLiteral("2026/12/11"), QStringLiteral("2026/12/12"), QStringLiteral("2026/12/13")},
        {QStringLiteral("2026/12/12"), QStringLiteral("2026/12/11")},
        {QStringLiteral("2026-12-11"), QStringLiteral("2026/12/12")},
        {QStringLiteral("2026/02/30"), QStringLiteral("2026/03/01")},
        {QStringLiteral("2026/12/11"), QStringLiteral("2026/12/11"), QStringLiteral("--bogus")},
        {QStringLiteral("2026/12/11"), QStringLiteral("2026/12/11"), QStringLiteral("--port")},
        {QStringLiteral("2026/12/11"), QStringLiteral("2026/12/11"), QStringLiteral("--port"), QString()},
    };
    for (const QStringList& args : cases) {
        const SummaryRun run = Summary(args);
        EXPECT_EQ(run.exitCode, 2) << args.join(u' ').toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("usage: qemra-monitor --summary FROM TO")))
            << run.err.toStdString();
        EXPECT_EQ(run.out, QString());
    }
}

TEST_F(SurveySummaryTest, FailsWhenNoDayOfTheRangeHasARecordFile)
{
    const SummaryRun noFolder = Summary({QStringLiteral("2026/12/11"), QStringLiteral("2026/12/11")});
    EXPECT_EQ(noFolder.exitCode, 1);
    EXPECT_TRUE(noFolder.err.contains(QStringLiteral("no record folder")));
    WriteBoundaryDay();
    const SummaryRun noDay = Summary({QStringLiteral("2026/11/01"), QStringLiteral("2026/11/30")});
    EXPECT_EQ(noDay.exitCode, 1);
    EXPECT_TRUE(noDay.err.contains(QStringLiteral("no record file for 2026/11/01 to 2026/11/30")));
    EXPECT_EQ(noDay.out, QString());
}

// Local times carry the offset of their own date, daylight saving and half hours included.
TEST(IsoLocalTime, WritesTheOffsetThatHeldAtThatTime)
{
    const QByteArray saved = qgetenv("TZ");
    const bool hadZone = qEnvironmentVariableIsSet("TZ");
    const struct {
        const char* zone;
        RecordTime time;
        const char* text;
    } cases[] = {
        {"Asia/Tokyo", {2026, 12, 11, 9, 41, 0}, "2026-12-11T09:41:00+09:00"},
        {"UTC", {2026, 12, 11, 0, 0, 5}, "2026-12-11T00:00:05+00:00"},
        {"America/St_Johns", {2026, 12, 11, 23, 59, 59}, "2026-12-11T23:59:59-03:30"},
        {"America/St_Johns", {2026, 7, 1, 12, 0, 0}, "2026-07-01T12:00:00-02:30"},
    };
    for (const auto& c : cases) {
        qputenv("TZ", c.zone);
        tzset();
        EXPECT_EQ(IsoLocalTime(c.time), QLatin1String(c.text)) << c.zone;
    }
    if (hadZone)
        qputenv("TZ", saved);
    else
        qunsetenv("TZ");
    tzset();
}

}  // namespace
