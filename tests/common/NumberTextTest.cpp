#include "common/NumberText.h"

#include <gtest/gtest.h>

#include <limits>

namespace qemra {
namespace {

struct FloatFormatCase {
    const char* format;
    double value;
    char16_t separator;
    const char* text;
};

TEST(FormatFloat, FormatsTheOneConversionAmongLiteralText)
{
    const FloatFormatCase cases[] = {
        {"%1.3f m/s.", 0.25, u'.', "0.250 m/s."},
        {"%1.3f m/s.", 0.25, u',', "0,250 m/s."},
        {"%1.2f ℃", -5.125, u'.', "-5.13 ℃"},
        {"%1.1f ％", 55.55, u',', "55,5 ％"},
        {"%1.2f", 1234.5, u'.', "1234.50"},
        {"%6.1f|", 2.25, u'.', "   2.3|"},
        {"%-6.1f|", 2.75, u'.', "2.8   |"},
        {"%1.0f", 2.5, u',', "3"},
        {"%1.1f", 21.25, u'.', "21.3"},
        {"%1.1f", -21.25, u'.', "-21.3"},
        {"%1.3f", 0.0625, u'.', "0.063"},
        {"%1.2f", 2.675, u'.', "2.67"},
        {"%e", 1500.0, u',', "1,500000e+03"},
        {"%1.1f%%", 99.94, u'.', "99.9%"},
        {"温度 %1.2f℃ です", 21.0, u'.', "温度 21.00℃ です"},
        {"no number", 1.0, u'.', "no number"},
        // Widths and precisions past two digits are no conversion: copied, never expanded.
        {"%99.99f|", 1.0, u'.', nullptr},
        {"%.99999968f", 1.5, u'.', "%.99999968f"},
        {"%100f m/s.", 1.5, u'.', "%100f m/s."},
    };
    for (const FloatFormatCase& c : cases) {
        const QString text = FormatFloat(QString::fromUtf8(c.format), c.value, QChar(c.separator));
        if (c.text == nullptr)
            EXPECT_EQ(text, "1." + QString(99, u'0') + "|") << c.format;
        else
            EXPECT_EQ(text, QString::fromUtf8(c.text)) << c.format;
    }
}

TEST(FormatInt, FormatsTheOneConversionAmongLiteralText)
{
    EXPECT_EQ(FormatInt("%d /s.", 12), QString("12 /s."));
    EXPECT_EQ(FormatInt("%d", -7), QString("-7"));
    EXPECT_EQ(FormatInt("%3d|", 5), QString("  5|"));
    EXPECT_EQ(FormatInt("%.2X", 10), QString("0A"));
    EXPECT_EQ(FormatInt("%d", std::numeric_limits<long long>::min()), QString("-9223372036854775808"));
    EXPECT_EQ(FormatInt(QString::fromUtf8("%d 回"), 3), QString::fromUtf8("3 回"));
    EXPECT_EQ(FormatInt("%4294967296d", 3), QString("%4294967296d"));
}

struct ParseCase {
    const char* text;
    char16_t separator;
    bool accepted;
    double value;
};

TEST(TryTextToFloat, AcceptsOnlyPlainDecimalNumbers)
{
    const ParseCase cases[] = {
        {"1.5", u'.', true, 1.5},
        {"  -2.25 ", u'.', true, -2.25},
        {"+3", u'.', true, 3},
        {".5", u'.', true, 0.5},
        {"5.", u'.', true, 5},
        {"1,5", u',', true, 1.5},
        {"1e3", u'.', true, 1000},
        {"2.5E-2", u'.', true, 0.025},
        {"-1E+2", u'.', true, -100},
        {"0.200000002980232", u'.', true, 0.200000002980232},
        {"6.25000029685907E-5", u'.', true, 6.25000029685907E-5},
        {"1e-400", u'.', true, 0},
        {"", u'.', false, 0},
        {"   ", u'.', false, 0},
        {"abc", u'.', false, 0},
        {"1,5", u'.', false, 0},
        {"1.5", u',', false, 0},
        {"1.2.3", u'.', false, 0},
        {"1,000.5", u'.', false, 0},
        {".", u'.', false, 0},
        {"-", u'.', false, 0},
        {"e5", u'.', false, 0},
        {"1e", u'.', false, 0},
        {"1e+", u'.', false, 0},
        {"1 2", u'.', false, 0},
        {"12abc", u'.', false, 0},
        {"--1", u'.', false, 0},
        {"inf", u'.', false, 0},
        {"nan", u'.', false, 0},
        {"0x10", u'.', false, 0},
        {"1e400", u'.', false, 0},
        {"１２", u'.', false, 0},
    };
    for (const ParseCase& c : cases) {
        double out = 42;
        EXPECT_EQ(TryTextToFloat(QString::fromUtf8(c.text), out, QChar(c.separator)), c.accepted) << c.text;
        EXPECT_DOUBLE_EQ(out, c.accepted ? c.value : 42) << c.text;
    }
}

TEST(TryTextToSingle, RoundsToSinglePrecisionAndRefusesWhatWouldBecomeInfinity)
{
    float value = 7;
    EXPECT_TRUE(TryTextToSingle("0.2", value, '.'));
    EXPECT_EQ(value, 0.2f);
    EXPECT_TRUE(TryTextToSingle("3.40282346638529E38", value, '.')) << "the largest single, as saved";
    EXPECT_EQ(value, std::numeric_limits<float>::max());
    value = 7;
    EXPECT_FALSE(TryTextToSingle("1e39", value, '.'));
    EXPECT_FALSE(TryTextToSingle("-1e39", value, '.'));
    EXPECT_FALSE(TryTextToSingle("abc", value, '.'));
    EXPECT_EQ(value, 7) << "a refused text leaves the value alone";
}

}  // namespace
}  // namespace qemra
