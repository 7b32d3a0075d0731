// PortLamp.cpp: TComLed, the lamps of the port.
#include "windows/link/PortLamp.h"

#include "link/SerialPort.h"

#include <QPainter>

namespace qemra {

TComLed::TComLed(TLedSignal kind, QWidget* parent) : QWidget(parent), kind_(kind)
{
    blinkTimer_.setSingleShot(true);
    blinkTimer_.setInterval(kBlinkMs);
    connect(&blinkTimer_, &QTimer::timeout, this, [this] { SetLit(false); });
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void TComLed::Bind(TComPort& port)
{
    switch (kind_) {
    case TLedSignal::lsConn:
        SetLit(port.Connected());
        connect(&port, &TComPort::OnConnection, this, &TComLed::SetLit);
        break;
    case TLedSignal::lsTx:
        connect(&port, &TComPort::OnTxChar, this, &TComLed::Blink);
        break;
    case TLedSignal::lsRx:
        connect(&port, &TComPort::OnRxChar, this, &TComLed::Blink);
        break;
    }
}

QColor TComLed::LitColor() const
{
    switch (kind_) {
    case TLedSignal::lsConn:
        return QColor(255, 220, 0);
    case TLedSignal::lsTx:
        return QColor(230, 0, 0);
    case TLedSignal::lsRx:
        return QColor(0, 200, 0);
    }
    return {};
}

QSize TComLed::sizeHint() const { return {16, 16}; }

void TComLed::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor on = LitColor();
    painter.setPen(QPen(on.darker(250), 1));
    painter.setBrush(lit_ ? on : on.darker(400));
    const int side = std::min(width(), height()) - 2;
    painter.drawEllipse(QRect((width() - side) / 2, (height() - side) / 2, side, side));
}

void TComLed::SetLit(bool lit)
{
    if (lit_ == lit)
        return;
    lit_ = lit;
    update();
}

void TComLed::Blink()
{
    SetLit(true);
    blinkTimer_.start();
}

}  // namespace qemra
