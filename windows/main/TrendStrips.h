#pragma once

#include <QRgb>

#include <array>

namespace qemra {

// The five trend strips, top to bottom, and the eight series drawn in them: the live window and
// the history window show the same quantities in the same colours.
inline constexpr std::array<const char*, 5> kTrendChartNames{"ChartPMV", "ChartWBGT", "ChartAT", "ChartRH", "ChartWS"};

struct TrendSeriesStyle {
    int chart;                // index into kTrendChartNames
    const char* code;         // value code
    QRgb color;               // line colour
    const char16_t* caption;  // as the value panel's label reads
    const char16_t* format;   // as the value panel shows the value
};

// In drawing order within each chart (series 0, 1, 2).
inline constexpr std::array<TrendSeriesStyle, 8> kTrendSeries{{
    {0, "M53", qRgb(0, 196, 0), u"PMV", u"%1.1f"},
    {1, "M52", qRgb(0, 196, 0), u"WBGT 内", u"%1.1f ℃"},
    {1, "M51", qRgb(0, 128, 255), u"WBGT 外", u"%1.1f ℃"},
    {2, "M11", qRgb(255, 0, 0), u"気温", u"%1.1f ℃"},
    {2, "M04", qRgb(255, 0, 255), u"輻射熱", u"%1.1f ℃"},
    {2, "M22", qRgb(0, 0, 255), u"露点温度", u"%1.1f ℃"},
    {3, "M12", qRgb(0, 0, 255), u"相対湿度", u"%1.1f ％"},
    {4, "M01", qRgb(255, 0, 255), u"風速", u"%1.3f m/s."},
}};

}  // namespace qemra
