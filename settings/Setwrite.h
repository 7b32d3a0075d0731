#pragma once

#include "acquisition/SharedState.h"

#include <QDialog>

namespace qemra {

class TMainForm;

// The grouped write dialog ("設定送出"): sends the parameter set to the instrument in verified
// groups, one step per main-timer tick through WriteTick. Created fourth at start-up.
class TWriteForm : public QDialog {
    Q_OBJECT

public:
    TWriteForm(TMainForm& main, SharedState& state, QWidget* parent = nullptr);

    // One step of the grouped write; called through the system setting window on every tick.
    void WriteTick();

private:
    TMainForm& main_;
    SharedState& state_;
};

}  // namespace qemra
