#include "recording/RecordFiles.h"

#include "common/Cp932File.h"
#include "tests/support/TempFolder.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/resource.h>

using namespace qemra;

namespace {

const QString kSecondFile = QStringLiteral("Record/RT_COM7_20240501.csv");
const QString kMinuteFile = QStringLiteral("Record/RT_20240501.RCD");

// Makes writes past `bytes` fail for as long as it lives, as a full disk would.
class FileSizeLimit {
public:
    explicit FileSizeLimit(qint64 bytes)
    {
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limit = old_;
        limit.rlim_cur = static_cast<rlim_t>(bytes);
        setrlimit(RLIMIT_FSIZE, &limit);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

class RecordFilesFailureTest : public ::testing::Test {
protected:
    RecordFilesFailureTest()
    {
        state.MySts.PortName = QStringLiteral("COM7");
        state.MySts.SecRec = 1;
        state.CurMes.Measuring = 1;
    }

    void StepAt(int minute, int second)
    {
        clock.Set(EncodeDateTime(2024, 5, 1, 10, minute, second, 150));
        files.RecordSecond();
    }

    TempFolder temp;
    SharedState state;
    FakeClock clock;
    RecordFiles files{temp.path(), state, clock, nullptr, QChar(u'.')};
};

TEST_F(RecordFilesFailureTest, UnusableFilesAndFoldersAreLeftAsTheyAreAndRecordingGoesOn)
{
    struct Case {
        const char* name;
        std::function<void(const TempFolder&)> prepare;
        std::function<void(const TempFolder&)> check;
    };
    const QByteArray earlier = "earlier row,\r\n";
    const Case cases[] = {
        {"record folder is a file", [](const TempFolder& t) { t.write(QStringLiteral("Record"), "not a folder"); },
         [](const TempFolder& t) { EXPECT_EQ(t.read(QStringLiteral("Record")), "not a folder"); }},
        {"minute file is a folder",
         [](const TempFolder& t) { t.write(kMinuteFile + QStringLiteral("/inside"), "kept"); },
         [](const TempFolder& t) {
             EXPECT_EQ(t.read(kMinuteFile + QStringLiteral("/inside")), "kept");
             EXPECT_EQ(t.read(kSecondFile).count("\r\n"), 2 + 63);
         }},
        {"second file is a folder",
         [](const TempFolder& t) { t.write(kSecondFile + QStringLiteral("/inside"), "kept"); },
         [](const TempFolder& t) {
             EXPECT_EQ(t.read(kSecondFile + QStringLiteral("/inside")), "kept");
             EXPECT_EQ(t.read(kMinuteFile).count("\r\n"), 2 + 2);
         }},
        // Without effect for root, which may write anyway; then the rows simply follow.
        {"read-only record folder",
         [&earlier](const TempFolder& t) {
             t.write(kSecondFile, earlier);
             t.write(kMinuteFile, earlier);
             QFile::setPermissions(t.file(QStringLiteral("Record")), QFile::ReadOwner | QFile::ExeOwner);
         },
         [&earlier](const TempFolder& t) {
             QFile::setPermissions(t.file(QStringLiteral("Record")),
                                   QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
             EXPECT_TRUE(t.read(kSecondFile).startsWith(earlier));
             EXPECT_TRUE(t.read(kMinuteFile).startsWith(earlier));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        c.prepare(folder);
        RecordFiles recorder(folder.path(), state, clock, nullptr, QChar(u'.'));
        for (int s = 5; s < 68; ++s) {
            clock.Set(EncodeDateTime(2024, 5, 1, 10, 15 + s / 60, s % 60, 150));
            recorder.RecordSecond();
        }
        c.check(folder);
    }
}

TEST_F(RecordFilesFailureTest, FailedAppendTakesBackItsPartAndTheNextRowFollowsCleanly)
{
    StepAt(15, 20);
    const QByteArray before = temp.read(kSecondFile);
    {
        FileSizeLimit full(before.size() + 10);  // room for part of a row only
        StepAt(15, 21);
    }
    EXPECT_EQ(temp.read(kSecondFile), before);

    StepAt(15, 22);
    const QByteArray after = temp.read(kSecondFile);
    EXPECT_TRUE(after.startsWith(before));
    EXPECT_TRUE(after.mid(before.size()).startsWith("2024/05/01 10:15:22,"));
    EXPECT_EQ(after.count("\r\n"), 4);
}

TEST_F(RecordFilesFailureTest, NewFileThatCannotBeWrittenWholeIsNotLeftWithoutItsHeader)
{
    {
        FileSizeLimit full(20);
        StepAt(15, 20);
    }
    EXPECT_FALSE(temp.exists(kSecondFile));

    StepAt(15, 21);
    EXPECT_TRUE(temp.read(kSecondFile).startsWith("COM7,"));
    EXPECT_EQ(temp.read(kSecondFile).count("\r\n"), 3);
}

TEST_F(RecordFilesFailureTest, MaintenanceHeaderPairFollowsWithTheFirstRowThatIsWritten)
{
    state.MySts.SecRec = 0;
    StepAt(15, 6);
    state.MySts.Maint = 1;
    StepAt(15, 30);
    {
        // The row of 10:16 is tried again each second and given up when the next one is due.
        FileSizeLimit full(temp.read(kMinuteFile).size());
        StepAt(16, 6);
        StepAt(16, 30);
        StepAt(17, 6);
    }
    StepAt(17, 30);

    QStringList lines = FromCp932(temp.read(kMinuteFile)).split(QStringLiteral("\r\n"));
    lines.removeLast();
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[3], files.MinuteLabelLine());
    EXPECT_EQ(lines[4], files.MinuteUnitLine());
    EXPECT_TRUE(lines[5].startsWith(QStringLiteral("2024/05/01 10:17,")));
}

// A day file the program did not write: its lines end in LF, so the first row would rewrite it.
QByteArray LfDayFile(const RecordFiles& files, int rows)
{
    QStringList lines = files.SecondHeader();
    for (int row = 0; row < rows; ++row)
        lines.append(QStringLiteral("2024/05/01 10:00:%1,0.512,23.45,").arg(row, 2, 10, QChar(u'0')));
    return ToCp932(lines.join(u'\n') + u'\n');
}

TEST_F(RecordFilesFailureTest, DayFileWithLfLinesKeepsEveryRowOnAFullDiskAndTakesTheNextRows)
{
    const QByteArray before = LfDayFile(files, 21);
    temp.write(kSecondFile, before);
    FailingFileIo io;
    io.freeBytes = 0;
    RecordFiles recorder(temp.path(), state, clock, std::make_unique<RecordFileAppender>(io), QChar(u'.'));
    clock.Set(EncodeDateTime(2024, 5, 1, 10, 15, 20, 150));
    recorder.RecordSecond();
    EXPECT_EQ(temp.read(kSecondFile), before);

    io.freeBytes = -1;
    clock.Set(EncodeDateTime(2024, 5, 1, 10, 15, 21, 150));
    recorder.RecordSecond();
    const QByteArray after = temp.read(kSecondFile);
    EXPECT_TRUE(after.startsWith(before));
    EXPECT_TRUE(after.mid(before.size()).startsWith("2024/05/01 10:15:21,"));
    EXPECT_EQ(after.mid(before.size()).count("\r\n"), 1);
}

TEST_F(RecordFilesFailureTest, DayFileWithLfLinesInAFolderThatTakesNoNewFilesGetsItsRowsAndIsReadOnce)
{
    const QByteArray before = LfDayFile(files, 21);
    temp.write(kSecondFile, before);
    FailingFileIo io;
    io.newFilesRefused = true;
    RecordFiles recorder(temp.path(), state, clock, std::make_unique<RecordFileAppender>(io), QChar(u'.'));
    for (int second = 20; second < 25; ++second) {
        clock.Set(EncodeDateTime(2024, 5, 1, 10, 15, second, 150));
        recorder.RecordSecond();
    }
    const QByteArray after = temp.read(kSecondFile);
    EXPECT_TRUE(after.startsWith(before));
    EXPECT_EQ(after.mid(before.size()).count("\r\n"), 5);
    EXPECT_TRUE(after.endsWith("\r\n"));
    EXPECT_EQ(io.refusedCreations, 1) << "the whole file is converted at most once, not every second";
}

}  // namespace
