#pragma once

#include "survey/ComfortFormulas.h"
#include "survey/RecordFileReader.h"

#include <array>
#include <cstdint>
#include <optional>

namespace qemra {

// Heat-stress level by indoor WBGT: safe below 21, caution below 25, warning below 28, severe
// below 31, danger from 31 on.
enum class WbgtLevel { Safe, Caution, Warning, Severe, Danger };
inline constexpr int kWbgtLevels = 5;
WbgtLevel WbgtLevelOf(double wbgtIn);

// Running figures over the seconds of a survey: fed row by row, it keeps no row.
class SurveySummary {
public:
    // `seconds` seconds that held these values: 1 for a second row, 60 for a minute row's averages.
    void Add(const RecordTime& time, const RecordValues& values, std::int64_t seconds);
    void AddSkippedRows(std::int64_t rows) { skippedRows_ += rows; }
    // Rows whose time was already counted that day.
    void AddDuplicateRows(std::int64_t rows) { duplicateRows_ += rows; }
    // The figures of rows that came after all rows here, as if each had been added here.
    void Append(const SurveySummary& later);

    std::int64_t Rows() const { return rows_; }
    std::int64_t SkippedRows() const { return skippedRows_; }
    std::int64_t DuplicateRows() const { return duplicateRows_; }
    // The earliest and the latest time added, whatever the order of the rows; empty before any.
    std::optional<RecordTime> First() const { return first_; }
    std::optional<RecordTime> Last() const { return last_; }

    // Only meaningful once Rows() > 0.
    double Minimum(RecordQuantity quantity) const { return minimum_[QuantityIndex(quantity)]; }
    double Maximum(RecordQuantity quantity) const { return maximum_[QuantityIndex(quantity)]; }
    double Average(RecordQuantity quantity) const;

    // Shares of the seconds, 0 to 1 (0 while there are none).
    double Share(PmvCategory category) const;
    double Share(WbgtLevel level) const;

private:
    std::int64_t rows_ = 0;
    std::int64_t skippedRows_ = 0;
    std::int64_t duplicateRows_ = 0;
    std::optional<RecordTime> first_;
    std::optional<RecordTime> last_;
    RecordValues minimum_{};
    RecordValues maximum_{};
    // Sums of the differences from the first row's values: a steady quantity averages to exactly
    // its value, and long sums lose less to rounding.
    RecordValues origin_{};
    RecordValues sum_{};
    std::array<std::int64_t, kPmvCategories> pmvSeconds_{};
    std::array<std::int64_t, kWbgtLevels> wbgtSeconds_{};
};

}  // namespace qemra
