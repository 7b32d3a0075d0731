#include "windows/history/HistoryWindow.h"
#include "common/NumberText.h"
#include "common/Prompts.h"
#include "core/AcquisitionCore.h"
#include "survey/ComfortStream.h"
#include "survey/HistoryRows.h"
#include "survey/RecordFolder.h"
#include "survey/SurveyRun.h"
#include "tests/support/PdfTools.h"
#include "tests/support/RecordedDays.h"
#include "tests/support/TempFolder.h"
#include "windows/history/HistoryChart.h"
#include "windows/main/MainWindow.h"
#include "windows/main/TrendStrips.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>

using namespace qemra;

namespace {

constexpr int kRunSeconds = 2 * 3600;

// Local chart seconds of a date and time.
double ChartSeconds(int year, int month, int day, int hour, int minute, int second)
{
    return (QDate(1899, 12, 30).daysTo(QDate(year, month, day))) * 86400.0 + hour * 3600.0 + minute * 60.0 + second;
}

// Three days of two recorded hours each (from 08:00) for port COM7, and one more day for COM8.
class HistoryWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder_ = std::make_unique<TempFolder>();
        for (int day = 1; day <= 3; ++day)
            history_test::RecordSeconds(folder_->path(), QStringLiteral("COM7"),
                                        EncodeDateTime(2026, 12, day, 8, 0, 0, 100), kRunSeconds);
        history_test::RecordSeconds(folder_->path(), QStringLiteral("COM8"), EncodeDateTime(2026, 12, 5, 8, 0, 0, 100),
                                    60);
    }
    static void TearDownTestSuite() { folder_.reset(); }

    void SetUp() override
    {
        form = std::make_unique<THistoryForm>(folder_->path(), prompts);
        form->resize(1000, 700);
        form->show();
        form->SetRange(QDate(2026, 12, 1), QDate(2026, 12, 3));
    }

    template <typename T = QWidget>
    T* Find(const char* name) const
    {
        T* widget = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    // Presses 読込 and waits for the end of the load.
    bool Load()
    {
        QSignalSpy finished(form.get(), &THistoryForm::LoadFinished);
        Find<QPushButton>("BBLoad")->click();
        if (!finished.wait(10000))
            return false;
        return finished.front().front().toBool();
    }

    void Wheel(HistoryChart& chart, double x, int notches)
    {
        const QPointF at(x, chart.height() / 2.0);
        QWheelEvent event(at, chart.viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(chart.viewport(), &event);
    }

    void Mouse(HistoryChart& chart, QEvent::Type type, double x, Qt::MouseButtons buttons)
    {
        const QPointF at(x, chart.height() / 2.0);
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, at, chart.viewport()->mapToGlobal(at), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(chart.viewport(), &event);
    }

    static std::unique_ptr<TempFolder> folder_;
    RecordingPrompts prompts;
    std::unique_ptr<THistoryForm> form;
};

std::unique_ptr<TempFolder> HistoryWindowTest::folder_;

}  // namespace

TEST_F(HistoryWindowTest, LoadsTheRangeIntoTheFiveStripsInTheLiveColoursWithItsSummary)
{
    EXPECT_FALSE(Find<QComboBox>("CBPort")->isEnabled()) << "one port in these days: nothing to choose";
    EXPECT_EQ(Find<QComboBox>("CBPort")->currentText(), "COM7");
    ASSERT_TRUE(Load());

    ASSERT_NE(form->Loaded(), nullptr);
    EXPECT_EQ(form->Loaded()->rows.Size(), 3u * kRunSeconds);
    EXPECT_EQ(form->Loaded()->summary.seconds, 3 * kRunSeconds);
    EXPECT_EQ(form->ViewFrom(), ChartSeconds(2026, 12, 1, 8, 0, 0));
    EXPECT_EQ(form->ViewTo(), ChartSeconds(2026, 12, 3, 9, 59, 59));
    EXPECT_EQ(Find<QProgressBar>("PBLoad")->value(), Find<QProgressBar>("PBLoad")->maximum());

    std::array<int, THistoryForm::kStrips> next{};
    for (const TrendSeriesStyle& style : kTrendSeries) {
        const QLineSeries* series = form->Chart(style.chart).Series(next[static_cast<std::size_t>(style.chart)]++);
        EXPECT_EQ(series->name(), QString::fromLatin1(style.code));
        EXPECT_EQ(series->pen().color(), QColor(style.color)) << style.code;
        EXPECT_GT(series->count(), 10) << style.code;
        EXPECT_LT(series->count(), 4 * form->Chart(0).width()) << "reduced per pixel column, not every row";
    }
    for (std::size_t c = 0; c < kTrendChartNames.size(); ++c)
        EXPECT_EQ(form->Chart(static_cast<int>(c)).objectName(), QString::fromLatin1(kTrendChartNames[c]));
    // The two nights between the runs are gaps in the lines.
    int breaks = 0;
    for (const QPointF& p : form->Chart(0).Series(0)->points())
        breaks += std::isfinite(p.y()) ? 0 : 1;
    EXPECT_EQ(breaks, 2);

    const QString summary = Find<QLabel>("LSummary")->text();
    EXPECT_TRUE(summary.contains(QStringLiteral("21600"))) << summary.toStdString();
}

TEST_F(HistoryWindowTest, SummaryIsATableOfEveryQuantityAndShareFullyInSight)
{
    ASSERT_TRUE(Load());
    auto* table = Find<QTableWidget>("TSummary");
    ASSERT_EQ(table->columnCount(), 4);
    EXPECT_EQ(table->horizontalHeaderItem(1)->text(), "最小");
    EXPECT_EQ(table->horizontalHeaderItem(2)->text(), "平均");
    EXPECT_EQ(table->horizontalHeaderItem(3)->text(), "最大");
    ASSERT_EQ(table->rowCount(), kRecordQuantities);
    // The air temperature runs 22.0 to 25.6 in steps of a tenth over periods of 37 seconds.
    EXPECT_EQ(table->item(1, 0)->text(), "気温 [℃]");
    EXPECT_EQ(table->item(1, 1)->text(), "22");
    EXPECT_EQ(table->item(1, 3)->text(), "25.6");
    EXPECT_LE(table->item(1, 2)->text().size(), 7) << "at most six significant digits";
    auto* shares = Find<QTableWidget>("TShares");
    ASSERT_EQ(shares->rowCount(), kPmvCategories + kWbgtLevels);
    EXPECT_TRUE(shares->item(0, 0)->text().startsWith("PMV")) << shares->item(0, 0)->text().toStdString();
    EXPECT_TRUE(shares->item(0, 1)->text().endsWith(" %"));

    // Nothing cut off: every column and row of both tables lies inside the window.
    for (QTableWidget* t : {table, shares}) {
        const QRect inWindow(t->mapTo(form.get(), QPoint(0, 0)), t->size());
        EXPECT_TRUE(form->rect().contains(inWindow)) << t->objectName().toStdString();
        int width = 0;
        for (int c = 0; c < t->columnCount(); ++c) {
            width += t->columnWidth(c);
            const QString longest = t->horizontalHeaderItem(c)->text();
            EXPECT_GE(t->columnWidth(c), t->fontMetrics().horizontalAdvance(longest)) << c;
        }
        EXPECT_LE(width, t->viewport()->width()) << t->objectName().toStdString();
        for (int r = 0; r < t->rowCount(); ++r)
            for (int c = 0; c < t->columnCount(); ++c)
                EXPECT_GE(t->columnWidth(c), t->fontMetrics().horizontalAdvance(t->item(r, c)->text()))
                    << r << "," << c;
    }
}

TEST_F(HistoryWindowTest, WheelZoomsAroundTheMouseDragPansAndFitAllShowsTheWholeRange)
{
    ASSERT_TRUE(Load());
    HistoryChart& chart = form->Chart(2);
    const double from = form->ViewFrom();
    const double to = form->ViewTo();
    const double x = chart.PlotRect().left() + chart.PlotRect().width() / 3.0;
    const double under = chart.SecondsAtX(x);

    Wheel(chart, x, 3);
    EXPECT_LT(form->ViewTo() - form->ViewFrom(), (to - from) / 1.9) << "three notches in";
    EXPECT_NEAR(chart.SecondsAtX(x), under, 1.0) << "the time under the mouse stays under it";
    EXPECT_EQ(form->Chart(0).TimeFrom(), form->ViewFrom()) << "every strip shows the same range";
    EXPECT_EQ(form->Chart(4).TimeTo(), form->ViewTo());

    const double zoomedFrom = form->ViewFrom();
    const double perPixel = (form->ViewTo() - form->ViewFrom()) / chart.PlotRect().width();
    Mouse(chart, QEvent::MouseButtonPress, x, Qt::LeftButton);
    Mouse(chart, QEvent::MouseMove, x + 100, Qt::LeftButton);
    Mouse(chart, QEvent::MouseButtonRelease, x + 100, Qt::NoButton);
    EXPECT_NEAR(form->ViewFrom(), zoomedFrom - 100 * perPixel, 1e-6) << "dragged right: earlier times come in";

    Wheel(chart, x, -40);
    EXPECT_EQ(form->ViewFrom(), from) << "zooming out stops at the loaded range";
    EXPECT_EQ(form->ViewTo(), to);
    Wheel(chart, x, 5);
    Find<QPushButton>("BBFitAll")->click();
    EXPECT_EQ(form->ViewFrom(), from);
    EXPECT_EQ(form->ViewTo(), to);
}

TEST_F(HistoryWindowTest, CursorFollowsTheMouseAndReadsTheValuesRecordedAtThatSecond)
{
    ASSERT_TRUE(Load());
    // Day 2 at 08:40:17 is second 2417 of its run.
    const double at = ChartSeconds(2026, 12, 2, 8, 40, 17);
    form->SetView(at - 30, at + 30);
    HistoryChart& chart = form->Chart(1);
    Mouse(chart, QEvent::MouseMove, chart.XOfSeconds(at + 0.2), Qt::NoButton);

    ASSERT_TRUE(chart.CursorLine().has_value());
    EXPECT_NEAR(*chart.CursorLine(), at, 0.5);
    EXPECT_EQ(form->Chart(4).CursorLine(), chart.CursorLine()) << "one line across all strips";
    EXPECT_EQ(Find<QLabel>("LCursorTime")->text(), "2026/12/02 08:40:17");
    TMesData expected;
    history_test::SetValues(expected, 2417);
    const struct {
        const char* label;
        QString text;
    } cases[] = {
        {"LCurPMV", FormatFloat(QStringLiteral("%1.1f"), expected.M53)},
        {"LCurWBGTi", FormatFloat(QStringLiteral("%1.1f ℃"), expected.M52)},
        {"LCurWBGTo", FormatFloat(QStringLiteral("%1.1f ℃"), expected.M51)},
        {"LCurAirTemp", FormatFloat(QStringLiteral("%1.1f ℃"), expected.M11)},
        {"LCurBGTemp", FormatFloat(QStringLiteral("%1.1f ℃"), expected.M04)},
        {"LCurDewTemp", FormatFloat(QStringLiteral("%1.1f ℃"), expected.M22)},
        {"LCurAirHumid", FormatFloat(QStringLiteral("%1.1f ％"), expected.M12)},
        {"LCurWindSpeed", FormatFloat(QStringLiteral("%1.3f m/s."), expected.M01)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Find<QLabel>(c.label)->text(), c.text) << c.label;

    // Over the night between two runs nothing is read.
    form->SetView(ChartSeconds(2026, 12, 1, 20, 0, 0), ChartSeconds(2026, 12, 1, 20, 10, 0));
    Mouse(chart, QEvent::MouseMove, chart.XOfSeconds(ChartSeconds(2026, 12, 1, 20, 5, 0)), Qt::NoButton);
    EXPECT_EQ(Find<QLabel>("LCurPMV")->text(), "-");
}

TEST_F(HistoryWindowTest, OperativeTemperatureAndDraughtStripsAreAddedByTheirBoxesAndReadByTheCursor)
{
    ASSERT_TRUE(Load());
    auto* operative = Find<QCheckBox>("CBShowOperative");
    auto* draught = Find<QCheckBox>("CBShowDraught");
    EXPECT_EQ(operative->text(), "作用温度");
    EXPECT_EQ(draught->text(), "ドラフト率");
    EXPECT_FALSE(Find("PStripTOP")->isVisible());
    EXPECT_FALSE(Find("PStripDR")->isVisible());
    operative->click();
    draught->click();
    EXPECT_TRUE(Find("PStripTOP")->isVisible());
    EXPECT_TRUE(Find("PStripDR")->isVisible());

    HistoryChart& operativeChart = form->Chart(5);
    HistoryChart& draughtChart = form->Chart(6);
    EXPECT_EQ(operativeChart.objectName(), "ChartTOP");
    EXPECT_EQ(draughtChart.objectName(), "ChartDR");
    EXPECT_GT(operativeChart.Series(0)->count(), 10);
    EXPECT_GT(draughtChart.Series(0)->count(), 10);
    // The category lines, always in sight.
    std::vector<double> levels;
    for (const TrendChart::LevelLine& line : draughtChart.LevelLines())
        levels.push_back(line.value);
    EXPECT_EQ(levels, (std::vector<double>{10, 20, 30}));
    EXPECT_GE(draughtChart.ValueLabels().back().toDouble(), 30.0);
    QApplication::processEvents();
    const QImage drawn = draughtChart.grab().toImage();
    bool line = false;
    bool level = false;
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            line = line || drawn.pixelColor(x, y) == QColor(draughtChart.Series(0)->pen().color());
            level = level || drawn.pixelColor(x, y) == QColor(200, 110, 0);
        }
    }
    EXPECT_TRUE(line) << "the draught rate is drawn";
    EXPECT_TRUE(level) << "so are its category lines";

    // The summary's own figures of each second of day 2.
    std::map<std::int64_t, ComfortSecond> expected;
    ComfortStream stream;
    SecondRecordReader reader;
    ASSERT_TRUE(reader.Open(RecordFolder(folder_->path()).SecondRecordFile("COM7", QDate(2026, 12, 2))));
    SecondRecordRow row;
    while (reader.Next(row))
        expected[LocalSeconds(row.time)] = stream.Add(LocalSeconds(row.time), row.values);

    const double at = ChartSeconds(2026, 12, 2, 8, 40, 17);
    form->SetView(at - 30, at + 30);
    Mouse(draughtChart, QEvent::MouseMove, draughtChart.XOfSeconds(at), Qt::NoButton);
    const ComfortSecond& figures = expected.at(static_cast<std::int64_t>(at));
    ASSERT_TRUE(figures.draught.has_value());
    EXPECT_EQ(Find<QLabel>("LCurOperativeTemp")->text(),
              FormatFloat(QStringLiteral("%1.1f ℃"), static_cast<float>(figures.operativeTemp)));
    EXPECT_EQ(Find<QLabel>("LCurDraughtRate")->text(),
              FormatFloat(QStringLiteral("%1.1f ％"), static_cast<float>(figures.draught->draughtRate)));

    // Ten seconds into a run the draught is not defined yet; the operative temperature is.
    const double start = ChartSeconds(2026, 12, 2, 8, 0, 10);
    form->SetView(start - 30, start + 30);
    Mouse(draughtChart, QEvent::MouseMove, draughtChart.XOfSeconds(start), Qt::NoButton);
    EXPECT_EQ(Find<QLabel>("LCurDraughtRate")->text(), "-");
    EXPECT_NE(Find<QLabel>("LCurOperativeTemp")->text(), "-");
}

TEST_F(HistoryWindowTest, ExportsTheStripsAsPngAndTheSummaryAsPdf)
{
    ASSERT_TRUE(Load());
    form->SetCursorAt(ChartSeconds(2026, 12, 2, 8, 40, 17));
    TempFolder out;
    prompts.fileAnswers = {out.file("view.png"), out.file("summary.pdf")};
    Find<QPushButton>("BBSavePng")->click();
    Find<QPushButton>("BBSavePdf")->click();
    ASSERT_EQ(prompts.dialogs.size(), 2u);
    EXPECT_EQ(prompts.dialogs[0].filter, "PNG (*.png)");
    EXPECT_EQ(prompts.dialogs[1].filter, "PDF (*.pdf)");
    for (const FileDialogOptions& dialog : prompts.dialogs)
        EXPECT_EQ(dialog.directory, folder_->path()) << "the data folder, not the working folder";
    EXPECT_TRUE(prompts.messages.empty());

    // The picture says what it shows: the range, the port and the cursor's second.
    const QString caption = form->ExportCaption();
    EXPECT_TRUE(caption.contains("2026/12/01 08:00:00") && caption.contains("2026/12/03 09:59:59"))
        << caption.toStdString();
    EXPECT_TRUE(caption.contains("COM7")) << caption.toStdString();
    EXPECT_TRUE(caption.contains("2026/12/02 08:40:17")) << caption.toStdString();
    EXPECT_FALSE(caption.contains(" - ")) << caption.toStdString();
    form->ClearCursor();
    EXPECT_FALSE(form->ExportCaption().contains("カーソル")) << "no cursor, no placeholder for it";

    const QImage png(out.file("view.png"));
    ASSERT_FALSE(png.isNull());
    const QImage strips = form->StripsImage();
    const int band = png.height() - strips.height();
    ASSERT_GT(band, 0) << "a caption line above the strips";
    int written = 0;
    for (int y = 0; y < band; ++y)
        for (int x = 0; x < png.width(); ++x)
            written += png.pixelColor(x, y) != png.pixelColor(0, 0) ? 1 : 0;
    EXPECT_GT(written, 50) << "the caption's text";
    // The temperature strip's plot, found where the chart sits in the image: its lines are drawn.
    HistoryChart& chart = form->Chart(2);
    const QRect plot =
        chart.PlotRect().toRect().translated(chart.mapTo(Find<QWidget>("PStrips"), QPoint(0, 0))).translated(0, band);
    QList<QColor> lines;
    for (int s = 0; s < chart.SeriesCount(); ++s)
        lines.append(chart.Series(s)->pen().color());
    int columns = 0;
    for (int x = plot.left() + 1; x < plot.right(); ++x) {
        bool drawn = false;
        for (int y = plot.top() + 1; y < plot.bottom() && !drawn; ++y)
            drawn = lines.contains(png.pixelColor(x, y));
        columns += drawn ? 1 : 0;
    }
    // Three runs of two hours in some fifty: about an eighth of the pixel columns hold lines.
    EXPECT_GT(columns, plot.width() / 10) << "the temperature lines of the three runs";

    const QString text = PdfText(out.file("summary.pdf"));
    EXPECT_TRUE(text.contains(QStringLiteral("21600"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("平均"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("厳重警戒"))) << text.toStdString();
    // The strips are painted as lines and text: no picture in the file, and their labels are text.
    QFile pdf(out.file("summary.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_FALSE(pdf.readAll().contains("/Subtype /Image"));
    EXPECT_TRUE(text.contains(QStringLiteral("WBGT 内"))) << text.toStdString();
    const QImage page = PdfImage(out.file("summary.pdf"), 50);
    ASSERT_FALSE(page.isNull());
    const QColor temperature = form->Chart(2).Series(0)->pen().color();
    int red = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QColor c = page.pixelColor(x, y);
            red += c.red() > 200 && c.green() < 80 && c.blue() < 80 ? 1 : 0;
        }
    EXPECT_GT(red, 20) << "the air temperature's line on the page, " << temperature.name().toStdString();
}

// The summary's table as the command line prints it for these arguments.
QString CommandLineFigures(const QStringList& args, const QString& dataDir)
{
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    RunSurveySummary(args, dataDir, outStream, errStream);
    outStream.flush();
    return out.trimmed();
}

TEST_F(HistoryWindowTest, SummaryPaneShowsTheCommandLinesComfortFiguresForTheSelection)
{
    QSignalSpy shown(form.get(), &THistoryForm::ComfortFiguresShown);
    ASSERT_TRUE(Load());
    ASSERT_TRUE(shown.wait(30000));
    const QStringList range = {"--summary",     "2026/12/01", "2026/12/03", "--data-dir",
                               folder_->path(), "--port",     "COM7"};
    const QString everySecond = CommandLineFigures(range, folder_->path());
    ASSERT_FALSE(everySecond.isEmpty());
    EXPECT_EQ(Find<QPlainTextEdit>("LComfort")->toPlainText(), everySecond);

    form->SetSelection({"08:30-09:00", "tue-wed", "A", ""});
    ASSERT_TRUE(shown.wait(30000));
    const QString selected = CommandLineFigures(
        range + QStringList{"--hours", "08:30-09:00", "--days", "tue-wed", "--category", "A"}, folder_->path());
    EXPECT_EQ(form->ComfortFiguresText(), selected);
    EXPECT_NE(selected, everySecond);

    // A selection the summary refuses shows its reason, not the figures of the one before.
    Find<QLineEdit>("ESelHours")->setText("25:00-26:00");
    emit Find<QLineEdit>("ESelHours")->editingFinished();
    ASSERT_TRUE(shown.wait(30000));
    EXPECT_TRUE(form->ComfortFiguresText().contains("25:00-26:00")) << form->ComfortFiguresText().toStdString();
}

TEST_F(HistoryWindowTest, ReportButtonWritesTheSurveyReportOfTheLoadedRangeAndSelection)
{
    EXPECT_FALSE(Find<QPushButton>("BBReport")->isEnabled()) << "nothing loaded, nothing to report";
    ASSERT_TRUE(Load());
    form->SetSelection({"08:00-09:00", "", "C", ""});
    TempFolder out;
    prompts.fileAnswers = {out.file("report.pdf")};
    QSignalSpy written(form.get(), &THistoryForm::ReportWritten);
    Find<QPushButton>("BBReport")->click();
    ASSERT_TRUE(written.wait(60000));
    EXPECT_TRUE(written.front().front().toBool());
    ASSERT_EQ(prompts.dialogs.size(), 1u);
    EXPECT_EQ(prompts.dialogs[0].directory, folder_->path());
    EXPECT_EQ(prompts.dialogs[0].fileName, "SurveyReport_20261201_20261203.pdf");
    EXPECT_TRUE(prompts.messages.empty()) << prompts.texts().join('\n').toStdString();

    EXPECT_TRUE(out.read("report.pdf").startsWith("%PDF-"));
    const QJsonObject sidecar = QJsonDocument::fromJson(out.read("report.json")).object();
    EXPECT_EQ(sidecar["inputs"]["from"], "2026-12-01");
    EXPECT_EQ(sidecar["inputs"]["to"], "2026-12-03");
    EXPECT_EQ(sidecar["inputs"]["port"], "COM7");
    EXPECT_EQ(sidecar["selection"]["hours"], "08:00-09:00");
    EXPECT_EQ(sidecar["selection"]["category"], "C");
    EXPECT_EQ(sidecar["rows"], 3 * 3600) << "the occupied hour of each of the three days";

    // A selection the summary refuses writes nothing and says why.
    form->SetSelection({"8 to 9", "", "C", ""});
    prompts.fileAnswers = {out.file("refused.pdf")};
    Find<QPushButton>("BBReport")->click();
    ASSERT_TRUE(written.wait(60000));
    EXPECT_FALSE(written.back().front().toBool());
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].kind, Prompts::Kind::Error);
    EXPECT_TRUE(prompts.messages[0].text.contains("8 to 9")) << prompts.messages[0].text.toStdString();
    EXPECT_FALSE(out.exists("refused.pdf"));
}

TEST_F(HistoryWindowTest, EveryPixelColumnOverARunHoldsItsLineWhateverTheZoom)
{
    ASSERT_TRUE(Load());
    HistoryChart& chart = form->Chart(0);
    const double runFrom = ChartSeconds(2026, 12, 1, 8, 0, 0);
    const double runTo = ChartSeconds(2026, 12, 1, 10, 0, 0);
    const QColor line = chart.Series(0)->pen().color();
    // Views of several widths, each starting with the run: a column drawn into its neighbour's
    // pixel would leave a blank one.
    for (const double hours : {3.0, 7.5, 13.0, 31.7, 50.0}) {
        form->SetView(runFrom, runFrom + hours * 3600);
        const QImage image = chart.grab().toImage();
        const QRect plot = chart.PlotRect().toRect();
        const int last = static_cast<int>(std::floor(chart.XOfSeconds(runTo)));
        // PMV runs from -1 to 1 within every column: the row half-way between the line's top and
        // bottom crosses each column's stroke, where the links between columns do not reach.
        int top = plot.bottom();
        int bottom = plot.top();
        for (int y = plot.top(); y <= plot.bottom(); ++y) {
            for (int x = plot.left() + 1; x < last - 1; ++x) {
                if (image.pixelColor(x, y) == line) {
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
            }
        }
        ASSERT_LT(top + 4, bottom) << hours;
        const int middle = (top + bottom) / 2;
        int blank = 0;
        for (int x = plot.left() + 1; x < last - 1; ++x)
            blank += image.pixelColor(x, middle) == line ? 0 : 1;
        EXPECT_EQ(blank, 0) << hours << " hours across";
    }
}

TEST_F(HistoryWindowTest, CancelledLoadKeepsWhatWasShownAndTheWindowLoadsAgain)
{
    ASSERT_TRUE(Load());
    const double from = form->ViewFrom();
    const int points = static_cast<int>(form->Chart(0).Series(0)->count());

    QSignalSpy finished(form.get(), &THistoryForm::LoadFinished);
    form->SetRange(QDate(2026, 12, 2), QDate(2026, 12, 3));
    Find<QPushButton>("BBLoad")->click();
    EXPECT_TRUE(Find<QPushButton>("BBCancel")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>("BBLoad")->isEnabled());
    Find<QPushButton>("BBCancel")->click();
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_FALSE(finished.front().front().toBool());
    EXPECT_FALSE(form->Loading());
    EXPECT_EQ(form->ViewFrom(), from);
    EXPECT_EQ(form->Chart(0).Series(0)->count(), points);
    EXPECT_TRUE(Find<QPushButton>("BBLoad")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>("BBCancel")->isEnabled());

    ASSERT_TRUE(Load());
    EXPECT_EQ(form->Loaded()->rows.Size(), 2u * kRunSeconds);
    EXPECT_EQ(form->ViewFrom(), ChartSeconds(2026, 12, 2, 8, 0, 0));
}

TEST_F(HistoryWindowTest, PortIsChosenWhenTheRangeHoldsSeveral)
{
    form->SetRange(QDate(2026, 12, 3), QDate(2026, 12, 5));
    auto* ports = Find<QComboBox>("CBPort");
    ASSERT_EQ(ports->count(), 2);
    EXPECT_TRUE(ports->isEnabled());
    ports->setCurrentIndex(1);
    ASSERT_TRUE(Load());
    EXPECT_EQ(form->Loaded()->rows.Size(), 120u + 60u) << "day 3 without a COM8 file by its minute rows, then day 5";
    EXPECT_EQ(form->Loaded()->minuteDays, QList<QDate>{QDate(2026, 12, 3)});
}

TEST(HistoryButton, MainWindowOpensTheHistoryFromItsAccessibleButton)
{
    TempFolder folder;
    FakeClock clock(EncodeDateTime(2026, 12, 1, 9, 0, 0));
    RecordingPrompts prompts;
    AcquisitionCore core(clock, prompts, folder.path());
    TMainForm form(core, clock, prompts);
    int shown = 0;
    form.hooks.ShowHistory = [&] { ++shown; };
    auto* button = form.findChild<QPushButton*>(QStringLiteral("BBHistory"));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), "履歴表示");
    EXPECT_EQ(button->accessibleName(), "履歴表示");
    button->click();
    EXPECT_EQ(shown, 1);
}
