#pragma once

namespace qemra::sim {

// Textbook formulas for the quantities the instrument derives from its sensors. They only need
// to be plausible: the monitor shows and records them but never recomputes them.

double SaturationPressure(double airC);                         // hPa, over water (Magnus)
double DewPoint(double airC, double relativeHumidity);          // ℃
double WetBulb(double airC, double relativeHumidity);           // ℃ (Stull's fit, sea level)
double AbsoluteHumidity(double airC, double relativeHumidity);  // g of water per kg of dry air
// Mean radiant temperature from a 150 mm black globe in moving air.
double MeanRadiant(double globeC, double airC, double windMs);
double WbgtIndoors(double wetBulbC, double globeC);
double WbgtOutdoors(double wetBulbC, double globeC, double airC);
// Fanger's predicted mean vote, limited to the -3..+3 scale.
double Pmv(double airC, double radiantC, double windMs, double relativeHumidity, double met, double clo);
// A standard effective temperature estimate: operative temperature shifted by wind, humidity,
// activity and clothing.
double StandardEffective(double airC, double radiantC, double windMs, double relativeHumidity, double met, double clo);

}  // namespace qemra::sim
