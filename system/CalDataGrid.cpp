#include "system/CalDataGrid.h"

#include "system/CalStatistics.h"
#include "system/ParameterSet.h"

#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace qemra {

CalResultPanels CreateCalResultPanels(QWidget* parent)
{
    // Filled in by the calibration grid work; names only for now.
    CalResultPanels panels;
    auto make = [parent](const char* name) {
        auto* label = new QLabel(parent);
        label->setObjectName(QString::fromLatin1(name));
        return label;
    };
    panels.PATRev = make("PATRev");
    panels.PATRevSet = make("PATRevSet");
    panels.PBTRev = make("PBTRev");
    panels.PBTRevSet = make("PBTRevSet");
    panels.PWTRev = make("PWTRev");
    panels.PWTRevSet = make("PWTRevSet");
    panels.PWS0Cal = make("PWS0Cal");
    panels.PWS0CalSet = make("PWS0CalSet");
    panels.PWS4Cal = make("PWS4Cal");
    panels.PWS4CalSet = make("PWS4CalSet");
    return panels;
}

TCalDataView::TCalDataView(const CalStats& stats, QWidget* parent) : QWidget(parent), stats_(stats)
{
    LCalData = new QLabel(QStringLiteral("計測値判断状況 ─────────────────────────────"), this);
    LCalData->setObjectName(QStringLiteral("LCalData"));
    SGCalData = new QTableWidget(16, 5, this);
    SGCalData->setObjectName(QStringLiteral("SGCalData"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(LCalData);
    layout->addWidget(SGCalData);
}

void TCalDataView::ShowCalData(const TWritePrm& prm, const CalResultPanels& panels)
{
    (void)prm;
    (void)panels;
    (void)stats_;
}

}  // namespace qemra
