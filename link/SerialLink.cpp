#include "link/SerialLink.h"

#include "common/AppFolder.h"

#include <optional>

namespace qemra {

namespace {

const QString kSendPrefix = QStringLiteral("Snd->>: ");
const QString kReceivePrefix = QStringLiteral("<<-Rcv: ");

// Frames are 8-bit text: each byte shows as the character with the same code.
QString ByteText(const QByteArray& bytes) { return QString::fromLatin1(bytes); }

}  // namespace

SerialLink::SerialLink(QString& openPortName, const Clock& clock, QString baseFolder)
    : openPortName_(openPortName), baseFolder_(std::move(baseFolder)),
      comLog_(baseFolder_, QStringLiteral("QemraCom.log"), clock)
{
    scanner_.SetOnChecked([this](bool good) { FrameChecked(good); });
    connect(&comPort_, &TComPort::OnRxChar, this, &SerialLink::ComPortMRxChar);
    // A vanished device (hang-up, unplugged) is a closed link for everyone who asks.
    connect(&comPort_, &TComPort::OnLinkLost, this, [this] {
        CloseLink();
        emit Lost();
    });
}

SerialLink::~SerialLink() { CloseLink(); }

bool SerialLink::OpenLink()
{
    if (!comPort_.Open())
        return false;
    linkOpen_ = true;
    openPortName_ = comPort_.Port();
    return true;
}

bool SerialLink::CloseLink()
{
    linkOpen_ = false;
    comPort_.Close();
    openPortName_.clear();
    return true;
}

QString SerialLink::PortSettingsPath() const
{
    return WithTrailingSlash(baseFolder_) + "Port" + QString::number(WindowNumber) + ".ini";
}

bool SerialLink::LoadPortSettings() { return comPort_.LoadSettings(PortSettingsPath()); }

bool SerialLink::SavePortSettings() { return comPort_.StoreSettings(PortSettingsPath()); }

bool SerialLink::Connected() const { return comPort_.Connected(); }

void SerialLink::SendFrame(const QByteArray& payload)
{
    const std::optional<QByteArray> framed = FramePayload(payload);
    if (!framed)
        return;
    if (ForceLog || SendLog)
        LogSend(*framed);
    if (linkOpen_ && !comPort_.WriteStr(*framed + "\r\n")) {
        CloseLink();
        emit Lost();
    }
}

void SerialLink::ComPortMRxChar(int count)
{
    QByteArray piece;
    comPort_.ReadStr(piece, count);
    ReceivePiece(piece);
}

void SerialLink::ReceivePiece(const QByteArray& piece)
{
    // Whatever goes wrong while a piece is handled ends that piece; the link goes on.
    try {
        scanner_.Feed(piece);
    } catch (...) {
    }
}

void SerialLink::FrameChecked(bool good)
{
    if (!good) {
        if (ReceiveLog)
            emit BadFrame(ByteText(scanner_.RxBuf()));
        return;
    }
    if (ForceLog || ReceiveLog)
        LogReceive(scanner_.RxBuf());
    if (onFrame_)
        onFrame_();
}

void SerialLink::LogSend(const QByteArray& text)
{
    emit FrameSent(ByteText(text));
    WriteComLog(kSendPrefix + ByteText(text));
}

void SerialLink::LogReceive(const QByteArray& text)
{
    emit FrameReceived(ByteText(text));
    WriteComLog(kReceivePrefix + ByteText(text));
}

void SerialLink::WriteComLog(const QString& text) { comLog_.Write(text); }

}  // namespace qemra
