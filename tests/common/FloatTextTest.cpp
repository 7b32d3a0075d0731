#include "common/FloatText.h"

#include <gtest/gtest.h>

namespace qemra {
namespace {

struct FloatCase {
    double value;
    double exponentBelow;
    const char* text;
};

TEST(GeneralFloatText, WritesFifteenSignificantDigitsLikeTheParameterFiles)
{
    const FloatCase cases[] = {
        {0.2f, kParameterFileExponentBelow, "0.200000002980232"},
        {0.013f, kParameterFileExponentBelow, "0.0130000002682209"},
        {0.0000625f, kParameterFileExponentBelow, "6.25000029685907E-5"},
        {0.1234f, kRecordFileExponentBelow, "0.123400002717972"},
        {-0.2f, kParameterFileExponentBelow, "-0.200000002980232"},
        {2.5, kParameterFileExponentBelow, "2.5"},
        {50, kParameterFileExponentBelow, "50"},
        {-3, kParameterFileExponentBelow, "-3"},
        {0, kParameterFileExponentBelow, "0"},
        {-0.0, kParameterFileExponentBelow, "0"},
        {1200, kParameterFileExponentBelow, "1200"},
        {123456.75, kParameterFileExponentBelow, "123456.75"},
        {0.0001, kParameterFileExponentBelow, "0.0001"},
        {0.00001, kRecordFileExponentBelow, "0.00001"},
        {0.00005, kParameterFileExponentBelow, "5E-5"},
        {1e-6f, kRecordFileExponentBelow, "9.99999997475243E-7"},
        {-1.5e-7, kRecordFileExponentBelow, "-1.5E-7"},
        {1.0 / 3.0, kParameterFileExponentBelow, "0.333333333333333"},
        {2.0 / 3.0, kParameterFileExponentBelow, "0.666666666666667"},
        {999999999999999.0, kParameterFileExponentBelow, "999999999999999"},
        {1e15, kParameterFileExponentBelow, "1E15"},
        {1e20, kParameterFileExponentBelow, "1E20"},
        {-1.25e20, kParameterFileExponentBelow, "-1.25E20"},
        {0.99999999999999999, kParameterFileExponentBelow, "1"},
        {9.9999999999999999e-5, kParameterFileExponentBelow, "0.0001"},
        {1e-300, kParameterFileExponentBelow, "1E-300"},
    };
    for (const FloatCase& c : cases)
        EXPECT_EQ(GeneralFloatText(c.value, c.exponentBelow), QString::fromLatin1(c.text)) << c.text;
}

TEST(GeneralFloatText, ReadsBackAsTheSameSinglePrecisionValue)
{
    for (const float f : {0.2f, 0.013f, 0.0000625f, 3.14159f, -273.15f, 1e-30f, 3.0e38f}) {
        const QString text = GeneralFloatText(f, kParameterFileExponentBelow);
        EXPECT_EQ(static_cast<float>(text.toDouble()), f) << text.toStdString();
    }
}

TEST(GeneralFloatText, PutsTheGivenSeparatorInPlaceOfThePoint)
{
    EXPECT_EQ(GeneralFloatText(0.1234f, kRecordFileExponentBelow, u','), QString("0,123400002717972"));
    EXPECT_EQ(GeneralFloatText(1.5e-7, kRecordFileExponentBelow, u','), QString("1,5E-7"));
    EXPECT_EQ(GeneralFloatText(42, kRecordFileExponentBelow, u','), QString("42"));
}

}  // namespace
}  // namespace qemra
