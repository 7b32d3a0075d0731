#pragma once

#include "common/DailyLog.h"
#include "link/SerialPort.h"
#include "link/FrameCodec.h"
#include "link/FrameLink.h"

#include <QByteArray>
#include <QObject>
#include <QString>

namespace qemra {

class Clock;

// The link to the instrument: the serial port ComPortM, the frame scanner, the settings file
// "Port<n>.ini" and the daily communication log "yymmddQemraCom.log". It runs without any window;
// the communication control window shows its traffic through the signals and sets its log flags.
class SerialLink : public QObject, public FrameLink {
    Q_OBJECT
public:
    // `openPortName` is the open port name of the program status record; it is set by OpenLink
    // and emptied by CloseLink.
    SerialLink(QString& openPortName, const Clock& clock, QString baseFolder);
    ~SerialLink() override;

    // Every frame is logged while set (a calibration write); otherwise as the two flags say.
    bool ForceLog = false;
    bool SendLog = false;     // the window's "送信ログ"
    bool ReceiveLog = false;  // the window's "受信ログ"
    int WindowNumber = 0;

    TComPort& ComPortM() { return comPort_; }
    const TComPort& ComPortM() const { return comPort_; }
    bool LinkOpen() const { return linkOpen_; }

    bool OpenLink();
    bool CloseLink();
    QString PortSettingsPath() const;
    // False with the port's ErrorText() when the file could not be loaded or stored.
    bool LoadPortSettings();
    bool SavePortSettings();

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

signals:
    // A logged frame, as the memos show it.
    void FrameSent(const QString& text);
    void FrameReceived(const QString& text);
    // A frame whose checksum failed, while receive logging is on.
    void BadFrame(const QString& text);
    // The port failed under an open link (hang-up, unplugged, a write that failed) and was closed.
    void Lost();

private:
    void FrameChecked(bool good);

    QString& openPortName_;
    QString baseFolder_;
    DailyLog comLog_;
    TComPort comPort_;
    FrameScanner scanner_;
    FrameHandler onFrame_;
    bool linkOpen_ = false;
};

}  // namespace qemra
