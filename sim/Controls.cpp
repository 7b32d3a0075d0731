#include "sim/Controls.h"

#include "sim/ValueText.h"

#include <cmath>
#include <functional>

namespace qemra::sim {

namespace {

std::string_view Trim(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::optional<std::string> SetShare(double& share, std::string_view name, std::string_view value)
{
    const std::optional<double> number = ParseNumber(value);
    if (!number || *number < 0.0 || *number > 1.0)
        return std::string(name) + " wants a share from 0 to 1, not \"" + std::string(value) + "\"";
    share = *number;
    return std::nullopt;
}

std::optional<std::string> SetCount(int& count, std::string_view name, std::string_view value)
{
    const std::optional<double> number = ParseNumber(value);
    if (!number || *number < 0.0 || *number > 1e9 || std::trunc(*number) != *number)
        return std::string(name) + " wants a whole number of 0 or more, not \"" + std::string(value) + "\"";
    count = static_cast<int>(*number);
    return std::nullopt;
}

std::optional<std::string> SetReal(std::string_view name, std::string_view value, double low, double high,
                                   const std::function<void(double)>& set)
{
    const std::optional<double> number = ParseNumber(value);
    if (!number || *number < low || *number > high)
        return std::string(name) + " wants a number from " + FixedText(low, 0) + " to " + FixedText(high, 0) +
               ", not \"" + std::string(value) + "\"";
    set(*number);
    return std::nullopt;
}

std::string ShareText(double share) { return FixedText(share, 3); }

}  // namespace

std::optional<std::string> ApplySetting(ProtocolCore& core, std::string_view name, std::string_view value)
{
    Instrument& instrument = core.instrument();
    Faults& faults = core.faults();
    value = Trim(value);
    if (name == "wind")
        return SetReal(name, value, 0, 100, [&](double v) { instrument.SetWindSpeed(v); });
    if (name == "ambient")
        return SetReal(name, value, -40, 100, [&](double v) { instrument.SetAmbient(v); });
    if (name == "humidity")
        return SetReal(name, value, 0, 100, [&](double v) { instrument.SetHumidity(v); });
    if (name == "drop")
        return SetShare(faults.drop, name, value);
    if (name == "delay")
        return SetCount(faults.delayMs, name, value);
    if (name == "corrupt")
        return SetShare(faults.corrupt, name, value);
    if (name == "lowercase")
        return SetShare(faults.lowerCase, name, value);
    if (name == "stray")
        return SetShare(faults.stray, name, value);
    if (name == "noise")
        return SetShare(faults.noise, name, value);
    if (name == "split")
        return SetShare(faults.split, name, value);
    if (name == "wrongecho")
        return SetShare(faults.wrongEcho, name, value);
    if (name == "hangup-after") {
        if (value == "off") {
            faults.hangUpAfter.reset();
            return std::nullopt;
        }
        int count = 0;
        if (auto error = SetCount(count, name, value))
            return error;
        faults.hangUpAfter = count;
        return std::nullopt;
    }
    return "unknown setting \"" + std::string(name) + "\"";
}

CommandReply RunCommand(ProtocolCore& core, std::string_view line)
{
    line = Trim(line);
    const std::size_t blank = line.find_first_of(" \t");
    const std::string_view word = line.substr(0, blank);
    const std::string_view rest = blank == std::string_view::npos ? std::string_view() : Trim(line.substr(blank));

    CommandReply reply;
    if (word.empty())
        return reply;
    if (word == "held") {
        reply.message = rest.empty() ? std::string("held wants one or more keys") : HeldText(core, rest);
        return reply;
    }
    if (word == "hangup" || word == "quit" || word == "status" || word == "help") {
        if (!rest.empty()) {
            reply.message = std::string(word) + " takes no value";
        } else if (word == "hangup") {
            reply.action = CommandReply::Action::HangUp;
        } else if (word == "quit") {
            reply.action = CommandReply::Action::Quit;
        } else if (word == "status") {
            reply.message = StatusText(core);
        } else {
            reply.message = CommandHelp();
        }
        return reply;
    }
    if (rest.empty()) {
        reply.message = std::string(word) + " wants a value (try \"help\")";
        return reply;
    }
    if (auto error = ApplySetting(core, word, rest))
        reply.message = *error;
    else
        reply.message = "ok " + std::string(word) + " " + std::string(rest);
    return reply;
}

std::string HeldText(const ProtocolCore& core, std::string_view keys)
{
    std::string text;
    while (!(keys = Trim(keys)).empty()) {
        const std::size_t blank = keys.find_first_of(" \t");
        const std::string key(keys.substr(0, blank));
        keys = blank == std::string_view::npos ? std::string_view() : keys.substr(blank);
        if (!text.empty())
            text += ' ';
        const std::optional<std::string> held = core.instrument().Held(key);
        text += key + '=' + (held ? *held : std::string("-"));
    }
    return text;
}

std::string StatusText(const ProtocolCore& core)
{
    const Instrument& instrument = core.instrument();
    const Faults& faults = core.faults();
    const Counters& counters = core.counters();
    std::string text;
    text += "wind " + FixedText(instrument.WindSpeed(), 3) + " m/s, ambient " + FixedText(instrument.Ambient(), 2) +
            " C, humidity " + FixedText(instrument.Humidity(), 1) + " %\n";
    text += "drop " + ShareText(faults.drop) + ", delay " + std::to_string(faults.delayMs) + " ms, corrupt " +
            ShareText(faults.corrupt) + ", lowercase " + ShareText(faults.lowerCase) + ", stray " +
            ShareText(faults.stray) + ", noise " + ShareText(faults.noise) + ", split " + ShareText(faults.split) +
            ", wrongecho " + ShareText(faults.wrongEcho) + ", hangup-after " +
            (faults.hangUpAfter ? std::to_string(*faults.hangUpAfter) : std::string("off")) + "\n";
    text += "requests " + std::to_string(counters.requests) + ", answers " + std::to_string(counters.answers) +
            ", dropped " + std::to_string(counters.dropped) + ", bad frames " + std::to_string(core.BadFrames()) +
            ", other frames " + std::to_string(counters.ignored) + "\n";
    text += "parameter protection " + std::string(instrument.ProtectionOpen() ? "open" : "closed");
    return text;
}

std::string CommandHelp()
{
    return "commands, one per line:\n"
           "  wind M/S          wind speed the probe sits in (0 reads exactly 0)\n"
           "  ambient C         ambient temperature the sensors settle towards\n"
           "  humidity %        relative humidity\n"
           "  drop P            share of answers lost (0..1)\n"
           "  delay MS          every answer leaves this many milliseconds late\n"
           "  corrupt P         share of answers with a wrong checksum\n"
           "  lowercase P       share of answers with a lower-case checksum\n"
           "  stray P           share of answers with stray bytes before the \"<\"\n"
           "  noise P           share of answers followed by noise bytes\n"
           "  split P           share of answers written in pieces\n"
           "  wrongecho P       share of write answers echoing a changed value\n"
           "  hangup-after N    hang up at the request after N requests on a line (off: never)\n"
           "  held KEY...       show what the instrument holds for each key, on one line:\n"
           "                    \"E01=50 P99=0\" (\"-\" for a key it holds nothing for)\n"
           "  hangup            hang up now: close the terminal, open a new one\n"
           "  status            show settings and counters\n"
           "  help              this list\n"
           "  quit              end the program";
}

}  // namespace qemra::sim
