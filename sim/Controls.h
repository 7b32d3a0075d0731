#pragma once

#include "sim/ProtocolCore.h"

#include <optional>
#include <string>
#include <string_view>

namespace qemra::sim {

// The settings a bench turns while the instrument runs, by the names the command line and the
// typed commands share: wind, ambient, humidity, drop, delay, corrupt, lowercase, stray, noise,
// split, wrongecho, hangup-after. Returns an error text, or nothing when the setting was taken.
std::optional<std::string> ApplySetting(ProtocolCore& core, std::string_view name, std::string_view value);

struct CommandReply {
    enum class Action { None, HangUp, Quit };
    Action action = Action::None;
    std::string message;  // to show the user; may span several lines
};

// One line typed on standard input while running: a setting ("wind 1.5"), "held" with keys, or
// "hangup", "status", "help", "quit". Blank lines do nothing.
CommandReply RunCommand(ProtocolCore& core, std::string_view line);

std::string StatusText(const ProtocolCore& core);
// "KEY=value" for each blank-separated key, one line; "-" for a key the instrument holds nothing for.
std::string HeldText(const ProtocolCore& core, std::string_view keys);
std::string CommandHelp();

}  // namespace qemra::sim
