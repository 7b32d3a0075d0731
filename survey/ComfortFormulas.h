#pragma once

#include <optional>

namespace qemra {

// The published comfort formulas of the survey figures, each for one point in time.

// Comfort category A, B, C or outside: by |PMV| (below 0.2, 0.5, 0.7) or by draught rate
// (below 10, 20, 30 %).
enum class PmvCategory { A, B, C, Outside };
using ComfortCategory = PmvCategory;
inline constexpr int kPmvCategories = 4;
PmvCategory PmvCategoryOf(double pmv);
ComfortCategory DraughtCategoryOf(double draughtRate);
// The worse of two categories.
ComfortCategory WorseOf(ComfortCategory a, ComfortCategory b);
// The |PMV| at which a category ends: 0.2, 0.5 or 0.7.
double PmvLimitOf(ComfortCategory category);

// Categories I to IV by |PMV| (below 0.2, 0.5, 0.7, 1.0), else outside.
enum class En16798Category { I, II, III, IV, Outside };
inline constexpr int kEn16798Categories = 5;
En16798Category En16798CategoryOf(double pmv);

// Predicted percentage dissatisfied, in %, from the PMV.
double PpdOf(double pmv);

// The operative temperature from air and mean radiant temperature, weighted by the air speed.
double OperativeTemperature(double airTemp, double radiantTemp, double wind);

// The draught over a trailing window from the window's mean air speed, its population standard
// deviation and the mean air temperature.
struct DraughtFigures {
    double meanWind = 0;
    double meanAirTemp = 0;
    double turbulenceIntensity = 0;  // %
    double draughtRate = 0;          // %, 0 to 100
    bool outsideModel = false;       // the conditions the draught model was fitted for do not hold
};
DraughtFigures DraughtOf(double meanWind, double windDeviation, double meanAirTemp);

// The limits of the hourly WBGT average for a mean metabolic rate given in METs.
struct WbgtLimits {
    double acclimatised = 0;
    double unacclimatised = 0;
};
WbgtLimits WbgtLimitsFor(double meanMets);

// Adaptive comfort: the comfort temperature of a running mean outdoor temperature, applicable
// from 15 to 30 degrees; and the category of an operative temperature around it.
enum class AdaptiveCategory { I, II, III, Outside };
inline constexpr int kAdaptiveCategories = 4;
std::optional<double> AdaptiveComfortTemperature(double runningMean);
AdaptiveCategory AdaptiveCategoryOf(double operativeTemp, double comfortTemp);

}  // namespace qemra
