#pragma once

#include "acquisition/Records.h"

#include <QString>
#include <array>
#include <cstdint>
#include <span>

namespace qemra {

// The ten calibration channels, in the order the statistics hold them and the grid shows them.
enum CalChannel : int {
    kChWind = 0,  // M01
    kChAT1,       // C21
    kChAT2,       // C22
    kChWDT1,      // C16
    kChWDT2,      // C17
    kChDifT,      // C32
    kChBGT1,      // C26
    kChBGT2,      // C27
    kChBBT1,      // C76
    kChBBT2,      // C77
    kCalChannelCount
};

// The record field each channel reads.
extern const std::array<float TMesData::*, kCalChannelCount> CalChannelFields;

// The five summary values of one evaluated second.
struct CalSummaryBody {
    double DifT = 0;
    double ATRev0 = 0;
    double ATRev1 = 0;
    double WDTRev0 = 0;
    double WDTRev1 = 0;
};

struct CalSummary {
    std::uint8_t Valid = 0;
    CalSummaryBody Body;
};

// Everything the once-per-second evaluation keeps; all zero when the window is created.
struct CalStats {
    std::array<double, kCalChannelCount> WinMax{};
    std::array<double, kCalChannelCount> WinAvg{};
    std::array<double, kCalChannelCount> WinMin{};

    float ATRevCal0 = 0, ATRevCal1 = 0;
    float WDTRevCal0 = 0, WDTRevCal1 = 0;
    float BGTRevCal0 = 0, BGTRevCal1 = 0;
    float BBTRevCal0 = 0, BBTRevCal1 = 0;
    float DifT0mCal = 0;
    float AdjDifTCal = 0;

    float WSAvg5 = 0, WSAvg15 = 0;
    float WSGauge5 = 0, WSGauge15 = 0;

    static constexpr int kSummaryCount = 15;
    std::array<CalSummary, kSummaryCount> SumHist{};
    CalSummaryBody SumMax, SumAvg, SumMin;

    std::uint8_t WSStable = 0;
    std::uint8_t AT1Stable = 0, AT2Stable = 0;
    std::uint8_t WDT1Stable = 0, WDT2Stable = 0;
    std::uint8_t BGT1Stable = 0, BGT2Stable = 0;
    std::uint8_t BBT1Stable = 0, BBT2Stable = 0;
    std::uint8_t DifTStable = 0;
    std::uint8_t WSZero = 0, WSInTol = 0;
};

// One evaluation over the 30 newest history slots and the live record; applies the wind-driven
// step changes (9 -> 10, 11 -> 12, 12 -> 11) to `calStep`. Allocates nothing.
void UpdateCalStatistics(CalStats& stats, const TMesHistory& history, const TMesData& current, float adjWS,
                         std::int32_t& calStep);
// The wind-speed part; called at the end of UpdateCalStatistics.
void UpdateWindAverages(CalStats& stats, const TMesHistory& history, float adjWS, std::int32_t& calStep);

// The same over snapshots held outside the ring, newest first; slots past the end count as
// unfilled. Unlike the ring, such a window may have unfilled slots before filled ones.
void UpdateCalStatistics(CalStats& stats, std::span<const TMesData> newest, const TMesData& current, float adjWS,
                         std::int32_t& calStep);

// The label of a channel, by its number in the statistics, as the grid (rows 1 to 10) and the
// certificate show it.
QString CalChannelLabel(int channel);

}  // namespace qemra
