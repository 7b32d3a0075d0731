#pragma once

#include <QString>

namespace qemra {

// The unattended recorder: `qemra-monitor --headless [--data-dir DIR]`, the command line read
// already; `dataDir` is empty for the default data folder. Runs the acquisition core under a core
// application (no display), connects and polls at once, reopens the port every 2 s after it
// failed, records and publishes as the window program does, and logs one line per event to
// standard error (see ServiceLog). Under systemd it says READY=1 once the core runs and pings the
// watchdog from the poll tick (see ServiceNotifier). A second recorder on the same data folder
// exits at once with status 1; SIGTERM and SIGINT end it cleanly with status 0. Returns the exit
// status.
int RunHeadless(int argc, char** argv, const QString& dataDir);

}  // namespace qemra
