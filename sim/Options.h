#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace qemra::sim {

struct SimOptions {
    std::uint64_t seed = 1;
    // Seconds the model's clock moves at each read request; 0 follows the real clock. A seeded run
    // then answers the same values however fast or slow it is polled.
    double clockStep = 0.0;
    std::string link;         // symlink to the device, empty for none
    std::string portIni;      // INI file whose ComPortM/Port gets the device, empty for none
    std::string commandPipe;  // named pipe read for commands like standard input, empty for none
    bool quiet = false;       // no traffic lines on standard error
    bool help = false;
    bool version = false;
    // Settings for ApplySetting, by name, in the order given.
    std::vector<std::pair<std::string, std::string>> settings;
};

struct ParsedOptions {
    SimOptions options;
    std::string error;  // empty when the command line was understood
};

// "--name value" and "--name=value" both work.
ParsedOptions ParseOptions(const std::vector<std::string>& arguments);

// Every option, one line each.
std::string OptionsHelp();
// One line: how the program is called, for a command line it refuses.
std::string UsageLine();
// "qemra-sim 1.0.0" and the Qt version it runs with, one line each.
std::string VersionText();

}  // namespace qemra::sim
