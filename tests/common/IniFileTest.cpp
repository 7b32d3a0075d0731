#include "common/IniFile.h"
#include "tests/support/TempFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <vector>

namespace qemra {
namespace {

class IniFileTest : public ::testing::Test {
protected:
    TempFolder folder;
    QString path = folder.file("Settings.ini");
    IniFile ini{path};
};

TEST_F(IniFileTest, ReadsValuesWithoutRegardToCaseOrBlanks)
{
    folder.write("Settings.ini", "; settings\r\n"
                                 "top=ignored\r\n"
                                 "[ComPortM]\r\n"
                                 "Port=COM7\r\n"
                                 "  BaudRate  =  38400  \r\n"
                                 "no equals sign\r\n"
                                 ";Parity=Odd\r\n"
                                 "[ Early ]\n"
                                 "DifT0m=50\n"
                                 "difT0m=99\n"
                                 "Empty=\n"
                                 "Name=温度 計\n"
                                 "[early]\n"
                                 "AdjWS=7\n");
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"ComPortM", "Port", "COM7"},
        {"COMPORTM", "port", "COM7"},
        {"ComPortM", "BaudRate", "38400"},
        {"ComPortM", "Parity", "default"},
        {"ComPortM", "top", "default"},
        {"Early", "DIFT0M", "50"},
        {"Early", "Empty", ""},
        {"Early", "Name", "温度 計"},
        {"Early", "AdjWS", "default"},
        {"Missing", "Port", "default"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ini.ReadString(c.section, c.key, "default"), QString::fromUtf8(c.expected))
            << c.section << "/" << c.key;
    }
    EXPECT_TRUE(ini.KeyExists("early", "empty"));
    EXPECT_FALSE(ini.KeyExists("Early", "AdjWS"));
    EXPECT_EQ(ini.ReadInteger("ComPortM", "BaudRate", 9600), 38400);
    EXPECT_EQ(ini.ReadInteger("ComPortM", "Port", 9600), 9600);
    EXPECT_EQ(ini.ReadInteger("Early", "Empty", -1), -1);
}

TEST_F(IniFileTest, MissingFileGivesDefaults)
{
    EXPECT_EQ(ini.ReadString("ComPortM", "Port", "COM7"), QString("COM7"));
    EXPECT_EQ(ini.ReadInteger("ComPortM", "BaudRate", 38400), 38400);
    EXPECT_FALSE(ini.KeyExists("ComPortM", "Port"));
    EXPECT_FALSE(folder.exists("Settings.ini"));
}

struct WriteCase {
    const char* name;
    QByteArray before;
    const char* section;
    const char* key;
    const char* value;
    QByteArray after;
};

TEST_F(IniFileTest, WriteChangesOneLineAndKeepsTheRestByteForByte)
{
    const WriteCase cases[] = {
        {"replace in place, LF file", "[A]\nx=1\ny = 2\n[B]\nx=3\n", "a", "Y", "20", "[A]\nx=1\ny=20\n[B]\nx=3\n"},
        {"replace keeps CR LF and the key's spelling", "[A]\r\nKey=1\r\n", "A", "KEY", "2", "[A]\r\nKey=2\r\n"},
        {"replace only the first duplicate", "[A]\nk=1\nk=2\n", "A", "k", "9", "[A]\nk=9\nk=2\n"},
        {"replace in the first of two equal sections", "[A]\nk=1\n[a]\nk=2\n", "A", "k", "9", "[A]\nk=9\n[a]\nk=2\n"},
        {"replace a last line without ending", "[A]\nk=1", "A", "k", "2", "[A]\nk=2"},
        {"append to a section that is not last, before its blank lines", "[A]\nx=1\n\n[B]\ny=2\n", "A", "z", "3",
         "[A]\nx=1\nz=3\r\n\n[B]\ny=2\n"},
        {"append to an empty section", "[A]\r\n[B]\r\n", "A", "z", "3", "[A]\r\nz=3\r\n[B]\r\n"},
        {"append after a last line without ending", "[A]\nx=1", "A", "z", "3", "[A]\nx=1\r\nz=3\r\n"},
        {"append a section", "[A]\nx=1\n", "B", "y", "2", "[A]\nx=1\n[B]\r\ny=2\r\n"},
        {"append a section after a last line without ending", "[A]\nx=1", "B", "y", "2", "[A]\nx=1\r\n[B]\r\ny=2\r\n"},
        {"same value leaves the file alone", "[A]\n k = 1 \n", "A", "k", "1", "[A]\n k = 1 \n"},
        {"comments and odd lines stay", ";c\r\n[A]\r\nodd line\r\n;k=0\r\n", "A", "k", "1",
         ";c\r\n[A]\r\nodd line\r\n;k=0\r\nk=1\r\n"},
        {"UTF-8 value", "[A]\n", "A", "k", "温度", QByteArray("[A]\nk=") + QString::fromUtf8("温度").toUtf8() + "\r\n"},
        {"byte-order mark before the first section", "\xEF\xBB\xBF[A]\r\nk=1\r\n", "A", "k", "2",
         "\xEF\xBB\xBF[A]\r\nk=2\r\n"},
    };
    for (const WriteCase& c : cases) {
        folder.write("Settings.ini", c.before);
        EXPECT_TRUE(ini.WriteString(c.section, c.key, QString::fromUtf8(c.value))) << c.name;
        EXPECT_EQ(folder.read("Settings.ini"), c.after) << c.name;
        EXPECT_EQ(ini.ReadString(c.section, c.key, "default"), QString::fromUtf8(c.value)) << c.name;
    }
}

TEST_F(IniFileTest, WriteCreatesTheFileInOrder)
{
    EXPECT_TRUE(ini.WriteString("ComPortM", "Port", "COM7"));
    EXPECT_TRUE(ini.WriteString("ComPortM", "BaudRate", "38400"));
    EXPECT_TRUE(ini.WriteString("Record", "SecRec", "0"));
    EXPECT_TRUE(ini.WriteString("ComPortM", "StopBits", "1"));
    EXPECT_TRUE(ini.WriteString("comportm", "port", "/dev/ttyUSB0"));
    EXPECT_EQ(folder.read("Settings.ini"), QByteArray("[ComPortM]\r\nPort=/dev/ttyUSB0\r\nBaudRate=38400\r\n"
                                                      "StopBits=1\r\n[Record]\r\nSecRec=0\r\n"));
}

TEST_F(IniFileTest, RefusesWritesThatWouldBreakLinesOrCannotBeDone)
{
    folder.write("Settings.ini", "[A]\nk=1\n");
    EXPECT_FALSE(ini.WriteString("A", "k", "1\r\n[B]"));
    EXPECT_FALSE(ini.WriteString("A", "k\nx", "1"));
    EXPECT_FALSE(ini.WriteString("A", "", "1"));
    EXPECT_FALSE(ini.WriteString("A]", "k", "1"));
    EXPECT_EQ(folder.read("Settings.ini"), QByteArray("[A]\nk=1\n"));

    IniFile nowhere(folder.file("no/such/folder/x.ini"));
    EXPECT_FALSE(nowhere.WriteString("A", "k", "1"));
    EXPECT_FALSE(folder.exists("no/such/folder/x.ini"));
}

TEST_F(IniFileTest, UnreadableFileIsLeftUnchanged)
{
    folder.write("Settings.ini", "[A]\nk=1\n");
    QFile::setPermissions(path, QFileDevice::WriteOwner);
    QFile probe(path);
    if (probe.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "running with rights that read any file";
    EXPECT_FALSE(ini.WriteString("A", "k", "2"));
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(folder.read("Settings.ini"), QByteArray("[A]\nk=1\n"));
}

TEST_F(IniFileTest, RewritesAWritableFileInAFolderThatTakesNoNewFiles)
{
    folder.write("Settings.ini", "[A]\r\nk=1000\r\n;tail\r\n");
    const QFileDevice::Permissions open = QFile::permissions(folder.path());
    QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const bool locked = !QFileInfo(folder.path()).isWritable();
    // The first write makes the file shorter, the next ones longer.
    const bool written =
        ini.WriteString("A", "k", "2") && ini.WriteString("A", "n", "3") && ini.WriteString("B", "x", "4");
    IniFile absent(folder.file("Absent.ini"));
    const bool created = absent.WriteString("A", "k", "1");
    QFile::setPermissions(folder.path(), open);
    if (!locked)
        GTEST_SKIP() << "running with rights that write into any folder";

    EXPECT_TRUE(written);
    EXPECT_EQ(folder.read("Settings.ini"), QByteArray("[A]\r\nk=2\r\n;tail\r\nn=3\r\n[B]\r\nx=4\r\n"));
    EXPECT_FALSE(created);
    EXPECT_FALSE(folder.exists("Absent.ini"));
}

TEST_F(IniFileTest, FullDiskOrFailedFlushLeavesTheFileByteForByteAndLaterWritesLand)
{
    const QByteArray before = "[Record]\r\nSecRec=2\r\n[Early]\r\nDifT0m=30\r\n";
    struct Case {
        const char* name;
        qint64 freeBytes;
        bool syncFails;
        bool newFilesRefused;
        bool written;
    };
    const Case cases[] = {
        {"disk full", 0, false, false, false},
        {"disk full half-way", 20, false, false, false},
        {"flush fails", -1, true, false, false},
        {"folder takes no new files, disk full", 0, false, true, false},
        {"folder takes no new files, flush fails", -1, true, true, false},
        {"folder takes no new files", -1, false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        folder.write("Settings.ini", before);
        FailingFileIo io;
        io.freeBytes = c.freeBytes;
        io.syncFails = c.syncFails;
        io.newFilesRefused = c.newFilesRefused;
        IniFile failing(path, io);
        EXPECT_EQ(failing.WriteString("Early", "HeaterWatt", "0.200000002980232"), c.written);
        if (c.written) {
            EXPECT_EQ(folder.read("Settings.ini"), before + "HeaterWatt=0.200000002980232\r\n");
            continue;
        }
        EXPECT_EQ(folder.read("Settings.ini"), before);
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Settings.ini"});
        EXPECT_TRUE(ini.WriteString("Record", "SecRec", "1"));
        EXPECT_EQ(folder.read("Settings.ini"), "[Record]\r\nSecRec=1\r\n[Early]\r\nDifT0m=30\r\n");
    }
}

TEST_F(IniFileTest, ManyWritesInOneReplaceLeaveTheBytesOfTheWritesOneByOne)
{
    const std::vector<IniEntry> entries = {
        {"Early", "DifT0m", "50"}, {"early", "HEATERWATT", "0.2"}, {"System", "ChipStdV", "2.5"},
        {"Early", "AdjWS", "5"},   {"Record", "SecRec", "1"},      {"EARLY", "difT0m", "51"},
        {"Other", "Name", "温度"},
    };
    const QByteArray befores[] = {
        "",
        "; bench unit\r\n[Record]\r\nSecRec=1\r\n[early]\r\nheaterwatt = 9.9 \r\nComment=kept\r\n\r\n[Tail]\r\nX=1",
        "[Early]\nDifT0m=50\n\n[System]\n",
        "\xEF\xBB\xBF[A]\r\nk=1\r\n[Early]\r\nAdjWS=5\r\nAdjWS=6\r\n",
    };
    for (const QByteArray& before : befores) {
        SCOPED_TRACE(before.toStdString());
        folder.write("OneByOne.ini", before);
        IniFile oneByOne(folder.file("OneByOne.ini"));
        for (const IniEntry& entry : entries)
            ASSERT_TRUE(oneByOne.WriteString(entry.section, entry.key, entry.value));

        folder.write("Settings.ini", before);
        FailingFileIo io;  // counts the writes and flushes
        IniFile together(path, io);
        ASSERT_TRUE(together.WriteStrings(entries));
        EXPECT_EQ(folder.read("Settings.ini"), folder.read("OneByOne.ini"));
        EXPECT_EQ(io.calls, 2) << "one write and one flush";
    }

    // One entry that no line can hold: nothing is written.
    folder.write("Settings.ini", "[A]\nk=1\n");
    EXPECT_FALSE(ini.WriteStrings({{"A", "k", "2"}, {"A", "x", "1\n[B]"}}));
    EXPECT_EQ(folder.read("Settings.ini"), QByteArray("[A]\nk=1\n"));
}

TEST_F(IniFileTest, FilesThatAreNoTextOrOver1MBAreNeitherReadNorWritten)
{
    const QByteArray good = "[A]\r\nk=1\r\n";
    const QString text = QString::fromLatin1(good);
    struct Case {
        const char* what;
        QByteArray bytes;  // empty: a folder in the file's place
        IniRead read;
    };
    const Case cases[] = {
        {"folder", {}, IniRead::Unreadable},
        {"UTF-16", QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2), IniRead::Unreadable},
        {"binary data", QByteArray::fromHex("89504e470d0a1a0a0000000d49484452") + good, IniRead::Unreadable},
        {"escape code", good + "x=\x1b[2J\r\n", IniRead::Unreadable},
        {"over 1 MB", good + QByteArray(IniFile::kMaxBytes, ';'), IniRead::TooLarge},
        {"exactly 1 MB", good + QByteArray(IniFile::kMaxBytes - good.size(), ';'), IniRead::Read},
        {"tabs and CP932 bytes", good + "\tn=\x89\xB7\x93\x78\r\n", IniRead::Read},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder place;
        IniFile file(place.file("Settings.ini"));
        if (c.bytes.isEmpty())
            ASSERT_TRUE(QDir(place.path()).mkdir("Settings.ini"));
        else
            place.write("Settings.ini", c.bytes);
        IniDocument document;
        EXPECT_EQ(file.Read(document), c.read);
        const bool read = c.read == IniRead::Read;
        EXPECT_EQ(file.ReadString("A", "k", "default"), read ? "1" : "default");
        EXPECT_EQ(file.WriteString("A", "k", "2"), read);
        if (!read) {
            EXPECT_EQ(place.read("Settings.ini"), c.bytes) << "left as it was";
        }
    }

    IniDocument document;
    EXPECT_EQ(ini.Read(document), IniRead::Missing);
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    EXPECT_EQ(ini.Read(document), IniRead::Unreadable) << "a named pipe is not waited on";
}

}  // namespace
}  // namespace qemra
