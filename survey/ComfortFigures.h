#pragma once

#include "survey/ComfortOptions.h"
#include "survey/ComfortStream.h"
#include "survey/RecordFileReader.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

namespace qemra {

// A counted (occupied) second as a report generator sees it.
struct CountedSecond {
    RecordTime time;
    std::int64_t weight = 1;  // seconds: 1 for a second row, 60 for a minute row's averages
    double operativeTemp = 0;
    double pmv = 0;
    double ppd = 0;
    std::optional<double> draughtRate;
};
using CountedSecondObserver = std::function<void(const CountedSecond&)>;

// Minimum, weighted sum and maximum of a figure.
struct FigureRange {
    double minimum = 0;
    double maximum = 0;
    double sum = 0;
    std::int64_t seconds = 0;

    void Add(double value, std::int64_t weight);
    void Append(const FigureRange& later);
    double Average() const { return seconds > 0 ? sum / static_cast<double>(seconds) : 0.0; }
};

// The comfort figures over the counted seconds, fed second by second; it keeps no row. The figures
// of days are joined in day order with Append, so a range gives the same bits however its days
// were shared out.
class ComfortFigures {
public:
    // Figures with the default options: every second, category B, no range, no outdoor file.
    ComfortFigures();
    // `options` must outlive the figures and their copies.
    explicit ComfortFigures(const ComfortOptions& options) : options_(&options) {}

    // A counted second (or a minute row as `weight` seconds) with its figures; `comfortTemp` the
    // adaptive comfort temperature of its day, empty where it does not apply.
    void Add(const RecordTime& time, const ComfortSecond& second, std::int64_t weight,
             std::optional<double> comfortTemp);
    void Append(const ComfortFigures& later);

    std::int64_t Seconds() const { return ppd_.seconds; }
    const FigureRange& Ppd() const { return ppd_; }
    const FigureRange& OperativeTemp() const { return operativeTemp_; }
    const FigureRange& DraughtRate() const { return draughtRate_; }
    const FigureRange& TurbulenceIntensity() const { return turbulence_; }
    std::int64_t DraughtSeconds() const { return draughtRate_.seconds; }
    std::int64_t OutsideModelSeconds() const { return outsideModel_; }

    // Shares of the counted seconds, 0 to 1 (the draught categories of the seconds with draught).
    double DraughtShare(ComfortCategory category) const;
    double ComfortShare(ComfortCategory category) const;
    double En16798Share(En16798Category category) const;

    // The long-term figures against the options' category.
    std::int64_t SecondsOutside() const { return outsideSeconds_; }
    double PpdWeightedSeconds() const { return ppdWeightedSeconds_; }
    double DegreeSeconds() const { return degreeSeconds_; }

    struct WbgtPeak {
        double average = 0;
        RecordTime time;
    };
    std::int64_t WbgtSeconds() const { return wbgtSeconds_; }
    std::optional<WbgtPeak> WbgtMaximum() const { return wbgtMaximum_; }
    std::int64_t WbgtOverAcclimatised() const { return overAcclimatised_; }
    std::int64_t WbgtOverUnacclimatised() const { return overUnacclimatised_; }

    std::int64_t AdaptiveSeconds() const { return adaptiveSeconds_; }
    std::int64_t AdaptiveNotApplicable() const { return notApplicable_; }
    double AdaptiveShare(AdaptiveCategory category) const;

    const ComfortOptions& Options() const { return *options_; }

private:
    const ComfortOptions* options_;
    FigureRange ppd_;
    FigureRange operativeTemp_;
    FigureRange draughtRate_;
    FigureRange turbulence_;
    std::int64_t outsideModel_ = 0;
    std::array<std::int64_t, kPmvCategories> draughtCategories_{};
    std::array<std::int64_t, kPmvCategories> comfortCategories_{};
    std::array<std::int64_t, kEn16798Categories> en16798Categories_{};
    std::int64_t outsideSeconds_ = 0;
    double ppdWeightedSeconds_ = 0;
    double degreeSeconds_ = 0;
    std::int64_t wbgtSeconds_ = 0;
    std::optional<WbgtPeak> wbgtMaximum_;
    std::int64_t overAcclimatised_ = 0;
    std::int64_t overUnacclimatised_ = 0;
    std::int64_t adaptiveSeconds_ = 0;
    std::int64_t notApplicable_ = 0;
    std::array<std::int64_t, kAdaptiveCategories> adaptiveCategories_{};
};

}  // namespace qemra
