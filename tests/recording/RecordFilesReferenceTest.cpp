// The appending writer against the plain rule it replaces: read the whole file as lines (or start
// with the header when there is no file), add the new lines, write the whole list back.
#include "recording/RecordFiles.h"

#include "common/Cp932File.h"
#include "tests/support/TempFolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdint>

using namespace qemra;

namespace {

// Lines as a line list reads them: CR LF, CR or LF end a line; a final line end adds no line.
QStringList ReadLines(const QByteArray& bytes)
{
    QString text = FromCp932(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    if (text.isEmpty())
        return {};
    if (text.endsWith(u'\n'))
        text.chop(1);
    return text.split(u'\n');
}

class ReadAndRewriteWriter final : public RecordFileWriter {
public:
    bool AddLines(const QString& path, const QStringList& headerIfNew, const QStringList& lines) override
    {
        QStringList list;
        QFile file(path);
        if (file.exists()) {
            if (!file.open(QIODevice::ReadOnly))
                return false;
            list = ReadLines(file.readAll());
            file.close();
        } else {
            list = headerIfNew;
        }
        list += lines;
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        // Every line in CP932 followed by CR LF, converted in one piece.
        return file.write(list.isEmpty() ? QByteArray()
                                         : ToCp932(list.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"))) >= 0;
    }
};

// Every file below `folder`, by relative name.
std::map<QString, QByteArray> FilesBelow(const QString& folder)
{
    std::map<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        files[QDir(folder).relativeFilePath(path)] = file.readAll();
    }
    return files;
}

TEST(RecordFileAppenderTest, LeavesEveryFileAsReadingAndRewritingWould)
{
    struct Case {
        const char* name;
        bool exists;
        QByteArray before;
    };
    const Case cases[] = {
        {"missing file", false, ""},
        {"empty file", true, ""},
        {"CR LF lines", true, "a,1,\r\nb,2,\r\n"},
        {"last line without line end", true, "a,1,\r\nb,2,"},
        {"ends with a lone CR", true, "a,1,\r\nb,2,\r"},
        {"LF lines", true, "a,1,\nb,2,\n"},
        {"CR lines inside", true, "a,1,\rb,2,\r\n"},
        {"empty lines", true, "\r\n\r\n"},
        {"only a line end", true, "\n"},
        {"Japanese text", true, "\x95\x97\x91\xac,\r\n"},
        {"cut double-byte character", true, "a,\x95"},
        {"byte CP932 does not know", true, "a,\xa0,\r\n"},
        {"NUL bytes after a crash", true, QByteArray("a,1,\r\n\0\0\0", 9)},
    };
    const QStringList header{QStringLiteral("COM7,風速,"), QStringLiteral("時刻,m/s.,")};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder actual;
        TempFolder expected;
        if (c.exists) {
            actual.write(QStringLiteral("f.csv"), c.before);
            expected.write(QStringLiteral("f.csv"), c.before);
        }
        RecordFileAppender appender;
        ReadAndRewriteWriter reference;
        for (const QString& row :
             {QStringLiteral("2024/05/01 10:15:20,1,"), QStringLiteral("2024/05/01 10:15:21,2,")}) {
            EXPECT_TRUE(appender.AddLines(actual.file(QStringLiteral("f.csv")), header, {row}));
            reference.AddLines(expected.file(QStringLiteral("f.csv")), header, {row});
            EXPECT_EQ(actual.read(QStringLiteral("f.csv")), expected.read(QStringLiteral("f.csv")));
        }
    }
}

TEST(RecordFileAppenderTest, NoticesAFileChangedByAnotherProgramBetweenRows)
{
    TempFolder actual;
    TempFolder expected;
    RecordFileAppender appender;
    ReadAndRewriteWriter reference;
    const QStringList header{QStringLiteral("h1,"), QStringLiteral("h2,")};
    for (TempFolder* folder : {&actual, &expected}) {
        RecordFileWriter& writer = folder == &actual ? static_cast<RecordFileWriter&>(appender) : reference;
        writer.AddLines(folder->file(QStringLiteral("f.csv")), header, {QStringLiteral("row 1,")});
        QFile file(folder->file(QStringLiteral("f.csv")));
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write("note\nfrom an editor");
        file.close();
        writer.AddLines(folder->file(QStringLiteral("f.csv")), header, {QStringLiteral("row 2,")});
    }
    EXPECT_EQ(actual.read(QStringLiteral("f.csv")), expected.read(QStringLiteral("f.csv")));
    EXPECT_TRUE(actual.read(QStringLiteral("f.csv")).endsWith("note\r\nfrom an editor\r\nrow 2,\r\n"));
}

// Values that change every second, from a small generator so both runs see the same.
void SetValues(TMesData& m, std::uint32_t& seed)
{
    const auto next = [&seed](float scale) {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<float>(seed >> 8) / 16777216.0f * scale - scale / 3;
    };
    for (float* field : {&m.M01, &m.M11, &m.M12, &m.M04, &m.M55, &m.H51, &m.M53, &m.M51, &m.M52, &m.M21, &m.M22,
                         &m.M23, &m.M05, &m.C21, &m.C22, &m.C16, &m.C17, &m.C26, &m.C27, &m.C76, &m.C77, &m.C78,
                         &m.C71, &m.C72, &m.C01, &m.C11, &m.C12, &m.C32, &m.C50, &m.C51, &m.C53})
        *field = next(40);
    m.C52 = static_cast<std::int32_t>(next(3000));
}

struct DayEvent {
    int second;  // seconds after the start of the run
    void (*apply)(SharedState&);
};

// Runs one recorder with the appending writer and one with the plain rule through the same seconds
// and compares every file they leave, byte for byte.
void CompareRun(TDateTime start, int seconds, const std::vector<DayEvent>& events,
                const std::vector<int>& skippedSeconds, const std::map<QString, QByteArray>& existing)
{
    // The plain rule rewrites the files thousands of times: in memory where the machine has a RAM
    // folder, so the run measures the code rather than the disk.
    const QFileInfo ram(QStringLiteral("/dev/shm"));
    const QString root = ram.isDir() && ram.isWritable() ? ram.filePath() : QDir::tempPath();
    QTemporaryDir actualFolder(root + QStringLiteral("/qemra-day-XXXXXX"));
    QTemporaryDir expectedFolder(root + QStringLiteral("/qemra-day-XXXXXX"));
    for (const auto& [name, bytes] : existing) {
        for (const QTemporaryDir* folder : {&actualFolder, &expectedFolder}) {
            QDir().mkpath(QFileInfo(folder->filePath(name)).absolutePath());
            QFile file(folder->filePath(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
    }
    SharedState state;
    state.MySts.PortName = QStringLiteral("/dev/ttyUSB0");
    FakeClock clock;
    RecordFiles actual(actualFolder.path(), state, clock, std::make_unique<RecordFileAppender>(), QChar(u'.'));
    RecordFiles expected(expectedFolder.path(), state, clock, std::make_unique<ReadAndRewriteWriter>(), QChar(u'.'));
    std::uint32_t seed = 7;
    auto event = events.begin();
    auto skipped = skippedSeconds.begin();
    for (int s = 0; s < seconds; ++s) {
        while (event != events.end() && event->second == s)
            (event++)->apply(state);
        if (skipped != skippedSeconds.end() && *skipped == s) {
            ++skipped;
            continue;  // the timer was held up: no step this second
        }
        SetValues(state.CurMes, seed);
        clock.Set(start);
        clock.AdvanceMilliseconds(s * 1000.0 + 120);
        actual.RecordSecond();
        expected.RecordSecond();
    }
    const auto actualFiles = FilesBelow(actualFolder.path());
    const auto expectedFiles = FilesBelow(expectedFolder.path());
    // Both days' minute and second files.
    EXPECT_EQ(expectedFiles.size(), 4u);
    ASSERT_EQ(actualFiles.size(), expectedFiles.size());
    for (const auto& [name, bytes] : expectedFiles) {
        SCOPED_TRACE(name.toStdString());
        ASSERT_TRUE(actualFiles.count(name));
        EXPECT_EQ(actualFiles.at(name).size(), bytes.size());
        EXPECT_TRUE(actualFiles.at(name) == bytes);
    }
}

void MeasuringOn(SharedState& s) { s.CurMes.Measuring = 1; }
void MeasuringOff(SharedState& s) { s.CurMes.Measuring = 0; }
void SecRecOn(SharedState& s) { s.MySts.SecRec = 1; }
void SecRecOff(SharedState& s) { s.MySts.SecRec = 0; }
void MaintOn(SharedState& s) { s.MySts.Maint = 1; }

// Four hours around midnight: second recording on and off (across midnight too), measuring stopped
// over minute boundaries, a timer held up over seconds 6 to 8, maintenance mode switched on, and
// files of both days already there in odd shapes.
TEST(RecordFilesDayTest, NightAroundMidnightMatchesReadingAndRewriting)
{
    const TDateTime start = EncodeDateTime(2024, 5, 1, 22, 0, 0);
    const std::vector<DayEvent> events = {
        {3, MeasuringOn},     {10, SecRecOn},      {600, SecRecOff},  {1203, MeasuringOff}, {1330, MeasuringOn},
        {6900, SecRecOn},     {7500, SecRecOff},   {7600, SecRecOn},  {7700, SecRecOff},    {9000, MaintOn},
        {9100, MeasuringOff}, {9200, MeasuringOn}, {14000, SecRecOn},
    };
    const std::vector<int> skipped = {3005, 3006, 3007, 3008, 5467};
    const std::map<QString, QByteArray> existing = {
        {QStringLiteral("Record/RT_20240501.RCD"), QByteArray("earlier run\nwith LF lines\nand no end")},
        {QStringLiteral("Record/RT_20240502.RCD"), QByteArray()},
    };
    CompareRun(start, 4 * 3600 + 30, events, skipped, existing);
}

// A whole day of second steps; second recording is on for parts of it only, as the plain rule
// rewrites the growing file for every row.
TEST(RecordFilesDayTest, WholeDayMatchesReadingAndRewriting)
{
    const TDateTime start = EncodeDateTime(2024, 5, 1, 0, 0, 0);
    const std::vector<DayEvent> events = {
        {0, MeasuringOn},  {0, SecRecOn},      {300, SecRecOff}, {30000, MeasuringOff}, {30600, MeasuringOn},
        {43200, SecRecOn}, {43500, SecRecOff}, {76000, MaintOn}, {86200, SecRecOn},
    };
    CompareRun(start, 86400 + 60, events, {}, {});
}

}  // namespace
