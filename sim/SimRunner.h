#pragma once

#include "sim/CommandLines.h"
#include "sim/CommandPipe.h"
#include "sim/DeviceLink.h"
#include "sim/Options.h"
#include "sim/ProtocolCore.h"
#include "sim/PseudoTerminal.h"

#include <chrono>
#include <deque>
#include <memory>
#include <string>
#include <string_view>

namespace qemra::sim {

// The running program: one pseudo-terminal line driven by poll() together with standard input
// and the termination signals, with a queue that lets delayed and split answers leave on time.
class SimRunner {
public:
    SimRunner(ProtocolCore& core, SimOptions options);

    // Runs until "quit", SIGINT, SIGTERM or SIGHUP; returns the exit status. The device path is
    // the first line on standard output, and every new path after a hang-up follows on its own
    // line; everything else goes to standard error. At the end of standard input it keeps
    // running until it is told to stop by a signal.
    int Run();

private:
    using Clock = std::chrono::steady_clock;

    struct Pending {
        Clock::time_point due;
        std::string bytes;
        bool hangUp = false;
    };

    bool OpenLine(std::string& error);
    void Announce();
    void HangUp();
    void ReadRequests();
    void ReadCommands();
    void ReadPipeCommands();
    void RunCommands(CommandLines& lines, std::string_view bytes);
    void Queue(const Answer& answer);
    void WriteDue();
    int MillisecondsToNext() const;
    void Say(const std::string& text) const;
    void Trace(std::string_view direction, std::string_view bytes) const;

    ProtocolCore& core_;
    SimOptions options_;
    PseudoTerminal line_;
    std::unique_ptr<DeviceLink> link_;
    std::unique_ptr<CommandPipe> pipe_;
    CommandLines pipeLines_;
    std::deque<Pending> pending_;
    CommandLines commandLines_;
    bool commandsOpen_ = true;
    bool writeBlocked_ = false;
    bool quit_ = false;
    int status_ = 0;
};

}  // namespace qemra::sim
