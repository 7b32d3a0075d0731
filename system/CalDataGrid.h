#pragma once

#include <QWidget>

class QLabel;
class QTableWidget;

namespace qemra {

struct CalStats;
struct TWritePrm;

// The ten result panels beside the confirmation buttons of the calibration page. The page places
// them; TCalDataView::ShowCalData fills them. The "Set" panels' shading belongs to the page.
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

// The lower left of the calibration page: the label "計測値判断状況 ─…" over the grid SGCalData,
// whose row colours are read from the statistics at paint time.
class TCalDataView : public QWidget {
    Q_OBJECT

public:
    explicit TCalDataView(const CalStats& stats, QWidget* parent = nullptr);

    QTableWidget* Grid() const { return SGCalData; }
    // Writes the grid and the ten panels from the statistics and the parameter set.
    void ShowCalData(const TWritePrm& prm, const CalResultPanels& panels);

private:
    const CalStats& stats_;
    QLabel* LCalData = nullptr;
    QTableWidget* SGCalData = nullptr;
};

}  // namespace qemra
