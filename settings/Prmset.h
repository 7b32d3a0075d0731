#pragma once

#include "acquisition/SharedState.h"

#include <QDialog>

namespace qemra {

class TMainForm;

// The operation setpoint dialog ("Operation Setpoint"), opened modally by the main window's
// "変更..." button. Created last at start-up; it lives until the program ends.
class TPrmSetForm : public QDialog {
    Q_OBJECT

public:
    TPrmSetForm(TMainForm& main, SharedState& state, QWidget* parent = nullptr);

private:
    TMainForm& main_;
    SharedState& state_;
};

}  // namespace qemra
