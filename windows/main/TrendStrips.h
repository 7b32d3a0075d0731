#pragma once

#include <QCoreApplication>
#include <QRgb>
#include <QString>

#include <array>

namespace qemra {

// The five trend strips, top to bottom, and the eight series drawn in them: the live window and
// the history window show the same quantities in the same colours.
inline constexpr std::array<const char*, 5> kTrendChartNames{"ChartPMV", "ChartWBGT", "ChartAT", "ChartRH", "ChartWS"};

struct TrendSeriesStyle {
    int chart;                // index into kTrendChartNames
    const char* code;         // value code
    QRgb color;               // line colour
    const char* caption;      // as the value panel's label reads, before translation
    const char* format;       // as the value panel shows the value, before translation
};

// In drawing order within each chart (series 0, 1, 2).
inline constexpr std::array<TrendSeriesStyle, 8> kTrendSeries{{
    {0, "M53", qRgb(0, 196, 0), "PMV", "%1.1f"},
    {1, "M52", qRgb(0, 196, 0), QT_TRANSLATE_NOOP("TrendStrips", "WBGT 内"), "%1.1f ℃"},
    {1, "M51", qRgb(0, 128, 255), QT_TRANSLATE_NOOP("TrendStrips", "WBGT 外"), "%1.1f ℃"},
    {2, "M11", qRgb(255, 0, 0), QT_TRANSLATE_NOOP("TrendStrips", "気温"), "%1.1f ℃"},
    {2, "M04", qRgb(255, 0, 255), QT_TRANSLATE_NOOP("TrendStrips", "輻射熱"), "%1.1f ℃"},
    {2, "M22", qRgb(0, 0, 255), QT_TRANSLATE_NOOP("TrendStrips", "露点温度"), "%1.1f ℃"},
    {3, "M12", qRgb(0, 0, 255), QT_TRANSLATE_NOOP("TrendStrips", "相対湿度"),
     QT_TRANSLATE_NOOP("TrendStrips", "%1.1f ％")},
    {4, "M01", qRgb(255, 0, 255), QT_TRANSLATE_NOOP("TrendStrips", "風速"), "%1.3f m/s."},
}};

// The caption and the value format in the screens' language.
inline QString TrendCaption(const TrendSeriesStyle& style)
{
    return QCoreApplication::translate("TrendStrips", style.caption);
}
inline QString TrendFormat(const TrendSeriesStyle& style)
{
    return QCoreApplication::translate("TrendStrips", style.format);
}

}  // namespace qemra
