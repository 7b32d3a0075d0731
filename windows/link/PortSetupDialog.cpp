// PortSetupDialog.cpp: TComSetupFrm, the port setup dialog.
#include "windows/link/PortSetupDialog.h"

#include "link/SerialPort.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QSerialPortInfo>
#include <QVBoxLayout>

namespace qemra {

namespace {

QComboBox* MakeList(QWidget* parent, const char* name, const QStringList& texts, int current)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->addItems(texts);
    combo->setCurrentIndex(current);
    return combo;
}

}  // namespace

TComSetupFrm::TComSetupFrm(TComPort& port, QWidget* parent) : QDialog(parent), comPort_(port)
{
    setObjectName("ComSetupFrm");
    setWindowTitle("Setup");
    setModal(true);

    auto* group = new QGroupBox(" Settings ", this);
    group->setObjectName("GBSettings");

    QStringList ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        ports << info.systemLocation();
    port_ = new QComboBox(group);
    port_->setObjectName("CBPort");
    port_->setEditable(true);
    port_->setInsertPolicy(QComboBox::NoInsert);
    port_->addItems(ports);
    port_->setCurrentText(port.Port());

    baudRate_ = MakeList(group, "CBBaudRate", BaudRateTexts(), static_cast<int>(port.BaudRate()));
    dataBits_ = MakeList(group, "CBDataBits", DataBitsTexts(), static_cast<int>(port.DataBits()));
    stopBits_ = MakeList(group, "CBStopBits", StopBitsTexts(), static_cast<int>(port.StopBits()));
    parity_ = MakeList(group, "CBParity", ParityTexts(), static_cast<int>(port.Parity()));
    flowControl_ = MakeList(group, "CBFlowControl", FlowControlTexts(), static_cast<int>(port.FlowControl()));

    auto* form = new QFormLayout(group);
    form->addRow("Port", port_);
    form->addRow("Baud rate", baudRate_);
    form->addRow("Data bits", dataBits_);
    form->addRow("Stop bits", stopBits_);
    form->addRow("Parity", parity_);
    form->addRow("Flow control", flowControl_);
    // Off by default: the port then stays closed after a failure until the user connects again.
    autoReconnect_ = new QCheckBox(tr("自動再接続"), group);
    autoReconnect_->setObjectName("CBAutoReconnect");
    autoReconnect_->setChecked(port.AutoReconnect());
    form->addRow(QString(), autoReconnect_);

    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("BBOK");
    ok->setDefault(true);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("BBCancel");
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);

    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TComSetupFrm::accept()
{
    ApplyToPort();
    QDialog::accept();
}

void TComSetupFrm::ApplyToPort()
{
    comPort_.SetBaudRate(static_cast<TBaudRate>(baudRate_->currentIndex()));
    comPort_.SetDataBits(static_cast<TDataBits>(dataBits_->currentIndex()));
    comPort_.SetStopBits(static_cast<TStopBits>(stopBits_->currentIndex()));
    comPort_.SetParity(static_cast<TParityBits>(parity_->currentIndex()));
    comPort_.SetFlowControl(static_cast<TFlowControl>(flowControl_->currentIndex()));
    comPort_.SetAutoReconnect(autoReconnect_->isChecked());
    comPort_.SetPort(port_->currentText().trimmed());
}

}  // namespace qemra
