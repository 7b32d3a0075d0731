#include "survey/HistoryFigures.h"

#include <algorithm>
#include <cmath>

namespace qemra {

HistoryFigures HistoryFigures::Of(const SurveySummary& summary)
{
    HistoryFigures figures;
    figures.skippedRows = summary.SkippedRows();
    // The summary counts a row by the seconds it stands for.
    figures.seconds = summary.Rows();
    if (figures.seconds <= 0)
        return figures;
    figures.first = summary.First();
    figures.last = summary.Last();
    const auto seconds = static_cast<double>(figures.seconds);
    for (int q = 0; q < kRecordQuantities; ++q) {
        const auto quantity = static_cast<RecordQuantity>(q);
        const std::size_t i = QuantityIndex(quantity);
        figures.minimum[i] = summary.Minimum(quantity);
        figures.maximum[i] = summary.Maximum(quantity);
        figures.weightedSum[i] = summary.Average(quantity) * seconds;
    }
    // A share is a whole number of seconds over all of them.
    for (int c = 0; c < kPmvCategories; ++c)
        figures.pmvSeconds[static_cast<std::size_t>(c)] =
            std::llround(summary.Share(static_cast<PmvCategory>(c)) * seconds);
    for (int l = 0; l < kWbgtLevels; ++l)
        figures.wbgtSeconds[static_cast<std::size_t>(l)] =
            std::llround(summary.Share(static_cast<WbgtLevel>(l)) * seconds);
    return figures;
}

void HistoryFigures::Append(const HistoryFigures& later)
{
    skippedRows += later.skippedRows;
    if (later.seconds <= 0)
        return;
    if (seconds <= 0) {
        const std::int64_t skipped = skippedRows;
        *this = later;
        skippedRows = skipped;
        return;
    }
    seconds += later.seconds;
    last = later.last;
    for (std::size_t i = 0; i < minimum.size(); ++i) {
        minimum[i] = std::min(minimum[i], later.minimum[i]);
        maximum[i] = std::max(maximum[i], later.maximum[i]);
        weightedSum[i] += later.weightedSum[i];
    }
    for (std::size_t c = 0; c < pmvSeconds.size(); ++c)
        pmvSeconds[c] += later.pmvSeconds[c];
    for (std::size_t l = 0; l < wbgtSeconds.size(); ++l)
        wbgtSeconds[l] += later.wbgtSeconds[l];
}

double HistoryFigures::Average(RecordQuantity quantity) const
{
    return seconds > 0 ? weightedSum[QuantityIndex(quantity)] / static_cast<double>(seconds) : 0.0;
}

double HistoryFigures::Share(PmvCategory category) const
{
    return seconds > 0
               ? static_cast<double>(pmvSeconds[static_cast<std::size_t>(category)]) / static_cast<double>(seconds)
               : 0.0;
}

double HistoryFigures::Share(WbgtLevel level) const
{
    return seconds > 0
               ? static_cast<double>(wbgtSeconds[static_cast<std::size_t>(level)]) / static_cast<double>(seconds)
               : 0.0;
}

}  // namespace qemra
