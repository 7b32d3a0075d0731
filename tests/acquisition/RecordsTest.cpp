#include "acquisition/Records.h"
#include "acquisition/SharedState.h"
#include "common/NumberText.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <cmath>
#include <limits>

using namespace qemra;

namespace {

TEST(CodeTableTest, HoldsThePollGroupsInOrderWithFillersAtTheEnd)
{
    const QStringList groups = {
        "M01 M11 C01 C11 C12 C32 C50 C51",
        "C52 C53 S00 S01 S11 S12 S13 C21",
        "C22 C16 C17 M05 M51 M52 M53 M54",
        "M55 M21 M22 M23 M31 M32 M33 C26",
        "C27 M04 M12 C71 C72 C76 C77 C78",
        "H50 H51 H82 C13 M00 M00 M00 M00",
        "M00 M00",
    };
    QStringList table;
    for (const char* code : CodeTable)
        table << QString::fromLatin1(code);
    EXPECT_EQ(table.join(' '), groups.join(' '));
}

TEST(CodeTableTest, EveryCodeInUseNamesItsOwnFieldAndFillersNone)
{
    // Writing through each index must show up under that index only, with no field shared.
    for (int i = 0; i < kCodeCount; ++i) {
        TMesData record;
        StoreValueAt(record, i, "7");
        for (int j = 0; j < kCodeCount; ++j)
            EXPECT_EQ(ValueAt(record, j), (i == j && i < kCodesInUse) ? 7.0 : 0.0) << i << " " << j;
        EXPECT_EQ(CodeIndex(QString::fromLatin1(CodeTable[static_cast<std::size_t>(i)])), i < kCodesInUse ? i : -1);
    }
}

struct StoreCase {
    const char* code;
    const char* text;
    double expected;  // read back through ValueAt of the code
};

TEST(StoreValueTest, ConvertsToTheTypeOfEachField)
{
    const StoreCase cases[] = {
        {"M01", "1.25", 1.25},
        {"M11", "0.1", static_cast<double>(0.1f)},  // rounded to single precision
        {"M12", "-2.5e1", -25},
        {"S00", " 3E2 ", 300},
        {"C52", "12.9", 12},
        {"C52", "-12.9", -12},
        {"S11", "2147483648", -2147483648.0},  // wraps to the low 32 bits
        {"S12", "4294967297", 1},
        {"S13", "-0.99", 0},
        {"H50", "257", 1},
        {"H50", "-1", 255},
        {"H82", "2.7", 2},
        {"H82", "1e300", 0},  // a multiple of 256: low bits all zero
    };
    for (const StoreCase& c : cases) {
        TMesData record;
        // Reported values are read with "." whatever the user's locale.
        StoreValue(record, c.code, QString::fromLatin1(c.text));
        EXPECT_EQ(ValueAt(record, CodeIndex(c.code)), c.expected) << c.code << "=" << c.text;
    }
}

TEST(StoreValueTest, LeavesTheRecordAloneForUnknownCodesAndBadTexts)
{
    struct Case {
        const char* code;
        const char* text;
    };
    const Case cases[] = {
        {"M01", "abc"}, {"M01", ""},  {"M01", "1.2.3"}, {"C52", "nan"}, {"H50", "inf"},
        {"m01", "5"},   {"M00", "5"}, {"X99", "5"},     {"M01 ", "5"},  {"", "5"},
    };
    TMesData before;
    for (int i = 0; i < kCodesInUse; ++i)
        StoreValueAt(before, i, QString::number(i + 1));
    for (const Case& c : cases) {
        TMesData record = before;
        StoreValue(record, c.code, c.text);
        for (int i = 0; i < kCodesInUse; ++i)
            EXPECT_EQ(ValueAt(record, i), ValueAt(before, i)) << c.code << "=" << c.text << " field " << i;
    }
}

TEST(StoreValueTest, HugeNumbersDoNotCrashAnyField)
{
    for (const char* text : {"1e308", "-1e308", "1e39", "9.3e18", "-9.3e18", "1e400"}) {
        for (int i = 0; i < kCodesInUse; ++i) {
            TMesData record;
            StoreValueAt(record, i, text);
            const double value = ValueAt(record, i);
            EXPECT_FALSE(std::isnan(value)) << text << " field " << i;
        }
    }
    TMesData record;
    StoreValue(record, "M01", "1e39");
    EXPECT_EQ(record.M01, std::numeric_limits<float>::infinity());
    StoreValue(record, "C52", "1e300");
    EXPECT_EQ(record.C52, 0);  // 1e300 is a multiple of 2^32
}

TEST(StoreValueTest, NeverSetsStampOrMeasuring)
{
    TMesData record;
    for (int i = 0; i < kCodeCount; ++i)
        StoreValueAt(record, i, "1");
    StoreValue(record, "Stamp", "1");
    EXPECT_EQ(record.Stamp, 0);
    EXPECT_EQ(record.Measuring, 0);
}

TMesData Snapshot(float m01)
{
    TMesData record;
    record.M01 = m01;
    record.M11 = m01 + 0.5f;
    record.M12 = m01 * 2;
    return record;
}

TEST(MesHistoryTest, StartsEmpty)
{
    TMesHistory history;
    for (int age : {0, 1, 512, 1023}) {
        EXPECT_EQ(history[age].Measuring, 0);
        EXPECT_EQ(history[age].Stamp, 0);
    }
}

TEST(MesHistoryTest, PushPutsTheNewestAtAgeZeroAndStampsIt)
{
    SharedState state;
    state.CurMes = Snapshot(1);
    state.MesHistory.Push(state.CurMes, 45000.25);
    state.CurMes = Snapshot(2);
    state.MesHistory.Push(state.CurMes, 45000.5);

    EXPECT_EQ(state.MesHistory[0].M01, 2);
    EXPECT_EQ(state.MesHistory[0].M12, 4);
    EXPECT_EQ(state.MesHistory[0].Stamp, 45000.5);
    EXPECT_EQ(state.MesHistory[0].Measuring, 1);
    EXPECT_EQ(state.MesHistory[1].M01, 1);
    EXPECT_EQ(state.MesHistory[1].Stamp, 45000.25);
    EXPECT_EQ(state.MesHistory[2].Measuring, 0);
    // Only the history slots carry a stamp.
    EXPECT_EQ(state.CurMes.Stamp, 0);
    EXPECT_EQ(state.CurMes.Measuring, 0);
}

TEST(MesHistoryTest, After1025PushesTheFirstIsGoneAndTheOldestIsTheSecond)
{
    TMesHistory history;
    for (int n = 1; n <= 1025; ++n)
        history.Push(Snapshot(static_cast<float>(n)), n);
    for (int age = 0; age < TMesHistory::kSlots; ++age) {
        ASSERT_EQ(history[age].M01, static_cast<float>(1025 - age)) << age;
        ASSERT_EQ(history[age].Stamp, 1025 - age) << age;
    }
    EXPECT_EQ(history[1023].M01, 2);
}

TEST(MesHistoryTest, ClearZeroesOnlyStampMeasuringWindAndTemperature)
{
    TMesHistory history;
    for (int n = 1; n <= 1030; ++n)  // past one wrap, so the head is not at the start
        history.Push(Snapshot(static_cast<float>(n)), n);
    history.Clear();
    for (int age = 0; age < TMesHistory::kSlots; ++age) {
        ASSERT_EQ(history[age].Stamp, 0) << age;
        ASSERT_EQ(history[age].Measuring, 0) << age;
        ASSERT_EQ(history[age].M01, 0) << age;
        ASSERT_EQ(history[age].M11, 0) << age;
        ASSERT_EQ(history[age].M12, 2.0f * static_cast<float>(1030 - age)) << age;
    }
    history.Push(Snapshot(9), 7);
    EXPECT_EQ(history[0].M01, 9);
    EXPECT_EQ(history[1].M12, 2060);
}

}  // namespace
