#include "common/Cp932File.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace qemra {
namespace {

struct Cp932Case {
    const char* text;
    QByteArray bytes;
};

TEST(Cp932, EncodesTheLabelsAndMarksWhatItCannotHold)
{
    const Cp932Case cases[] = {
        {"Ta,Rh,", "Ta,Rh,"},
        {"℃", "\x81\x8E"},
        {"％", "\x81\x93"},
        {"温度", "\x89\xB7\x93\x78"},
        {"風速(m/s)", "\x95\x97\x91\xAC(m/s)"},
        {"ｱ", "\xB1"},
        {"é€😀x", "???x"},
        {"", ""},
    };
    for (const Cp932Case& c : cases)
        EXPECT_EQ(ToCp932(QString::fromUtf8(c.text)), c.bytes) << c.text;
}

TEST(Cp932, DecodesBackAndMarksBrokenBytes)
{
    EXPECT_EQ(FromCp932("\x89\xB7\x93\x78 \x81\x8E,"), QString::fromUtf8("温度 ℃,"));
    EXPECT_EQ(FromCp932("a\xA0"
                        "b"),
              QString("a?b"));
    EXPECT_EQ(FromCp932("a\x89"), QString("a?"));  // lead byte cut off at the end
}

TEST(Cp932, WritesAndAppendsLinesEndedByCrLf)
{
    TempFolder folder;
    const QString path = folder.file("RT_20240115.RCD");
    EXPECT_EQ(Cp932Lines({"a,", "b,"}), QByteArray("a,\r\nb,\r\n"));

    ASSERT_TRUE(WriteCp932Lines(path, {QString::fromUtf8("気温℃,"), "1,"}));
    EXPECT_EQ(folder.read("RT_20240115.RCD"), QByteArray("\x8B\x43\x89\xB7\x81\x8E,\r\n1,\r\n"));
    ASSERT_TRUE(AppendCp932Lines(path, {"2,"}));
    EXPECT_EQ(folder.read("RT_20240115.RCD"), QByteArray("\x8B\x43\x89\xB7\x81\x8E,\r\n1,\r\n2,\r\n"));
    ASSERT_TRUE(WriteCp932Lines(path, {"new,"}));
    EXPECT_EQ(folder.read("RT_20240115.RCD"), QByteArray("new,\r\n"));

    ASSERT_TRUE(AppendCp932Lines(folder.file("fresh.csv"), {"x,"}));
    EXPECT_EQ(folder.read("fresh.csv"), QByteArray("x,\r\n"));

    EXPECT_FALSE(WriteCp932Lines(folder.file("missing/a.csv"), {"x,"}));
    EXPECT_FALSE(AppendCp932Lines(folder.file("missing/a.csv"), {"x,"}));
}

TEST(Cp932, WriteFailingHalfWayLeavesTheEarlierFileOfTheSameNameIntact)
{
    TempFolder folder;
    const QString path = folder.file("123_2405011015_ATR.csv");
    const QStringList earlier{QStringLiteral("気温,1,"), QStringLiteral("2,")};
    ASSERT_TRUE(WriteCp932Lines(path, earlier));
    const QByteArray bytes = folder.read("123_2405011015_ATR.csv");
    QStringList longer = earlier;
    for (int i = 0; i < 50; ++i)
        longer.append(QStringLiteral("row %1,").arg(i));

    FailingFileIo full;
    full.freeBytes = Cp932Lines(longer).size() / 2;
    EXPECT_FALSE(WriteCp932Lines(path, longer, full));
    EXPECT_EQ(folder.read("123_2405011015_ATR.csv"), bytes);
    EXPECT_FALSE(AppendCp932Lines(path, longer, full));
    EXPECT_EQ(folder.read("123_2405011015_ATR.csv"), bytes);
}

}  // namespace
}  // namespace qemra
