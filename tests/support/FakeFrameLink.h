#pragma once

#include "link/FrameLink.h"

#include <vector>

namespace qemra {

// Stands in for the link window: keeps every payload it is asked to send and delivers answers
// by filling RxBuf and calling the registered handler, as the frame scanner would.
class FakeFrameLink final : public FrameLink {
public:
    bool open = true;
    std::vector<QByteArray> sent;
    std::vector<bool> handlerSetAtSend;  // was a handler registered when each payload was sent
    QByteArray rxBuf;

    bool Connected() const override { return open; }
    void SendFrame(const QByteArray& payload) override
    {
        sent.push_back(payload);
        handlerSetAtSend.push_back(static_cast<bool>(handler_));
    }
    void SetOnFrame(FrameHandler handler) override { handler_ = std::move(handler); }
    const QByteArray& RxBuf() const override { return rxBuf; }

    // Delivers a raw buffer, exactly as it would stand in RxBuf.
    void DeliverRaw(const QByteArray& buffer)
    {
        rxBuf = buffer;
        if (handler_)
            handler_();
    }
    void Deliver(const QByteArray& payload) { DeliverRaw("<" + payload + ">"); }

private:
    FrameHandler handler_;
};

}  // namespace qemra
