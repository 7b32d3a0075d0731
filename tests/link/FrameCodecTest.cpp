#include "link/FrameCodec.h"
#include "link/KeyValue.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace qemra;

namespace {

TEST(FrameCodec, FramesPayloadWithUpperCaseChecksumAndRefusesOverlongFrames)
{
    struct Case {
        QByteArray payload;
        std::optional<QByteArray> framed;
    };
    const std::vector<Case> cases = {
        {"RD,M01,", QByteArray("<RD,M01,>EA")},
        {"AD,M01=0.123,", QByteArray("<AD,M01=0.123,>CA")},
        {"", QByteArray("<>86")},
        // Checksums below 0x10 keep their leading zero.
        {"w", QByteArray("<w>0F")},
        {QByteArray(126, 'A'), QByteArray("<") + QByteArray(126, 'A') + ">" + "88"},
        {QByteArray(127, 'A'), std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FramePayload(c.payload), c.framed) << c.payload.constData();
}

TEST(FrameCodec, HexByteVerifiesOnlyUpperCaseDigits)
{
    struct Case {
        char high, low;
        int value;
    };
    const std::vector<Case> cases = {
        {'E', 'A', 0xEA},
        {'0', '0', 0x00},
        {'F', 'F', 0xFF},
        {'0', '9', 0x09},
        // Lower case is code - 55 too: "c" gives 44, so "ca" is far from 0xCA.
        {'c', 'a', (44 * 16 + 42) & 0xFF},
        // Bytes above 0x7F count as negative codes.
        {'\x80', '0', (-128 - 48) * 16 & 0xFF},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HexByte(c.high, c.low), c.value) << c.high << c.low;
}

// What the scanner reports: each checked frame with its verdict and the buffer at that moment.
std::vector<std::pair<bool, QByteArray>> Scan(const std::vector<QByteArray>& pieces)
{
    FrameScanner scanner;
    std::vector<std::pair<bool, QByteArray>> checked;
    scanner.SetOnChecked([&](bool good) { checked.emplace_back(good, scanner.RxBuf()); });
    for (const QByteArray& piece : pieces)
        scanner.Feed(piece);
    return checked;
}

TEST(FrameScanner, CutsPiecesIntoCheckedFrames)
{
    const QByteArray good = "<AD,M01=0.123,>CA\r\n";
    const QByteArray second = "<AW,H50=1,>" + ChecksumText(FrameChecksum("<AW,H50=1,>")) + "\r\n";
    std::vector<QByteArray> oneByteEach;
    for (const char c : good)
        oneByteEach.push_back(QByteArray(1, c));

    struct Case {
        const char* name;
        std::vector<QByteArray> pieces;
        std::vector<std::pair<bool, QByteArray>> checked;
    };
    const std::vector<Case> cases = {
        {"whole frame", {good}, {{true, "<AD,M01=0.123,>"}}},
        {"one byte per piece", oneByteEach, {{true, "<AD,M01=0.123,>"}}},
        {"two frames in one piece", {good + second}, {{true, "<AD,M01=0.123,>"}, {true, "<AW,H50=1,>"}}},
        {"split inside the checksum", {"<AD,M01=0.123,>C", "A\r\n"}, {{true, "<AD,M01=0.123,>"}}},
        {"lower-case checksum", {"<AD,M01=0.123,>ca\r\n"}, {{false, "<AD,M01=0.123,>"}}},
        // CR LF straight after ">" are taken as the checksum; the real digits then stay in the
        // buffer and spoil the next frame, and the one after that is good again.
        {"CR LF right after the end",
         {"<AD,M01=0.123,>\r\nCA\r\n", second, good},
         {{false, "<AD,M01=0.123"}, {false, "CA<AW,H50=1,>"}, {true, "<AD,M01=0.123,>"}}},
        {"stray bytes before a frame", {"xy" + good, good}, {{false, "xy<AD,M01=0.123,>"}, {true, "<AD,M01=0.123,>"}}},
        {"a second start inside a frame is kept", {"<AD<AD,M01=0.123,>00\r\n"}, {{false, "<AD<AD,M01=0.123,>"}}},
        // A lone ">" and CR LF leave a one-character buffer: a bad frame, never a good one.
        {"lone end after a frame",
         {good, ">\r\n", good},
         {{true, "<AD,M01=0.123,>"}, {false, ">"}, {true, "<AD,M01=0.123,>"}}},
        // Two characters that happen to verify as the checksum of nothing: no frame is left.
        {"checksum of an empty buffer", {">\r\xC0", good}, {{false, ">\xC0"}, {true, "<AD,M01=0.123,>"}}},
        {"line noise without frames", {"\r\n\r\nabc\r\n"}, {}},
        // Noise that never completes a frame is dropped in buffers of kMaxRxBufLength; a "<" that
        // arrives as the buffer is full still starts its frame.
        {"endless noise without an end",
         {QByteArray(2 * kMaxRxBufLength, 'x'), good},
         {{false, QByteArray(kMaxRxBufLength, 'x')},
          {false, QByteArray(kMaxRxBufLength, 'x')},
          {true, "<AD,M01=0.123,>"}}},
        {"ends never followed by two characters",
         {QByteArray(">x").repeated(kMaxRxBufLength / 2), good},
         {{false, QByteArray(">x").repeated(kMaxRxBufLength / 2)}, {true, "<AD,M01=0.123,>"}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Scan(c.pieces), c.checked) << c.name;
}

TEST(FrameScanner, StartsCleanAfterAHandlerThrows)
{
    FrameScanner scanner;
    int calls = 0;
    scanner.SetOnChecked([&](bool) {
        if (++calls == 1)
            throw 1;
    });
    EXPECT_ANY_THROW(scanner.Feed(QByteArray("<AD,M01=0.123,>CA")));
    EXPECT_TRUE(scanner.RxBuf().isEmpty());
    EXPECT_EQ(scanner.RxState(), FrameScanner::kIdle);
}

std::vector<TKeyValue> Pairs(int count, const QString& value)
{
    std::vector<TKeyValue> list;
    for (int i = 0; i < count; ++i)
        list.push_back({QString("E%1").arg(i + 1, 2, 10, QChar('0')), value});
    return list;
}

TEST(PackPairs, PacksTheLongestLeadingRunUnder128Characters)
{
    struct Case {
        QString value;  // each pair packs to 3 + 1 + value + 1 characters
        int n;
        int packed;
    };
    const std::vector<Case> cases = {
        {"1.234", 20, 12},                        // 10 characters each: 120 fit, 130 would not
        {"1.2345", 20, 11},                       // 11 each: 121
        {"1.2345", 5, 5},   {"1.23456", 20, 10},  // 12 each: 120, 132 would not
        {"0", 0, 0},
    };
    for (const Case& c : cases) {
        const std::vector<TKeyValue> list = Pairs(20, c.value);
        QByteArray text;
        EXPECT_EQ(PackPairs(list.data(), text, c.n), c.packed) << c.value.toStdString();
        const int pairLength = 3 + 1 + static_cast<int>(c.value.size()) + 1;
        EXPECT_EQ(text.size(), c.packed * pairLength);
        if (c.packed > 0) {
            EXPECT_TRUE(text.startsWith("E01=" + c.value.toLatin1() + ",E02="));
        }
    }
}

TEST(PackPairs, StopsAtTheFirstPairThatDoesNotFit)
{
    std::vector<TKeyValue> list = Pairs(3, "1");
    list[1].Value = QString(130, '9');  // a pair that can never fit ends the run
    QByteArray text;
    EXPECT_EQ(PackPairs(list.data(), text, 3), 1);
    EXPECT_EQ(text, "E01=1,");
}

TEST(SplitPairs, SplitsCommaEndedPairsIntoTheList)
{
    struct Case {
        QByteArray text;
        int capacity;
        std::vector<std::pair<QString, QString>> pairs;
    };
    const std::vector<Case> cases = {
        {"M01=0.123,M11=24.50,", 20, {{"M01", "0.123"}, {"M11", "24.50"}}},
        {"M01=0.1,M11=24.5", 20, {{"M01", "0.1"}}},  // text after the last comma is lost
        {"A=1=2,", 20, {{"A", "12"}}},               // a second "=" is dropped
        {"A,=5,,", 20, {{"A", ""}, {"", "5"}, {"", ""}}},
        {"A=1,B=2,C=3,", 2, {{"A", "1"}, {"B", "2"}}},
        {"K=\xB0\xFF,", 20, {{"K", QString::fromLatin1("\xB0\xFF")}}},
        {"", 20, {}},
    };
    for (const Case& c : cases) {
        TKeyValueList list{};
        if (c.capacity < kPairListSize)
            list[c.capacity].Key = "untouched";
        EXPECT_EQ(SplitPairs(c.text, list.data(), c.capacity), static_cast<int>(c.pairs.size())) << c.text.constData();
        for (size_t i = 0; i < c.pairs.size(); ++i) {
            EXPECT_EQ(list[i].Key, c.pairs[i].first) << c.text.constData();
            EXPECT_EQ(list[i].Value, c.pairs[i].second) << c.text.constData();
        }
        if (c.capacity < kPairListSize) {
            EXPECT_EQ(list[c.capacity].Key, "untouched");
        }
    }
}

TEST(SplitPairs, KeepsOnlyTwentyOfMorePairs)
{
    QByteArray text;
    for (int i = 0; i < 25; ++i)
        text += "K" + QByteArray::number(i) + "=" + QByteArray::number(i) + ",";
    TKeyValueList list{};
    EXPECT_EQ(SplitPairs(text, list.data(), kPairListSize), kPairListSize);
    EXPECT_EQ(list[19].Key, "K19");
}

}  // namespace
