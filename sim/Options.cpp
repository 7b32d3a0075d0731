#include "sim/Options.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string_view>

namespace qemra::sim {

namespace {

// Options that are settings of the running instrument, by the names ApplySetting knows.
constexpr std::array<std::string_view, 12> kSettingOptions = {"wind",  "ambient", "humidity",  "drop",
                                                              "delay", "corrupt", "lowercase", "stray",
                                                              "noise", "split",   "wrongecho", "hangup-after"};

}  // namespace

ParsedOptions ParseOptions(const std::vector<std::string>& arguments)
{
    ParsedOptions parsed;
    SimOptions& options = parsed.options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument.rfind("--", 0) != 0) {
            parsed.error = "unexpected argument \"" + argument + "\"";
            return parsed;
        }
        std::string name = argument.substr(2);
        std::string value;
        bool hasValue = false;
        if (const std::size_t equals = name.find('='); equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
            hasValue = true;
        }

        if (name == "quiet" || name == "help") {
            if (hasValue) {
                parsed.error = "--" + name + " takes no value";
                return parsed;
            }
            (name == "quiet" ? options.quiet : options.help) = true;
            continue;
        }

        const bool known = name == "seed" || name == "clock-step" || name == "link" || name == "port-ini" || name == "command-pipe" ||
                           std::find(kSettingOptions.begin(), kSettingOptions.end(), name) != kSettingOptions.end();
        if (!known) {
            parsed.error = "unknown option \"" + argument + "\"";
            return parsed;
        }
        if (!hasValue) {
            if (i + 1 >= arguments.size()) {
                parsed.error = "--" + name + " wants a value";
                return parsed;
            }
            value = arguments[++i];
        }

        if (name == "seed") {
            const auto result = std::from_chars(value.data(), value.data() + value.size(), options.seed);
            if (value.empty() || result.ec != std::errc() || result.ptr != value.data() + value.size()) {
                parsed.error = "--seed wants a whole number of 0 or more, not \"" + value + "\"";
                return parsed;
            }
        } else if (name == "clock-step") {
            double step = -1.0;
            const auto result = std::from_chars(value.data(), value.data() + value.size(), step);
            if (value.empty() || result.ec != std::errc() || result.ptr != value.data() + value.size() ||
                !std::isfinite(step) || step < 0.0) {
                parsed.error = "--clock-step wants a number of seconds of 0 or more, not \"" + value + "\"";
                return parsed;
            }
            options.clockStep = step;
        } else if (name == "link" || name == "port-ini" || name == "command-pipe") {
            if (value.empty()) {
                parsed.error = "--" + name + " wants a path";
                return parsed;
            }
            (name == "link" ? options.link : name == "port-ini" ? options.portIni : options.commandPipe) = value;
        } else {
            options.settings.emplace_back(name, value);
        }
    }
    return parsed;
}

std::string OptionsHelp()
{
    return "usage: qemra-sim [options]\n"
           "A simulated Qemra-series instrument on a pseudo-terminal (raw, 38400 8N1). Prints the\n"
           "terminal's device path on standard output, answers read and write requests, and reads\n"
           "commands from standard input (\"help\" lists them); everything else goes to standard error.\n"
           "\n"
           "options:\n"
           "  --link PATH         make PATH a symlink to the device (removed on exit)\n"
           "  --port-ini PATH     set Port in section ComPortM of this INI file to the link, or the\n"
           "                      device when there is no link; every other line stays\n"
           "  --command-pipe PATH read commands from this named pipe too (made when missing, and\n"
           "                      then removed on exit), e.g. echo \"wind 5\" > PATH while it runs\n"
           "  --seed N            seed of all randomness: noise and faults (default 1)\n"
           "  --clock-step S      the model's clock moves S seconds at each read request instead\n"
           "                      of with the real clock, so a seeded run repeats exactly\n"
           "  --wind M/S          wind speed (default 0)\n"
           "  --ambient C         ambient temperature (default 24)\n"
           "  --humidity %        relative humidity (default 50)\n"
           "  --drop P            share of answers lost, 0..1 (default 0)\n"
           "  --delay MS          answers leave this many milliseconds late (default 0)\n"
           "  --corrupt P         share of answers with a wrong checksum\n"
           "  --lowercase P       share of answers with a lower-case checksum\n"
           "  --stray P           share of answers with stray bytes before the \"<\"\n"
           "  --noise P           share of answers followed by noise bytes\n"
           "  --split P           share of answers written in pieces with short gaps\n"
           "  --wrongecho P       share of write answers echoing a changed value\n"
           "  --hangup-after N    hang up at the request after N requests on a line, then\n"
           "                      open a new terminal (its path is printed, the link follows)\n"
           "  --quiet             no traffic lines on standard error\n"
           "  --help              this text\n"
           "Options take \"--name value\" or \"--name=value\".\n"
           "\n";
}

}  // namespace qemra::sim
