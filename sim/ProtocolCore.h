#pragma once

#include "sim/Frame.h"
#include "sim/Instrument.h"

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace qemra::sim {

// Line faults a bench can switch on. Shares are probabilities per answer (0 = never, 1 = always).
struct Faults {
    double drop = 0;       // the answer is lost
    int delayMs = 0;       // every answer leaves this much later
    double corrupt = 0;    // the checksum is wrong
    double lowerCase = 0;  // the checksum is written in lower-case hexadecimal
    double stray = 0;      // a few printable bytes arrive just before the "<"
    double noise = 0;      // a few random bytes follow the answer's CR LF
    double split = 0;      // the answer is written in pieces with short gaps
    double wrongEcho = 0;  // a write answer echoes one value changed
    // The line is hung up at the request after this many requests on one line.
    std::optional<int> hangUpAfter;
};

// What the transport writes for one request.
struct Answer {
    std::vector<std::string> pieces;  // written in this order; more than one only when split
    int delayMs = 0;                  // before the first piece
    int gapMs = 0;                    // between pieces
    bool hangUp = false;              // no bytes: the line is to be hung up instead

    std::string Bytes() const;
};

struct Counters {
    std::uint64_t requests = 0;  // good request frames
    std::uint64_t answers = 0;   // answers handed out
    std::uint64_t dropped = 0;   // answers lost on purpose
    std::uint64_t ignored = 0;   // good frames that were not a request
};

// Bytes in, answers out: the instrument's side of the serial protocol. It speaks only to answer
// a read ("RD,") or write ("RW,") request and never sends anything of its own.
class ProtocolCore {
public:
    ProtocolCore(std::uint64_t seed, TimeSource now);

    Instrument& instrument() { return instrument_; }
    const Instrument& instrument() const { return instrument_; }
    Faults& faults() { return faults_; }
    const Faults& faults() const { return faults_; }

    // The answers to the request frames these bytes complete; frames with a bad checksum and
    // bytes outside frames get none.
    std::vector<Answer> Feed(std::string_view bytes);

    // One verified request payload; nothing when it is not a request or the answer is dropped.
    std::optional<Answer> Handle(std::string_view payload);

    // A new line after a hang-up: no half frame carries over and the hang-up count restarts.
    void NewLine();

    const Counters& counters() const { return counters_; }
    std::uint64_t BadFrames() const { return scanner_.BadFrames(); }

private:
    bool Chance(double share);
    std::string AnswerPayload(std::string_view command, std::string_view body);
    Answer Dress(const std::string& payload);

    Instrument instrument_;
    Faults faults_;
    RequestScanner scanner_;
    // Faults draw from their own generator, so switching one on leaves the measured values alone.
    std::mt19937_64 random_;
    Counters counters_;
    int requestsOnLine_ = 0;
};

}  // namespace qemra::sim
