#include "system/CalStatistics.h"

namespace qemra {

const std::array<float TMesData::*, kCalChannelCount> CalChannelFields = {
    &TMesData::M01, &TMesData::C21, &TMesData::C22, &TMesData::C16, &TMesData::C17,
    &TMesData::C32, &TMesData::C26, &TMesData::C27, &TMesData::C76, &TMesData::C77};

void UpdateCalStatistics(CalStats& stats, const TMesHistory& history, const TMesData& current, float adjWS,
                         std::int32_t& calStep)
{
    // Filled in by the calibration statistics work.
    (void)current;
    UpdateWindAverages(stats, history, adjWS, calStep);
}

void UpdateWindAverages(CalStats& stats, const TMesHistory& history, float adjWS, std::int32_t& calStep)
{
    (void)stats;
    (void)history;
    (void)adjWS;
    (void)calStep;
}

}  // namespace qemra
