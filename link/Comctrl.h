#pragma once

#include "common/DailyLog.h"
#include "link/Cport.h"
#include "link/FrameCodec.h"
#include "link/FrameLink.h"

#include <QByteArray>
#include <QString>
#include <QWidget>
#include <functional>

class QCheckBox;
class QFrame;
class QPlainTextEdit;
class QPushButton;

namespace qemra {

class Clock;
class Prompts;
class TComLed;
class TComSetupFrm;

// The communication control window: owns the serial port ComPortM and the frame scanner, opens
// and closes the link, runs the port setup and keeps "Port<n>.ini", and shows and logs the
// traffic (memos MSend/MRecive, daily "yymmddQemraCom.log" in the base folder). Hidden at start;
// closing it only hides it. The owner sets WindowNumber, then calls LoadPortSettings().
class TCommCtrlForm : public QWidget, public FrameLink {
    Q_OBJECT
public:
    // Runs the setup dialog modally and returns its result (QDialog::Accepted / Rejected). The
    // program uses exec(); tests replace it to pick values and press a button without blocking.
    using DialogRunner = std::function<int(TComSetupFrm&)>;

    // `openPortName` is the open port name of the program status record; it is set by OpenLink
    // and emptied by CloseLink.
    TCommCtrlForm(QString& openPortName, const Clock& clock, Prompts& prompts, QString baseFolder,
                  QWidget* parent = nullptr);
    ~TCommCtrlForm() override;

    bool ForceLog = false;
    int WindowNumber = 0;

    TComPort& ComPortM() { return comPort_; }
    bool LinkOpen() const { return linkOpen_; }

    bool OpenLink();
    bool CloseLink();
    void BBSetupClick();
    void SetupPort();
    // False when the settings file could not be loaded; its error has then been shown and the
    // port keeps its old settings, so a connect must stop there.
    bool LoadPortSettings();
    void SavePortSettings();
    QString PortSettingsPath() const;
    void SetDialogRunner(DialogRunner runner) { dialogRunner_ = std::move(runner); }

    // Receive event of ComPortM: reads the waiting bytes and hands them to ReceivePiece.
    void ComPortMRxChar(int count);
    // Feeds one received piece to the scanner. An error raised while it is handled (a frame
    // handler that throws) ends the piece silently; its remaining bytes are lost.
    void ReceivePiece(const QByteArray& piece);
    void LogSend(const QByteArray& text);
    void LogReceive(const QByteArray& text);
    void WriteComLog(const QString& text);

    // FrameLink
    bool Connected() const override;
    void SendFrame(const QByteArray& payload) override;
    void SetOnFrame(FrameHandler handler) override { onFrame_ = std::move(handler); }
    const QByteArray& RxBuf() const override { return scanner_.RxBuf(); }

    std::int8_t RxState() const { return scanner_.RxState(); }

    QCheckBox* CBSendLog() const { return cbSendLog_; }
    QCheckBox* CBReciveLog() const { return cbReciveLog_; }
    QPlainTextEdit* MSend() const { return mSend_; }
    QPlainTextEdit* MRecive() const { return mRecive_; }

private:
    void BuildWindow();
    void FrameChecked(bool good);

    QString& openPortName_;
    Prompts& prompts_;
    QString baseFolder_;
    DailyLog comLog_;
    TComPort comPort_;
    FrameScanner scanner_;
    FrameHandler onFrame_;
    bool linkOpen_ = false;
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
