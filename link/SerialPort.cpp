#include "link/SerialPort.h"

#include "common/IniFile.h"

#include <QMetaObject>
#include <algorithm>
#include <vector>

#include <poll.h>

namespace qemra {

namespace {

const QString kFailedToLoad = QStringLiteral("Failed to load settings");
const QString kFailedToStore = QStringLiteral("Failed to store settings");

int MatchText(const QStringList& texts, const QString& value)
{
    for (int i = 0; i < texts.size(); ++i) {
        if (texts[i].compare(value, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

template <typename Enum>
QString TextOf(const QStringList& texts, Enum value)
{
    return texts[static_cast<int>(value)];
}

// The value from the file (the current setting when missing), matched without regard to case;
// a text that matches nothing gives `fallback`.
template <typename Enum>
Enum ReadChoice(const IniDocument& ini, const QString& section, const QString& key, const QStringList& texts,
                Enum current, Enum fallback)
{
    const int index = MatchText(texts, ini.Value(section, key).value_or(TextOf(texts, current)));
    return index < 0 ? fallback : static_cast<Enum>(index);
}

}  // namespace

const QStringList& BaudRateTexts()
{
    static const QStringList texts{"Custom", "110",   "300",   "600",   "1200",  "2400",   "4800",   "9600",
                                   "14400",  "19200", "38400", "56000", "57600", "115200", "128000", "256000"};
    return texts;
}

const QStringList& DataBitsTexts()
{
    static const QStringList texts{"5", "6", "7", "8"};
    return texts;
}

const QStringList& StopBitsTexts()
{
    static const QStringList texts{"1", "1.5", "2"};
    return texts;
}

const QStringList& ParityTexts()
{
    static const QStringList texts{"None", "Odd", "Even", "Mark", "Space"};
    return texts;
}

const QStringList& FlowControlTexts()
{
    static const QStringList texts{"Hardware", "Software", "None", "Custom"};
    return texts;
}

TComPort::TComPort(QObject* parent) : QObject(parent)
{
    setObjectName(QStringLiteral("ComPortM"));
    connect(&serial_, &QSerialPort::readyRead, this, &TComPort::ReadyRead);
    connect(&serial_, &QSerialPort::errorOccurred, this,
            [this](QSerialPort::SerialPortError error) { HandleError(error, generation_); });
}

TComPort::~TComPort()
{
    if (serial_.isOpen())
        serial_.close();
}

void TComPort::SetPort(const QString& name)
{
    if (name == port_)
        return;
    if (!serial_.isOpen()) {
        port_ = name;
        return;
    }
    Close();
    port_ = name;
    Open();
}

void TComPort::SetBaudRate(TBaudRate rate)
{
    baudRate_ = rate;
    ApplySettings();
}

void TComPort::SetCustomBaudRate(int rate)
{
    customBaudRate_ = rate;
    ApplySettings();
}

void TComPort::SetDataBits(TDataBits bits)
{
    dataBits_ = bits;
    ApplySettings();
}

void TComPort::SetStopBits(TStopBits bits)
{
    stopBits_ = bits;
    ApplySettings();
}

void TComPort::SetParity(TParityBits parity)
{
    parity_ = parity;
    ApplySettings();
}

TFlowControl TComPort::FlowControl() const
{
    const bool xon = flow_.XonXoffIn || flow_.XonXoffOut;
    if (flow_.ControlRTS == TRTSFlowControl::rtsHandshake && flow_.OutCTSFlow && !xon)
        return TFlowControl::fcHardware;
    if (flow_.ControlRTS == TRTSFlowControl::rtsDisable && !flow_.OutCTSFlow && flow_.XonXoffIn && flow_.XonXoffOut)
        return TFlowControl::fcSoftware;
    if (flow_.ControlRTS == TRTSFlowControl::rtsDisable && !flow_.OutCTSFlow && !xon)
        return TFlowControl::fcNone;
    return TFlowControl::fcCustom;
}

void TComPort::SetFlowControl(TFlowControl flow)
{
    switch (flow) {
    case TFlowControl::fcHardware:
        flow_.ControlRTS = TRTSFlowControl::rtsHandshake;
        flow_.OutCTSFlow = true;
        flow_.XonXoffIn = flow_.XonXoffOut = false;
        break;
    case TFlowControl::fcSoftware:
        flow_.ControlRTS = TRTSFlowControl::rtsDisable;
        flow_.OutCTSFlow = false;
        flow_.XonXoffIn = flow_.XonXoffOut = true;
        break;
    case TFlowControl::fcNone:
        flow_.ControlRTS = TRTSFlowControl::rtsDisable;
        flow_.OutCTSFlow = false;
        flow_.XonXoffIn = flow_.XonXoffOut = false;
        break;
    case TFlowControl::fcCustom:
        return;
    }
    ApplySettings();
    ApplyControlLines();
}

void TComPort::SetFlowSwitches(const TComFlowSwitches& switches)
{
    flow_ = switches;
    ApplySettings();
    ApplyControlLines();
}

int TComPort::EffectiveBaudRate() const
{
    if (baudRate_ == TBaudRate::brCustom)
        return customBaudRate_;
    return TextOf(BaudRateTexts(), baudRate_).toInt();
}

void TComPort::ApplySettings()
{
    // Stored in QSerialPort even while closed; applied to the device on open or at once.
    serial_.setBaudRate(EffectiveBaudRate());
    serial_.setDataBits(static_cast<QSerialPort::DataBits>(static_cast<int>(dataBits_) + 5));
    // POSIX termios knows only one or two stop bits: "1.5" stays the stored setting, but the
    // line runs with one stop bit.
    serial_.setStopBits(stopBits_ == TStopBits::sbTwoStopBits ? QSerialPort::TwoStop : QSerialPort::OneStop);
    static constexpr QSerialPort::Parity kParity[] = {QSerialPort::NoParity, QSerialPort::OddParity,
                                                      QSerialPort::EvenParity, QSerialPort::MarkParity,
                                                      QSerialPort::SpaceParity};
    serial_.setParity(kParity[static_cast<int>(parity_)]);
    // QSerialPort has three flow modes; a custom combination gets the nearest one.
    QSerialPort::FlowControl flow = QSerialPort::NoFlowControl;
    if (flow_.OutCTSFlow || flow_.ControlRTS == TRTSFlowControl::rtsHandshake)
        flow = QSerialPort::HardwareControl;
    else if (flow_.XonXoffIn || flow_.XonXoffOut)
        flow = QSerialPort::SoftwareControl;
    serial_.setFlowControl(flow);
}

void TComPort::ApplyControlLines()
{
    if (!serial_.isOpen())
        return;
    // A pseudo-terminal has no modem lines: QSerialPort reports UnsupportedOperationError, which
    // is harmless and must not count against the open link.
    if (flow_.ControlDTR != TDTRFlowControl::dtrHandshake)
        serial_.setDataTerminalReady(flow_.ControlDTR == TDTRFlowControl::dtrEnable);
    if (flow_.ControlRTS == TRTSFlowControl::rtsDisable || flow_.ControlRTS == TRTSFlowControl::rtsEnable)
        serial_.setRequestToSend(flow_.ControlRTS == TRTSFlowControl::rtsEnable);
    serial_.clearError();
}

bool TComPort::Open()
{
    if (serial_.isOpen())
        return true;
    errorText_.clear();
    // A name starting with "/" is taken as the device path as it stands (ptys and symlinks are
    // never listed by QSerialPortInfo); a bare name is looked up under /dev.
    serial_.setPortName(port_);
    ApplySettings();
    serial_.setReadBufferSize(kInputBufferSize);
    if (!serial_.open(QIODevice::ReadWrite)) {
        errorText_ = serial_.errorString();
        serial_.clearError();
        return false;
    }
    ++generation_;
    rxPending_.clear();
    ApplyControlLines();
    emit OnConnection(true);
    return true;
}

void TComPort::Close()
{
    if (!serial_.isOpen())
        return;
    serial_.clear();
    serial_.close();
    serial_.clearError();
    rxPending_.clear();
    emit OnConnection(false);
}

bool TComPort::Connected() const { return serial_.isOpen(); }

bool TComPort::WriteStr(const QByteArray& text)
{
    if (!serial_.isOpen()) {
        errorText_ = QStringLiteral("Port not open");
        return false;
    }
    serial_.clearError();
    const qint64 written = serial_.write(text);
    if (written != text.size()) {
        errorText_ = serial_.errorString();
        return false;
    }
    // Hand the bytes to the driver now rather than on a later turn of the event loop.
    serial_.flush();
    const QSerialPort::SerialPortError error = serial_.error();
    if (error == QSerialPort::WriteError || error == QSerialPort::ResourceError) {
        errorText_ = serial_.errorString();
        return false;
    }
    emit OnTxChar(static_cast<int>(written));
    return true;
}

int TComPort::ReadStr(QByteArray& text, int count)
{
    const int taken = std::clamp(count, 0, InputCount());
    text = rxPending_.left(taken);
    rxPending_.remove(0, taken);
    return taken;
}

void TComPort::ReadyRead()
{
    QByteArray bytes = serial_.readAll();
    if (discardNull_)
        bytes.removeIf([](char c) { return c == '\0'; });
    rxPending_ += bytes;
    if (!rxPending_.isEmpty())
        emit OnRxChar(InputCount());
}

namespace {

// A hung-up terminal (pty master closed, USB adapter pulled) reads as end of file: read() gives 0,
// which QSerialPort reports as ReadError over and over, never as ResourceError. poll() tells it
// apart from a passing read fault by POLLHUP/POLLERR.
bool HungUp(const QSerialPort& serial)
{
    pollfd watched{static_cast<int>(serial.handle()), POLLIN, 0};
    return ::poll(&watched, 1, 0) > 0 && (watched.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

}  // namespace

void TComPort::HandleError(QSerialPort::SerialPortError error, quint64 generation)
{
    // Only a vanished device ends the link; UnsupportedOperationError (modem lines on a pty),
    // timeouts and the like leave it open.
    const bool lost =
        error == QSerialPort::ResourceError || (error == QSerialPort::ReadError && serial_.isOpen() && HungUp(serial_));
    if (!lost)
        return;
    // The error is raised inside QSerialPort's own notifier: close on the next turn of the loop.
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
            if (generation != generation_ || !serial_.isOpen())
                return;
            Close();
            emit OnLinkLost();
        },
        Qt::QueuedConnection);
}

bool TComPort::StoreSettings(const QString& path)
{
    // One replace for all keys: a crash leaves the old settings or the new, never half of each.
    const QString section = objectName();
    std::vector<IniEntry> entries{{section, "Port", port_}, {section, "BaudRate", TextOf(BaudRateTexts(), baudRate_)}};
    if (baudRate_ == TBaudRate::brCustom)
        entries.push_back({section, "CustomBaudRate", QString::number(customBaudRate_)});
    entries.push_back({section, "StopBits", TextOf(StopBitsTexts(), stopBits_)});
    entries.push_back({section, "DataBits", TextOf(DataBitsTexts(), dataBits_)});
    entries.push_back({section, "Parity", TextOf(ParityTexts(), parity_)});
    entries.push_back({section, "FlowControl", TextOf(FlowControlTexts(), FlowControl())});
    // Written once it is switched on, so a file of the specified program keeps its keys.
    if (autoReconnect_ || autoReconnectStored_)
        entries.push_back({section, "AutoReconnect", autoReconnect_ ? QStringLiteral("1") : QStringLiteral("0")});
    if (IniFile(path).WriteStrings(entries)) {
        autoReconnectStored_ = autoReconnectStored_ || autoReconnect_;
        return true;
    }
    errorText_ = kFailedToStore;
    return false;
}

bool TComPort::LoadSettings(const QString& path)
{
    // A missing file leaves every setting as it is; one that exists but cannot be read is an error.
    IniDocument ini;
    const IniRead read = IniFile(path).Read(ini);
    if (read != IniRead::Read && read != IniRead::Missing) {
        errorText_ = kFailedToLoad;
        return false;
    }
    const QString section = objectName();
    SetPort(ini.Value(section, "Port").value_or(port_));
    SetBaudRate(ReadChoice(ini, section, "BaudRate", BaudRateTexts(), baudRate_, TBaudRate::br9600));
    if (baudRate_ == TBaudRate::brCustom) {
        bool ok = false;
        const int custom = ini.Value(section, "CustomBaudRate").value_or(QString()).toInt(&ok, 10);
        SetCustomBaudRate(ok ? custom : 9600);
    }
    SetStopBits(ReadChoice(ini, section, "StopBits", StopBitsTexts(), stopBits_, TStopBits::sbOneStopBit));
    SetDataBits(ReadChoice(ini, section, "DataBits", DataBitsTexts(), dataBits_, TDataBits::dbEight));
    SetParity(ReadChoice(ini, section, "Parity", ParityTexts(), parity_, TParityBits::prNone));
    SetFlowControl(ReadChoice(ini, section, "FlowControl", FlowControlTexts(), FlowControl(), TFlowControl::fcCustom));
    if (const std::optional<QString> reconnect = ini.Value(section, "AutoReconnect")) {
        autoReconnectStored_ = true;
        autoReconnect_ = reconnect->trimmed() == QStringLiteral("1");
    }
    return true;
}

}  // namespace qemra
