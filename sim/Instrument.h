#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace qemra::sim {

// Where the model takes "now" from, in seconds. Any origin will do; it must not run backwards.
using TimeSource = std::function<double()>;

struct KeyValue {
    std::string key;
    std::string value;
    bool operator==(const KeyValue&) const = default;
};

// The 44 value codes the instrument reports, in the monitor's poll order.
inline constexpr std::array<std::string_view, 44> kValueCodes = {
    "M01", "M11", "C01", "C11", "C12", "C32", "C50", "C51",  //
    "C52", "C53", "S00", "S01", "S11", "S12", "S13", "C21",  //
    "C22", "C16", "C17", "M05", "M51", "M52", "M53", "M54",  //
    "M55", "M21", "M22", "M23", "M31", "M32", "M33", "C26",  //
    "C27", "M04", "M12", "C71", "C72", "C76", "C77", "C78",  //
    "H50", "H51", "H82", "C13"};

// E01-E28 and P01-P41: they change only while E91 holds 1 and P99 holds 8462.
bool IsProtectedKey(std::string_view key);

// The instrument itself: a small physical model of the probe behind the value codes, and the
// store of the keys that can be written. Sensors follow the ambient with first-order lags, drift
// slowly and carry a little noise from a seeded generator, so a run repeats exactly for the same
// seed, the same times and the same requests.
class Instrument {
public:
    Instrument(std::uint64_t seed, TimeSource now);

    void SetWindSpeed(double metresPerSecond);
    double WindSpeed() const { return wind_; }
    void SetAmbient(double celsius);
    double Ambient() const { return ambient_; }
    void SetHumidity(double percent);
    double Humidity() const { return humidity_; }

    // The answer pairs for a read request, in the order asked. Value codes are measured now;
    // other keys answer with what the instrument holds; keys it does not know, and the filler
    // "M00", get no pair.
    std::vector<KeyValue> Read(const std::vector<std::string>& keys);

    // Takes one written pair and returns the value text the instrument now holds for the key:
    // the new value, or the old one when the key is protected and locked or the value of a
    // numeric key is not a number. Keys the instrument does not know are kept as written.
    std::string Write(const std::string& key, const std::string& value);

    std::optional<std::string> Held(const std::string& key) const;
    bool ProtectionOpen() const;

private:
    using Readings = std::map<std::string, std::string, std::less<>>;

    void Advance(double now);
    Readings Measure();
    double Number(const std::string& key) const;
    double Noise(double sigma);
    // The hot-wire temperature difference at wind speed v for the written constants.
    double HotWireDifference(double v) const;

    TimeSource now_;
    std::mt19937_64 random_;
    double driftPhase_ = 0;
    double wind_ = 0;
    double ambient_ = 24.0;
    double humidity_ = 50.0;

    bool settled_ = false;
    double lastTime_ = 0;
    double air_ = 0;
    double globe_ = 0;
    double board_ = 0;
    double moisture_ = 0;

    std::map<std::string, std::string, std::less<>> held_;
};

}  // namespace qemra::sim
