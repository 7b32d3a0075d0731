// Reading the daily record files back: rows as the recorder writes them, every kind of damage a
// file can carry, and line ends that fall anywhere in the blocks read.
#include "survey/RecordFileReader.h"

#include "common/Cp932File.h"
#include "recording/RecordFiles.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

using namespace qemra;

namespace {

const std::string kSecondRow =
    "2026/12/11 09:41:05,0.512,23.45,48.123,24.10,1.20,0.70,-0.31,21.40,22.95,9.87,12.34,15.55,";

std::string MinuteRow(int groups)
{
    std::string row = "2026/12/11 09:41,";
    for (int i = 0; i < groups; ++i)
        row += std::to_string(i) + ".5," + std::to_string(i + 1) + "," + std::to_string(i) + ",";
    return row;
}

std::string Bytes(const QString& text) { return ToCp932(text).toStdString(); }

struct Lines {
    std::vector<std::string> texts;  // "<overlong>" for an overlong line
};

Lines ReadLines(const TempFolder& folder, const std::string& bytes, std::size_t blockBytes)
{
    folder.write(QStringLiteral("lines.csv"), QByteArray::fromStdString(bytes));
    BlockLineReader reader(blockBytes);
    Lines lines;
    EXPECT_TRUE(reader.Open(folder.file(QStringLiteral("lines.csv"))));
    BlockLineReader::Line line;
    while (reader.Next(line))
        lines.texts.push_back(line.overlong ? std::string("<overlong>") : std::string(line.text));
    EXPECT_FALSE(reader.ReadFailed());
    EXPECT_EQ(reader.BytesRead(), static_cast<std::int64_t>(bytes.size()));
    return lines;
}

TEST(SecondRecordRow, ReadsTimeAndTwelveValuesAsTheirDecimalTexts)
{
    SecondRecordRow row;
    ASSERT_TRUE(ParseSecondRow(kSecondRow, row));
    EXPECT_EQ(row.time, (RecordTime{2026, 12, 11, 9, 41, 5}));
    const RecordValues expected = {0.512, 23.45, 48.123, 24.10, 1.20, 0.70, -0.31, 21.40, 22.95, 9.87, 12.34, 15.55};
    EXPECT_EQ(row.values, expected);  // the very doubles of the texts, not near them
}

TEST(SecondRecordRow, RefusesEveryLineThatIsNotAWholeRow)
{
    const std::string values = "0.512,23.45,48.123,24.10,1.20,0.70,-0.31,21.40,22.95,9.87,12.34,15.55,";
    const struct {
        const char* name;
        std::string line;
    } cases[] = {
        {"empty line", ""},
        {"eleven values", "2026/12/11 09:41:05,0.512,23.45,48.123,24.10,1.20,0.70,-0.31,21.40,22.95,9.87,12.34,"},
        {"thirteen values", kSecondRow + "1.00,"},
        {"cut inside the last value", kSecondRow.substr(0, kSecondRow.size() - 2)},
        {"cut inside the time", "2026/12/11 09:4"},
        {"no comma after the last value", kSecondRow.substr(0, kSecondRow.size() - 1)},
        {"empty value", "2026/12/11 09:41:05,,23.45,48.123,24.10,1.20,0.70,-0.31,21.40,22.95,9.87,12.34,15.55,"},
        {"letters for a number",
         "2026/12/11 09:41:05,abc,23.45,48.123,24.10,1.20,0.70,-0.31,21.40,22.95,9.87,12.34,15.55,"},
        {"number followed by letters",
         "2026/12/11 09:41:05,0.5x,23.45,48.123,24.10,1.20,0.70,-0.31,21.40,22.95,9.87,12.34,15.55,"},
        {"blank before a number",
         "2026/12/11 09:41:05, 0.5,23.45,48.123,24.10,1.20,0.70,-0.31,21.40,22.95,9.87,12.34,15.55,"},
        {"not a number", "2026/12/11 09:41:05,nan,23.45,48.123,24.10,1.20,0.70,-0.31,21.40,22.95,9.87,12.34,15.55,"},
        {"infinite", "2026/12/11 09:41:05,inf,23.45,48.123,24.10,1.20,0.70,-0.31,21.40,22.95,9.87,12.34,15.55,"},
        {"beyond double range",
         "2026/12/11 09:41:05,1e999,23.45,48.123,24.10,1.20,0.70,-0.31,21.40,22.95,9.87,12.34,15.55,"},
        {"beyond any reading",
         "2026/12/11 09:41:05,1e308,23.45,48.123,24.10,1.20,0.70,-0.31,21.40,22.95,9.87,12.34,15.55,"},
        {"just beyond a million",
         "2026/12/11 09:41:05,0.5,-1000000.01,48.123,24.10,1.20,0.70,-0.31,21.40,22.95,9.87,12.34,15.55,"},
        {"decimal comma splits a value", "2026/12/11 09:41:05,0,512," + values.substr(6)},
        {"minute time stamp", "2026/12/11 09:41," + values},
        {"month 13", "2026/13/11 09:41:05," + values},
        {"February 29 of a common year", "2026/02/29 09:41:05," + values},
        {"hour 24", "2026/12/11 24:00:00," + values},
        {"second 60", "2026/12/11 09:41:60," + values},
        {"dashes in the date", "2026-12-11 09:41:05," + values},
        {"header line",
         Bytes(QStringLiteral("COM7,風速,気温,湿度,輻射熱,METs,clo,PMV,WBGTo,WBGTi,絶対湿度,露点温度,湿球温度,"))},
        {"NUL inside", std::string("2026/12/11 09:41:05,0.5\0", 24) + values.substr(6)},
    };
    for (const auto& c : cases) {
        SecondRecordRow row;
        EXPECT_FALSE(ParseSecondRow(c.line, row)) << c.name;
    }
    SecondRecordRow leap;
    EXPECT_TRUE(ParseSecondRow("2028/02/29 00:00:00," + values, leap)) << "a leap day is a day";
}

TEST(MinuteRecordRow, ReadsStandardAndMaintenanceRowsAndNothingInBetween)
{
    MinuteRecordRow row;
    ASSERT_TRUE(ParseMinuteRow(MinuteRow(12), row));
    EXPECT_EQ(row.time, (RecordTime{2026, 12, 11, 9, 41, 0}));
    EXPECT_EQ(row.average[11], 11.5);
    EXPECT_EQ(row.maximum[11], 12);
    EXPECT_EQ(row.minimum[11], 11);
    ASSERT_TRUE(ParseMinuteRow(MinuteRow(32), row));
    EXPECT_EQ(row.average[0], 0.5);
    // Counters of the maintenance groups may run past a million; only the twelve quantities may not.
    ASSERT_TRUE(ParseMinuteRow(MinuteRow(31) + "4000000,4000000,4000000,", row));
    EXPECT_FALSE(ParseMinuteRow("2026/12/11 09:41,2000000,1,0," + MinuteRow(12).substr(17 + 8), row));
    EXPECT_TRUE(ParseMinuteRow("2026/12/11 09:41,1000000,1,0," + MinuteRow(12).substr(17 + 8), row));

    ASSERT_TRUE(ParseMinuteRow("2026/12/11 09:41,0.123400002717972,1E-6,-2.5E-7," + MinuteRow(11).substr(17), row));
    EXPECT_EQ(row.average[0], 0.123400002717972);
    EXPECT_EQ(row.maximum[0], 1e-6);
    EXPECT_EQ(row.minimum[0], -2.5e-7);

    EXPECT_FALSE(ParseMinuteRow(MinuteRow(11), row)) << "eleven groups";
    EXPECT_FALSE(ParseMinuteRow(MinuteRow(13), row)) << "thirteen groups";
    EXPECT_FALSE(ParseMinuteRow(MinuteRow(31), row)) << "thirty-one groups";
    EXPECT_FALSE(ParseMinuteRow(MinuteRow(12) + "1,", row)) << "one value more";
    EXPECT_FALSE(ParseMinuteRow(kSecondRow, row)) << "a second row";
}

// The header lines come from the recorder itself, so a change on either side shows here.
TEST(RecordHeaders, RecognisesEveryHeaderLineTheRecorderWrites)
{
    SharedState state;
    FakeClock clock;
    RecordFiles files(QString(), state, clock);
    for (const QString& port : {QStringLiteral("COM7"), QStringLiteral("/dev/ttyUSB0"), QStringLiteral("a_b")}) {
        state.MySts.PortName = port;
        for (const QString& line : files.SecondHeader())
            EXPECT_TRUE(IsSecondHeaderLine(Bytes(line))) << line.toStdString();
    }
    for (const bool maint : {false, true}) {
        state.MySts.Maint = maint ? 1 : 0;
        EXPECT_TRUE(IsMinuteHeaderLine(Bytes(files.MinuteLabelLine()))) << maint;
        EXPECT_TRUE(IsMinuteHeaderLine(Bytes(files.MinuteUnitLine()))) << maint;
        EXPECT_FALSE(IsSecondHeaderLine(Bytes(files.MinuteUnitLine())));
    }
    // The same words in UTF-8 are not the file's bytes.
    EXPECT_FALSE(IsSecondHeaderLine("時刻,m/s.,℃,％,℃,,,,℃,℃,g/kg,℃,℃,"));
    EXPECT_FALSE(IsMinuteHeaderLine(Bytes(files.MinuteUnitLine() + QStringLiteral("Avg,"))));
}

TEST(BlockLineReader, EndsLinesAtCrLfLfOrCrWhereverTheBlocksBreak)
{
    TempFolder folder;
    const struct {
        const char* name;
        std::string bytes;
        std::vector<std::string> lines;
    } cases[] = {
        {"CR LF", "a,1,\r\nbb,2,\r\n", {"a,1,", "bb,2,"}},
        {"LF", "a,1,\nbb,2,\n", {"a,1,", "bb,2,"}},
        {"lone CR", "a,1,\rbb,2,\r", {"a,1,", "bb,2,"}},
        {"mixed, with empty lines", "a\r\n\r\nb\n\nc\r\rd", {"a", "", "b", "", "c", "", "d"}},
        {"last line without line end", "a,1,\r\nbb,2", {"a,1,", "bb,2"}},
        {"empty file", "", {}},
        {"one line end", "\r\n", {""}},
    };
    // Short lines before the case move it across the block bounds, so that a CR LF falls apart.
    for (const auto& c : cases)
        for (const std::size_t block : {8, 9, 13, 1 << 20})
            for (int shift = 0; shift < 8; ++shift) {
                std::string bytes;
                std::vector<std::string> lines;
                for (int i = 0; i < shift; ++i) {
                    bytes += "p\r\n";
                    lines.emplace_back("p");
                }
                lines.insert(lines.end(), c.lines.begin(), c.lines.end());
                EXPECT_EQ(ReadLines(folder, bytes + c.bytes, block).texts, lines)
                    << c.name << ", block of " << block << ", after " << shift << " lines";
            }
}

TEST(BlockLineReader, PassesOverALineLongerThanABlockAsOneOverlongLine)
{
    TempFolder folder;
    const std::string longLine(100, 'x');
    EXPECT_EQ(ReadLines(folder, "ab\r\n" + longLine + "\r\ncd\r\n", 16).texts,
              (std::vector<std::string>{"ab", "<overlong>", "cd"}));
    EXPECT_EQ(ReadLines(folder, "ab\n" + longLine, 16).texts, (std::vector<std::string>{"ab", "<overlong>"}));
}

TEST(BlockLineReader, SaysWhyAFileCannotBeOpened)
{
    TempFolder folder;
    BlockLineReader reader;
    QString error;
    EXPECT_FALSE(reader.Open(folder.file(QStringLiteral("none.csv")), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(reader.Open(folder.path(), &error)) << "a folder";
    EXPECT_FALSE(error.isEmpty());
}

// Rows the recorder wrote, damaged in every way a file meets, read with blocks that cut rows
// anywhere: every whole row is read, every damaged one counted once, and nothing else.
TEST(SecondRecordReader, ReadsEveryWholeRowAndCountsEveryDamagedOne)
{
    TempFolder folder;
    const std::string header =
        Bytes(QStringLiteral("COM7,風速,気温,湿度,輻射熱,METs,clo,PMV,WBGTo,WBGTi,絶対湿度,露点温度,湿球温度,\r\n"
                             "時刻,m/s.,℃,％,℃,,,,℃,℃,g/kg,℃,℃,\r\n"));
    const std::vector<std::string> damages = {
        kSecondRow.substr(0, 40),                         // short row
        "2026/12/11 09:41:05,x" + kSecondRow.substr(25),  // not a number
        kSecondRow + "7,",                                // one value too many
        std::string("\x81\x40\xff\xfe\x00 junk", 10),     // CP932 and stray bytes
        std::string(3000, ','),                           // a long line of nothing
    };
    std::mt19937 random(20261211);
    std::string bytes = header;
    int whole = 0;
    int damaged = 0;
    for (int i = 0; i < 2000; ++i) {
        const bool lf = random() % 5 == 0;
        if (random() % 9 == 0) {
            // A blank line holds no row: nothing lost, nothing to count.
        } else if (random() % 4 == 0) {
            bytes += damages[random() % damages.size()];
            ++damaged;
        } else {
            bytes += kSecondRow;
            ++whole;
        }
        bytes += lf ? "\n" : "\r\n";
    }
    bytes += kSecondRow.substr(0, 50);  // the file ends inside a row
    ++damaged;
    folder.write(QStringLiteral("day.csv"), QByteArray::fromStdString(bytes));
    for (const std::size_t block : {128, 4096, 1 << 20}) {
        SecondRecordReader reader(block);
        ASSERT_TRUE(reader.Open(folder.file(QStringLiteral("day.csv"))));
        SecondRecordRow row;
        int rows = 0;
        while (reader.Next(row)) {
            ++rows;
            EXPECT_EQ(row.values[2], 48.123);
        }
        EXPECT_EQ(rows, whole) << "block of " << block;
        EXPECT_EQ(reader.SkippedRows(), damaged) << "block of " << block;
    }
}

TEST(SecondRecordReader, SurvivesRandomBytes)
{
    TempFolder folder;
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        std::string bytes(20000, '\0');
        // Mostly the characters of rows, so that some lines come close to being rows.
        const std::string alphabet = "0123456789/:., -\r\n,,,,ex";
        for (char& c : bytes)
            c = round % 2 == 0 ? static_cast<char>(random()) : alphabet[random() % alphabet.size()];
        folder.write(QStringLiteral("junk.csv"), QByteArray::fromStdString(bytes));
        SecondRecordReader reader(256);
        ASSERT_TRUE(reader.Open(folder.file(QStringLiteral("junk.csv"))));
        SecondRecordRow row;
        while (reader.Next(row))
            ASSERT_TRUE(std::isfinite(row.values[0]));
        EXPECT_GT(reader.SkippedRows(), 0);
    }
}

TEST(SecondRecordReader, FindsNoRowInAHeaderOnlyFile)
{
    TempFolder folder;
    folder.write(
        QStringLiteral("header.csv"),
        ToCp932(QStringLiteral("COM7,風速,気温,湿度,輻射熱,METs,clo,PMV,WBGTo,WBGTi,絶対湿度,露点温度,湿球温度,\r\n"
                               "時刻,m/s.,℃,％,℃,,,,℃,℃,g/kg,℃,℃,\r\n")));
    SecondRecordReader reader;
    ASSERT_TRUE(reader.Open(folder.file(QStringLiteral("header.csv"))));
    SecondRecordRow row;
    EXPECT_FALSE(reader.Next(row));
    EXPECT_EQ(reader.SkippedRows(), 0);
}

// The recorder's own files, a maintenance header pair in the middle of the minute file included,
// read back value for value.
TEST(RecordFileReader, ReadsBackWhatTheRecorderWrote)
{
    TempFolder folder;
    SharedState state;
    state.MySts.PortName = QStringLiteral("COM7");
    state.MySts.SecRec = 1;
    state.CurMes.Measuring = 1;
    FakeClock clock(EncodeDateTime(2026, 12, 11, 9, 40, 55, 100));
    RecordFiles files(folder.path(), state, clock);
    // Quarter steps print exactly in two or three decimals; column k holds k + i / 4.
    float TMesData::*const columns[] = {&TMesData::M01, &TMesData::M11, &TMesData::M12, &TMesData::M04,
                                        &TMesData::M55, &TMesData::H51, &TMesData::M53, &TMesData::M51,
                                        &TMesData::M52, &TMesData::M21, &TMesData::M22, &TMesData::M23};
    const int seconds = 76;  // 09:40:55 to 09:42:10, minute rows at 09:41:06 and 09:42:06
    for (int i = 0; i < seconds; ++i) {
        for (int k = 0; k < kRecordQuantities; ++k)
            state.CurMes.*columns[k] = static_cast<float>(k) + 0.25f * static_cast<float>(i);
        if (i == 20)
            state.MySts.Maint = 1;
        files.RecordSecond();
        clock.AdvanceSeconds(1);
    }

    SecondRecordReader secondReader;
    ASSERT_TRUE(secondReader.Open(files.SecondRecordPath(clock.Now())));
    SecondRecordRow secondRow;
    int i = 0;
    for (; secondReader.Next(secondRow); ++i) {
        EXPECT_EQ(secondRow.time, (RecordTime{2026, 12, 11, 9, 40 + (55 + i) / 60, (55 + i) % 60}));
        for (int k = 0; k < kRecordQuantities; ++k)
            EXPECT_EQ(secondRow.values[k], k + 0.25 * i) << "row " << i << ", column " << k;
    }
    EXPECT_EQ(i, seconds);
    EXPECT_EQ(secondReader.SkippedRows(), 0);

    MinuteRecordReader minuteReader;
    ASSERT_TRUE(minuteReader.Open(files.MinuteRecordPath(clock.Now())));
    MinuteRecordRow minuteRow;
    ASSERT_TRUE(minuteReader.Next(minuteRow));
    // Samples 0 to 11 (09:40:55 to 09:41:06).
    EXPECT_EQ(minuteRow.time, (RecordTime{2026, 12, 11, 9, 41, 0}));
    EXPECT_EQ(minuteRow.average[0], 1.375);
    EXPECT_EQ(minuteRow.maximum[0], 2.75);
    EXPECT_EQ(minuteRow.minimum[0], 0);
    ASSERT_TRUE(minuteReader.Next(minuteRow)) << "the maintenance row after its header pair";
    // Samples 12 to 71 (09:41:07 to 09:42:06).
    EXPECT_EQ(minuteRow.time, (RecordTime{2026, 12, 11, 9, 42, 0}));
    EXPECT_EQ(minuteRow.maximum[11], 11 + 0.25 * 71);
    EXPECT_EQ(minuteRow.minimum[11], 11 + 0.25 * 12);
    EXPECT_FALSE(minuteReader.Next(minuteRow));
    EXPECT_EQ(minuteReader.SkippedRows(), 0);
}

}  // namespace
