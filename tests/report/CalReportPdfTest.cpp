#include "report/CalReportPdf.h"

#include "tests/support/PdfTools.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace qemra;

namespace {

const QStringList kChannels = {"風速",    "気温１",   "気温２",   "風速温度１", "風速温度２",
                               "温度差L", "黒球温１", "黒球温２", "基板温１",   "基板温２"};

// Readings of one channel over `seconds` before the confirmation, settling towards `level`, with a
// few seconds missing where a write held the polling.
CalReportTrace Settling(const QString& label, double level, int seconds, bool rightAxis = false)
{
    CalReportTrace trace{label, rightAxis, {}};
    for (int k = seconds; k >= 1; --k) {
        if (k > 60 && k < 64)
            continue;
        trace.Points.emplace_back(-k, level + 0.8 * std::exp(-k / 40.0) * std::cos(k / 7.0));
    }
    return trace;
}

CalReportStage Stage(const char* name, const char* at, std::vector<int> confirms, const QString& number, int seconds)
{
    CalReportStage stage;
    stage.Name = QString::fromUtf8(name);
    stage.ConfirmedAt = QString::fromUtf8(at);
    stage.Confirms = std::move(confirms);
    stage.LeftUnit = QStringLiteral("℃");
    if (stage.ConfirmedAt.isEmpty())
        return stage;
    for (int c = 0; c < kChannels.size(); ++c)
        stage.Rows.push_back({number, number, number, QStringLiteral("0.042")});
    for (const int c : stage.Confirms) {
        const bool wind = c == 0;
        stage.Traces.push_back(Settling(kChannels[c], wind ? 5.0 : 24.0 + 0.1 * c, seconds, wind));
        if (wind)
            stage.RightUnit = QStringLiteral("m/s");
    }
    return stage;
}

// A finished calibration as the recorder hands it over.
CalReport Finished()
{
    CalReport r;
    r.SerialNo = QStringLiteral("A123");
    r.Model = QStringLiteral("3.10");
    r.Version = QStringLiteral("1.05");
    r.Started = QStringLiteral("2024/03/05 14:07:00");
    r.Finished = QStringLiteral("2024/03/05 14:11:23");
    r.Program = QStringLiteral("Qemra-series Monitor Ver.0.82");
    r.FileName = QStringLiteral("A123_2403051407_Report.pdf");
    r.ReferenceTemperature = QStringLiteral("素子平均 24.533 ℃\n各補正値から 0.35 ℃ 減算");
    r.ReferenceWindSpeed = QStringLiteral("AdjWS = 5.00 m/s");
    r.Tolerance = QStringLiteral("±0.25 %（4.9875 〜 5.0125 m/s）");
    r.Values = {{"E16", "気温器差-1", "℃", "0.000", "-0.412"},   {"E17", "気温器差-2", "℃", "0.000", "0.118"},
                {"E21", "器差-黒球1", "℃", "0.000", "-0.203"},   {"E22", "器差-黒球2", "℃", "0.000", "0.366"},
                {"E26", "器差-基板1", "℃", "0.000", "-1.026"},   {"E27", "器差-基板2", "℃", "0.000", "0.751"},
                {"E12", "風速器差-1", "℃", "0.000", "0.215"},    {"E13", "風速器差-2", "℃", "0.000", "-0.215"},
                {"E01", "0m/s.時温度差", "℃", "50.00", "49.98"}, {"E03", "基準時温度差", "℃", "20.00", "19.97"},
                {"E02", "基準風速値", "m/s", "5.00", "5.00"}};
    r.Channels = kChannels;
    r.Stages = {Stage("温度系器差確定", "14:08:15", {1, 2, 6, 7, 8, 9}, "24.123", 75),
                Stage("風速器差確定", "14:08:52", {3, 4}, "24.101", 112),
                Stage("0m/s.調整確定", "14:09:40", {5, 0}, "49.981", 160),
                Stage("Nm/s.調整確定", "14:10:55", {5, 0}, "19.972", 1023)};
    r.Average5 = QStringLiteral("5.003");
    r.Average15 = QStringLiteral("5.001");
    r.Deviation5 = QStringLiteral("+0.060");
    r.Deviation15 = QStringLiteral("+0.020");
    r.Passed = true;
    return r;
}

// The widest texts a run can give: a long serial number, negative three-digit statistics, the
// reference instrument, a stage never confirmed and a failed wind check.
CalReport Crowded()
{
    CalReport r = Finished();
    r.SerialNo = QStringLiteral("QX-2024-000123-LONGSERIAL");
    r.FileName = r.SerialNo + QStringLiteral("_2403051407_Report.pdf");
    r.ReferenceTemperature = QStringLiteral("気温基準器 -12.50 ℃");
    for (CalReportValue& v : r.Values)
        v.After = QStringLiteral("-123.456");
    for (CalReportStage& stage : r.Stages) {
        for (CalReportStatistics& row : stage.Rows)
            row = {"-123.456", "-123.456", "-123.456", "100.125"};
    }
    r.Stages[1] = Stage("風速器差確定", "", {3, 4}, "", 0);
    // Still air over the shortest time axis: "-30" at the left corner, "0 s" at the right one
    // beside the wind scale's "0.0x".
    r.Stages[2] = Stage("0m/s.調整確定", "14:09:40", {5, 0}, "49.981", 30);
    for (CalReportTrace& trace : r.Stages[2].Traces) {
        if (trace.RightAxis) {
            for (QPointF& p : trace.Points)
                p.setY(0.03 + 0.02 * std::cos(p.x()));
        }
    }
    r.Average15 = QStringLiteral("5.020");
    r.Deviation15 = QStringLiteral("+0.400");
    r.Passed = false;
    return r;
}

QString Written(const TempFolder& folder, const CalReport& report)
{
    folder.write("report.pdf", CalReportPdf(report));
    return folder.file("report.pdf");
}

TEST(CalReportPdfTest, PrintsEveryTextSoThatReadersCanFindAndCopyIt)
{
    for (const CalReport& report : {Finished(), Crowded()}) {
        TempFolder folder;
        const QString path = Written(folder, report);
        ASSERT_TRUE(folder.read("report.pdf").startsWith("%PDF-"));
        const QString text = PdfText(path);
        ASSERT_FALSE(text.isEmpty()) << "pdftotext (poppler-utils) read nothing";
        const QString flat = PdfText(path, false).simplified();

        for (const QString& expected : {QStringLiteral("校正成績書"), report.SerialNo, report.Model, report.Version,
                                        report.Started, report.Finished, report.Program, report.FileName,
                                        report.ReferenceWindSpeed, report.Average5, report.Average15, report.Deviation5,
                                        report.Deviation15, QStringLiteral("校正者"), QStringLiteral("確認者")})
            EXPECT_TRUE(flat.contains(expected)) << expected.toStdString();
        // Wrapped texts may break at any character.
        const QString joined = QString(flat).remove(u' ');
        for (const QString& wrapped : {report.ReferenceTemperature, report.Tolerance})
            EXPECT_TRUE(joined.contains(QString(wrapped).remove(u' ').remove(u'\n'))) << wrapped.toStdString();
        for (const QString& channel : report.Channels)
            EXPECT_TRUE(text.contains(channel)) << channel.toStdString();
        for (const CalReportStage& stage : report.Stages) {
            EXPECT_TRUE(
                text.contains(stage.Name + (stage.ConfirmedAt.isEmpty() ? QString() : u' ' + stage.ConfirmedAt)))
                << stage.Name.toStdString();
            for (const CalReportStatistics& row : stage.Rows)
                EXPECT_TRUE(text.contains(row.Avg)) << row.Avg.toStdString();
        }
        // Each written value on one line of the table: key, label, unit, before, after.
        const PdfPage page = PdfWords(path);
        for (const CalReportValue& v : report.Values)
            EXPECT_EQ(PdfLineFrom(page, v.Key, 290),
                      QStringList({v.Key, v.Label, v.Unit, v.Before, v.After}).join(u' '));
        EXPECT_EQ(flat.contains(QStringLiteral("不合格")), !report.Passed);
        EXPECT_TRUE(flat.contains(QStringLiteral("合格")));
        // A glyph shared by an ideograph and a radical reads back as the ideograph.
        for (const QChar c : text)
            EXPECT_FALSE(c.unicode() >= 0x2E80 && c.unicode() <= 0x2FDF)
                << "radical U+" << std::hex << int(c.unicode());
    }
}

TEST(CalReportPdfTest, KeepsEveryWordOnAnA4PageAndClearOfTheOthers)
{
    for (const CalReport& report : {Finished(), Crowded()}) {
        TempFolder folder;
        const PdfPage page = PdfWords(Written(folder, report));
        ASSERT_NEAR(page.Size.width(), 595, 1) << "A4 portrait, in points";
        ASSERT_NEAR(page.Size.height(), 842, 1);
        ASSERT_GT(page.Words.size(), 300u);
        const QRectF printable(20, 20, page.Size.width() - 40, page.Size.height() - 40);
        for (const PdfWord& word : page.Words)
            EXPECT_TRUE(printable.contains(word.Box)) << word.Text.toStdString() << " runs off the page";
        // No two words' boxes may meet: not a table's neighbours, nor the labels at a plot's corners
        // where the time axis meets the value scales.
        for (std::size_t i = 0; i < page.Words.size(); ++i) {
            for (std::size_t j = i + 1; j < page.Words.size(); ++j) {
                const QRectF overlap = page.Words[i].Box.intersected(page.Words[j].Box);
                EXPECT_FALSE(overlap.width() > 0.1 && overlap.height() > 0.1)
                    << page.Words[i].Text.toStdString() << " runs into " << page.Words[j].Text.toStdString();
            }
        }
    }
}

// Readings exactly on whole steps of the scale still lie inside it, clear of the frame.
TEST(CalReportPdfTest, ValueScalesLeaveAMarginAroundTheReadings)
{
    CalReport report = Finished();
    CalReportStage& stage = report.Stages[1];
    stage.Traces = {{QStringLiteral("風速温度１"), false, {}}, {QStringLiteral("風速温度２"), false, {}}};
    for (int k = 120; k >= 1; --k) {
        stage.Traces[0].Points.emplace_back(-k, 40.0);
        stage.Traces[1].Points.emplace_back(-k, 40.3);
    }
    TempFolder folder;
    const PdfPage page = PdfWords(Written(folder, report));
    std::vector<double> ticks;
    for (const PdfWord& word : page.Words) {
        bool number = false;
        const double v = word.Text.toDouble(&number);
        if (number && v > 39.0 && v < 41.5)
            ticks.push_back(v);
    }
    ASSERT_FALSE(ticks.empty()) << "the plot's value labels";
    EXPECT_LT(*std::min_element(ticks.begin(), ticks.end()), 40.0 - 1e-9);
    EXPECT_GT(*std::max_element(ticks.begin(), ticks.end()), 40.3 + 1e-9);
}

}  // namespace
