#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qemra::sim {

// The byte C that makes the 8-bit sum of `framed` ("<" payload ">") plus C come to 0.
std::uint8_t FrameChecksum(std::string_view framed);

// Two upper-case hexadecimal digits, high digit first.
std::string HexDigits(std::uint8_t value);

// "<" payload ">" + checksum + CR LF.
std::string BuildFrame(std::string_view payload);

// Cuts the received byte stream into request frames and keeps the payloads whose checksum
// verifies. Bytes outside frames (CR, LF, line noise) are passed over; a "<" inside a frame
// starts it again, so one lost ">" costs only that frame.
class RequestScanner {
public:
    // The payloads of the good frames completed by these bytes, in order.
    std::vector<std::string> Feed(std::string_view bytes);
    // Forgets a frame in progress, e.g. when the line was hung up.
    void Reset();
    std::uint64_t BadFrames() const { return badFrames_; }

private:
    enum class State { Idle, Inside, FirstDigit, SecondDigit };

    // Longer than any request the monitor can send; beyond it the frame is garbage.
    static constexpr std::size_t kMaxPayload = 1024;

    State state_ = State::Idle;
    std::string payload_;
    char firstDigit_ = 0;
    std::uint64_t badFrames_ = 0;
};

}  // namespace qemra::sim
