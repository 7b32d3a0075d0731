// GroupedWriteDialog.h: TWriteForm, the grouped parameter write dialog.
#pragma once

#include <QDialog>
#include <memory>

class QPlainTextEdit;
class QPushButton;

namespace qemra {

class GroupedWrite;
class PollCycle;
struct TWritePrm;

// The grouped write dialog ("設定送出"): sends the parameter set to the instrument in verified
// groups, one step per main-timer tick through WriteTick. Created fourth at start-up; shown
// modally by the system setting window while the port is open.
class TWriteForm : public QDialog {
    Q_OBJECT

public:
    static constexpr int kResultAbort = 3;

    TWriteForm(PollCycle& poll, const TWritePrm& prm, QWidget* parent = nullptr);
    ~TWriteForm() override;

    // One step of the grouped write; called through the system setting window on every tick.
    // A hidden dialog does not advance.
    void WriteTick();

    void FormShow();
    void BBDoClick();
    void BBCancelClick();
    void BBCloseClick();

    GroupedWrite& Sequence() { return *sequence_; }
    QPlainTextEdit* Memo() const { return MSts; }

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Escape and the close box.
    void reject() override;

private:
    void AddLine(const QString& line);
    void CloseByButton();

    PollCycle& poll_;
    std::unique_ptr<GroupedWrite> sequence_;
    QPlainTextEdit* MSts = nullptr;
    QPushButton* BBDo = nullptr;
    QPushButton* BBClose = nullptr;
    QPushButton* BBCancel = nullptr;
};

}  // namespace qemra
