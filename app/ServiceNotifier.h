#pragma once

#include <chrono>

namespace qemra {

// Tells the service manager that the recorder is up and, from its 200 ms tick, that it is still
// alive: a recorder whose event loop is stuck stops the pings, and systemd restarts it. Does
// nothing when the program was not started by systemd (no NOTIFY_SOCKET).
class ServiceNotifier {
public:
    static constexpr std::chrono::milliseconds kTick{200};

    // Reads the watchdog interval systemd asks for (WATCHDOG_USEC), if any.
    ServiceNotifier();

    // "READY=1", the first time only.
    void Ready();
    // "STOPPING=1", at a clean end.
    void Stopping();
    // Each tick: "WATCHDOG=1" once half the interval has passed since the last ping, less a tick,
    // so that the pings keep to half the interval with a tick's lateness.
    void Tick();

    // Zero without a watchdog.
    std::chrono::microseconds PingInterval() const { return pingInterval_; }

private:
    std::chrono::microseconds pingInterval_{0};
    std::chrono::steady_clock::time_point lastPing_;
    bool ready_ = false;
};

}  // namespace qemra
