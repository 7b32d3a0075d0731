#include "calibration/CalStatistics.h"

#include <QCoreApplication>

#include <array>

#include <cmath>

namespace qemra {

const std::array<float TMesData::*, kCalChannelCount> CalChannelFields = {
    &TMesData::M01, &TMesData::C21, &TMesData::C22, &TMesData::C16, &TMesData::C17,
    &TMesData::C32, &TMesData::C26, &TMesData::C27, &TMesData::C76, &TMesData::C77};

namespace {

constexpr int kWindowSlots = 30;
constexpr int kSummarySlots = 5;
constexpr int kWind5Slots = 5;
constexpr int kWind15Slots = 15;

// The old value stays unless the new one is strictly beyond it.
double LargerOf(double value, double old) { return value > old ? value : old; }
double SmallerOf(double value, double old) { return value < old ? value : old; }

bool Filled(const TMesData& slot) { return slot.Measuring == 1; }

double Field(const TMesData& record, int channel)
{
    return static_cast<double>(record.*CalChannelFields[static_cast<std::size_t>(channel)]);
}

// Both air-temperature averages outside this open interval are left out of the reference.
bool AcceptedAirTemperature(double average) { return average > -10.0 && average < 50.0; }

void AddBody(CalSummaryBody& sum, const CalSummaryBody& body)
{
    sum.DifT += body.DifT;
    sum.ATRev0 += body.ATRev0;
    sum.ATRev1 += body.ATRev1;
    sum.WDTRev0 += body.WDTRev0;
    sum.WDTRev1 += body.WDTRev1;
}

void FoldMax(CalSummaryBody& max, const CalSummaryBody& body)
{
    max.DifT = LargerOf(body.DifT, max.DifT);
    max.ATRev0 = LargerOf(body.ATRev0, max.ATRev0);
    max.ATRev1 = LargerOf(body.ATRev1, max.ATRev1);
    max.WDTRev0 = LargerOf(body.WDTRev0, max.WDTRev0);
    max.WDTRev1 = LargerOf(body.WDTRev1, max.WDTRev1);
}

void FoldMin(CalSummaryBody& min, const CalSummaryBody& body)
{
    min.DifT = SmallerOf(body.DifT, min.DifT);
    min.ATRev0 = SmallerOf(body.ATRev0, min.ATRev0);
    min.ATRev1 = SmallerOf(body.ATRev1, min.ATRev1);
    min.WDTRev0 = SmallerOf(body.WDTRev0, min.WDTRev0);
    min.WDTRev1 = SmallerOf(body.WDTRev1, min.WDTRev1);
}

void DivideBody(CalSummaryBody& body, int count)
{
    body.DifT /= count;
    body.ATRev0 /= count;
    body.ATRev1 /= count;
    body.WDTRev0 /= count;
    body.WDTRev1 /= count;
}

void ClearFlags(CalStats& s)
{
    s.WSStable = s.AT1Stable = s.AT2Stable = s.WDT1Stable = s.WDT2Stable = 0;
    s.BGT1Stable = s.BGT2Stable = s.BBT1Stable = s.BBT2Stable = s.DifTStable = 0;
    s.WSZero = s.WSInTol = 0;
}

void UpdateCorrections(CalStats& s)
{
    const auto& avg = s.WinAvg;
    const bool at1 = AcceptedAirTemperature(avg[kChAT1]);
    const bool at2 = AcceptedAirTemperature(avg[kChAT2]);
    double sum = avg[kChBGT1] + avg[kChBGT2] + avg[kChBBT1] + avg[kChBBT2];
    int count = 4;
    if (at1) {
        sum += avg[kChAT1];
        ++count;
    }
    if (at2) {
        sum += avg[kChAT2];
        ++count;
    }
    const double reference = sum / count;
    s.ATRevCal0 = at1 ? static_cast<float>(reference - avg[kChAT1]) : 0.0f;
    s.ATRevCal1 = at2 ? static_cast<float>(reference - avg[kChAT2]) : 0.0f;
    s.BGTRevCal0 = static_cast<float>(reference - avg[kChBGT1]);
    s.BGTRevCal1 = static_cast<float>(reference - avg[kChBGT2]);
    s.BBTRevCal0 = static_cast<float>(reference - avg[kChBBT1]);
    s.BBTRevCal1 = static_cast<float>(reference - avg[kChBBT2]);

    const double wdt = (avg[kChWDT1] + avg[kChWDT2]) * 0.5;
    s.WDTRevCal0 = static_cast<float>(wdt - avg[kChWDT1]);
    s.WDTRevCal1 = static_cast<float>(wdt - avg[kChWDT2]);

    // The two conditions overlap, so between 0.3 and 0.5 both differences follow the reading.
    const double wind = avg[kChWind];
    if (wind < 0.5)
        s.DifT0mCal = static_cast<float>(avg[kChDifT]);
    if (wind > 0.3)
        s.AdjDifTCal = static_cast<float>(avg[kChDifT]);
}

// Summary entries are taken by the fill state of the history slot of the same age, not by their
// own Valid flag. Returns how many were taken; with none the summary statistics keep their values,
// as an average over nothing has no value to show.
template <class Window>
int UpdateSummaries(CalStats& s, const Window& history)
{
    for (int k = CalStats::kSummaryCount - 1; k > 0; --k)
        s.SumHist[static_cast<std::size_t>(k)] = s.SumHist[static_cast<std::size_t>(k - 1)];
    CalSummary& newest = s.SumHist[0];
    newest.Valid = 1;
    newest.Body.DifT = s.WinAvg[kChDifT];
    newest.Body.ATRev0 = static_cast<double>(s.ATRevCal0);
    newest.Body.ATRev1 = static_cast<double>(s.ATRevCal1);
    newest.Body.WDTRev0 = static_cast<double>(s.WDTRevCal0);
    newest.Body.WDTRev1 = static_cast<double>(s.WDTRevCal1);

    CalSummaryBody sum;
    CalSummaryBody max = newest.Body;
    CalSummaryBody min = newest.Body;
    int m = 0;
    for (int k = 0; k < kSummarySlots; ++k) {
        if (!Filled(history[k]))
            continue;
        ++m;
        const CalSummaryBody& body = s.SumHist[static_cast<std::size_t>(k)].Body;
        AddBody(sum, body);
        FoldMax(max, body);
        FoldMin(min, body);
    }
    if (m == 0)
        return 0;
    DivideBody(sum, m);
    s.SumAvg = sum;
    s.SumMax = max;
    s.SumMin = min;
    return m;
}

void UpdateReadiness(CalStats& s)
{
    const auto spread = [&s](int channel) { return s.WinMax[channel] - s.WinMin[channel]; };
    const double difT = s.SumMax.DifT - s.SumMin.DifT;
    const double atRev0 = s.SumMax.ATRev0 - s.SumMin.ATRev0;
    const double wdtRev0 = s.SumMax.WDTRev0 - s.SumMin.WDTRev0;
    // Both air-temperature flags read the first sensor's correction spread, and both WDT flags the
    // first WDT correction's: the second correction moves with the first through the reference.
    s.WSStable = spread(kChWind) < 0.2;
    s.AT1Stable = spread(kChAT1) < 0.2 && atRev0 < 0.005;
    s.AT2Stable = spread(kChAT2) < 0.2 && atRev0 < 0.005;
    s.WDT1Stable = spread(kChWDT1) < 0.8 && wdtRev0 < 0.005;
    s.WDT2Stable = spread(kChWDT2) < 0.8 && wdtRev0 < 0.005;
    s.BGT1Stable = spread(kChBGT1) < 0.2;
    s.BGT2Stable = spread(kChBGT2) < 0.2;
    s.BBT1Stable = spread(kChBBT1) < 0.2;
    s.BBT2Stable = spread(kChBBT2) < 0.2;
    s.DifTStable = spread(kChDifT) < 1.0 && difT < 0.12;
}

// Average wind speed over the filled slots among the `newest` slots; 0 when none is filled.
template <class Window>
double WindAverage(const Window& history, int newest, int& filled)
{
    double sum = 0;
    filled = 0;
    for (int k = 0; k < newest; ++k) {
        if (!Filled(history[k]))
            continue;
        ++filled;
        sum += Field(history[k], kChWind);
    }
    return filled > 0 ? sum / filled : 0.0;
}

// 1 at the reference speed, 0.5 at 0.5 % off, 0 from 1 % off. Without a positive tolerance (a
// reference speed of 0) there is no band to scale by: 1 only on the reference itself, else 0.
float Gauge(double average, float adjWS, float tol)
{
    const float d = static_cast<float>(average - static_cast<double>(adjWS));
    double g;
    if (tol > 0.0f)
        g = 1.0 - 0.5 * std::fabs(static_cast<double>(d)) / static_cast<double>(tol);
    else
        g = d == 0.0f ? 1.0 : 0.0;
    if (!(g >= 0.0))  // also keeps a NaN reading off the gauge
        g = 0.0;
    return static_cast<float>(g);
}

// A run of snapshots read like the ring; slots past its end read as an unfilled record.
class SpanWindow {
public:
    explicit SpanWindow(std::span<const TMesData> newest) : newest_(newest) {}
    const TMesData& operator[](int age) const
    {
        static constexpr TMesData kUnfilled{};
        return age >= 0 && static_cast<std::size_t>(age) < newest_.size() ? newest_[static_cast<std::size_t>(age)]
                                                                          : kUnfilled;
    }

private:
    std::span<const TMesData> newest_;
};

template <class Window>
void WindAverages(CalStats& stats, const Window& history, float adjWS, std::int32_t& calStep);

template <class Window>
void Evaluate(CalStats& stats, const Window& history, const TMesData& current, float adjWS, std::int32_t& calStep)
{
    // The live value counts once more for the extremes but not for the average.
    for (int c = 0; c < kCalChannelCount; ++c) {
        stats.WinAvg[c] = 0;
        stats.WinMax[c] = stats.WinMin[c] = Field(current, c);
    }
    ClearFlags(stats);

    int n = 0;
    bool complete = true;
    for (int k = 0; k < kWindowSlots; ++k) {
        const TMesData& slot = history[k];
        if (!Filled(slot)) {
            complete = false;
            continue;
        }
        ++n;
        for (int c = 0; c < kCalChannelCount; ++c) {
            const double value = Field(slot, c);
            stats.WinAvg[c] += value;
            stats.WinMax[c] = LargerOf(value, stats.WinMax[c]);
            stats.WinMin[c] = SmallerOf(value, stats.WinMin[c]);
        }
    }

    if (n > 0) {
        for (double& avg : stats.WinAvg)
            avg /= n;
        UpdateCorrections(stats);
        const int m = UpdateSummaries(stats, history);
        if (complete && m > 0)
            UpdateReadiness(stats);
    }
    WindAverages(stats, history, adjWS, calStep);
}

template <class Window>
void WindAverages(CalStats& stats, const Window& history, float adjWS, std::int32_t& calStep)
{
    stats.WSZero = 0;
    stats.WSInTol = 0;
    stats.WSAvg5 = stats.WSAvg15 = 0;
    stats.WSGauge5 = stats.WSGauge15 = 0;

    const float tol = static_cast<float>(static_cast<double>(adjWS) * 0.005);
    int filled5 = 0;
    int filled15 = 0;
    const double a5 = WindAverage(history, kWind5Slots, filled5);
    const double a15 = WindAverage(history, kWind15Slots, filled15);
    if (filled15 == 0)
        return;

    stats.WSAvg5 = static_cast<float>(a5);
    stats.WSAvg15 = static_cast<float>(a15);
    stats.WSGauge5 = Gauge(a5, adjWS, tol);
    stats.WSGauge15 = Gauge(a15, adjWS, tol);

    if (a5 == 0.0) {
        stats.WSZero = 1;
        if (calStep == 9)
            calStep = 10;
    }
    const double half = static_cast<double>(tol) * 0.5;
    if (static_cast<double>(adjWS) - half < a15 && a15 < static_cast<double>(adjWS) + half) {
        stats.WSInTol = 1;
        if (calStep == 11)
            calStep = 12;
    } else if (calStep == 12) {
        calStep = 11;
    }
}

}  // namespace

void UpdateCalStatistics(CalStats& stats, const TMesHistory& history, const TMesData& current, float adjWS,
                         std::int32_t& calStep)
{
    Evaluate(stats, history, current, adjWS, calStep);
}

void UpdateCalStatistics(CalStats& stats, std::span<const TMesData> newest, const TMesData& current, float adjWS,
                         std::int32_t& calStep)
{
    Evaluate(stats, SpanWindow(newest), current, adjWS, calStep);
}

void UpdateWindAverages(CalStats& stats, const TMesHistory& history, float adjWS, std::int32_t& calStep)
{
    WindAverages(stats, history, adjWS, calStep);
}

QString CalChannelLabel(int channel)
{
    // Shown on the calibration page and in the certificate, so in the screens' language.
    static constexpr std::array<const char*, kCalChannelCount> kLabels = {
        QT_TRANSLATE_NOOP("CalChannels", "風速"),       QT_TRANSLATE_NOOP("CalChannels", "気温１"),
        QT_TRANSLATE_NOOP("CalChannels", "気温２"),     QT_TRANSLATE_NOOP("CalChannels", "風速温度１"),
        QT_TRANSLATE_NOOP("CalChannels", "風速温度２"), QT_TRANSLATE_NOOP("CalChannels", "温度差L"),
        QT_TRANSLATE_NOOP("CalChannels", "黒球温１"),   QT_TRANSLATE_NOOP("CalChannels", "黒球温２"),
        QT_TRANSLATE_NOOP("CalChannels", "基板温１"),   QT_TRANSLATE_NOOP("CalChannels", "基板温２")};
    return QCoreApplication::translate("CalChannels", kLabels.at(static_cast<std::size_t>(channel)));
}

}  // namespace qemra
