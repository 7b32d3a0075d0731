#pragma once

#include "acquisition/Records.h"

#include <QString>
#include <array>
#include <cstdint>

namespace qemra {

// One quantity of the minute record: its column label and the field it reads. C52 is the only
// integer among them and has no float field.
struct MinuteQuantity {
    const char* label;       // UTF-8
    float TMesData::*field;  // nullptr for C52
    float startMaximum;      // the maximum a minute starts from
    bool singleSum;          // summed in single precision rather than double
};

// The quantities of a minute row in column order; the first twelve make the standard layout,
// maintenance mode adds the rest.
inline constexpr int kMinuteQuantities = 32;
inline constexpr int kStandardMinuteQuantities = 12;
extern const std::array<MinuteQuantity, kMinuteQuantities> MinuteQuantities;

// Average, maximum and minimum of every recorded quantity over the samples since the last reset.
class MinuteStatistics {
public:
    // The figures of one quantity, each the exact single-precision (or, for C52, integer) value
    // that is held, widened to double.
    struct Figures {
        double average = 0;
        double maximum = 0;
        double minimum = 0;
    };

    MinuteStatistics() { ResetMinuteStatistics(); }

    // Adds one sample; does nothing while the record's measuring flag is clear.
    void AccumulateMinute(const TMesData& current);
    void ResetMinuteStatistics();

    std::int32_t Count() const { return count_; }
    // Only meaningful while Count() > 0.
    Figures At(int quantity) const;

private:
    std::int32_t count_ = 0;
    std::array<double, kMinuteQuantities> sum_{};
    std::array<float, kMinuteQuantities> singleSum_{};  // the quantities summed in single precision
    std::array<float, kMinuteQuantities> max_{};
    std::array<float, kMinuteQuantities> min_{};
    std::int32_t maxC52_ = 0;
    std::int32_t minC52_ = 0;
};

}  // namespace qemra
