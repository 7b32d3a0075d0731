#pragma once

namespace qemra {

// True when the command line asks for the unattended recorder ("--headless").
bool WantsHeadless(int argc, char** argv);

// The unattended recorder: `qemra-monitor --headless [--data-dir DIR]`. Runs the acquisition core
// under a core application (no display), connects and polls at once, reopens the port every 2 s
// after it failed, records and publishes as the window program does, and logs one line per event
// to standard error. A second recorder on the same data folder exits at once with status 1;
// SIGTERM and SIGINT end it cleanly with status 0. Returns the exit status.
int RunHeadless(int argc, char** argv);

}  // namespace qemra
