#include "sim/Frame.h"

#include <optional>

namespace qemra::sim {

namespace {

constexpr char kUpperHex[] = "0123456789ABCDEF";

// Only upper-case digits count: the monitor sends nothing else.
std::optional<int> HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return std::nullopt;
}

std::uint8_t ByteSum(std::string_view text)
{
    std::uint8_t sum = 0;
    for (const char c : text)
        sum = static_cast<std::uint8_t>(sum + static_cast<std::uint8_t>(c));
    return sum;
}

}  // namespace

std::uint8_t FrameChecksum(std::string_view framed) { return static_cast<std::uint8_t>(0x100 - ByteSum(framed)); }

std::string HexDigits(std::uint8_t value) { return {kUpperHex[value >> 4], kUpperHex[value & 0x0F]}; }

std::string BuildFrame(std::string_view payload)
{
    std::string frame;
    frame.reserve(payload.size() + 6);
    frame += '<';
    frame += payload;
    frame += '>';
    frame += HexDigits(FrameChecksum(frame));
    frame += "\r\n";
    return frame;
}

std::vector<std::string> RequestScanner::Feed(std::string_view bytes)
{
    std::vector<std::string> payloads;
    for (const char c : bytes) {
        switch (state_) {
        case State::Idle:
            if (c == '<') {
                payload_.clear();
                state_ = State::Inside;
            }
            break;
        case State::Inside:
            if (c == '<') {
                ++badFrames_;
                payload_.clear();
            } else if (c == '>') {
                state_ = State::FirstDigit;
            } else if (payload_.size() >= kMaxPayload) {
                ++badFrames_;
                state_ = State::Idle;
            } else {
                payload_ += c;
            }
            break;
        case State::FirstDigit:
            firstDigit_ = c;
            state_ = State::SecondDigit;
            break;
        case State::SecondDigit: {
            state_ = State::Idle;
            const auto high = HexValue(firstDigit_);
            const auto low = HexValue(c);
            const std::string framed = '<' + payload_ + '>';
            if (high && low && *high * 16 + *low == FrameChecksum(framed))
                payloads.push_back(payload_);
            else
                ++badFrames_;
            break;
        }
        }
    }
    return payloads;
}

void RequestScanner::Reset()
{
    state_ = State::Idle;
    payload_.clear();
}

}  // namespace qemra::sim
