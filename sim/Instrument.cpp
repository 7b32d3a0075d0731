#include "sim/Instrument.h"

#include "sim/Comfort.h"
#include "sim/ValueText.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace qemra::sim {

namespace {

// Time constants of the sensors' approach to a new ambient, in seconds.
constexpr double kAirLag = 30.0;
constexpr double kGlobeLag = 120.0;
constexpr double kBoardLag = 60.0;
constexpr double kMoistureLag = 45.0;

// Keys whose values are numbers inside the instrument besides the protected ones.
constexpr std::array<std::string_view, 7> kNumericKeys = {"E91", "P99", "P91", "H50", "H51", "H52", "H82"};

// Values the instrument holds before anything is written; the parameter keys start at the
// parameter set's defaults so a locked write echoes something sensible.
const std::array<KeyValue, 14> kStartValues = {{
    {"E01", "50"},
    {"E02", "5"},
    {"E03", "20"},
    {"E04", "0.2"},
    {"E06", "3"},
    {"P32", "2.5"},
    {"P41", "9"},
    {"E91", "0"},
    {"P99", "0"},
    {"P91", "0"},
    {"H50", "0"},
    {"H82", "0"},
    {"H51", "0.5"},
    {"H52", "1.2"},
}};

bool IsDigitPair(std::string_view text, int first, int last)
{
    if (text.size() != 2 || text[0] < '0' || text[0] > '9' || text[1] < '0' || text[1] > '9')
        return false;
    const int number = (text[0] - '0') * 10 + (text[1] - '0');
    return number >= first && number <= last;
}

bool IsNumericKey(std::string_view key)
{
    return IsProtectedKey(key) || std::find(kNumericKeys.begin(), kNumericKeys.end(), key) != kNumericKeys.end();
}

bool IsIntegerKey(std::string_view key) { return key == "H50" || key == "H82"; }

bool IsValueCode(std::string_view key)
{
    return std::find(kValueCodes.begin(), kValueCodes.end(), key) != kValueCodes.end();
}

double Approach(double current, double target, double seconds, double lag)
{
    return target + (current - target) * std::exp(-seconds / lag);
}

}  // namespace

bool IsProtectedKey(std::string_view key)
{
    if (key.size() != 3)
        return false;
    if (key[0] == 'E')
        return IsDigitPair(key.substr(1), 1, 28);
    if (key[0] == 'P')
        return IsDigitPair(key.substr(1), 1, 41);
    return false;
}

Instrument::Instrument(std::uint64_t seed, TimeSource now) : now_(std::move(now)), random_(seed)
{
    driftPhase_ = std::uniform_real_distribution<double>(0.0, 2.0 * std::numbers::pi)(random_);
    auto key = [](char letter, int n) {
        return std::string{letter, static_cast<char>('0' + n / 10), static_cast<char>('0' + n % 10)};
    };
    for (int n = 1; n <= 28; ++n)
        held_[key('E', n)] = "0";
    for (int n = 1; n <= 41; ++n)
        held_[key('P', n)] = "0";
    for (const KeyValue& start : kStartValues)
        held_[start.key] = start.value;
}

void Instrument::SetWindSpeed(double metresPerSecond) { wind_ = std::max(0.0, metresPerSecond); }

void Instrument::SetAmbient(double celsius) { ambient_ = celsius; }

void Instrument::SetHumidity(double percent) { humidity_ = std::clamp(percent, 0.0, 100.0); }

std::optional<std::string> Instrument::Held(const std::string& key) const
{
    const auto found = held_.find(key);
    if (found == held_.end())
        return std::nullopt;
    return found->second;
}

bool Instrument::ProtectionOpen() const { return Number("E91") == 1.0 && Number("P99") == 8462.0; }

double Instrument::Number(const std::string& key) const
{
    const auto found = held_.find(key);
    if (found == held_.end())
        return 0.0;
    return ParseNumber(found->second).value_or(0.0);
}

std::string Instrument::Write(const std::string& key, const std::string& value)
{
    std::string& held = held_[key];
    if (!IsNumericKey(key)) {
        held = value;
        return held;
    }
    const std::optional<double> number = ParseNumber(value);
    if (!number || (IsProtectedKey(key) && !ProtectionOpen()))
        return held;
    // The instrument keeps single-precision numbers and whole numbers for its mode switches.
    held = ShortText(static_cast<float>(IsIntegerKey(key) ? std::trunc(*number) : *number));
    return held;
}

double Instrument::Noise(double sigma) { return std::normal_distribution<double>(0.0, sigma)(random_); }

void Instrument::Advance(double now)
{
    const double drift = 0.08 * std::sin(2.0 * std::numbers::pi * now / 1200.0 + driftPhase_);
    const double airTarget = ambient_ + drift;
    const double globeTarget = airTarget + 0.3;  // a little sun through the window
    const double boardTarget = airTarget + 1.8;  // the electronics warm their board
    const double moistureTarget = humidity_ + 1.0 * std::sin(2.0 * std::numbers::pi * now / 1800.0 + 2.0 * driftPhase_);
    if (!settled_) {
        settled_ = true;
        air_ = airTarget;
        globe_ = globeTarget;
        board_ = boardTarget;
        moisture_ = moistureTarget;
    } else if (now > lastTime_) {
        const double dt = now - lastTime_;
        air_ = Approach(air_, airTarget, dt, kAirLag);
        globe_ = Approach(globe_, globeTarget, dt, kGlobeLag);
        board_ = Approach(board_, boardTarget, dt, kBoardLag);
        moisture_ = Approach(moisture_, moistureTarget, dt, kMoistureLag);
    }
    lastTime_ = std::max(lastTime_, now);
}

double Instrument::HotWireDifference(double v) const
{
    const double atRest = Number("E01");       // DifT0m
    const double reference = Number("E02");    // AdjWS
    const double atReference = Number("E03");  // AdjDifT
    if (atRest > atReference && atReference > 0.0 && reference > 0.0) {
        // King's law: the heat carried away grows with the square root of the speed.
        const double k = (atRest / atReference - 1.0) / std::sqrt(reference);
        return atRest / (1.0 + k * std::sqrt(v));
    }
    if (reference > 0.0)
        return std::max(0.0, atRest + (atReference - atRest) * v / reference);
    return atRest;
}

Instrument::Readings Instrument::Measure()
{
    const double now = now_();
    Advance(now);

    Readings r;
    auto put = [&r](const char* code, double value, int decimals) { r[code] = FixedText(value, decimals); };

    // Every temperature element has a small error of its own plus the correction written for it,
    // so a calibration has something to correct and its written corrections show.
    const double air1 = air_ + 0.12 + Number("E16") + Noise(0.01);
    const double air2 = air_ - 0.08 + Number("E17") + Noise(0.01);
    const double air = (air1 + air2) / 2.0;
    put("C21", air1, 2);
    put("C22", air2, 2);
    put("M11", air, 2);
    put("C11", air + Noise(0.005), 2);
    put("C71", air_ + 0.2 + Noise(0.02), 2);
    put("C12", air_ + 0.6 + Noise(0.02), 2);
    put("C16", air_ + 0.35 + Number("E12") + Noise(0.02), 2);
    put("C17", air_ - 0.25 + Number("E13") + Noise(0.02), 2);

    const double globe1 = globe_ + 0.15 + Number("E21") + Noise(0.01);
    const double globe2 = globe_ - 0.1 + Number("E22") + Noise(0.01);
    const double globe = (globe1 + globe2) / 2.0;
    put("C26", globe1, 2);
    put("C27", globe2, 2);
    put("M04", globe, 2);
    put("C76", board_ + 0.2 + Number("E26") + Noise(0.01), 2);
    put("C77", board_ - 0.05 + Number("E27") + Noise(0.01), 2);
    put("C78", board_ + 0.1 + Number("E28") + Noise(0.01), 2);

    const double humidity = std::clamp(moisture_ + Noise(0.1), 0.0, 100.0);
    put("M12", humidity, 1);
    put("C72", std::clamp(humidity + 0.3 + Noise(0.1), 0.0, 100.0), 1);
    put("C13", std::clamp(humidity + 1.2 + Noise(0.1), 0.0, 100.0), 1);

    // Still air reads exactly zero, as the instrument's zero cut-off does.
    const double wind = wind_ > 0.0 ? std::max(0.0, wind_ + Noise(0.002)) : 0.0;
    put("M01", wind, 3);
    put("C01", wind_ > 0.0 ? std::max(0.0, wind_ * 1.015 + Noise(0.004)) : 0.0, 3);
    put("C32", HotWireDifference(wind_) + Noise(0.02), 3);
    put("C53", 1.0 + 0.45 * std::sqrt(wind_) + Noise(0.002), 3);
    put("M05", std::fmod(540.0 + 15.0 * std::sin(now / 97.0) + Noise(2.0), 360.0), 1);

    const double met = Number("H52");
    const double clo = Number("H51");
    const double wetBulb = WetBulb(air, humidity);
    const double radiant = MeanRadiant(globe, air, wind);
    put("M21", AbsoluteHumidity(air, humidity), 2);
    put("M22", DewPoint(air, humidity), 2);
    put("M23", wetBulb, 2);
    put("M51", WbgtOutdoors(wetBulb, globe, air), 2);
    put("M52", WbgtIndoors(wetBulb, globe), 2);
    put("M53", Pmv(air, radiant, wind, humidity, met, clo), 2);
    put("M54", StandardEffective(air, radiant, wind, humidity, met, clo), 2);
    put("M55", met, 2);
    put("H51", clo, 2);
    put("H50", Number("H50"), 0);
    put("H82", Number("H82"), 0);
    put("M31", 1013.2 + 0.5 * std::sin(now / 3000.0) + Noise(0.05), 1);
    put("M32", 0.0, 2);
    put("M33", 0.0, 2);

    put("C50", std::clamp(32.0 + Noise(1.5), 0.0, 100.0), 1);
    put("C51", 5.02 + Noise(0.01), 2);
    put("C52", std::round(1000.0 + Noise(3.0)), 0);
    put("S00", 3.1, 1);
    put("S01", 1.05, 2);
    put("S11", 0.0, 0);
    put("S12", 0.0, 0);
    put("S13", 0.0, 0);
    return r;
}

std::vector<KeyValue> Instrument::Read(const std::vector<std::string>& keys)
{
    const Readings readings = Measure();
    std::vector<KeyValue> answer;
    for (const std::string& key : keys) {
        if (IsValueCode(key)) {
            answer.push_back({key, readings.find(key)->second});
        } else if (const auto held = held_.find(key); held != held_.end()) {
            answer.push_back({key, held->second});
        }
    }
    return answer;
}

}  // namespace qemra::sim
