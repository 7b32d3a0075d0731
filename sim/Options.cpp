#include "sim/Options.h"

#include <QCommandLineParser>
#include <QStringList>
#include <QtGlobal>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <map>
#include <string_view>

#ifndef QEMRA_VERSION
#error "QEMRA_VERSION is set by the build"
#endif

namespace qemra::sim {

namespace {

struct OptionRow {
    const char* name;
    const char* argument;  // null: takes no value
    const char* description;
};

// The one table of the simulator's options: the parser and the help are both made from it.
constexpr std::array<OptionRow, 20> kOptions{{
    {"link", "PATH", "make PATH a symlink to the device (removed on exit)"},
    {"port-ini", "PATH", "set Port in [ComPortM] of this INI file to the link (or the device); other lines stay"},
    {"command-pipe", "PATH", "read commands from this named pipe too (made when missing, then removed on exit)"},
    {"seed", "N", "seed of all randomness: noise and faults (default 1)"},
    {"clock-step", "S", "the model's clock moves S seconds at each read request, not with the real clock"},
    {"wind", "M/S", "wind speed (default 0)"},
    {"ambient", "C", "ambient temperature (default 24)"},
    {"humidity", "%", "relative humidity (default 50)"},
    {"drop", "P", "share of answers lost, 0..1 (default 0)"},
    {"delay", "MS", "answers leave this many milliseconds late (default 0)"},
    {"corrupt", "P", "share of answers with a wrong checksum"},
    {"lowercase", "P", "share of answers with a lower-case checksum"},
    {"stray", "P", "share of answers with stray bytes before the \"<\""},
    {"noise", "P", "share of answers followed by noise bytes"},
    {"split", "P", "share of answers written in pieces with short gaps"},
    {"wrongecho", "P", "share of write answers echoing a changed value"},
    {"hangup-after", "N", "hang up at the request after N requests on a line, then open a new terminal"},
    {"quiet", nullptr, "no traffic lines on standard error"},
    {"help", nullptr, "this text, and end"},
    {"version", nullptr, "the program's version and the Qt version, and end"},
}};

// Options that are settings of the running instrument, by the names ApplySetting knows.
constexpr std::array<std::string_view, 12> kSettingOptions = {"wind",  "ambient", "humidity",  "drop",
                                                              "delay", "corrupt", "lowercase", "stray",
                                                              "noise", "split",   "wrongecho", "hangup-after"};

}  // namespace

ParsedOptions ParseOptions(const std::vector<std::string>& arguments)
{
    ParsedOptions parsed;
    SimOptions& options = parsed.options;
    QCommandLineParser parser;
    for (const OptionRow& row : kOptions) {
        QCommandLineOption option(QString::fromLatin1(row.name));
        if (row.argument != nullptr)
            option.setValueName(QString::fromLatin1(row.argument));
        parser.addOption(option);
    }
    QStringList list{QStringLiteral("qemra-sim")};
    for (const std::string& argument : arguments)
        list.append(QString::fromStdString(argument));
    if (!parser.parse(list)) {
        parsed.error = parser.errorText().toStdString();
        return parsed;
    }
    if (!parser.positionalArguments().isEmpty()) {
        parsed.error = "unexpected argument \"" + parser.positionalArguments().front().toStdString() + "\"";
        return parsed;
    }

    // In the order given, as a later setting may depend on an earlier one; a repeated option
    // takes its values one by one.
    std::map<std::string, qsizetype> taken;
    for (const QString& optionName : parser.optionNames()) {
        const std::string name = optionName.toStdString();
        if (name == "quiet" || name == "help" || name == "version") {
            (name == "quiet" ? options.quiet : name == "help" ? options.help : options.version) = true;
            continue;
        }
        const QStringList values = parser.values(optionName);
        const qsizetype index = taken[name]++;
        const std::string value = index < values.size() ? values[index].toStdString() : std::string();

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
        } else if (std::find(kSettingOptions.begin(), kSettingOptions.end(), name) != kSettingOptions.end()) {
            options.settings.emplace_back(name, value);
        }
    }
    return parsed;
}

std::string UsageLine() { return "usage: qemra-sim [options]  (qemra-sim --help lists them)"; }

std::string VersionText() { return "qemra-sim " QEMRA_VERSION "\nQt " + std::string(qVersion()) + "\n"; }

std::string OptionsHelp()
{
    std::string text = "usage: qemra-sim [options]\n"
                       "A simulated Qemra-series instrument on a pseudo-terminal (raw, 38400 8N1). Prints the\n"
                       "terminal's device path on standard output, answers read and write requests, and reads\n"
                       "commands from standard input (\"help\" lists them); everything else goes to standard error.\n"
                       "\n"
                       "options:\n";
    for (const OptionRow& row : kOptions) {
        std::string left = std::string("  --") + row.name;
        if (row.argument != nullptr)
            left += std::string(" ") + row.argument;
        left.resize(std::max<std::size_t>(left.size() + 1, 22), ' ');
        text += left + row.description + "\n";
    }
    text += "Options take \"--name value\" or \"--name=value\".\n\n";
    return text;
}

}  // namespace qemra::sim
