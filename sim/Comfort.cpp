#include "sim/Comfort.h"

#include <algorithm>
#include <cmath>

namespace qemra::sim {

double SaturationPressure(double airC) { return 6.112 * std::exp(17.62 * airC / (243.12 + airC)); }

double DewPoint(double airC, double relativeHumidity)
{
    const double rh = std::clamp(relativeHumidity, 1.0, 100.0);
    const double gamma = std::log(rh / 100.0) + 17.62 * airC / (243.12 + airC);
    return 243.12 * gamma / (17.62 - gamma);
}

double WetBulb(double airC, double relativeHumidity)
{
    const double rh = std::clamp(relativeHumidity, 5.0, 99.0);
    return airC * std::atan(0.151977 * std::sqrt(rh + 8.313659)) + std::atan(airC + rh) - std::atan(rh - 1.676331) +
           0.00391838 * std::pow(rh, 1.5) * std::atan(0.023101 * rh) - 4.686035;
}

double AbsoluteHumidity(double airC, double relativeHumidity)
{
    const double vapour = std::clamp(relativeHumidity, 0.0, 100.0) / 100.0 * SaturationPressure(airC);
    return 622.0 * vapour / (1013.25 - vapour);
}

double MeanRadiant(double globeC, double airC, double windMs)
{
    const double globeK = globeC + 273.15;
    const double fourth = std::pow(globeK, 4) + 2.5e8 * std::pow(std::max(windMs, 0.0), 0.6) * (globeC - airC);
    return std::pow(std::max(fourth, 0.0), 0.25) - 273.15;
}

double WbgtIndoors(double wetBulbC, double globeC) { return 0.7 * wetBulbC + 0.3 * globeC; }

double WbgtOutdoors(double wetBulbC, double globeC, double airC) { return 0.7 * wetBulbC + 0.2 * globeC + 0.1 * airC; }

double Pmv(double airC, double radiantC, double windMs, double relativeHumidity, double met, double clo)
{
    const double pa = std::clamp(relativeHumidity, 0.0, 100.0) * 10.0 * std::exp(16.6536 - 4030.183 / (airC + 235.0));
    const double icl = 0.155 * std::max(clo, 0.0);
    const double m = std::max(met, 0.1) * 58.15;
    const double mw = m;  // no external work
    const double fcl = icl <= 0.078 ? 1.0 + 1.29 * icl : 1.05 + 0.645 * icl;
    const double hcf = 12.1 * std::sqrt(std::max(windMs, 0.0));
    const double taa = airC + 273.0;
    const double tra = radiantC + 273.0;
    const double tcla = taa + (35.5 - airC) / (3.5 * icl + 0.1);
    const double p1 = icl * fcl;
    const double p2 = p1 * 3.96;
    const double p3 = p1 * 100.0;
    const double p4 = p1 * taa;
    const double p5 = 308.7 - 0.028 * mw + p2 * std::pow(tra / 100.0, 4);

    // Clothing surface temperature by fixed-point iteration.
    double xn = tcla / 100.0;
    double xf = tcla / 50.0;
    double hc = hcf;
    for (int n = 0; n < 150 && std::fabs(xn - xf) > 0.00015; ++n) {
        xf = (xf + xn) / 2.0;
        const double hcn = 2.38 * std::pow(std::fabs(100.0 * xf - taa), 0.25);
        hc = std::max(hcf, hcn);
        xn = (p5 + p4 * hc - p2 * std::pow(xf, 4)) / (100.0 + p3 * hc);
    }
    const double tcl = 100.0 * xn - 273.0;

    const double hl1 = 3.05e-3 * (5733.0 - 6.99 * mw - pa);
    const double hl2 = mw > 58.15 ? 0.42 * (mw - 58.15) : 0.0;
    const double hl3 = 1.7e-5 * m * (5867.0 - pa);
    const double hl4 = 0.0014 * m * (34.0 - airC);
    const double hl5 = 3.96 * fcl * (std::pow(xn, 4) - std::pow(tra / 100.0, 4));
    const double hl6 = fcl * hc * (tcl - airC);
    const double ts = 0.303 * std::exp(-0.036 * m) + 0.028;
    const double pmv = ts * (mw - hl1 - hl2 - hl3 - hl4 - hl5 - hl6);
    return std::isfinite(pmv) ? std::clamp(pmv, -3.0, 3.0) : 0.0;
}

double StandardEffective(double airC, double radiantC, double windMs, double relativeHumidity, double met, double clo)
{
    const double operative = (airC + radiantC) / 2.0;
    const double windCooling = 2.0 * std::max(0.0, std::sqrt(std::max(windMs, 0.0)) - 0.3);
    const double humidWarming = 0.02 * (relativeHumidity - 50.0) * std::max(0.0, operative - 24.0) / 2.0;
    return operative - windCooling + humidWarming + 2.0 * (met - 1.0) + 1.5 * (clo - 0.6);
}

}  // namespace qemra::sim
