#include "link/FrameCodec.h"

#include <algorithm>
#include <array>

namespace qemra {

namespace {

// Empties the buffer once the checked frame has been reported, even when the handler throws, so
// the next frame starts clean instead of re-checking this one with a byte more.
struct ResetOnExit {
    FrameScanner& scanner;
    ~ResetOnExit() { scanner.Reset(); }
};

}  // namespace

std::uint8_t FrameChecksum(const QByteArray& framed)
{
    std::uint8_t sum = 0;
    for (const char c : framed)
        sum = static_cast<std::uint8_t>(sum + static_cast<std::uint8_t>(c));
    return static_cast<std::uint8_t>(-sum);
}

QByteArray ChecksumText(std::uint8_t checksum)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    QByteArray text(2, '0');
    text[0] = kDigits[checksum >> 4];
    text[1] = kDigits[checksum & 0x0F];
    return text;
}

std::uint8_t HexByte(char high, char low)
{
    const auto digit = [](char c) {
        const int code = static_cast<signed char>(c);
        return code > '9' ? code - 55 : code - 48;
    };
    return static_cast<std::uint8_t>((digit(high) * 16 + digit(low)) & 0xFF);
}

std::optional<QByteArray> FramePayload(const QByteArray& payload)
{
    QByteArray framed = '<' + payload + '>';
    if (framed.size() > kMaxFramedLength)
        return std::nullopt;
    framed += ChecksumText(FrameChecksum(framed));
    return framed;
}

FrameScanner::FrameScanner() { rxBuf_.reserve(kMaxRxBufLength + 1); }

void FrameScanner::Feed(const QByteArray& bytes)
{
    // Before or inside a frame only "<", ">", CR and LF change anything, so the run of other
    // bytes up to the next of them is kept in one step.
    static constexpr auto kSpecial = [] {
        std::array<bool, 256> special{};
        for (const unsigned char c : {'<', '>', '\r', '\n'})
            special[c] = true;
        return special;
    }();
    const char* p = bytes.constData();
    const char* const end = p + bytes.size();
    while (p < end) {
        if (rxState_ < 0) {
            const char* run = p;
            while (p < end && !kSpecial[static_cast<unsigned char>(*p)])
                ++p;
            KeepRun(run, p - run);
            if (p == end)
                break;
        }
        Feed(*p++);
    }
}

void FrameScanner::KeepRun(const char* bytes, qsizetype n)
{
    while (n > 0) {
        if (rxBuf_.size() >= kMaxRxBufLength)
            DropOverlongBuffer();
        const qsizetype take = std::min(n, kMaxRxBufLength - rxBuf_.size());
        rxBuf_.append(bytes, take);
        bytes += take;
        n -= take;
    }
}

void FrameScanner::Feed(char c)
{
    if (c != '\r' && c != '\n') {
        // Dropped before the new character is kept, so a "<" that arrives just then still starts
        // its frame.
        if (rxBuf_.size() >= kMaxRxBufLength)
            DropOverlongBuffer();
        rxBuf_ += c;
    }
    if (c == '<') {
        rxState_ = kInside;
    } else if (c == '>') {
        rxState_ = 0;
    } else if (rxState_ == 0) {
        rxState_ = 1;
    } else if (rxState_ == 1) {
        CheckFrame();
    }
}

void FrameScanner::Reset()
{
    rxBuf_.resize(0);  // keeps its room for the next frame
    rxState_ = kIdle;
}

void FrameScanner::CheckFrame()
{
    const ResetOnExit resetOnExit{*this};

    // A lone ">" followed by CR LF leaves no two characters to take as a checksum, and two
    // characters taken as one leave no frame behind them (">" CR 0xC0 would verify as an empty
    // frame): both are bad frames and the buffer is reported as it stands.
    const qsizetype n = rxBuf_.size();
    if (n <= 2) {
        if (onChecked_)
            onChecked_(false);
        return;
    }
    const std::uint8_t received = HexByte(rxBuf_[n - 2], rxBuf_[n - 1]);
    rxBuf_.chop(2);
    const bool good = received == FrameChecksum(rxBuf_);
    if (onChecked_)
        onChecked_(good);
}

void FrameScanner::DropOverlongBuffer()
{
    const ResetOnExit resetOnExit{*this};
    if (onChecked_)
        onChecked_(false);
}

}  // namespace qemra
