// SystemSettingWindow.h: TSysSetForm, the system setting window.
#pragma once

#include "acquisition/SharedState.h"
#include "parameters/ParameterSet.h"

#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QToolButton;
class QVBoxLayout;

namespace qemra {

class Clock;
class Prompts;
class TCalPage;
class AcquisitionCore;
class TCommCtrlForm;

// TSysSetForm, the system setting window ("System Setting"): the service window with the communication
// controls, the serial-number box, the calibration page "管理操作" and the direct-operation page
// "直接操作" that edits, sends, saves and loads the parameter set. Created second at start-up; it
// loads the parameter set from "BaseSetpoint.ini" then. The main window's timer calls SecondStep
// and TickStep. Closing it only hides it.
class TSysSetForm : public QWidget {
    Q_OBJECT

public:
    // A reference, bound before any code runs: a copy would be made in whatever order the program's
    // constants happen to start and could copy an empty text.
    static const QString& kNotConvertible;

    TSysSetForm(AcquisitionCore& core, TCommCtrlForm& commCtrl, TWritePrm& prm, const Clock& clock, Prompts& prompts,
                QWidget* parent = nullptr);

    // The calibration's once-per-second update, and its write checks every second tick.
    std::function<void()> CalSecondStep;
    std::function<void()> CalWriteTick;
    // The grouped write dialog: its step on every tick, and showing it modally.
    std::function<void()> GroupedWriteTick;
    std::function<void()> ShowGroupedWrite;

    QString SettingsPath() const;
    QString SerialNumberText() const;
    bool TempRevOnly() const;
    bool ATCheck() const;
    // The page "管理操作" and the calibration it holds.
    QWidget* CalibrationPage() const { return calibrationPage_; }
    TCalPage& Calibration() const { return *calPage_; }
    std::uint32_t TickCount() const { return tickCount_; }

    // Shows the parameter set on the page "直接操作".
    void FillDirectPage();
    // Stores the page's texts into the parameter set in page order; the first text that is no
    // number ends it (with a warning), leaving that field and all later ones as they were.
    void ReadDirectPage();

    // Port settings reloaded, port opened, SBConnection shown pressed when it opened.
    // False, after an error box naming the port and the reason, when the port did not open.
    bool ConnectPort();
    // Once per new second while polling; every tick of the main timer.
    void SecondStep();
    void TickStep();

    void SBConnectionClick();
    void SBDisconnectionClick();
    void BBComShowStdClick();
    void BBComSetStdClick();
    void BBOkClick();
    void BBCancelClick();
    void BBWriteClick();
    void BBSetpointSaveClick();
    void BBSetpointLoadClick();
    void BBSNClearClick();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ShowFileError(const QString& path);
    // One number text of the page and the field it shows.
    struct PageField {
        std::function<QString()> text;
        std::function<void(const QString&)> show;
        std::function<float&(TWritePrm&)> field;
        QString format;
    };

    void FormCreate();
    QWidget* BuildDirectPage();
    QLineEdit* AddEdit(const char* name, const char* format, float TWritePrm::*field);
    bool PortOpen();

    AcquisitionCore& core_;
    TCommCtrlForm& commCtrl_;
    SharedState& state_;
    TWritePrm& prm_;
    const Clock& clock_;
    Prompts& prompts_;
    QString baseFolder_;
    std::uint32_t tickCount_ = 0;
    std::vector<PageField> pageFields_;  // in read-back order

    QGroupBox* GBCom = nullptr;
    QToolButton* SBConnection = nullptr;
    QToolButton* SBDisconnection = nullptr;
    QPushButton* BBComShowStd = nullptr;
    QPushButton* BBComSetStd = nullptr;
    QCheckBox* CBTempRevOnly = nullptr;
    QCheckBox* CBATCheck = nullptr;
    QLineEdit* ESNum = nullptr;
    QPushButton* BBSNClear = nullptr;
    QTabWidget* PCMain = nullptr;
    QWidget* calibrationPage_ = nullptr;
    TCalPage* calPage_ = nullptr;
    QTableWidget* SGRev = nullptr;
    QPushButton* BBWrite = nullptr;
    QPushButton* BBSetpointSave = nullptr;
    QPushButton* BBSetpointLoad = nullptr;
    QPushButton* BBOk = nullptr;
    QPushButton* BBCancel = nullptr;
};

}  // namespace qemra
