#include "sim/CommandLines.h"

#include <gtest/gtest.h>

using qemra::sim::CommandLines;
using qemra::sim::TerminalText;

namespace {

// Each line as its text, or "<dropped>" for one that was too long.
std::vector<std::string> Texts(const std::vector<CommandLines::Line>& lines)
{
    std::vector<std::string> texts;
    for (const CommandLines::Line& line : lines)
        texts.push_back(line.tooLong ? "<dropped>" : line.text);
    return texts;
}

TEST(SimCommandLines, DropsALineOver4KiBUpToItsNewlineWithoutHoldingIt)
{
    CommandLines lines;
    std::vector<std::string> seen;
    // "wind 9" and 8 KiB of blanks would still read as a command, were it kept.
    const std::string longLine = "wind 9" + std::string(8192, ' ');
    for (std::size_t at = 0; at < longLine.size(); at += 1000) {
        for (const std::string& text : Texts(lines.Feed(std::string_view(longLine).substr(at, 1000))))
            seen.push_back(text);
    }
    for (const std::string& text : Texts(lines.Feed("\nwind 1\nambi")))
        seen.push_back(text);
    for (const std::string& text : Texts(lines.Feed("ent 20\n" + std::string(CommandLines::kMaxLine, 'x') + "\n")))
        seen.push_back(text);
    EXPECT_EQ(seen, (std::vector<std::string>{"<dropped>", "wind 1", "ambient 20",
                                              std::string(CommandLines::kMaxLine, 'x')}));

    EXPECT_EQ(Texts(lines.Feed(std::string(CommandLines::kMaxLine + 1, 'y') + "\nquit\n")),
              (std::vector<std::string>{"<dropped>", "quit"}));
}

TEST(SimCommandLines, TerminalTextEscapesControlBytesAndKeepsLinesAndUtf8)
{
    const std::pair<std::string, std::string> cases[] = {
        {"ok wind 5", "ok wind 5"},
        {"unknown setting \"\x1b[2J\"", "unknown setting \"\\x1B[2J\""},
        {"two\nlines\tand a tab", "two\nlines\tand a tab"},
        {"back\rspace\b del\x7f", "back\\x0Dspace\\x08 del\\x7F"},
        {"温度 ℃", "温度 ℃"},
        {"\xC2\x9B"
         "31m",
         "\\xC2\\x9B31m"},  // the one-character escape of 8-bit terminals
        {"cut \xE6\xB8", "cut \\xE6\\xB8"},
        {"\xFF\xFE", "\\xFF\\xFE"},
        {std::string("nul\0", 4), "nul\\x00"},
    };
    for (const auto& [text, shown] : cases)
        EXPECT_EQ(TerminalText(text), shown);
}

}  // namespace
