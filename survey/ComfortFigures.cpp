#include "survey/ComfortFigures.h"

#include <algorithm>
#include <cmath>

namespace qemra {

namespace {

double ShareOf(std::int64_t part, std::int64_t whole)
{
    return whole > 0 ? static_cast<double>(part) / static_cast<double>(whole) : 0.0;
}

template <std::size_t N>
void AddCounts(std::array<std::int64_t, N>& to, const std::array<std::int64_t, N>& from)
{
    for (std::size_t i = 0; i < N; ++i)
        to[i] += from[i];
}

template <class Category>
std::size_t At(Category category)
{
    return static_cast<std::size_t>(category);
}

}  // namespace

ComfortFigures::ComfortFigures()
{
    static const ComfortOptions kDefaults;
    options_ = &kDefaults;
}

void FigureRange::Add(double value, std::int64_t weight)
{
    if (seconds == 0) {
        minimum = value;
        maximum = value;
    } else {
        minimum = std::min(minimum, value);
        maximum = std::max(maximum, value);
    }
    sum += value * static_cast<double>(weight);
    seconds += weight;
}

void FigureRange::Append(const FigureRange& later)
{
    if (later.seconds == 0)
        return;
    if (seconds == 0) {
        *this = later;
        return;
    }
    minimum = std::min(minimum, later.minimum);
    maximum = std::max(maximum, later.maximum);
    sum += later.sum;
    seconds += later.seconds;
}

void ComfortFigures::Add(const RecordTime& time, const ComfortSecond& second, std::int64_t weight,
                         std::optional<double> comfortTemp)
{
    ppd_.Add(second.ppd, weight);
    operativeTemp_.Add(second.operativeTemp, weight);

    const ComfortCategory byPmv = PmvCategoryOf(second.pmv);
    ComfortCategory comfort = byPmv;
    if (second.draught) {
        draughtRate_.Add(second.draught->draughtRate, weight);
        turbulence_.Add(second.draught->turbulenceIntensity, weight);
        if (second.draught->outsideModel)
            outsideModel_ += weight;
        const ComfortCategory byDraught = DraughtCategoryOf(second.draught->draughtRate);
        draughtCategories_[At(byDraught)] += weight;
        comfort = WorseOf(byPmv, byDraught);
    }
    comfortCategories_[At(comfort)] += weight;
    en16798Categories_[At(En16798CategoryOf(second.pmv))] += weight;

    const ComfortOptions& options = *options_;
    if (std::fabs(second.pmv) >= PmvLimitOf(options.category)) {
        outsideSeconds_ += weight;
        ppdWeightedSeconds_ += second.ppd / PpdOf(PmvLimitOf(options.category)) * static_cast<double>(weight);
    }
    if (options.toRange) {
        const auto [low, high] = *options.toRange;
        const double beyond = second.operativeTemp < low    ? low - second.operativeTemp
                              : second.operativeTemp > high ? second.operativeTemp - high
                                                            : 0.0;
        degreeSeconds_ += beyond * static_cast<double>(weight);
    }

    if (second.wbgt) {
        wbgtSeconds_ += weight;
        if (!wbgtMaximum_ || second.wbgt->average > wbgtMaximum_->average)
            wbgtMaximum_ = WbgtPeak{second.wbgt->average, time};
        if (second.wbgt->average > second.wbgt->limits.acclimatised)
            overAcclimatised_ += weight;
        if (second.wbgt->average > second.wbgt->limits.unacclimatised)
            overUnacclimatised_ += weight;
    }

    if (options.outdoor) {
        if (comfortTemp) {
            adaptiveSeconds_ += weight;
            adaptiveCategories_[At(AdaptiveCategoryOf(second.operativeTemp, *comfortTemp))] += weight;
        } else {
            notApplicable_ += weight;
        }
    }
}

void ComfortFigures::Append(const ComfortFigures& later)
{
    ppd_.Append(later.ppd_);
    operativeTemp_.Append(later.operativeTemp_);
    draughtRate_.Append(later.draughtRate_);
    turbulence_.Append(later.turbulence_);
    outsideModel_ += later.outsideModel_;
    AddCounts(draughtCategories_, later.draughtCategories_);
    AddCounts(comfortCategories_, later.comfortCategories_);
    AddCounts(en16798Categories_, later.en16798Categories_);
    outsideSeconds_ += later.outsideSeconds_;
    ppdWeightedSeconds_ += later.ppdWeightedSeconds_;
    degreeSeconds_ += later.degreeSeconds_;
    wbgtSeconds_ += later.wbgtSeconds_;
    if (later.wbgtMaximum_ && (!wbgtMaximum_ || later.wbgtMaximum_->average > wbgtMaximum_->average))
        wbgtMaximum_ = later.wbgtMaximum_;
    overAcclimatised_ += later.overAcclimatised_;
    overUnacclimatised_ += later.overUnacclimatised_;
    adaptiveSeconds_ += later.adaptiveSeconds_;
    notApplicable_ += later.notApplicable_;
    AddCounts(adaptiveCategories_, later.adaptiveCategories_);
}

double ComfortFigures::DraughtShare(ComfortCategory category) const
{
    return ShareOf(draughtCategories_[At(category)], DraughtSeconds());
}

double ComfortFigures::ComfortShare(ComfortCategory category) const
{
    return ShareOf(comfortCategories_[At(category)], Seconds());
}

double ComfortFigures::En16798Share(En16798Category category) const
{
    return ShareOf(en16798Categories_[At(category)], Seconds());
}

double ComfortFigures::AdaptiveShare(AdaptiveCategory category) const
{
    return ShareOf(adaptiveCategories_[At(category)], adaptiveSeconds_);
}

}  // namespace qemra
