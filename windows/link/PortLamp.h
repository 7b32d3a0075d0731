// PortLamp.h: TComLed, the lamps of the port.
#pragma once

#include <QColor>
#include <QTimer>
#include <QWidget>

namespace qemra {

class TComPort;

enum class TLedSignal { lsConn, lsTx, lsRx };

// A small round lamp bound to a port: lsConn (yellow) is lit while the port is open, lsTx (red)
// and lsRx (green) light up for kBlinkMs whenever bytes are sent or received.
class TComLed : public QWidget {
    Q_OBJECT
public:
    static constexpr int kBlinkMs = 120;

    explicit TComLed(TLedSignal kind, QWidget* parent = nullptr);

    void Bind(TComPort& port);
    TLedSignal Kind() const { return kind_; }
    bool Lit() const { return lit_; }
    QColor LitColor() const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void SetLit(bool lit);
    void Blink();

    TLedSignal kind_;
    bool lit_ = false;
    QTimer blinkTimer_;
};

}  // namespace qemra
