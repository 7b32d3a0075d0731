#pragma once

#include <fstream>
#include <string>

namespace qemra::bench {

// A line of /proc/self/status in kB, as MB; -1 when not there.
inline double StatusMegabytes(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0)
            return std::stod(line.substr(std::string(key).size())) / 1024.0;
    return -1;
}

// Resets the peak resident size to the present one, so a peak read later is what ran since.
inline bool ResetPeakMemory()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return clear.good();
}

}  // namespace qemra::bench
