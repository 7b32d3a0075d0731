// CommunicationWindow.h: TCommCtrlForm, the communication control window.
#pragma once

#include "link/SerialLink.h"

#include <QByteArray>
#include <QString>
#include <QWidget>
#include <functional>

class QCheckBox;
class QFrame;
class QPlainTextEdit;
class QPushButton;

namespace qemra {

class Prompts;
class TComLed;
class TComSetupFrm;

// The communication control window: shows the traffic of the link (memos MSend/MRecive, its log
// check boxes and lamps) and runs the port setup dialog. The link itself, its port, scanner and
// daily log, belongs to the acquisition core; this window only views it and calls it. Hidden at
// start; closing it only hides it.
class TCommCtrlForm : public QWidget {
    Q_OBJECT
public:
    // Runs the setup dialog modally and returns its result (QDialog::Accepted / Rejected). The
    // program uses exec(); tests replace it to pick values and press a button without blocking.
    using DialogRunner = std::function<int(TComSetupFrm&)>;

    TCommCtrlForm(SerialLink& link, Prompts& prompts, QWidget* parent = nullptr);
    ~TCommCtrlForm() override;

    SerialLink& Link() { return link_; }
    TComPort& ComPortM() { return link_.ComPortM(); }
    bool LinkOpen() const { return link_.LinkOpen(); }

    bool OpenLink() { return link_.OpenLink(); }
    bool CloseLink() { return link_.CloseLink(); }
    void BBSetupClick();
    void SetupPort();
    // False when the settings file could not be loaded; its error has then been shown and the
    // port keeps its old settings, so a connect must stop there.
    bool LoadPortSettings();
    void SavePortSettings();
    QString PortSettingsPath() const { return link_.PortSettingsPath(); }
    void SetDialogRunner(DialogRunner runner) { dialogRunner_ = std::move(runner); }

    QCheckBox* CBSendLog() const { return cbSendLog_; }
    QCheckBox* CBReciveLog() const { return cbReciveLog_; }
    QPlainTextEdit* MSend() const { return mSend_; }
    QPlainTextEdit* MRecive() const { return mRecive_; }

private:
    void BuildWindow();

    SerialLink& link_;
    Prompts& prompts_;
    DialogRunner dialogRunner_;

    QCheckBox* cbSendLog_ = nullptr;
    QCheckBox* cbReciveLog_ = nullptr;
    QPlainTextEdit* mSend_ = nullptr;
    QPlainTextEdit* mRecive_ = nullptr;
};

// Adds a line to a log memo that keeps its first line and at most `maxLines` lines in all,
// dropping the oldest lines after the first.
void AppendMemoLine(QPlainTextEdit& memo, const QString& line, int maxLines = 101);

}  // namespace qemra
