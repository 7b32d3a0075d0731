#include "sim/ProtocolCore.h"

#include "sim/ValueText.h"

#include <algorithm>
#include <cctype>

namespace qemra::sim {

namespace {

constexpr std::string_view kStrayBytes = "abcdefghijklmnopqrstuvwxyz0123456789 ";

std::vector<std::string_view> SplitCommas(std::string_view body)
{
    std::vector<std::string_view> items;
    while (!body.empty()) {
        const std::size_t comma = body.find(',');
        const std::string_view item = body.substr(0, comma);
        if (!item.empty())
            items.push_back(item);
        if (comma == std::string_view::npos)
            break;
        body.remove_prefix(comma + 1);
    }
    return items;
}

// A visibly different value of the same kind: one more in the same number of decimals.
std::string ChangedValue(const std::string& value)
{
    const std::optional<double> number = ParseNumber(value);
    if (!number)
        return value + "1";
    const std::size_t point = value.find('.');
    const int decimals = point == std::string::npos ? 0 : static_cast<int>(value.size() - point - 1);
    return FixedText(*number + 1.0, std::clamp(decimals, 0, 6));
}

}  // namespace

std::string Answer::Bytes() const
{
    std::string bytes;
    for (const std::string& piece : pieces)
        bytes += piece;
    return bytes;
}

ProtocolCore::ProtocolCore(std::uint64_t seed, TimeSource now)
    : instrument_(seed, std::move(now)), random_(seed ^ 0x9E3779B97F4A7C15ULL)
{
}

std::vector<Answer> ProtocolCore::Feed(std::string_view bytes)
{
    std::vector<Answer> answers;
    for (const std::string& payload : scanner_.Feed(bytes)) {
        if (std::optional<Answer> answer = Handle(payload))
            answers.push_back(std::move(*answer));
    }
    return answers;
}

void ProtocolCore::NewLine()
{
    scanner_.Reset();
    requestsOnLine_ = 0;
}

bool ProtocolCore::Chance(double share)
{
    // Always draw, so that switching one fault does not shift the dice of the others.
    const double roll = std::uniform_real_distribution<double>(0.0, 1.0)(random_);
    return roll < share;
}

std::optional<Answer> ProtocolCore::Handle(std::string_view payload)
{
    const std::string_view command = payload.substr(0, 2);
    if (command != "RD" && command != "RW") {
        ++counters_.ignored;
        return std::nullopt;
    }
    ++counters_.requests;
    if (faults_.hangUpAfter && requestsOnLine_ >= *faults_.hangUpAfter) {
        Answer hangUp;
        hangUp.hangUp = true;
        return hangUp;
    }
    ++requestsOnLine_;

    // As on the monitor's side, the character after the command is a separator not looked at.
    const std::string answerPayload = AnswerPayload(command, payload.size() > 3 ? payload.substr(3) : "");
    if (Chance(faults_.drop)) {
        ++counters_.dropped;
        return std::nullopt;
    }
    ++counters_.answers;
    return Dress(answerPayload);
}

std::string ProtocolCore::AnswerPayload(std::string_view command, std::string_view body)
{
    std::vector<KeyValue> pairs;
    if (command == "RD") {
        std::vector<std::string> keys;
        for (const std::string_view key : SplitCommas(body))
            keys.emplace_back(key);
        pairs = instrument_.Read(keys);
    } else {
        for (const std::string_view item : SplitCommas(body)) {
            const std::size_t equals = item.find('=');
            if (equals == std::string_view::npos || equals == 0)
                continue;  // nothing the instrument could echo
            const std::string key(item.substr(0, equals));
            pairs.push_back({key, instrument_.Write(key, std::string(item.substr(equals + 1)))});
        }
        const bool wrong = Chance(faults_.wrongEcho);
        if (wrong && !pairs.empty()) {
            const auto index = std::uniform_int_distribution<std::size_t>(0, pairs.size() - 1)(random_);
            pairs[index].value = ChangedValue(pairs[index].value);
        }
    }
    std::string text = command == "RD" ? "AD," : "AW,";
    for (const KeyValue& pair : pairs)
        text += pair.key + '=' + pair.value + ',';
    return text;
}

Answer ProtocolCore::Dress(const std::string& payload)
{
    const std::string framed = '<' + payload + '>';
    std::uint8_t checksum = FrameChecksum(framed);
    if (Chance(faults_.corrupt))
        checksum = static_cast<std::uint8_t>(checksum + std::uniform_int_distribution<int>(1, 255)(random_));
    std::string digits = HexDigits(checksum);
    if (Chance(faults_.lowerCase)) {
        for (char& c : digits)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    std::string bytes = framed + digits + "\r\n";

    if (Chance(faults_.stray)) {
        std::string stray;
        const int count = std::uniform_int_distribution<int>(1, 4)(random_);
        std::uniform_int_distribution<std::size_t> pick(0, kStrayBytes.size() - 1);
        for (int i = 0; i < count; ++i)
            stray += kStrayBytes[pick(random_)];
        bytes = stray + bytes;
    }
    if (Chance(faults_.noise)) {
        // Any byte but the frame markers, so line noise can never pass for a frame.
        const int count = std::uniform_int_distribution<int>(1, 8)(random_);
        std::uniform_int_distribution<int> pick(0, 255);
        for (int i = 0; i < count;) {
            const char c = static_cast<char>(pick(random_));
            if (c != '<' && c != '>') {
                bytes += c;
                ++i;
            }
        }
    }

    Answer answer;
    answer.delayMs = std::max(0, faults_.delayMs);
    if (Chance(faults_.split)) {
        const std::size_t pieces = std::uniform_int_distribution<std::size_t>(2, 4)(random_);
        std::vector<std::size_t> cuts;
        std::uniform_int_distribution<std::size_t> cutAt(1, bytes.size() - 1);
        while (cuts.size() + 1 < pieces) {
            const std::size_t cut = cutAt(random_);
            if (std::find(cuts.begin(), cuts.end(), cut) == cuts.end())
                cuts.push_back(cut);
        }
        std::sort(cuts.begin(), cuts.end());
        std::size_t from = 0;
        for (const std::size_t cut : cuts) {
            answer.pieces.push_back(bytes.substr(from, cut - from));
            from = cut;
        }
        answer.pieces.push_back(bytes.substr(from));
        answer.gapMs = std::uniform_int_distribution<int>(5, 20)(random_);
    } else {
        answer.pieces.push_back(std::move(bytes));
    }
    return answer;
}

}  // namespace qemra::sim
