#pragma once

#include <csignal>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace qemra {

// Ctrl+C, kill and a closed terminal (SIGINT, SIGTERM, SIGHUP) as events of the event loop: the
// signals are blocked in every thread and read from a descriptor instead, so they are handled
// between two events, in any event loop that runs, a message box's included.
class EndSignals final {
public:
    static sigset_t Set();
    // Blocks the signals in the calling thread and in every thread it starts later; called first
    // thing, before the toolkit starts any thread.
    static void Block();

    // Listens from now on. Without `OnSignal`, a signal ends every event loop that runs and every
    // one started before the main loop, so a start-up message box closes at once.
    EndSignals();
    ~EndSignals();
    EndSignals(const EndSignals&) = delete;
    EndSignals& operator=(const EndSignals&) = delete;

    bool Listening() const { return fd_ >= 0; }
    bool Received() const { return received_; }
    std::function<void()> OnSignal;

private:
    void Read();

    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    bool received_ = false;
};

}  // namespace qemra
