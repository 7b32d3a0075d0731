#include "survey/ComfortFormulas.h"

#include <algorithm>
#include <cmath>

namespace qemra {

PmvCategory PmvCategoryOf(double pmv)
{
    // The bounds are the doubles of their decimal texts, the same doubles a file's "0.2" reads as.
    const double magnitude = std::fabs(pmv);
    if (magnitude < 0.2)
        return PmvCategory::A;
    if (magnitude < 0.5)
        return PmvCategory::B;
    if (magnitude < 0.7)
        return PmvCategory::C;
    return PmvCategory::Outside;
}

ComfortCategory DraughtCategoryOf(double draughtRate)
{
    if (draughtRate < 10)
        return ComfortCategory::A;
    if (draughtRate < 20)
        return ComfortCategory::B;
    if (draughtRate < 30)
        return ComfortCategory::C;
    return ComfortCategory::Outside;
}

ComfortCategory WorseOf(ComfortCategory a, ComfortCategory b) { return std::max(a, b); }

double PmvLimitOf(ComfortCategory category)
{
    switch (category) {
    case ComfortCategory::A:
        return 0.2;
    case ComfortCategory::B:
        return 0.5;
    case ComfortCategory::C:
    case ComfortCategory::Outside:
        break;
    }
    return 0.7;
}

En16798Category En16798CategoryOf(double pmv)
{
    const double magnitude = std::fabs(pmv);
    if (magnitude < 0.2)
        return En16798Category::I;
    if (magnitude < 0.5)
        return En16798Category::II;
    if (magnitude < 0.7)
        return En16798Category::III;
    if (magnitude < 1.0)
        return En16798Category::IV;
    return En16798Category::Outside;
}

double PpdOf(double pmv)
{
    const double square = pmv * pmv;
    return 100.0 - 95.0 * std::exp(-0.03353 * square * square - 0.2179 * square);
}

double OperativeTemperature(double airTemp, double radiantTemp, double wind)
{
    const double a = wind < 0.2 ? 0.5 : wind < 0.6 ? 0.6 : 0.7;
    return a * airTemp + (1.0 - a) * radiantTemp;
}

DraughtFigures DraughtOf(double meanWind, double windDeviation, double meanAirTemp)
{
    DraughtFigures figures;
    figures.meanWind = meanWind;
    figures.meanAirTemp = meanAirTemp;
    figures.turbulenceIntensity = meanWind > 0 ? 100.0 * windDeviation / meanWind : 0.0;
    const double v = std::max(meanWind, 0.05);
    const double rate =
        (34.0 - meanAirTemp) * std::pow(v - 0.05, 0.62) * (0.37 * v * figures.turbulenceIntensity + 3.14);
    figures.draughtRate = std::clamp(rate, 0.0, 100.0);
    figures.outsideModel = meanAirTemp < 20 || meanAirTemp > 26 || meanWind > 0.5 || figures.turbulenceIntensity < 10 ||
                           figures.turbulenceIntensity > 60;
    return figures;
}

WbgtLimits WbgtLimitsFor(double meanMets)
{
    // The metabolic rate in W of a body of 1.8 m2.
    const double logRate = std::log10(meanMets * 58.15 * 1.8);
    return {56.7 - 11.5 * logRate, 59.9 - 14.1 * logRate};
}

std::optional<double> AdaptiveComfortTemperature(double runningMean)
{
    if (runningMean < 15 || runningMean > 30)
        return std::nullopt;
    return 0.33 * runningMean + 18.8;
}

AdaptiveCategory AdaptiveCategoryOf(double operativeTemp, double comfortTemp)
{
    const auto within = [&](double below, double above) {
        return operativeTemp >= comfortTemp - below && operativeTemp <= comfortTemp + above;
    };
    if (within(3, 2))
        return AdaptiveCategory::I;
    if (within(4, 3))
        return AdaptiveCategory::II;
    if (within(5, 4))
        return AdaptiveCategory::III;
    return AdaptiveCategory::Outside;
}

}  // namespace qemra
