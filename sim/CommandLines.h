#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qemra::sim {

// Cuts the command input of standard input or the command pipe into lines. An unfinished line is
// kept up to kMaxLine bytes; a longer one is dropped whole, up to its newline, so no writer can
// make the simulator hold more than that.
class CommandLines {
public:
    static constexpr std::size_t kMaxLine = 4096;

    struct Line {
        std::string text;      // without its "\n"
        bool tooLong = false;  // in place of a line that was dropped; `text` is then empty
    };

    // The lines that `bytes` complete, in order; a line that grows too long is reported as soon
    // as it does.
    std::vector<Line> Feed(std::string_view bytes);

private:
    std::string partial_;
    bool dropping_ = false;
};

// The text as a terminal may show it: line breaks, tabs, printable ASCII and well-formed UTF-8
// stay; every other byte, control codes above all (an escape sequence would steer the terminal),
// is written as \xNN.
std::string TerminalText(std::string_view text);

}  // namespace qemra::sim
