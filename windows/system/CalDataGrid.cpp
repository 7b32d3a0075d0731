// CalDataGrid.cpp: TCalDataView, the calibration data grid, and the calibration result panels.
#include "windows/system/CalDataGrid.h"

#include "common/NumberText.h"
#include "calibration/CalStatistics.h"
#include "parameters/ParameterSet.h"

#include <QFontMetrics>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include <array>

namespace qemra {

namespace {

constexpr int kPanelWidth = 176;
constexpr int kPanelHeight = 13;
constexpr int kFirstWidth = 70;
constexpr int kValueWidth = 50;
constexpr int kStartWidth = 55;
constexpr int kTextInset = 2;
constexpr int kPanelFontPixels = 10;
constexpr int kGridFontPixels = 11;
constexpr int kWindSummaryRow = 14;

const QColor kLineColour(0xA0, 0xA0, 0xA0);

// Rows 1 to 10: the channels in the statistics' order.
// Rows 11 to 13: summary fields.
struct SummaryRow {
    const char* label;  // translated in the "TCalDataView" context
    double CalSummaryBody::*field;
};
const std::array<SummaryRow, 3> kSummaryRows = {{
    {QT_TRANSLATE_NOOP("qemra::TCalDataView", "温度差S"), &CalSummaryBody::DifT},
    {QT_TRANSLATE_NOOP("qemra::TCalDataView", "気温補正S"), &CalSummaryBody::ATRev0},
    {QT_TRANSLATE_NOOP("qemra::TCalDataView", "WS補正S"), &CalSummaryBody::WDTRev0},
}};

const std::array<const char*, TCalDataView::kColumns> kHeaders = {QT_TRANSLATE_NOOP("qemra::TCalDataView", "項目"),
                                                                  "Max", "Avg.", "Min", "p-p"};

// The flag each row is coloured by; rows 12 to 15 follow other quantities than their own.
const std::array<std::uint8_t CalStats::*, TCalDataView::kRows> kRowFlags = {nullptr,
                                                                             &CalStats::WSStable,
                                                                             &CalStats::AT1Stable,
                                                                             &CalStats::AT2Stable,
                                                                             &CalStats::WDT1Stable,
                                                                             &CalStats::WDT2Stable,
                                                                             &CalStats::DifTStable,
                                                                             &CalStats::BGT1Stable,
                                                                             &CalStats::BGT2Stable,
                                                                             &CalStats::BBT1Stable,
                                                                             &CalStats::BBT2Stable,
                                                                             &CalStats::DifTStable,
                                                                             &CalStats::DifTStable,
                                                                             &CalStats::AT1Stable,
                                                                             &CalStats::WDT1Stable,
                                                                             &CalStats::WSInTol};

QString Fixed3(double value) { return FormatFloat(QStringLiteral("%1.3f"), value); }

QString Pair(double a, double b) { return Fixed3(a) + QStringLiteral(" / ") + Fixed3(b); }

// A narrow sans serif, so the longest panel text fits its 176 pixels.
QFont SmallFont(int pixels)
{
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Nimbus Sans"), QStringLiteral("Arial"),
                      QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans CJK JP")});
    font.setPixelSize(pixels);
    return font;
}

// The largest size up to `pixels` whose text line is no taller than `height`, so the text drawn
// below a cell's inset keeps clear of the next row; some fonts carry tall line metrics.
QFont FittingFont(int pixels, int height)
{
    QFont font = SmallFont(pixels);
    while (pixels > 8 && QFontMetrics(font).height() > height)
        font = SmallFont(--pixels);
    return font;
}

void SetBackground(QLabel* panel, const QColor& colour)
{
    QPalette palette = panel->palette();
    if (palette.color(QPalette::Window) == colour)
        return;
    palette.setColor(QPalette::Window, colour);
    panel->setPalette(palette);
}

// Hands every cell to the view's drawing handler; the drawing state is ignored, so a selection
// does not hide the row colours.
class CalGridDelegate final : public QStyledItemDelegate {
public:
    CalGridDelegate(const TCalDataView& view, QObject* parent) : QStyledItemDelegate(parent), view_(view) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        view_.SGCalDataDrawCell(*painter, index.column(), index.row(), option.rect);
    }

private:
    const TCalDataView& view_;
};

}  // namespace

CalResultPanels CreateCalResultPanels(QWidget* parent)
{
    CalResultPanels panels;
    // The first of each pair is flat in the starting colour; the "Set" panel under it is sunken.
    auto make = [parent](const char* name, bool setPanel) {
        auto* label = new QLabel(parent);
        label->setObjectName(QString::fromLatin1(name));
        label->setFixedSize(kPanelWidth, kPanelHeight);
        label->setFont(SmallFont(kPanelFontPixels));
        label->setAutoFillBackground(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        if (setPanel) {
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            label->setLineWidth(1);
        } else {
            label->setFrameStyle(QFrame::NoFrame);
            SetBackground(label, kCalPanelStartColour);
        }
        return label;
    };
    panels.PATRev = make("PATRev", false);
    panels.PATRevSet = make("PATRevSet", true);
    panels.PBTRev = make("PBTRev", false);
    panels.PBTRevSet = make("PBTRevSet", true);
    panels.PWTRev = make("PWTRev", false);
    panels.PWTRevSet = make("PWTRevSet", true);
    panels.PWS0Cal = make("PWS0Cal", false);
    panels.PWS0CalSet = make("PWS0CalSet", true);
    panels.PWS4Cal = make("PWS4Cal", false);
    panels.PWS4CalSet = make("PWS4CalSet", true);
    return panels;
}

QColor CalRowColour(const CalStats& stats, int row)
{
    if (row < 1 || row >= TCalDataView::kRows)
        return {};
    return stats.*kRowFlags[static_cast<std::size_t>(row)] ? kCalReadyColour : kCalWaitingColour;
}

TCalDataView::TCalDataView(const CalStats& stats, QWidget* parent) : QWidget(parent), stats_(stats)
{
    setObjectName(QStringLiteral("TCalDataView"));
    LCalData = new QLabel(tr("計測値判断状況 ─────────────────────────────"), this);
    LCalData->setObjectName(QStringLiteral("LCalData"));

    SGCalData = new QTableWidget(kRows, kColumns, this);
    SGCalData->setObjectName(QStringLiteral("SGCalData"));
    SGCalData->setFont(FittingFont(kGridFontPixels, kRowHeight - kTextInset));
    // The header row and the label column are cells of the grid itself, as fixed cells.
    SGCalData->horizontalHeader()->hide();
    SGCalData->verticalHeader()->hide();
    SGCalData->verticalHeader()->setMinimumSectionSize(kRowHeight);
    SGCalData->verticalHeader()->setDefaultSectionSize(kRowHeight);
    SGCalData->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    SGCalData->horizontalHeader()->setMinimumSectionSize(kRowHeight);
    SGCalData->horizontalHeader()->setDefaultSectionSize(kStartWidth);
    SGCalData->setShowGrid(false);  // the drawing handler draws the horizontal lines only
    SGCalData->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SGCalData->setSelectionMode(QAbstractItemView::ContiguousSelection);
    SGCalData->setSelectionBehavior(QAbstractItemView::SelectItems);
    SGCalData->setWordWrap(false);
    SGCalData->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    SGCalData->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    SGCalData->setItemDelegate(new CalGridDelegate(*this, SGCalData));
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            auto* item = new QTableWidgetItem();
            const bool fixed = row == 0 || column == 0;
            item->setFlags(fixed ? Qt::ItemIsEnabled : Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            SGCalData->setItem(row, column, item);
        }
    }
    const int frame = 2 * SGCalData->frameWidth();
    SGCalData->setFixedSize(kColumns * kStartWidth + frame, kRows * kRowHeight + frame);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(LCalData);
    layout->addWidget(SGCalData);
    layout->addStretch(1);
}

void TCalDataView::SetCell(int row, int column, const QString& text) { SGCalData->item(row, column)->setText(text); }

void TCalDataView::ShowCalData(const TWritePrm& prm, const CalResultPanels& panels)
{
    SGCalData->setColumnWidth(0, kFirstWidth);
    for (int column = 1; column < kColumns; ++column)
        SGCalData->setColumnWidth(column, kValueWidth);
    // The grid keeps to its columns, so no empty strip shows beside the last one.
    SGCalData->setFixedWidth(kFirstWidth + (kColumns - 1) * kValueWidth + 2 * SGCalData->frameWidth());

    for (int column = 0; column < kColumns; ++column)
        SetCell(0, column, tr(kHeaders[static_cast<std::size_t>(column)]));
    for (int c = 0; c < kCalChannelCount; ++c) {
        const int row = 1 + c;
        SetCell(row, 0, CalChannelLabel(c));
        SetCell(row, 1, Fixed3(stats_.WinMax[c]));
        SetCell(row, 2, Fixed3(stats_.WinAvg[c]));
        SetCell(row, 3, Fixed3(stats_.WinMin[c]));
        SetCell(row, 4, Fixed3(stats_.WinMax[c] - stats_.WinMin[c]));
    }
    for (std::size_t i = 0; i < kSummaryRows.size(); ++i) {
        const int row = 1 + kCalChannelCount + static_cast<int>(i);
        const auto field = kSummaryRows[i].field;
        SetCell(row, 0, tr(kSummaryRows[i].label));
        SetCell(row, 1, Fixed3(stats_.SumMax.*field));
        SetCell(row, 2, Fixed3(stats_.SumAvg.*field));
        SetCell(row, 3, Fixed3(stats_.SumMin.*field));
        SetCell(row, 4, Fixed3(stats_.SumMax.*field - stats_.SumMin.*field));
    }
    // Only the 5-second average has a place in its row; the other value cells hold one blank.
    SetCell(kWindSummaryRow, 0, tr("風速S"));
    SetCell(kWindSummaryRow, 1, QStringLiteral(" "));
    SetCell(kWindSummaryRow, 2, Fixed3(stats_.WSAvg5));
    SetCell(kWindSummaryRow, 3, QStringLiteral(" "));
    SetCell(kWindSummaryRow, 4, QStringLiteral(" "));
    // A cell whose text stays the same is not repainted by its write, yet its row colour may have
    // changed with the flags (the label column and row 15 never change): repaint the whole grid.
    SGCalData->viewport()->update();

    const QString set = QStringLiteral("Set: ");
    panels.PATRev->setText(Pair(stats_.ATRevCal0, stats_.ATRevCal1));
    panels.PATRevSet->setText(set + Pair(prm.ATRevice0, prm.ATRevice1));
    panels.PBTRev->setText(Pair(stats_.BGTRevCal0, stats_.BGTRevCal1) + QStringLiteral(" | ") +
                           Pair(stats_.BBTRevCal0, stats_.BBTRevCal1));
    panels.PBTRevSet->setText(set + Pair(prm.BGT_Revice0, prm.BGT_Revice1) + QStringLiteral(" | ") +
                              Pair(prm.BBT_Revice0, prm.BBT_Revice1));
    panels.PWTRev->setText(Pair(stats_.WDTRevCal0, stats_.WDTRevCal1));
    panels.PWTRevSet->setText(set + Pair(prm.WDTRevice0, prm.WDTRevice1));
    panels.PWS0Cal->setText(Fixed3(stats_.DifT0mCal));
    panels.PWS0CalSet->setText(set + Fixed3(prm.DifT0m));
    panels.PWS4Cal->setText(Fixed3(stats_.AdjDifTCal));
    panels.PWS4CalSet->setText(set + Fixed3(prm.AdjDifT));

    const auto colour = [](bool ready) { return ready ? kCalReadyColour : kCalWaitingColour; };
    const bool temperatures = stats_.AT1Stable && stats_.AT2Stable;
    const double windMax = stats_.WinMax[kChWind];
    SetBackground(panels.PATRev, colour(temperatures));
    SetBackground(panels.PBTRev, colour(temperatures));
    SetBackground(panels.PWTRev, colour(stats_.WDT1Stable && stats_.WDT2Stable));
    SetBackground(panels.PWS0Cal, colour(stats_.DifTStable && stats_.WSStable && windMax < 0.5));
    SetBackground(panels.PWS4Cal, colour(stats_.DifTStable && stats_.WSStable && windMax > 3.0));
}

void TCalDataView::SGCalDataDrawCell(QPainter& painter, int column, int row, const QRect& rect) const
{
    painter.save();
    const QColor fill = CalRowColour(stats_, row);
    // The header row keeps the look of a grid's fixed cells.
    painter.fillRect(rect, fill.isValid() ? fill : SGCalData->palette().color(QPalette::Button));
    painter.setPen(kLineColour);
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    const QTableWidgetItem* item = SGCalData->item(row, column);
    if (item != nullptr && !item->text().isEmpty()) {
        painter.setPen(Qt::black);
        painter.setFont(SGCalData->font());
        const QRect textRect(rect.left() + kTextInset, rect.top() + kTextInset, rect.width(), rect.height());
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip | Qt::TextSingleLine, item->text());
    }
    painter.restore();
}

}  // namespace qemra
