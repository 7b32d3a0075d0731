// PortSetupDialog.h: TComSetupFrm, the port setup dialog.
#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;

namespace qemra {

class TComPort;

// The modal port setup dialog: six lists that open at the port's current settings. The port list
// offers the serial ports QSerialPortInfo finds and accepts a typed device path (a pty or a
// symlink to one). Nothing reaches the port until "OK"; "Cancel" changes nothing.
class TComSetupFrm : public QDialog {
    Q_OBJECT
public:
    explicit TComSetupFrm(TComPort& port, QWidget* parent = nullptr);

    // Writes the chosen values to the port.
    void ApplyToPort();
    // "OK": apply, then close.
    void accept() override;

    QComboBox* CBPort() const { return port_; }
    QComboBox* CBBaudRate() const { return baudRate_; }
    QComboBox* CBDataBits() const { return dataBits_; }
    QComboBox* CBStopBits() const { return stopBits_; }
    QComboBox* CBParity() const { return parity_; }
    QComboBox* CBFlowControl() const { return flowControl_; }
    QCheckBox* CBAutoReconnect() const { return autoReconnect_; }

private:
    TComPort& comPort_;
    QComboBox* port_;
    QComboBox* baudRate_;
    QComboBox* dataBits_;
    QComboBox* stopBits_;
    QComboBox* parity_;
    QComboBox* flowControl_;
    QCheckBox* autoReconnect_;
};

}  // namespace qemra
