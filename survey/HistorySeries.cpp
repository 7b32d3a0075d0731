#include "survey/HistorySeries.h"

#include <algorithm>
#include <limits>

namespace qemra {

HistorySeriesValues::HistorySeriesValues(std::vector<HistorySeries> series)
    : series_(std::move(series)),
      needsLeadIn_(std::ranges::find(series_, HistorySeries(DerivedFigure::DraughtRate)) != series_.end()),
      values_(series_.size())
{
}

void HistorySeriesValues::Lead(std::int64_t seconds, const RecordValues& values, bool minutes)
{
    // A minute row's averages say nothing of the turbulence within its minute.
    if (needsLeadIn_ && !minutes)
        draught_.Add(seconds, values);
}

const std::vector<float>& HistorySeriesValues::Of(std::int64_t seconds, const RecordValues& values, bool minutes)
{
    constexpr float kUndefined = std::numeric_limits<float>::quiet_NaN();
    float draughtRate = kUndefined;
    if (needsLeadIn_ && !minutes) {
        const bool after = draught_.After(seconds);
        draught_.Add(seconds, values);
        if (const auto draught = draught_.Figures(); after && draught)
            draughtRate = static_cast<float>(draught->draughtRate);
    }
    for (std::size_t s = 0; s < series_.size(); ++s) {
        const HistorySeries& series = series_[s];
        if (!series.Derived()) {
            values_[s] = static_cast<float>(values[QuantityIndex(series.Quantity())]);
        } else if (series.Figure() == DerivedFigure::OperativeTemp) {
            values_[s] = static_cast<float>(OperativeTemperatureOf(values));
        } else {
            values_[s] = draughtRate;
        }
    }
    return values_;
}

}  // namespace qemra
