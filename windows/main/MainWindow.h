// MainWindow.h: TMainForm, the main window.
#pragma once

#include "core/AcquisitionCore.h"

#include <QMainWindow>
#include <QString>
#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QSplitter;
class QStatusBar;
class QTimer;
class QToolButton;
class QPushButton;

namespace qemra {

class Prompts;
class TCommCtrlForm;
class TrendChart;

// TMainForm, the main window: live value panels, ten-minute trend charts and the
// start/stop/save/setup controls over the acquisition core, whose 200 ms MainTimer it starts at its
// first showing. It creates the communication control window. The other windows are reached
// through hooks that the program wires, so this library needs none of them.
class TMainForm : public QMainWindow {
    Q_OBJECT

public:
    struct Hooks {
        std::function<void()> ConnectPort;            // system setting window: settings, open, button down
        std::function<void()> ShowSystemSetting;      // not modal
        std::function<void()> ShowOperationSetpoint;  // modal
        std::function<void()> ShowMonitorList;        // not modal
        std::function<void()> SaveGraphData;          // export of the history ring
        std::function<void()> ShowHistory;            // history window over the record files, not modal
    };
    // Where the Shift state at a click comes from; tests replace it.
    using ModifierSource = std::function<Qt::KeyboardModifiers()>;

    static constexpr int kTimerMs = AcquisitionCore::kTimerMs;
    static constexpr int kPanelCount = 10;
    static constexpr int kStatusPanels = 6;
    static const QString kNotice;

    TMainForm(AcquisitionCore& core, const Clock& clock, Prompts& prompts, QWidget* parent = nullptr);
    ~TMainForm() override;

    Hooks hooks;
    void SetModifierSource(ModifierSource source) { modifiers_ = std::move(source); }

    AcquisitionCore& Core() { return core_; }
    PollCycle& Poll() { return core_.Poll(); }
    TCommCtrlForm& CommCtrl() { return *commCtrl_; }
    TraceLog& Trace() { return core_.Trace(); }
    QTimer& MainTimer() { return core_.MainTimer(); }
    TrendChart& Chart(int index) { return *charts_.at(static_cast<std::size_t>(index)); }

    void FormShow();
    void MainTimerTimer();
    void ShowValues();
    void PlotHistory();
    void SetupCharts();

    void BBStartClick();
    void BBStopClick();
    void BBSaveDataClick();
    void BBSetpointClick();
    void BBPrmChangeClick();
    void CBSecRecClick();
    void BBHistoryClick();
    void SBStatusDblClick();

signals:
    // The main window was closed: the program ends.
    void Closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Panel {
        QLabel* label;
        QString format;
        double (*value)(const TMesData&);
    };

    void FormCreate();
    void BuildWindow();
    QWidget* BuildStrip(const QString& name, std::initializer_list<int> panels, TrendChart* chart);
    QWidget* BuildBottomBar();
    void BuildStatusBar();
    bool ShiftHeld() const;

    AcquisitionCore& core_;
    SharedState& state_;
    const Clock& clock_;
    Prompts& prompts_;
    ModifierSource modifiers_;
    bool shownOnce_ = false;

    TCommCtrlForm* commCtrl_ = nullptr;

    std::array<Panel, kPanelCount> panels_{};
    std::array<TrendChart*, 5> charts_{};
    std::array<QLabel*, kStatusPanels> statusPanels_{};
    QSplitter* splitter_ = nullptr;
    QStatusBar* SBStatus = nullptr;
    QLabel* LPublish = nullptr;      // the broker's state, while publishing
    QLabel* LRecordWrite = nullptr;  // shown while rows cannot be written to a record file
    QLabel* LPortWait = nullptr;     // shown while the port is reopened every 2 s
    QLabel* LMETs = nullptr;
    QLabel* Lclo = nullptr;
    QPushButton* BBPrmChange = nullptr;
    QCheckBox* CBSecRec = nullptr;
    QPushButton* BBHistory = nullptr;
    QToolButton* BBStart = nullptr;
    QToolButton* BBStop = nullptr;
    QToolButton* BBSaveData = nullptr;
    QToolButton* BBSetpoint = nullptr;
};

}  // namespace qemra
