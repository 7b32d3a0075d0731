// CalDataGrid.h: TCalDataView, the calibration data grid, and the calibration result panels.
#pragma once

#include <QColor>
#include <QWidget>

class QLabel;
class QPainter;
class QRect;
class QTableWidget;

namespace qemra {

struct CalStats;
struct TWritePrm;

// The ten result panels beside the confirmation buttons of the calibration page. The page places
// them; TCalDataView::ShowCalData fills them. The "Set" panels' shading belongs to the page. Every
// panel fills its background from its palette's Window colour.
struct CalResultPanels {
    QLabel* PATRev = nullptr;
    QLabel* PATRevSet = nullptr;
    QLabel* PBTRev = nullptr;
    QLabel* PBTRevSet = nullptr;
    QLabel* PWTRev = nullptr;
    QLabel* PWTRevSet = nullptr;
    QLabel* PWS0Cal = nullptr;
    QLabel* PWS0CalSet = nullptr;
    QLabel* PWS4Cal = nullptr;
    QLabel* PWS4CalSet = nullptr;
};

// Creates the ten panels as children of `parent`, with their object names, sizes and first colours.
CalResultPanels CreateCalResultPanels(QWidget* parent);

// Colours of the calibration page: a condition met, a condition not met, the result panels' first.
inline const QColor kCalReadyColour{0xA0, 0xFF, 0xA0};
inline const QColor kCalWaitingColour{0xFF, 0xFF, 0x80};
inline const QColor kCalPanelStartColour{0xFF, 0xED, 0xC1};


// The colour of a grid row from the readiness flag it stands for: rows 1 to 15 green when the
// flag is set, yellow when not; row 0 (the headers) and rows outside the grid give an invalid colour.
QColor CalRowColour(const CalStats& stats, int row);

// The lower left of the calibration page: the label "計測値判断状況 ─…" over the grid SGCalData,
// whose row colours are read from the statistics at paint time.
class TCalDataView : public QWidget {
    Q_OBJECT

public:
    static constexpr int kRows = 16;
    static constexpr int kColumns = 5;
    static constexpr int kRowHeight = 15;

    // The view keeps a reference to the statistics; they must outlive it.
    explicit TCalDataView(const CalStats& stats, QWidget* parent = nullptr);

    QTableWidget* Grid() const { return SGCalData; }
    // Writes the grid and the ten panels from the statistics and the parameter set.
    void ShowCalData(const TWritePrm& prm, const CalResultPanels& panels);
    // Paints one cell: the row colour over the whole rectangle, then the text in black.
    void SGCalDataDrawCell(QPainter& painter, int column, int row, const QRect& rect) const;

private:
    void SetCell(int row, int column, const QString& text);

    const CalStats& stats_;
    QLabel* LCalData = nullptr;
    QTableWidget* SGCalData = nullptr;
};

}  // namespace qemra
