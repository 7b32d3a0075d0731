#pragma once

#include <string>

namespace qemra::sim {

// A pseudo-terminal pair whose device side looks like the instrument's serial port: raw mode,
// 38400 baud, 8 data bits, no parity, one stop bit. The device side stays open here as well, so
// the master neither reports a hang-up nor fails reads while no client has the device open.
class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;
    PseudoTerminal(PseudoTerminal&& other) noexcept;
    PseudoTerminal& operator=(PseudoTerminal&& other) noexcept;

    // False with a reason when the system gives no terminal.
    bool Open(std::string& error);
    // Closing the master hangs the line up for a client that has the device open.
    void Close();

    bool IsOpen() const { return master_ >= 0; }
    int Master() const { return master_; }  // non-blocking
    const std::string& DevicePath() const { return path_; }

private:
    int master_ = -1;
    int device_ = -1;
    std::string path_;
};

}  // namespace qemra::sim
