#pragma once

#include "acquisition/SharedState.h"
#include "system/ParameterSet.h"

#include <QString>
#include <QWidget>

class QGroupBox;
class QPushButton;
class QToolButton;

namespace qemra {

class Clock;
class Prompts;
class TMainForm;

// The system setting window ("System Setting"): the service window with the communication
// controls. Created second at start-up; it loads the parameter set from "BaseSetpoint.ini" then.
// The main window's timer calls SecondStep and TickStep.
class TSysSetForm : public QWidget {
    Q_OBJECT

public:
    TSysSetForm(TMainForm& main, SharedState& state, TWritePrm& prm, const Clock& clock, Prompts& prompts,
                QString baseFolder, QWidget* parent = nullptr);

    QString SettingsPath() const;

    // Port settings reloaded, port opened, SBConnection shown pressed whether or not it opened.
    void ConnectPort();
    // Once per new second while polling; every tick of the main timer.
    void SecondStep();
    void TickStep();

    void SBConnectionClick();
    void SBDisconnectionClick();
    void BBComShowStdClick();
    void BBComSetStdClick();

private:
    void FormCreate();

    TMainForm& main_;
    SharedState& state_;
    TWritePrm& prm_;
    const Clock& clock_;
    Prompts& prompts_;
    QString baseFolder_;

    QGroupBox* GBCom = nullptr;
    QToolButton* SBConnection = nullptr;
    QToolButton* SBDisconnection = nullptr;
    QPushButton* BBComShowStd = nullptr;
    QPushButton* BBComSetStd = nullptr;
};

}  // namespace qemra
