#pragma once

#include <string>

namespace qemra::sim {

// Sets Port in section ComPortM of the monitor's port settings file, keeping every other line;
// creates the file when missing. False when the file cannot be written.
bool WritePortSetting(const std::string& iniPath, const std::string& port);

}  // namespace qemra::sim
