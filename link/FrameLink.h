#pragma once

#include <QByteArray>
#include <functional>

namespace qemra {

// What the poll cycle and the writers need of the link: the communication control window
// implements it; tests may drive the poll cycle through their own.
class FrameLink {
public:
    using FrameHandler = std::function<void()>;

    virtual ~FrameLink() = default;
    // True while the serial port is open.
    virtual bool Connected() const = 0;
    // Frames the payload ("<" payload ">" checksum CR LF) and writes it while the link is open.
    virtual void SendFrame(const QByteArray& payload) = 0;
    // Called for every good frame; it stays until replaced.
    virtual void SetOnFrame(FrameHandler handler) = 0;
    // Inside the handler: everything received for the frame except its checksum.
    virtual const QByteArray& RxBuf() const = 0;
};

}  // namespace qemra
