#include "app/ServiceNotifier.h"

#include <systemd/sd-daemon.h>

#include <algorithm>

namespace qemra {

ServiceNotifier::ServiceNotifier() : lastPing_(std::chrono::steady_clock::now())
{
    uint64_t usec = 0;
    if (sd_watchdog_enabled(0, &usec) > 0 && usec > 0)
        pingInterval_ = std::chrono::microseconds(usec / 2);
}

void ServiceNotifier::Ready()
{
    if (ready_)
        return;
    ready_ = true;
    sd_notify(0, "READY=1");
}

void ServiceNotifier::Stopping() { sd_notify(0, "STOPPING=1"); }

void ServiceNotifier::Tick()
{
    if (pingInterval_.count() <= 0)
        return;
    const auto now = std::chrono::steady_clock::now();
    const auto early = std::min<std::chrono::microseconds>(kTick, pingInterval_ / 2);
    if (now - lastPing_ < pingInterval_ - early)
        return;
    lastPing_ = now;
    sd_notify(0, "WATCHDOG=1");
}

}  // namespace qemra
