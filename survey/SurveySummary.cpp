#include "survey/SurveySummary.h"

#include <cmath>

namespace qemra {

WbgtLevel WbgtLevelOf(double wbgtIn)
{
    if (wbgtIn < 21)
        return WbgtLevel::Safe;
    if (wbgtIn < 25)
        return WbgtLevel::Caution;
    if (wbgtIn < 28)
        return WbgtLevel::Warning;
    if (wbgtIn < 31)
        return WbgtLevel::Severe;
    return WbgtLevel::Danger;
}

void SurveySummary::Add(const RecordTime& time, const RecordValues& values, std::int64_t seconds)
{
    if (seconds <= 0)
        return;
    if (rows_ == 0) {
        minimum_ = values;
        maximum_ = values;
        origin_ = values;
        first_ = time;
        last_ = time;
    }
    if (time < *first_)
        first_ = time;
    if (time > *last_)
        last_ = time;
    const auto weight = static_cast<double>(seconds);
    for (std::size_t i = 0; i < values.size(); ++i) {
        const double value = values[i];
        if (value < minimum_[i])
            minimum_[i] = value;
        if (value > maximum_[i])
            maximum_[i] = value;
        sum_[i] += (value - origin_[i]) * weight;
    }
    pmvSeconds_[static_cast<std::size_t>(PmvCategoryOf(values[QuantityIndex(RecordQuantity::Pmv)]))] += seconds;
    wbgtSeconds_[static_cast<std::size_t>(WbgtLevelOf(values[QuantityIndex(RecordQuantity::WbgtIn)]))] += seconds;
    rows_ += seconds;
}

void SurveySummary::Append(const SurveySummary& later)
{
    if (later.rows_ == 0 || rows_ == 0) {
        const std::int64_t skipped = skippedRows_ + later.skippedRows_;
        const std::int64_t duplicates = duplicateRows_ + later.duplicateRows_;
        if (rows_ == 0)
            *this = later;
        skippedRows_ = skipped;
        duplicateRows_ = duplicates;
        return;
    }
    if (*later.first_ < *first_)
        first_ = later.first_;
    if (*later.last_ > *last_)
        last_ = later.last_;
    for (std::size_t i = 0; i < sum_.size(); ++i) {
        if (later.minimum_[i] < minimum_[i])
            minimum_[i] = later.minimum_[i];
        if (later.maximum_[i] > maximum_[i])
            maximum_[i] = later.maximum_[i];
        // The later sums count from the later origin.
        sum_[i] += later.sum_[i] + (later.origin_[i] - origin_[i]) * static_cast<double>(later.rows_);
    }
    for (std::size_t i = 0; i < pmvSeconds_.size(); ++i)
        pmvSeconds_[i] += later.pmvSeconds_[i];
    for (std::size_t i = 0; i < wbgtSeconds_.size(); ++i)
        wbgtSeconds_[i] += later.wbgtSeconds_[i];
    rows_ += later.rows_;
    skippedRows_ += later.skippedRows_;
    duplicateRows_ += later.duplicateRows_;
}

double SurveySummary::Average(RecordQuantity quantity) const
{
    const std::size_t i = QuantityIndex(quantity);
    return rows_ > 0 ? origin_[i] + sum_[i] / static_cast<double>(rows_) : 0.0;
}

double SurveySummary::Share(PmvCategory category) const
{
    return rows_ > 0 ? static_cast<double>(pmvSeconds_[static_cast<std::size_t>(category)]) / static_cast<double>(rows_)
                     : 0.0;
}

double SurveySummary::Share(WbgtLevel level) const
{
    return rows_ > 0 ? static_cast<double>(wbgtSeconds_[static_cast<std::size_t>(level)]) / static_cast<double>(rows_)
                     : 0.0;
}

}  // namespace qemra
