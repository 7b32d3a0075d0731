#pragma once

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QStringList>

namespace qemra {

enum class TBaudRate {
    brCustom,
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200,
    br128000,
    br256000
};
enum class TDataBits { dbFive, dbSix, dbSeven, dbEight };
enum class TStopBits { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };
enum class TParityBits { prNone, prOdd, prEven, prMark, prSpace };
enum class TFlowControl { fcHardware, fcSoftware, fcNone, fcCustom };
enum class TRTSFlowControl { rtsDisable, rtsEnable, rtsHandshake, rtsToggle };
enum class TDTRFlowControl { dtrDisable, dtrEnable, dtrHandshake };

// The individual flow-control switches; the FlowControl setting is derived from them.
struct TComFlowSwitches {
    bool OutCTSFlow = false;
    bool OutDSRFlow = false;
    TRTSFlowControl ControlRTS = TRTSFlowControl::rtsDisable;
    TDTRFlowControl ControlDTR = TDTRFlowControl::dtrDisable;
    bool XonXoffIn = false;
    bool XonXoffOut = false;
};

// The value texts as the settings file and the setup dialog show them, in enum order.
const QStringList& BaudRateTexts();
const QStringList& DataBitsTexts();
const QStringList& StopBitsTexts();
const QStringList& ParityTexts();
const QStringList& FlowControlTexts();

// The serial port object: settings with their start values, open/close, byte-exact writes and
// reads, a receive event on the user-interface thread, and the settings file (section named after
// the object, "ComPortM"). Port names are device paths ("/dev/ttyUSB0", "/dev/pts/3", a symlink);
// a bare name such as "COM7" is looked up under /dev and simply fails to open on Linux.
class TComPort : public QObject {
    Q_OBJECT
public:
    static constexpr int kInputBufferSize = 2048;

    explicit TComPort(QObject* parent = nullptr);
    ~TComPort() override;

    // Settings. Changing one while the port is open applies it at once; a new port name closes
    // the old port and opens the new one.
    QString Port() const { return port_; }
    void SetPort(const QString& name);
    TBaudRate BaudRate() const { return baudRate_; }
    void SetBaudRate(TBaudRate rate);
    int CustomBaudRate() const { return customBaudRate_; }
    void SetCustomBaudRate(int rate);
    TDataBits DataBits() const { return dataBits_; }
    void SetDataBits(TDataBits bits);
    TStopBits StopBits() const { return stopBits_; }
    void SetStopBits(TStopBits bits);
    TParityBits Parity() const { return parity_; }
    void SetParity(TParityBits parity);
    TFlowControl FlowControl() const;
    // fcCustom leaves the switches as they are.
    void SetFlowControl(TFlowControl flow);
    const TComFlowSwitches& FlowSwitches() const { return flow_; }
    void SetFlowSwitches(const TComFlowSwitches& switches);
    bool DiscardNull() const { return discardNull_; }
    void SetDiscardNull(bool discard) { discardNull_ = discard; }
    // The line speed the settings select (the custom rate when BaudRate is brCustom).
    int EffectiveBaudRate() const;

    // True when the port is open afterwards (also when it already was). On failure the reason is
    // in ErrorText() and the port stays closed.
    bool Open();
    // Discards bytes not yet read or sent. Nothing happens on a closed port.
    void Close();
    bool Connected() const;

    // Hands every byte to the driver in order; false when the port is closed or writing failed.
    bool WriteStr(const QByteArray& text);
    // Moves up to `count` waiting bytes into `text` (replacing its contents); returns how many.
    int ReadStr(QByteArray& text, int count);
    int InputCount() const { return static_cast<int>(rxPending_.size()); }

    // The settings file. False with ErrorText() "Failed to store settings" / "Failed to load
    // settings" when the file cannot be written or read.
    bool StoreSettings(const QString& path);
    // Reopen the port by itself after it failed or was unplugged ("AutoReconnect=1"); off unless
    // the settings file says so.
    bool AutoReconnect() const { return autoReconnect_; }
    void SetAutoReconnect(bool on) { autoReconnect_ = on; }
    bool LoadSettings(const QString& path);

    QString ErrorText() const { return errorText_; }

signals:
    // Bytes have arrived (NULs already dropped when DiscardNull is set); count >= 1.
    void OnRxChar(int count);
    // Bytes were handed to the driver.
    void OnTxChar(int count);
    // The port opened or closed.
    void OnConnection(bool open);
    // The device went away under an open port (hang-up, unplugged); the port has been closed.
    void OnLinkLost();

private:
    void ApplySettings();
    void ApplyControlLines();
    void ReadyRead();
    void HandleError(QSerialPort::SerialPortError error, quint64 generation);

    QSerialPort serial_;
    QString port_ = QStringLiteral("COM7");
    TBaudRate baudRate_ = TBaudRate::br38400;
    int customBaudRate_ = 9600;
    TDataBits dataBits_ = TDataBits::dbEight;
    TStopBits stopBits_ = TStopBits::sbOneStopBit;
    TParityBits parity_ = TParityBits::prNone;
    TComFlowSwitches flow_;
    bool discardNull_ = true;
    QByteArray rxPending_;
    QString errorText_;
    bool autoReconnect_ = false;
    // The settings file holds the key, so switching it off must be stored too.
    bool autoReconnectStored_ = false;
    // Counts openings, so an error queued for an earlier opening cannot close a later one.
    quint64 generation_ = 0;
};

}  // namespace qemra
