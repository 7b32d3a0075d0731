#pragma once

#include "survey/SurveySummary.h"

#include <array>
#include <cstdint>
#include <optional>

namespace qemra {

// The figures the history window shows for its range: per quantity the least, average and
// greatest value, and the shares of the comfort categories and heat-stress levels. Kept per day
// so a day's figures can be stored beside its reduction and the days joined without their rows.
struct HistoryFigures {
    std::int64_t seconds = 0;  // the seconds the rows stand for (a minute row 60)
    std::int64_t skippedRows = 0;
    std::optional<RecordTime> first;
    std::optional<RecordTime> last;
    RecordValues minimum{};
    RecordValues maximum{};
    RecordValues weightedSum{};  // average times seconds, so days join by their weight
    std::array<std::int64_t, kPmvCategories> pmvSeconds{};
    std::array<std::int64_t, kWbgtLevels> wbgtSeconds{};

    // The figures of a day's summary.
    static HistoryFigures Of(const SurveySummary& summary);
    // The figures of days that came after the days here.
    void Append(const HistoryFigures& later);

    // Only meaningful while seconds > 0.
    double Average(RecordQuantity quantity) const;
    // 0 to 1; 0 while there are no seconds.
    double Share(PmvCategory category) const;
    double Share(WbgtLevel level) const;

    bool operator==(const HistoryFigures&) const = default;
};

}  // namespace qemra
