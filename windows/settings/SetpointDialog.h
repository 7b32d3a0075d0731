// SetpointDialog.h: TPrmSetForm, the operation setpoint dialog.
#pragma once

#include "acquisition/SharedState.h"

#include <QDialog>
#include <memory>

class QButtonGroup;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace qemra {

class PollCycle;
class SetpointWrite;

// The operation setpoint dialog ("Operation Setpoint"), opened modally by the main window's
// "変更..." button: shows the operating values the instrument reports and writes the user's
// values. Its own 500 ms Timer1 checks the write, which goes on after the dialog is closed.
// Created last at start-up; it lives until the program ends.
class TPrmSetForm : public QDialog {
    Q_OBJECT

public:
    static constexpr int kTimerMs = 500;

    TPrmSetForm(PollCycle& poll, SharedState& state, QWidget* parent = nullptr);
    ~TPrmSetForm() override;

    void FormShow();
    void BBWriteClick();
    void Timer1Timer();

    SetpointWrite& Writer() { return *writer_; }
    QTimer& Timer1() { return *timer1_; }
    QPlainTextEdit* Memo() const { return MSts; }
    int MesModeIndex() const;
    int CaseModeIndex() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void AddLine(const QString& line);

    SharedState& state_;
    std::unique_ptr<SetpointWrite> writer_;
    QTimer* timer1_ = nullptr;
    QGroupBox* GBMode = nullptr;
    QGroupBox* RGMesMode = nullptr;
    QGroupBox* RGCaseMode = nullptr;
    QButtonGroup* mesModeItems_ = nullptr;
    QButtonGroup* caseModeItems_ = nullptr;
    QGroupBox* GBclo = nullptr;
    QLineEdit* Eclo = nullptr;
    QGroupBox* GBMETs = nullptr;
    QLineEdit* EMETs = nullptr;
    QPushButton* BBWrite = nullptr;
    QPlainTextEdit* MSts = nullptr;
    QPushButton* BBOk = nullptr;
    QPushButton* BBCancel = nullptr;
};

}  // namespace qemra
