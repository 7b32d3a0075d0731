#pragma once

#include <QByteArray>
#include <cstdint>
#include <functional>
#include <optional>

namespace qemra {

// "<" payload ">" may be at most this long; a longer one is never sent.
inline constexpr int kMaxFramedLength = 128;

// The receive buffer never holds more than this. A noisy line that never brings a ">" followed by
// two more characters would otherwise grow it for as long as the program runs; past this length,
// well above any frame with its stray bytes, what has gathered is dropped as a bad frame.
inline constexpr int kMaxRxBufLength = 1024;

// The byte that makes the 8-bit sum of `framed` plus itself zero.
std::uint8_t FrameChecksum(const QByteArray& framed);

// Two upper-case hexadecimal digits, high digit first.
QByteArray ChecksumText(std::uint8_t checksum);

// Converts the two received checksum characters: each, as a signed 8-bit code, is code - 55
// above "9" and code - 48 otherwise. Only "0"-"9" and "A"-"F" give their hexadecimal values, so
// a lower-case checksum does not verify.
std::uint8_t HexByte(char high, char low);

// "<" payload ">" followed by its two checksum digits (no CR LF); empty when the framed text
// would exceed kMaxFramedLength.
std::optional<QByteArray> FramePayload(const QByteArray& payload);

// Cuts the received byte stream into frames and verifies them. Pieces may split or join frames
// anywhere; CR and LF are not kept but still count as the characters after ">".
class FrameScanner {
public:
    static constexpr std::int8_t kIdle = -2;
    static constexpr std::int8_t kInside = -1;

    // Called for every checked frame. While it runs RxBuf() holds the frame without its checksum
    // characters (and any stray bytes received before its "<").
    using CheckedHandler = std::function<void(bool good)>;

    FrameScanner();
    void SetOnChecked(CheckedHandler handler) { onChecked_ = std::move(handler); }
    void Feed(const QByteArray& bytes);
    void Feed(char c);
    void Reset();

    const QByteArray& RxBuf() const { return rxBuf_; }
    std::int8_t RxState() const { return rxState_; }

private:
    void CheckFrame();
    void DropOverlongBuffer();
    void KeepRun(const char* bytes, qsizetype n);

    QByteArray rxBuf_;
    std::int8_t rxState_ = kIdle;
    CheckedHandler onChecked_;
};

}  // namespace qemra
