#include "sim/CommandLines.h"

#include <array>
#include <cstdio>

namespace qemra::sim {

std::vector<CommandLines::Line> CommandLines::Feed(std::string_view bytes)
{
    std::vector<Line> lines;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        const std::string_view piece = bytes.substr(0, end);
        if (!dropping_ && partial_.size() + piece.size() > kMaxLine) {
            partial_.clear();
            partial_.shrink_to_fit();
            dropping_ = true;
            lines.push_back({{}, true});
        }
        if (!dropping_)
            partial_.append(piece);
        if (end == std::string_view::npos)
            break;
        if (!dropping_)
            lines.push_back({std::move(partial_), false});
        partial_.clear();
        dropping_ = false;
        bytes.remove_prefix(end + 1);
    }
    return lines;
}

namespace {

// The length of the well-formed UTF-8 sequence at the start of `text` that is no C1 control
// code, or 0.
std::size_t PrintableSequence(std::string_view text)
{
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length = 0;
    char32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (next & 0x3F);
    }
    const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF) || code <= 0x9F)
        return 0;
    return length;
}

}  // namespace

std::string TerminalText(std::string_view text)
{
    std::string shown;
    shown.reserve(text.size());
    while (!text.empty()) {
        const auto byte = static_cast<unsigned char>(text[0]);
        std::size_t length = 1;
        if (text[0] == '\n' || text[0] == '\t' || (byte >= 0x20 && byte < 0x7F)) {
            shown += text[0];
        } else if ((length = PrintableSequence(text)) > 0) {
            shown.append(text.substr(0, length));
        } else {
            length = 1;
            std::array<char, 8> escaped{};
            std::snprintf(escaped.data(), escaped.size(), "\\x%02X", byte);
            shown += escaped.data();
        }
        text.remove_prefix(length);
    }
    return shown;
}

}  // namespace qemra::sim
