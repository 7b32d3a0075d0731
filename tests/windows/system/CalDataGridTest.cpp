#include "windows/system/CalDataGrid.h"

#include "calibration/CalStatistics.h"
#include "parameters/ParameterSet.h"

#include <QFontMetrics>
#include <QFrame>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPaintEvent>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <set>

using namespace qemra;

namespace {

class CalDataGridTest : public testing::Test {
protected:
    CalDataGridTest() : view(stats), panels(CreateCalResultPanels(&host))
    {
        view.show();
        host.show();
    }

    QTableWidget& Grid() const { return *view.Grid(); }
    QString Text(int row, int column) const { return Grid().item(row, column)->text(); }

    QImage Rendered() const { return Grid().viewport()->grab().toImage(); }

    // What the grid painted for a cell, read just inside the cell's top left corner, where no
    // text reaches.
    QColor Painted(const QImage& image, int row, int column) const
    {
        const QRect cell = Grid().visualRect(Grid().model()->index(row, column));
        return image.pixelColor(cell.left() + 1, cell.top() + 1);
    }

    // What a panel paints beside its text.
    static QColor PaintedPanel(QLabel* panel)
    {
        const QImage image = panel->grab().toImage();
        return image.pixelColor(image.width() - 3, image.height() / 2);
    }

    CalStats stats;
    TWritePrm prm;
    TCalDataView view;
    QWidget host;
    CalResultPanels panels;
};

struct RowCase {
    const char* name;
    std::uint8_t CalStats::*flag;  // null: every flag clear
    std::set<int> green;
};

TEST_F(CalDataGridTest, EachFlagPaintsItsOwnRowsGreenAndEveryOtherBodyRowYellow)
{
    const RowCase cases[] = {
        {"no flag", nullptr, {}},
        {"WSStable", &CalStats::WSStable, {1}},
        {"AT1Stable", &CalStats::AT1Stable, {2, 13}},
        {"DifTStable", &CalStats::DifTStable, {6, 11, 12}},
        {"WDT1Stable", &CalStats::WDT1Stable, {4, 14}},
        {"BBT2Stable", &CalStats::BBT2Stable, {10}},
        {"WSInTol", &CalStats::WSInTol, {15}},
    };
    view.ShowCalData(prm, panels);
    const QColor header = Painted(Rendered(), 0, 2);
    for (const RowCase& c : cases) {
        SCOPED_TRACE(c.name);
        stats = CalStats{};
        if (c.flag)
            stats.*c.flag = 1;
        // No refresh: the flags are read when the grid paints.
        const QImage image = Rendered();
        for (int row = 1; row < TCalDataView::kRows; ++row) {
            const QColor expected = c.green.count(row) ? kCalReadyColour : kCalWaitingColour;
            EXPECT_EQ(Painted(image, row, 0), expected) << "row " << row << ", label column";
            EXPECT_EQ(Painted(image, row, 3), expected) << "row " << row;
            EXPECT_EQ(CalRowColour(stats, row), expected) << "row " << row;
        }
        EXPECT_EQ(Painted(image, 0, 2), header) << "the header row keeps its own painting";
    }
    EXPECT_NE(header, kCalReadyColour);
    EXPECT_NE(header, kCalWaitingColour);
}

// Collects what the grid's viewport is asked to repaint.
class PaintedRegion : public QObject {
public:
    QRegion region;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            region += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
};

TEST_F(CalDataGridTest, EveryRefreshRepaintsCellsWhoseTextsStayTheSameSoTheyTakeTheirRowsNewColour)
{
    view.ShowCalData(prm, panels);
    PaintedRegion painted;
    Grid().viewport()->installEventFilter(&painted);
    QTest::qWait(20);
    painted.region = QRegion();
    stats.WSStable = 1;  // row 1 turns green while its texts stay
    stats.WSInTol = 1;   // row 15 is never written
    view.ShowCalData(prm, panels);
    QTest::qWait(20);
    for (const auto& [row, column] : {std::pair{1, 0}, std::pair{1, 3}, std::pair{15, 0}, std::pair{15, 4}})
        EXPECT_TRUE(painted.region.contains(Grid().visualRect(Grid().model()->index(row, column))))
            << "row " << row << ", column " << column;
}

TEST_F(CalDataGridTest, ShowCalDataWritesEveryCellInThreeDecimalsAndLeavesRowFifteenEmpty)
{
    for (int column = 0; column < TCalDataView::kColumns; ++column)
        EXPECT_EQ(Grid().columnWidth(column), 55) << "before the first refresh";

    stats.WinMax[kChAT1] = 24.9;
    stats.WinAvg[kChAT1] = 24.8126;
    stats.WinMin[kChAT1] = 24.75;
    stats.WinMax[kChBBT2] = -1.25;
    stats.WinMin[kChBBT2] = -1.5;
    stats.SumMax.DifT = 12.5;
    stats.SumAvg.DifT = 12.25;
    stats.SumMin.DifT = 12.0;
    stats.SumMax.ATRev0 = 0.1;
    stats.SumMin.ATRev0 = -0.5;
    stats.SumAvg.WDTRev0 = 0.0004;
    stats.WSAvg5 = 4.9876f;
    view.ShowCalData(prm, panels);

    EXPECT_EQ(Grid().rowCount(), 16);
    EXPECT_EQ(Grid().columnCount(), 5);
    EXPECT_EQ(Grid().rowHeight(7), 15);
    EXPECT_LE(QFontMetrics(Grid().font()).height(), 15 - 2) << "text 2 pixels below a cell's top stays in its row";
    EXPECT_EQ(Grid().columnWidth(0), 70);
    for (int column = 1; column < 5; ++column)
        EXPECT_EQ(Grid().columnWidth(column), 50);
    EXPECT_EQ(Grid().editTriggers(), QAbstractItemView::NoEditTriggers);

    const QStringList headers = {"項目", "Max", "Avg.", "Min", "p-p"};
    for (int column = 0; column < 5; ++column)
        EXPECT_EQ(Text(0, column), headers[column]);
    const QStringList labels = {"風速",     "気温１",   "気温２",   "風速温度１", "風速温度２", "温度差L", "黒球温１",
                                "黒球温２", "基板温１", "基板温２", "温度差S",    "気温補正S",  "WS補正S", "風速S"};
    for (int row = 1; row <= 14; ++row)
        EXPECT_EQ(Text(row, 0), labels[row - 1]) << "row " << row;

    const struct {
        int row;
        QStringList values;  // Max, Avg., Min, p-p
    } rows[] = {
        {1, {"0.000", "0.000", "0.000", "0.000"}},
        {2, {"24.900", "24.813", "24.750", "0.150"}},
        {10, {"-1.250", "0.000", "-1.500", "0.250"}},
        {11, {"12.500", "12.250", "12.000", "0.500"}},
        {12, {"0.100", "0.000", "-0.500", "0.600"}},
        {13, {"0.000", "0.000", "0.000", "0.000"}},
        {14, {" ", "4.988", " ", " "}},
        {15, {"", "", "", ""}},
    };
    for (const auto& r : rows)
        for (int column = 1; column < 5; ++column)
            EXPECT_EQ(Text(r.row, column), r.values[column - 1]) << "row " << r.row << ", column " << column;
    EXPECT_EQ(Text(15, 0), "");
}

TEST_F(CalDataGridTest, PanelsStartFlatInTheirFirstColourBesideSunkenSetPanels)
{
    QLabel* first[] = {panels.PATRev, panels.PBTRev, panels.PWTRev, panels.PWS0Cal, panels.PWS4Cal};
    QLabel* set[] = {panels.PATRevSet, panels.PBTRevSet, panels.PWTRevSet, panels.PWS0CalSet, panels.PWS4CalSet};
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(first[i]->objectName().toStdString());
        EXPECT_EQ(host.findChild<QLabel*>(first[i]->objectName()), first[i]);
        EXPECT_EQ(first[i]->size(), QSize(176, 13));
        EXPECT_EQ(set[i]->size(), QSize(176, 13));
        EXPECT_EQ(first[i]->frameShape(), QFrame::NoFrame);
        EXPECT_EQ(set[i]->frameShadow(), QFrame::Sunken);
        EXPECT_NE(set[i]->frameShape(), QFrame::NoFrame);
        EXPECT_EQ(PaintedPanel(first[i]), kCalPanelStartColour);
        EXPECT_TRUE(first[i]->text().isEmpty());
        EXPECT_TRUE(set[i]->text().isEmpty());
    }
}

TEST_F(CalDataGridTest, PanelsShowComputedCorrectionsBesideTheParameterSet)
{
    stats.ATRevCal0 = 0.1234f;
    stats.ATRevCal1 = -0.5f;
    stats.BGTRevCal0 = 1;
    stats.BGTRevCal1 = -1;
    stats.BBTRevCal0 = 0.0005f;
    stats.BBTRevCal1 = -2.25f;
    stats.WDTRevCal0 = 0.3f;
    stats.WDTRevCal1 = -0.3f;
    stats.DifT0mCal = 48.7654f;
    stats.AdjDifTCal = 21.5f;
    prm.ATRevice0 = -0.1f;
    prm.ATRevice1 = 0.2f;
    prm.BGT_Revice0 = 0.25f;
    prm.BGT_Revice1 = 0.5f;
    prm.BBT_Revice0 = -0.75f;
    prm.BBT_Revice1 = -1.5f;
    prm.WDTRevice0 = 0.125f;
    prm.WDTRevice1 = -0.125f;
    prm.DifT0m = 50;
    prm.AdjDifT = 20;
    view.ShowCalData(prm, panels);

    EXPECT_EQ(panels.PATRev->text(), "0.123 / -0.500");
    EXPECT_EQ(panels.PATRevSet->text(), "Set: -0.100 / 0.200");
    EXPECT_EQ(panels.PBTRev->text(), "1.000 / -1.000 | 0.001 / -2.250");
    EXPECT_EQ(panels.PBTRevSet->text(), "Set: 0.250 / 0.500 | -0.750 / -1.500");
    EXPECT_EQ(panels.PWTRev->text(), "0.300 / -0.300");
    EXPECT_EQ(panels.PWTRevSet->text(), "Set: 0.125 / -0.125");
    EXPECT_EQ(panels.PWS0Cal->text(), "48.765");
    EXPECT_EQ(panels.PWS0CalSet->text(), "Set: 50.000");
    EXPECT_EQ(panels.PWS4Cal->text(), "21.500");
    EXPECT_EQ(panels.PWS4CalSet->text(), "Set: 20.000");
    for (QLabel* panel : {panels.PBTRev, panels.PBTRevSet})
        EXPECT_LE(panel->fontMetrics().horizontalAdvance(panel->text()), panel->contentsRect().width())
            << "the whole text is readable: " << panel->objectName().toStdString();
}

struct PanelCase {
    const char* name;
    std::function<void(CalStats&)> set;
    bool temperatures, wdt, atRest, atSpeed;  // PATRev and PBTRev, PWTRev, PWS0Cal, PWS4Cal green
};

TEST_F(CalDataGridTest, ResultPanelsTurnGreenOnlyWhenTheirConditionsHold)
{
    const auto windReady = [](double max) {
        return [max](CalStats& s) {
            s.DifTStable = s.WSStable = 1;
            s.WinMax[kChWind] = max;
        };
    };
    const PanelCase cases[] = {
        {"nothing ready", [](CalStats&) {}, false, false, false, false},
        {"both air temperatures", [](CalStats& s) { s.AT1Stable = s.AT2Stable = 1; }, true, false, false, false},
        {"only the first air temperature", [](CalStats& s) { s.AT1Stable = 1; }, false, false, false, false},
        {"both WDT", [](CalStats& s) { s.WDT1Stable = s.WDT2Stable = 1; }, false, true, false, false},
        {"still air", windReady(0.4), false, false, true, false},
        {"maximum 0.5", windReady(0.5), false, false, false, false},
        {"maximum 3.0", windReady(3.0), false, false, false, false},
        {"maximum above 3.0", windReady(3.001), false, false, false, true},
        {"fast but unsteady wind",
         [](CalStats& s) {
             s.DifTStable = 1;
             s.WinMax[kChWind] = 5;
         },
         false, false, false, false},
    };
    const auto colour = [](bool green) { return green ? kCalReadyColour : kCalWaitingColour; };
    for (const PanelCase& c : cases) {
        SCOPED_TRACE(c.name);
        stats = CalStats{};
        c.set(stats);
        view.ShowCalData(prm, panels);
        EXPECT_EQ(PaintedPanel(panels.PATRev), colour(c.temperatures));
        EXPECT_EQ(PaintedPanel(panels.PBTRev), colour(c.temperatures));
        EXPECT_EQ(PaintedPanel(panels.PWTRev), colour(c.wdt));
        EXPECT_EQ(PaintedPanel(panels.PWS0Cal), colour(c.atRest));
        EXPECT_EQ(PaintedPanel(panels.PWS4Cal), colour(c.atSpeed));
    }
}

}  // namespace
