#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Frame helpers written independently of the simulator's own codec, so its checksums are checked
// against a second computation.
namespace simtest {

inline std::string Checksum(const std::string& framed)
{
    unsigned sum = 0;
    for (const char c : framed)
        sum += static_cast<unsigned char>(c);
    static const char digits[] = "0123456789ABCDEF";
    const unsigned byte = (256 - sum % 256) % 256;
    return {digits[byte >> 4], digits[byte & 15]};
}

inline std::string Frame(const std::string& payload)
{
    const std::string framed = "<" + payload + ">";
    return framed + Checksum(framed) + "\r\n";
}

// One answer as it came off the line: whatever preceded "<", the payload, the two checksum
// characters, and whatever followed the CR LF.
struct Received {
    bool complete = false;  // "<", ">", two characters and CR LF were all there
    std::string before;
    std::string payload;
    std::string checksum;
    std::string after;

    bool ChecksumValid() const { return complete && checksum == Checksum("<" + payload + ">"); }
};

inline Received Parse(const std::string& bytes)
{
    Received r;
    const auto open = bytes.find('<');
    const auto close = bytes.find('>', open == std::string::npos ? 0 : open);
    if (open == std::string::npos || close == std::string::npos || close + 5 > bytes.size())
        return r;
    r.before = bytes.substr(0, open);
    r.payload = bytes.substr(open + 1, close - open - 1);
    r.checksum = bytes.substr(close + 1, 2);
    r.complete = bytes.compare(close + 3, 2, "\r\n") == 0;
    r.after = bytes.substr(close + 5);
    return r;
}

// Pairs after the command and its separator ("AD," / "AW,").
inline std::vector<std::pair<std::string, std::string>> Pairs(const std::string& payload)
{
    std::vector<std::pair<std::string, std::string>> pairs;
    std::string item;
    for (std::size_t i = 3; i < payload.size(); ++i) {
        if (payload[i] != ',') {
            item += payload[i];
            continue;
        }
        const auto equals = item.find('=');
        pairs.emplace_back(item.substr(0, equals), equals == std::string::npos ? "" : item.substr(equals + 1));
        item.clear();
    }
    return pairs;
}

}  // namespace simtest
