#include "report/SurveyReportPdf.h"

#include "common/FileIo.h"
#include "tests/support/PdfTools.h"
#include "tests/support/TempFolder.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include <cmath>

using namespace qemra;

namespace {

QJsonObject Parse(const char* json) { return QJsonDocument::fromJson(QByteArray(json)).object(); }

// Ten counted hours of a survey, each criterion with a figure of its own: PMV outside B 4.29 %
// (passes), DR outside B 20.00 % (fails), comfort outside B 5.32 % (fails, just over the 5 %),
// long-term 4.29 % (passes), WBGT never over the unacclimatised limit (passes), adaptive outside II
// 10.00 % (fails).
QJsonObject Summary()
{
    return Parse(R"({
      "rows": 36000, "first": "2026-12-01T08:00:00+09:00", "last": "2026-12-02T17:59:59+09:00",
      "quantities": {
        "wind": {"min": 0.02, "avg": 0.1234, "max": 0.61}, "air_temp": {"min": 20.1, "avg": 23.456, "max": 26.2},
        "rh": {"min": 35.2, "avg": 44.4, "max": 58.1}, "radiant_temp": {"min": 20.5, "avg": 23.9, "max": 27.0},
        "pmv": {"min": -0.81, "avg": 0.0412, "max": 0.74}, "wbgt_in": {"min": 17.2, "avg": 20.15, "max": 24.3},
        "ppd": {"min": 5.0, "avg": 7.12, "max": 18.2}, "operative_temp": {"min": 20.3, "avg": 23.678, "max": 26.4},
        "draught_rate": {"min": 0, "avg": 8.4, "max": 41.2},
        "turbulence_intensity": {"min": 12.0, "avg": 34.5, "max": 58.0}
      },
      "pmv_category": {"A": 0.6, "B": 0.3571, "C": 0.0304, "outside": 0.0125},
      "wbgt_level": {"safe": 1, "caution": 0, "warning": 0, "severe": 0, "danger": 0},
      "skipped_rows": 3,
      "selection": {"hours": "08:00-18:00", "days": ["mon", "tue", "wed", "thu", "fri"], "category": "B"},
      "draught": {"seconds": 30000, "outside_model": 0.12},
      "dr_category": {"A": 0.5, "B": 0.3, "C": 0.1237, "outside": 0.0763},
      "comfort_category": {"A": 0.4, "B": 0.5468, "C": 0.0432, "outside": 0.01},
      "en16798_category": {"I": 0.6, "II": 0.3571, "III": 0.0304, "IV": 0.0125, "outside": 0},
      "long_term": {"category": "B", "pmv_limit": 0.5, "hours": 10, "hours_outside": 0.429,
                    "share_outside": 0.0429, "ppd_weighted_hours": 0.31, "average_ppd": 7.12,
                    "ppd_hours": 71.2, "degree_hours": null},
      "wbgt_twa": {"seconds": 20000, "max": 23.8349, "max_at": "2026-12-01T15:00:00+09:00",
                   "over_acclimatised": 0.0125, "over_unacclimatised": 0},
      "adaptive": {"seconds": 30000, "I": 0.7, "II": 0.2, "III": 0.08, "outside": 0.02, "not_applicable": 6000}
    })");
}

// The same survey where the draught was never defined (minute files only).
QJsonObject SummaryWithoutDraught()
{
    QJsonObject summary = Summary();
    summary.insert("draught", QJsonObject{{"seconds", 0}, {"outside_model", 0}});
    summary.insert("dr_category", QJsonObject{{"A", 0}, {"B", 0}, {"C", 0}, {"outside", 0}});
    return summary;
}

// Two hand-made days: temperatures rising through the working hours, the draught defined on the
// second day only.
ReportDistributions Distributions()
{
    ReportDistributions d;
    for (int day = 1; day <= 2; ++day) {
        for (int s = 8 * 3600; s < 18 * 3600; s += 10) {
            const RecordTime t{2026, 12, day, s / 3600, s / 60 % 60, s % 60};
            const double phase = (s - 8 * 3600) / 36000.0;
            const std::optional<double> dr = day == 2 ? std::optional<double>(5 + 30 * phase * phase) : std::nullopt;
            d.AddSecond(t, 10, 21.0 + 4 * phase + 0.3 * day, -0.6 + 1.2 * phase, dr);
        }
    }
    return d;
}

SurveyReportInputs Inputs(int files = 2)
{
    SurveyReportInputs inputs;
    inputs.dataFolder = QStringLiteral("/srv/surveys/office-3F/Record");
    inputs.port = QStringLiteral("ttyUSB0");
    inputs.from = QDate(2026, 12, 1);
    inputs.to = QDate(2026, 12, 1).addDays(files);
    for (int i = 0; i < files; ++i) {
        const QDate day = inputs.from.addDays(i);
        inputs.files.push_back(
            {inputs.dataFolder + day.toString("/yyyyMMdd") + QStringLiteral("_ttyUSB0.csv"), 4'812'345 + i});
    }
    inputs.minuteDays = {QDate(2026, 12, 2)};
    inputs.missingDays = {inputs.to};
    inputs.outdoorFile = QStringLiteral("/srv/surveys/outdoor.csv");
    inputs.programVersion = QStringLiteral("Qemra-series Monitor Ver.0.82");
    return inputs;
}

QString WrittenPdf(const TempFolder& folder, const QJsonObject& summary, const SurveyReportInputs& inputs = Inputs())
{
    folder.write("survey.pdf", SurveyReportPdf(summary, Distributions(), inputs, kDefaultTolerancePercent));
    return folder.file("survey.pdf");
}

const QStringList kResults = {"適合", "不適合", "判定不能"};

struct TableRow {
    QString result;
    QStringList words;  // the words right of the criterion's name, on the verdict's line
};

// The verdict table read back from page 1: one row per verdict word, top to bottom.
std::vector<TableRow> VerdictRows(const PdfPage& page)
{
    std::vector<PdfWord> results;
    for (const PdfWord& word : page.Words)
        if (kResults.contains(word.Text))
            results.push_back(word);
    std::sort(results.begin(), results.end(),
              [](const PdfWord& a, const PdfWord& b) { return a.Box.center().y() < b.Box.center().y(); });
    std::vector<TableRow> rows;
    for (const PdfWord& result : results) {
        std::vector<PdfWord> line;
        for (const PdfWord& word : page.Words)
            if (std::abs(word.Box.center().y() - result.Box.center().y()) < 2.5 && word.Box.left() > 260 &&
                word.Box.right() < result.Box.left())
                line.push_back(word);
        std::sort(line.begin(), line.end(),
                  [](const PdfWord& a, const PdfWord& b) { return a.Box.left() < b.Box.left(); });
        QStringList words;
        for (const PdfWord& word : line)
            words << word.Text;
        rows.push_back({result.Text, words});
    }
    return rows;
}

QString Printed(double share) { return QString::number(share * 100, 'f', 2); }

TEST(SurveyReportPdfTest, PrintsEachVerdictWithTheSummarysFigureAndItsLimit)
{
    TempFolder folder;
    const QJsonObject summary = Summary();
    const auto rows = VerdictRows(PdfWords(WrittenPdf(folder, summary)));
    const auto share = [&](const char* key, std::initializer_list<const char*> classes) {
        double sum = 0;
        for (const char* c : classes)
            sum += summary[key][c].toDouble();
        return sum;
    };
    // Outside category B: C and outside; adaptive outside II: III and outside.
    const std::vector<std::pair<QString, QString>> expected = {
        {Printed(share("pmv_category", {"C", "outside"})), "適合"},
        {Printed(share("dr_category", {"C", "outside"})), "不適合"},
        {Printed(share("comfort_category", {"C", "outside"})), "不適合"},
        {Printed(summary["long_term"]["share_outside"].toDouble()), "適合"},
        {Printed(summary["wbgt_twa"]["over_unacclimatised"].toDouble()), "適合"},
        {Printed(share("adaptive", {"III", "outside"})), "不適合"},
    };
    ASSERT_EQ(rows.size(), expected.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].result, expected[i].second) << i;
        ASSERT_FALSE(rows[i].words.isEmpty()) << i;
        EXPECT_EQ(rows[i].words.front(), expected[i].first) << i;
        const QString limit = i == 4 ? "= 0.00 %" : "≤ 5.00 %";
        EXPECT_TRUE(rows[i].words.join(u' ').endsWith(limit)) << rows[i].words.join(u' ').toStdString();
    }
    const QString text = PdfText(folder.file("survey.pdf"), false).simplified();
    for (const QString& expectedText : {QString("温熱環境調査報告書"), QString("ttyUSB0"), QString("08:00-18:00"),
                                        QString("2026/12/01 – 2026/12/03"), QString("23.68"), QString("23.83")})
        EXPECT_TRUE(text.contains(expectedText)) << expectedText.toStdString();
}

TEST(SurveyReportPdfTest, ShowsNothingToJudgeWhereNoSecondCountsNeverAPass)
{
    TempFolder folder;
    const auto rows = VerdictRows(PdfWords(WrittenPdf(folder, SummaryWithoutDraught())));
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[1].result, "判定不能");
    EXPECT_EQ(rows[1].words.front(), "—");
}

TEST(SurveyReportPdfTest, JudgesEachCriterionFromTheSummary)
{
    struct Case {
        const char* name;
        const char* patch;  // merged into the summary, key by key
        double tolerance;
        const char* key;
        VerdictResult result;
        std::optional<double> value;
    };
    const Case cases[] = {
        {"a share on the tolerance passes", R"({"pmv_category": {"A": 0.95, "B": 0, "C": 0.05, "outside": 0}})", 5,
         "pmv_category", VerdictResult::Pass, 0.05},
        {"a share over it fails", R"({"pmv_category": {"A": 0.9, "B": 0.0499, "C": 0.0501, "outside": 0}})", 5,
         "pmv_category", VerdictResult::Fail, 0.0501},
        {"a wider tolerance passes it", "{}", 10, "comfort_category", VerdictResult::Pass, 0.0532},
        {"category A counts B as outside", R"({"selection": {"hours": null, "days": null, "category": "A"}})", 5,
         "pmv_category", VerdictResult::Fail, 0.4},
        {"one hour over the unacclimatised limit fails",
         R"({"wbgt_twa": {"seconds": 10, "max": 33.1, "max_at": null, "over_acclimatised": 0.5,
             "over_unacclimatised": 0.0001}})",
         5, "wbgt_twa", VerdictResult::Fail, 0.0001},
        {"no defined WBGT average is nothing to judge",
         R"({"wbgt_twa": {"seconds": 0, "max": null, "max_at": null, "over_acclimatised": 0,
             "over_unacclimatised": 0}})",
         5, "wbgt_twa", VerdictResult::None, std::nullopt},
        {"no counted seconds is nothing to judge", R"({"rows": 0, "long_term": {"hours": 0, "share_outside": 0}})", 5,
         "long_term", VerdictResult::None, std::nullopt},
        {"a summary without the figure is nothing to judge", R"({"comfort_category": null})", 5, "comfort_category",
         VerdictResult::None, std::nullopt},
    };
    for (const Case& c : cases) {
        QJsonObject summary = Summary();
        const QJsonObject patch = Parse(c.patch);
        for (auto it = patch.begin(); it != patch.end(); ++it)
            summary.insert(it.key(), it.value());
        const auto verdicts = SurveyVerdicts(summary, c.tolerance);
        const auto found = std::find_if(verdicts.begin(), verdicts.end(),
                                        [&](const SurveyVerdict& v) { return v.key == QLatin1String(c.key); });
        ASSERT_NE(found, verdicts.end()) << c.name;
        EXPECT_EQ(found->result, c.result) << c.name;
        ASSERT_EQ(found->value.has_value(), c.value.has_value()) << c.name;
        if (c.value) {
            EXPECT_NEAR(*found->value, *c.value, 1e-12) << c.name;
        }
    }
    // Without an outdoor file there is no adaptive criterion at all.
    QJsonObject withoutOutdoor = Summary();
    withoutOutdoor.insert("adaptive", QJsonValue());
    for (const SurveyVerdict& v : SurveyVerdicts(withoutOutdoor, 5))
        EXPECT_NE(v.key, "adaptive");
}

TEST(SurveyReportPdfTest, WritesTheSidecarAsTheSummaryWithItsInputsAndVerdicts)
{
    TempFolder folder;
    FileIo io;
    const QJsonObject summary = Summary();
    QString error;
    ASSERT_TRUE(WriteSurveyReport(folder.file("Survey.pdf"), summary, Distributions(), Inputs(), 5, io, &error))
        << error.toStdString();
    EXPECT_TRUE(folder.read("Survey.pdf").startsWith("%PDF-"));
    QJsonParseError parseError;
    const QJsonObject sidecar = QJsonDocument::fromJson(folder.read("Survey.json"), &parseError).object();
    ASSERT_EQ(parseError.error, QJsonParseError::NoError);
    for (auto it = summary.begin(); it != summary.end(); ++it)
        EXPECT_EQ(sidecar.value(it.key()), it.value()) << it.key().toStdString();

    const QJsonObject inputs = sidecar["inputs"].toObject();
    EXPECT_EQ(inputs["data_folder"], "/srv/surveys/office-3F/Record");
    EXPECT_EQ(inputs["port"], "ttyUSB0");
    const QJsonArray files = inputs["files"].toArray();
    ASSERT_EQ(files.size(), 2);
    EXPECT_EQ(files[0]["path"], "/srv/surveys/office-3F/Record/20261201_ttyUSB0.csv");
    EXPECT_EQ(files[1]["bytes"].toInteger(), 4'812'346);
    EXPECT_EQ(inputs["minute_days"], QJsonArray({"2026-12-02"}));
    EXPECT_EQ(inputs["missing_days"], QJsonArray({"2026-12-03"}));
    EXPECT_EQ(inputs["outdoor_file"], "/srv/surveys/outdoor.csv");
    EXPECT_EQ(inputs["program_version"], "Qemra-series Monitor Ver.0.82");

    const QJsonObject verdicts = sidecar["verdicts"].toObject();
    EXPECT_EQ(verdicts.keys(),
              QStringList({"adaptive", "comfort_category", "dr_category", "long_term", "pmv_category", "wbgt_twa"}));
    EXPECT_EQ(verdicts["dr_category"]["result"], "fail");
    EXPECT_NEAR(verdicts["dr_category"]["value"].toDouble(), 0.2, 1e-12);
    EXPECT_DOUBLE_EQ(verdicts["dr_category"]["limit"].toDouble(), 0.05);
    EXPECT_EQ(verdicts["wbgt_twa"]["result"], "pass");
    // Nothing to judge has no value.
    ASSERT_TRUE(
        WriteSurveyReport(folder.file("Survey.pdf"), SummaryWithoutDraught(), Distributions(), Inputs(), 5, io));
    const QJsonObject none =
        QJsonDocument::fromJson(folder.read("Survey.json")).object()["verdicts"].toObject()["dr_category"].toObject();
    EXPECT_EQ(none["result"], "none");
    EXPECT_TRUE(none["value"].isNull());
}

TEST(SurveyReportPdfTest, KeepsTheEarlierReportWhenAWriteFails)
{
    TempFolder folder;
    FileIo io;
    ASSERT_TRUE(WriteSurveyReport(folder.file("r.pdf"), Summary(), Distributions(), Inputs(), 5, io));
    const QByteArray pdf = folder.read("r.pdf");
    const QByteArray json = folder.read("r.json");
    const qint64 sidecarBytes = QJsonDocument(SurveyReportSidecar(SummaryWithoutDraught(), Inputs(),
                                                                  SurveyVerdicts(SummaryWithoutDraught(), 5)))
                                    .toJson(QJsonDocument::Indented)
                                    .size();

    struct Case {
        const char* name;
        bool refused;
        qint64 freeBytes;
    };
    // The folder takes no file at all; the disk holds the new sidecar but fills up with the report.
    for (const Case& c :
         {Case{"no new files", true, -1}, Case{"disk full in the report", false, sidecarBytes + 1000}}) {
        FailingFileIo failing;
        failing.newFilesRefused = c.refused;
        failing.freeBytes = c.freeBytes;
        QString error;
        EXPECT_FALSE(WriteSurveyReport(folder.file("r.pdf"), SummaryWithoutDraught(), Distributions(), Inputs(), 5,
                                       failing, &error))
            << c.name;
        EXPECT_TRUE(error.startsWith("cannot write ")) << c.name << ": " << error.toStdString();
        EXPECT_EQ(folder.read("r.pdf"), pdf) << c.name;
        EXPECT_EQ(folder.read("r.json"), json) << c.name;
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 2) << c.name << ": no leftovers";
    }
}

TEST(SurveyReportPdfTest, KeepsEveryWordOnItsA4PageAndClearOfTheOthers)
{
    // A plain survey, and a crowded one: a long range of files, a long folder, nothing to judge.
    SurveyReportInputs crowded = Inputs(120);
    crowded.dataFolder =
        QStringLiteral("/mnt/shared/surveys/2026/a-very-long-client-name-and-building/floor-12/Record");
    for (const auto& [summary, inputs] :
         {std::pair{Summary(), Inputs()}, std::pair{SummaryWithoutDraught(), crowded}}) {
        TempFolder folder;
        const QString path = WrittenPdf(folder, summary, inputs);
        for (int number = 1; number <= 4; ++number) {
            const PdfPage page = PdfWords(path, number);
            ASSERT_NEAR(page.Size.width(), 595, 1) << "A4 portrait, in points";
            ASSERT_NEAR(page.Size.height(), 842, 1);
            ASSERT_GT(page.Words.size(), 20u) << "page " << number;
            const QRectF printable(20, 20, page.Size.width() - 40, page.Size.height() - 40);
            for (const PdfWord& word : page.Words)
                EXPECT_TRUE(printable.contains(word.Box)) << word.Text.toStdString() << " runs off page " << number;
            for (std::size_t i = 0; i < page.Words.size(); ++i) {
                for (std::size_t j = i + 1; j < page.Words.size(); ++j) {
                    const QRectF overlap = page.Words[i].Box.intersected(page.Words[j].Box);
                    EXPECT_FALSE(overlap.width() > 0.5 && overlap.height() > 1.5)
                        << page.Words[i].Text.toStdString() << " runs into " << page.Words[j].Text.toStdString()
                        << " on page " << number;
                }
            }
        }
        EXPECT_TRUE(PdfWords(path, 5).Words.empty()) << "four pages";
        // Every character has its text (no glyph without a mapping), radicals read as ideographs.
        const QString text = PdfText(path);
        EXPECT_FALSE(text.contains(QChar(0xFFFD)));
        for (const QChar c : text)
            EXPECT_FALSE(c.unicode() >= 0x2E80 && c.unicode() <= 0x2FDF)
                << "radical U+" << std::hex << int(c.unicode());
    }
}

}  // namespace
