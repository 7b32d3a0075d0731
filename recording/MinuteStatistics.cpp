#include "recording/MinuteStatistics.h"

#include <cmath>

namespace qemra {

namespace {

constexpr int kC52 = 30;
constexpr float kStartMinimum = 999;

}  // namespace

// The start maxima differ by quantity: 0 for the ones that never go negative in practice, -999
// and -99 for the others, so that a minute of negative values still reports the start value.
const std::array<MinuteQuantity, kMinuteQuantities> MinuteQuantities = {{
    {"風速", &TMesData::M01, 0, false},
    {"気温", &TMesData::M11, -99, false},
    {"湿度", &TMesData::M12, -999, false},
    {"輻射熱", &TMesData::M04, -99, false},
    {"METs", &TMesData::M55, -99, false},
    {"clo", &TMesData::H51, -99, true},
    {"PMV", &TMesData::M53, -99, false},
    {"WBGTo", &TMesData::M51, -99, false},
    {"WBGTi", &TMesData::M52, -99, false},
    {"絶対湿度", &TMesData::M21, -99, false},
    {"露点温度", &TMesData::M22, -99, false},
    {"湿球温度", &TMesData::M23, -99, false},
    {"風向", &TMesData::M05, -999, false},
    {"気温１", &TMesData::C21, -99, false},
    {"気温２", &TMesData::C22, -99, false},
    {"WDS温度１", &TMesData::C16, -99, false},
    {"WDS温度２", &TMesData::C17, -99, false},
    {"BGT温度１", &TMesData::C26, -99, false},
    {"BGT温度２", &TMesData::C27, -99, false},
    {"BB温度１", &TMesData::C76, -99, false},
    {"BB温度２", &TMesData::C77, -99, false},
    {"BB温度３", &TMesData::C78, -99, false},
    {"SHT気温", &TMesData::C71, -999, true},
    {"SHT湿度", &TMesData::C72, -999, true},
    {"風速(補正前)", &TMesData::C01, 0, false},
    {"気温(内部用)", &TMesData::C11, -99, false},
    {"プローブ温度", &TMesData::C12, -99, false},
    {"温度差", &TMesData::C32, -99, false},
    {"CPU使用率", &TMesData::C50, 0, false},
    {"電源電圧", &TMesData::C51, 0, false},
    {"AD変換回数", nullptr, 0, false},
    {"DA出力値", &TMesData::C53, 0, false},
}};

void MinuteStatistics::ResetMinuteStatistics()
{
    count_ = 0;
    sum_.fill(0);
    singleSum_.fill(0);
    for (int i = 0; i < kMinuteQuantities; ++i) {
        max_[i] = MinuteQuantities[i].startMaximum;
        min_[i] = kStartMinimum;
    }
    maxC52_ = 0;
    minC52_ = static_cast<std::int32_t>(kStartMinimum);
}

void MinuteStatistics::AccumulateMinute(const TMesData& current)
{
    if (!current.Measuring)
        return;
    ++count_;
    for (int i = 0; i < kMinuteQuantities; ++i) {
        if (i == kC52) {
            sum_[i] += current.C52;
            if (current.C52 > maxC52_)
                maxC52_ = current.C52;
            if (current.C52 < minC52_)
                minC52_ = current.C52;
            continue;
        }
        const float value = current.*MinuteQuantities[i].field;
        if (MinuteQuantities[i].singleSum)
            singleSum_[i] += value;
        else
            sum_[i] += value;
        if (value > max_[i])
            max_[i] = value;
        if (value < min_[i])
            min_[i] = value;
    }
}

MinuteStatistics::Figures MinuteStatistics::At(int quantity) const
{
    const double count = count_ > 0 ? count_ : 1;
    if (quantity == kC52)
        return {std::trunc(sum_[quantity] / count), double(maxC52_), double(minC52_)};
    const double sum = MinuteQuantities[quantity].singleSum ? double(singleSum_[quantity]) : sum_[quantity];
    return {double(static_cast<float>(sum / count)), double(max_[quantity]), double(min_[quantity])};
}

}  // namespace qemra
