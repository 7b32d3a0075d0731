// A program killed at any moment of writing its record files, then started again on the disk as
// the kill left it. A kill falls between two system calls: a row goes to the file in one write.
#include "recording/RecordFiles.h"

#include "common/Cp932File.h"
#include "tests/support/TempFolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <gtest/gtest.h>

#include <map>

using namespace qemra;

namespace {

const QString kSecondFile = QStringLiteral("Record/RT_COM7_20240501.csv");
const QString kMinuteFile = QStringLiteral("Record/RT_20240501.RCD");

// Every file below `folder`, temporary ones included, by relative name.
std::map<QString, QByteArray> FilesBelow(const QString& folder)
{
    std::map<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            files[QDir(folder).relativeFilePath(path)] = file.readAll();
    }
    return files;
}

// The header, then whole rows only: each ended by CR LF and holding all its fields.
void ExpectHeaderAndWholeRows(const QByteArray& bytes, const QStringList& header, qsizetype commas)
{
    ASSERT_TRUE(bytes.endsWith("\r\n"));
    QStringList lines = FromCp932(bytes).split(QStringLiteral("\r\n"));
    lines.removeLast();
    ASSERT_GT(lines.size(), header.size());
    EXPECT_EQ(lines.mid(0, header.size()), header);
    for (const QString& row : lines.mid(header.size())) {
        EXPECT_TRUE(row.startsWith(QStringLiteral("2024/05/01 10:1"))) << row.toStdString();
        EXPECT_EQ(row.count(u','), commas) << row.toStdString();
    }
}

TEST(RecordFilesCrashTest, KillAtAnyMomentLeavesNoDayFileWithoutItsHeaderOrWithHalfARow)
{
    SharedState state;
    state.MySts.PortName = QStringLiteral("COM7");
    state.MySts.SecRec = 1;
    state.CurMes.Measuring = 1;
    FakeClock clock;
    const auto at = [&clock](int minute, int second) {
        clock.Set(EncodeDateTime(2024, 5, 1, 10, minute, second, 150));
    };

    for (int crashAt = 0;; ++crashAt) {
        SCOPED_TRACE(crashAt);
        TempFolder disk;
        std::map<QString, QByteArray> left;
        FailingFileIo io;
        io.crashAt = crashAt;
        io.crash = [&] { left = FilesBelow(disk.path()); };
        {
            // The first seconds of the day: both files are started, with a row or two each.
            RecordFiles running(disk.path(), state, clock, std::make_unique<RecordFileAppender>(io), QChar(u'.'));
            for (int second = 5; second <= 7; ++second) {
                at(15, second);
                running.RecordSecond();
            }
        }
        if (!io.crashed) {
            EXPECT_GT(crashAt, 3) << "every write and flush was a moment to crash at";
            break;
        }

        TempFolder restartedDisk;
        for (const auto& [name, bytes] : left)
            restartedDisk.write(name, bytes);
        RecordFiles restarted(restartedDisk.path(), state, clock, nullptr, QChar(u'.'));
        for (const int second : {30, 66}) {
            at(15 + second / 60, second % 60);
            restarted.RecordSecond();
        }
        ExpectHeaderAndWholeRows(restartedDisk.read(kSecondFile), restarted.SecondHeader(), 13);
        ExpectHeaderAndWholeRows(restartedDisk.read(kMinuteFile),
                                 {restarted.MinuteLabelLine(), restarted.MinuteUnitLine()}, 1 + 3 * 12);
    }
}

}  // namespace
