#include "sim/Controls.h"
#include "sim/Options.h"
#include "sim/ProtocolCore.h"
#include "sim/SimRunner.h"

#include <chrono>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

int main(int argc, char** argv)
{
    using namespace qemra::sim;

    const ParsedOptions parsed = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::cerr << "qemra-sim: " << parsed.error << "\n" << UsageLine() << std::endl;
        return 2;
    }
    if (parsed.options.help) {
        std::cout << OptionsHelp() << CommandHelp() << std::endl;
        return 0;
    }
    if (parsed.options.version) {
        std::cout << VersionText() << std::flush;
        return 0;
    }

    TimeSource now;
    if (parsed.options.clockStep > 0.0) {
        // The model asks for the time once per read request.
        now = [step = parsed.options.clockStep, requests = 0LL]() mutable {
            return step * static_cast<double>(requests++);
        };
    } else {
        const auto start = std::chrono::steady_clock::now();
        now = [start] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
    }
    ProtocolCore core(parsed.options.seed, std::move(now));
    for (const auto& [name, value] : parsed.options.settings) {
        if (const auto error = ApplySetting(core, name, value)) {
            std::cerr << "qemra-sim: --" << name << ": " << *error << std::endl;
            return 2;
        }
    }
    return SimRunner(core, parsed.options).Run();
}
