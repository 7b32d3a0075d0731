#include "common/FileReplace.h"
#include "tests/support/TempFolder.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qemra {
namespace {

const QByteArray kOld = "[Record]\r\nSecRec=2\r\n[Early]\r\nDifT0m=30\r\n";
const QByteArray kNew = "[Record]\r\nSecRec=1\r\n[Early]\r\nDifT0m=30\r\nHeaterWatt=0.200000002980232\r\n";

QStringList FilesIn(const TempFolder& folder)
{
    return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

TEST(FileReplace, FailedReplacementLeavesTheOldFileByteForByte)
{
    struct Case {
        const char* name;
        FailingFileIo io;
        WhenNoTemporaryFile noTemporaryFile;
        bool opening;
        int code;
    };
    const auto io = [](qint64 freeBytes, bool newFilesRefused, bool syncFails) {
        FailingFileIo failing;
        failing.freeBytes = freeBytes;
        failing.newFilesRefused = newFilesRefused;
        failing.syncFails = syncFails;
        return failing;
    };
    Case cases[] = {
        {"disk full", io(0, false, false), WhenNoTemporaryFile::Fail, false, ENOSPC},
        {"disk full half-way", io(kNew.size() / 2, false, false), WhenNoTemporaryFile::Fail, false, ENOSPC},
        {"flush fails", io(-1, false, true), WhenNoTemporaryFile::Fail, false, EIO},
        {"folder takes no new files", io(-1, true, false), WhenNoTemporaryFile::Fail, true, EACCES},
        {"in place, disk full past the old end", io(4, true, false), WhenNoTemporaryFile::RewriteInPlace, false,
         ENOSPC},
        {"in place, flush fails", io(-1, true, true), WhenNoTemporaryFile::RewriteInPlace, false, EIO},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        folder.write("Settings.ini", kOld);
        FileWriteError error;
        EXPECT_FALSE(ReplaceFile(folder.file("Settings.ini"), kNew, c.io, c.noTemporaryFile, &error));
        EXPECT_EQ(folder.read("Settings.ini"), kOld);
        EXPECT_EQ(FilesIn(folder), QStringList{"Settings.ini"}) << "no temporary file stays behind";
        EXPECT_EQ(error.opening, c.opening);
        EXPECT_EQ(error.code, c.code);

        // Once the disk has room again, the same call goes through.
        FileIo system;
        EXPECT_TRUE(ReplaceFile(folder.file("Settings.ini"), kNew, system, c.noTemporaryFile));
        EXPECT_EQ(folder.read("Settings.ini"), kNew);
    }
}

TEST(FileReplace, ReplacesInPlaceOnlyWhereNoTemporaryFileCanBeMade)
{
    for (const QByteArray& next : {kNew, QByteArray("[Record]\r\n")}) {
        TempFolder folder;
        folder.write("Settings.ini", kOld);
        FailingFileIo refusing;
        refusing.newFilesRefused = true;
        EXPECT_TRUE(ReplaceFile(folder.file("Settings.ini"), next, refusing, WhenNoTemporaryFile::RewriteInPlace));
        EXPECT_EQ(folder.read("Settings.ini"), next);
        EXPECT_FALSE(ReplaceFile(folder.file("Absent.ini"), next, refusing, WhenNoTemporaryFile::RewriteInPlace));
        EXPECT_FALSE(folder.exists("Absent.ini"));
    }
}

TEST(FileReplace, KeepsPermissionsAndSymbolicLinks)
{
    TempFolder folder;
    folder.write("real.ini", kOld);
    QFile::setPermissions(folder.file("real.ini"), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    ASSERT_TRUE(QFile::link(folder.file("real.ini"), folder.file("Port0.ini")));
    FileIo io;
    ASSERT_TRUE(ReplaceFile(folder.file("Port0.ini"), kNew, io));
    EXPECT_EQ(folder.read("real.ini"), kNew);
    EXPECT_TRUE(QFileInfo(folder.file("Port0.ini")).isSymLink());
    const auto ownerGroupOther = QFileDevice::Permissions(0x7077);
    EXPECT_EQ(QFile::permissions(folder.file("real.ini")) & ownerGroupOther,
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
}

TEST(FileReplace, NewFileAppearsOnlyWithAllItsBytesAndNeverReplacesOne)
{
    TempFolder folder;
    FailingFileIo full;
    full.freeBytes = 5;
    EXPECT_EQ(CreateFileWith(folder.file("new.csv"), kNew, full), CreateResult::Failed);
    EXPECT_TRUE(FilesIn(folder).isEmpty());

    FileIo io;
    EXPECT_EQ(CreateFileWith(folder.file("new.csv"), kNew, io), CreateResult::Created);
    EXPECT_EQ(CreateFileWith(folder.file("new.csv"), kOld, io), CreateResult::AlreadyThere);
    EXPECT_EQ(folder.read("new.csv"), kNew);
    EXPECT_EQ(FilesIn(folder), QStringList{"new.csv"});
}

TEST(FileReplace, FailedAppendIsCutBack)
{
    TempFolder folder;
    folder.write("log.csv", kOld);
    FailingFileIo full;
    full.freeBytes = 7;
    EXPECT_FALSE(AppendToFile(folder.file("log.csv"), kNew, full));
    EXPECT_EQ(folder.read("log.csv"), kOld);
    EXPECT_FALSE(AppendToFile(folder.file("missing.csv"), kNew, full));
    EXPECT_FALSE(folder.exists("missing.csv"));

    FileIo io;
    EXPECT_TRUE(AppendToFile(folder.file("log.csv"), kNew, io));
    EXPECT_EQ(folder.read("log.csv"), kOld + kNew);
}

// The file's last change put at a day long before this run, as a killed earlier run leaves it.
void LeftByAnEarlierRun(const QString& path)
{
    const timespec day{1577836800, 0};  // 2020-01-01
    const timespec times[2] = {day, day};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

TEST(FileReplace, WritingIntoAFolderRemovesOnlyTheTemporaryFilesAKilledRunLeft)
{
    for (const bool replacing : {true, false}) {
        SCOPED_TRACE(replacing ? "replace" : "create");
        TempFolder folder;
        folder.write("Settings.ini", kOld);
        const QString killed[] = {".Settings.ini.Ab3xZ9.qemra-tmp", ".RT_20240501.RCD.000000.qemra-tmp"};
        const QString kept[] = {
            ".Settings.ini.Held00.qemra-tmp",  // a writer in another program still has it open
            ".Settings.ini.NewOne.qemra-tmp",  // changed during this run: maybe about to be renamed
            ".notes.backup",                   // the user's, though named much the same
            ".Settings.ini.Ab3xZ9",
            ".Settings.ini.toolong.qemra-tmp",
        };
        for (const QString& name : killed) {
            folder.write(name, kNew.left(9));
            LeftByAnEarlierRun(folder.file(name));
        }
        for (const QString& name : kept) {
            folder.write(name, kNew.left(9));
            if (!name.contains("NewOne"))
                LeftByAnEarlierRun(folder.file(name));
        }
        const int held = ::open(QFile::encodeName(folder.file(kept[0])).constData(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(held, 0);
        ASSERT_EQ(::flock(held, LOCK_EX), 0);

        FileIo io;
        if (replacing)
            EXPECT_TRUE(ReplaceFile(folder.file("Settings.ini"), kNew, io));
        else
            EXPECT_EQ(CreateFileWith(folder.file("new.csv"), kNew, io), CreateResult::Created);
        ::close(held);
        QStringList expected{"Settings.ini"};
        for (const QString& name : kept)
            expected << name;
        if (!replacing)
            expected << "new.csv";
        expected.sort();
        QStringList files = FilesIn(folder);
        files.sort();
        EXPECT_EQ(files, expected);
    }
}

}  // namespace
}  // namespace qemra
