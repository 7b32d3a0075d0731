#pragma once

#include "survey/ComfortStream.h"
#include "survey/RecordFileReader.h"

#include <cstdint>
#include <vector>

namespace qemra {

// A comfort figure the history strips draw beside the record files' columns, worked out from the
// rows as the survey summary works it out.
enum class DerivedFigure : std::uint8_t {
    OperativeTemp,  // of each row
    DraughtRate,    // over the trailing 180 s of second rows; minute rows have none
};

// One line of the history strips: a column of the record files or a derived figure.
class HistorySeries {
public:
    // A column and a figure are each a series where a list of series is asked for.
    // NOLINTNEXTLINE(google-explicit-constructor)
    constexpr HistorySeries(RecordQuantity quantity) : quantity_(quantity) {}
    // NOLINTNEXTLINE(google-explicit-constructor)
    constexpr HistorySeries(DerivedFigure figure) : derived_(true), figure_(figure) {}

    constexpr bool Derived() const { return derived_; }
    constexpr RecordQuantity Quantity() const { return quantity_; }
    constexpr DerivedFigure Figure() const { return figure_; }
    // The number that names it in the cache files: a column's own number, a figure's from 100 on.
    constexpr std::int32_t Code() const
    {
        return derived_ ? 100 + static_cast<std::int32_t>(figure_) : static_cast<std::int32_t>(quantity_);
    }
    constexpr bool operator==(const HistorySeries& other) const { return Code() == other.Code(); }

private:
    bool derived_ = false;
    RecordQuantity quantity_ = RecordQuantity::Wind;
    DerivedFigure figure_ = DerivedFigure::OperativeTemp;
};

// The values of a list of series over rows fed in time order. The draught window is kept by time,
// so rows of the stretch before (Lead) make the first rows' draught what the whole record gives.
class HistorySeriesValues {
public:
    explicit HistorySeriesValues(std::vector<HistorySeries> series);

    // Whether a row's values depend on the rows before it.
    bool NeedsLeadIn() const { return needsLeadIn_; }
    // Takes a row only for the windows of the rows after it.
    void Lead(std::int64_t seconds, const RecordValues& values, bool minutes);
    // Takes a row and gives its value of each series, in their order; NaN where a figure is not
    // defined.
    const std::vector<float>& Of(std::int64_t seconds, const RecordValues& values, bool minutes);

private:
    std::vector<HistorySeries> series_;
    bool needsLeadIn_ = false;
    DraughtWindow draught_;
    std::vector<float> values_;
};

}  // namespace qemra
