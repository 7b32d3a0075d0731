// QtPrompts.h: QtPrompts, the real message boxes and file dialogs.
#pragma once

#include "common/Prompts.h"

class QWidget;

namespace qemra {

// Real QMessageBox / QFileDialog, parented to the given window (may be null).
class QtPrompts final : public Prompts {
public:
    explicit QtPrompts(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }
    void Message(Kind kind, const QString& text) override;
    QString OpenFileName(const FileDialogOptions& options) override;
    QString SaveFileName(const FileDialogOptions& options) override;

private:
    QWidget* parent_;
};

}  // namespace qemra
