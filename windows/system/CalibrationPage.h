// CalibrationPage.h: TCalPage, the calibration page "管理操作" of the system setting window.
#pragma once

#include "acquisition/SharedState.h"
#include "windows/system/CalDataGrid.h"
#include "calibration/CalProcedure.h"
#include "calibration/CalStatistics.h"
#include "parameters/ParameterSet.h"

#include <QColor>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace qemra {

class CalReportRecorder;
class Clock;
class Prompts;
class AcquisitionCore;

// What the calibration page reads from the window that holds it.
struct CalPageWindow {
    std::function<QString()> SerialNumber;  // ESNum
    std::function<bool()> TempRevOnly;      // CBTempRevOnly
    std::function<bool()> ATCheck;          // CBATCheck
    std::function<void()> FillDirectPage;
};

// TCalPage, the calibration page "管理操作": the buttons of the procedure, the result panels and grid, the
// wind gauges and the status memo. It owns the statistics and the step machine and only wires them.
class TCalPage : public QWidget {
    Q_OBJECT

public:
    static const QColor kSilver;
    static const QColor kDone;     // light green
    static const QColor kWorking;  // light yellow
    // The status memo keeps this many of its newest lines; an endless retry adds thousands an hour.
    static constexpr int kMaxStatusLines = 1000;

    TCalPage(AcquisitionCore& core, TWritePrm& prm, const Clock& clock, Prompts& prompts, CalPageWindow window,
             QWidget* parent = nullptr);
    ~TCalPage() override;

    // Once per new second while polling: statistics, and while the page is shown, its grid,
    // panels and status.
    void SecondStep();
    // Every second tick of the main timer.
    void CalWriteTick();
    void ShowCalStatus();

    void BBCalStartClick();
    void BBATRcvFinClick();
    void BBATRcvClrClick();
    void BBWSTRcvFinClick();
    void BB0mCalFinClick();
    void BB4mCalFinClick();
    void BBFinClick();

    std::int32_t CalStep() const { return procedure_->CalStep; }
    void SetCalStep(std::int32_t step) { procedure_->CalStep = step; }
    CalStats& Stats() { return stats_; }
    CalProcedure& Procedure() { return *procedure_; }
    CalReportRecorder& ReportRecorder() { return *report_; }
    QPlainTextEdit* Memo() const { return MSts; }
    TCalDataView* DataView() const { return dataView_; }

    // The colour a wind gauge takes for its progress.
    static QColor GaugeColor(int progress);
    // The progress a gauge shows for a closeness of 0 to 1.
    static int GaugeProgress(float gauge);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildPage();
    void ShowStatistics();
    void AddStatusLine(const QString& text);
    void ShowGauge(QLabel* panel, QProgressBar* gauge, float average, float closeness);

    SharedState& state_;
    TWritePrm& prm_;
    CalPageWindow window_;
    CalStats stats_;
    std::unique_ptr<CalProcedure> procedure_;
    // Statistics were evaluated since the page last drew them.
    bool evaluatedSinceDraw_ = false;
    std::unique_ptr<CalReportRecorder> report_;

    CalResultPanels panels_;
    TCalDataView* dataView_ = nullptr;
    QPushButton* BBCalStart = nullptr;
    QPushButton* BBATRcvFin = nullptr;
    QPushButton* BBATRcvClr = nullptr;
    QCheckBox* CBStdTempUse = nullptr;
    QLineEdit* EStdTempVal = nullptr;
    QPushButton* BBWSTRcvFin = nullptr;
    QPushButton* BB0mCalFin = nullptr;
    QPushButton* BB4mCalFin = nullptr;
    QPushButton* BBFin = nullptr;
    QLabel* PFinish = nullptr;
    QLabel* PWSAS5 = nullptr;
    QLabel* PWSAS15 = nullptr;
    QProgressBar* NmGage5 = nullptr;
    QProgressBar* NmGage15 = nullptr;
    QLabel* LSts = nullptr;
    QPlainTextEdit* MSts = nullptr;
};

}  // namespace qemra
