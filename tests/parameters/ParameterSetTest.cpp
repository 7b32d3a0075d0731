#include "parameters/ParameterSet.h"

#include "common/IniFile.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <string>
#include <sys/stat.h>

using namespace qemra;

namespace {

// Every keyed field set to a value of its own that is not its default.
TWritePrm Distinct()
{
    TWritePrm prm;
    for (int i = 0; i < kParameterKeyCount; ++i)
        ParameterKeys[static_cast<std::size_t>(i)].Field(prm) = 100.0f + static_cast<float>(i);
    prm.CalStart = 45123.5;
    prm.SerialNo = "QS-0042";
    return prm;
}

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Every file in the folder, hidden ones included, by name.
std::map<QString, QByteArray> FilesIn(const TempFolder& folder)
{
    std::map<QString, QByteArray> files;
    for (const QString& name : QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot))
        files[name] = folder.read(name);
    return files;
}

// The file's last change put at a day long before this run, as a killed earlier run leaves it.
void LeftByAnEarlierRun(const QString& path)
{
    const timespec day{1577836800, 0};  // 2020-01-01
    const timespec times[2] = {day, day};
    ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0);
}

// Counts the files opened for reading and the files created.
class CountingFileIo : public FileIo {
public:
    int reads = 0;
    int creations = 0;
    int Open(const QByteArray& path, int flags, mode_t mode) override
    {
        reads += (flags & O_ACCMODE) == O_RDONLY ? 1 : 0;
        creations += (flags & O_CREAT) ? 1 : 0;
        return FileIo::Open(path, flags, mode);
    }
};

// Every keyed field holds its default, except the keys named in `loaded`.
void ExpectKeys(const TWritePrm& prm, const std::map<std::string, float>& loaded, const char* what)
{
    for (const TParameterKey& key : ParameterKeys) {
        const auto it = loaded.find(key.Name);
        const float expected = it == loaded.end() ? key.Default : it->second;
        EXPECT_TRUE(SameBits(key.Value(prm), expected))
            << what << ": " << key.Name << " is " << key.Value(prm) << ", expected " << expected;
    }
}

TEST(ParameterSetTest, DefaultsSetEveryKeyedFieldAndNothingElse)
{
    TWritePrm prm = Distinct();
    prm.Unused = {7, 8};
    SetParameterDefaults(prm);
    EXPECT_EQ(prm.HeaterWatt, 0.2f);
    EXPECT_EQ(prm.DifT0m, 50);
    EXPECT_EQ(prm.AdjDifT, 20);
    EXPECT_EQ(prm.AdjWS, 5);
    EXPECT_EQ(prm.ChipStdV, 2.5f);
    EXPECT_EQ(prm.ATRev, 9);
    EXPECT_EQ(prm.BGT_Coef, 3);
    for (float v : {prm.ErDifCenter, prm.ErDifDir[0], prm.ErDifDir[3], prm.ATRevice0, prm.ATRevice1, prm.WDTRevice0,
                    prm.WDTRevice1, prm.BGT_Revice0, prm.BGT_Revice1, prm.DIV[0], prm.DIV[9], prm.VAL[0], prm.VAL[9],
                    prm.BBT_Revice0, prm.BBT_Revice1, prm.BBT_Revice2})
        EXPECT_EQ(v, 0);
    EXPECT_EQ(prm.CalStart, 45123.5);
    EXPECT_EQ(prm.SerialNo, "QS-0042");
    EXPECT_EQ(prm.Unused[0], 7);
    EXPECT_EQ(prm.Unused[1], 8);
}

TEST(ParameterSetTest, NewFileHoldsEveryKeyInOrderWithGeneralNumberTexts)
{
    TempFolder folder;
    TWritePrm prm;
    SetParameterDefaults(prm);
    prm.ErDifCenter = -1.5f;
    prm.ErDifDir = {1, 2, 3, 4};
    prm.DIV[0] = 0.013f;
    prm.VAL[0] = 0.0000625f;
    prm.DIV[9] = 1234.567f;
    prm.VAL[9] = -0.35f;
    prm.ATRevice0 = 0.1f;
    prm.WDTRevice1 = 11;
    prm.BGT_Revice1 = 12;
    prm.BBT_Revice0 = 13;
    prm.BBT_Revice2 = 15;

    ASSERT_TRUE(SaveParameterFile(prm, folder.file("new.qemras")));
    EXPECT_EQ(folder.read("new.qemras").toStdString(),
              "[Early]\r\nErDifCenter=-1.5\r\nErDifDir0=1\r\nErDifDir1=2\r\nErDifDir2=3\r\nErDifDir3=4\r\n"
              "HeaterWatt=0.200000002980232\r\nDifT0m=50\r\nAdjDifT=20\r\nAdjWS=5\r\n"
              "DIV0=0.0130000002682209\r\nVAL0=6.25000029685907E-5\r\n"
              "DIV1=0\r\nVAL1=0\r\nDIV2=0\r\nVAL2=0\r\nDIV3=0\r\nVAL3=0\r\nDIV4=0\r\nVAL4=0\r\n"
              "DIV5=0\r\nVAL5=0\r\nDIV6=0\r\nVAL6=0\r\nDIV7=0\r\nVAL7=0\r\nDIV8=0\r\nVAL8=0\r\n"
              "DIV9=1234.56701660156\r\nVAL9=-0.349999994039536\r\n"
              "ATRevice0=0.100000001490116\r\nATRevice1=0\r\nWDTRevice0=0\r\nWDTRevice1=11\r\nATRev=9\r\n"
              "BGT_Revice0=0\r\nBGT_Revice1=12\r\nBBT_Revice0=13\r\nBBT_Revice1=0\r\nBBT_Revice2=15\r\n"
              "BGT_Coef=3\r\n"
              "[System]\r\nChipStdV=2.5\r\n");
}

TEST(ParameterSetTest, SaveThenLoadGivesBackEverySinglePrecisionValueExactly)
{
    TempFolder folder;
    TWritePrm saved;
    const float values[] = {0.2f, 0.013f, 0.0000625f, -1.0f / 3.0f, 99999.0f, 1.0e-30f, -12345.6789f};
    for (int i = 0; i < kParameterKeyCount; ++i)
        ParameterKeys[static_cast<std::size_t>(i)].Field(saved) =
            values[i % std::size(values)] * static_cast<float>(i % 3 == 0 ? 1 : -1);
    saved.ErDifCenter = 0.7f;
    saved.ErDifDir = {-0.1f, 0.2f, 1e-7f, 42.42f};
    ASSERT_TRUE(SaveParameterFile(saved, folder.file("trip.qemra")));

    TWritePrm loaded = Distinct();
    EXPECT_EQ(LoadParameterFile(loaded, folder.file("trip.qemra")), ParameterLoad::Loaded);
    for (const TParameterKey& key : ParameterKeys)
        EXPECT_TRUE(SameBits(key.Value(loaded), key.Value(saved))) << key.Name;
    EXPECT_EQ(loaded.ErDifCenter, 0.7f);
    EXPECT_EQ(loaded.ErDifDir, saved.ErDifDir);
    EXPECT_EQ(loaded.CalStart, 45123.5);
    EXPECT_EQ(loaded.SerialNo, "QS-0042");
}

TEST(ParameterSetTest, SaveIntoAnExistingFileUpdatesKeysInPlaceAndKeepsEverythingElse)
{
    TempFolder folder;
    folder.write("BaseSetpoint.ini", "; bench unit 3\r\n"
                                     "[Record]\r\nSecRec=1\r\n"
                                     "[early]\r\nheaterwatt=9.9\r\nComment=kept\r\nDifT0m=1\r\n\r\n"
                                     "[Other]\r\nX=1\r\n");
    TWritePrm prm;
    SetParameterDefaults(prm);
    ASSERT_TRUE(SaveParameterFile(prm, folder.file("BaseSetpoint.ini")));

    std::string expected = "; bench unit 3\r\n"
                           "[Record]\r\nSecRec=1\r\n"
                           "[early]\r\nheaterwatt=0.200000002980232\r\nComment=kept\r\nDifT0m=50\r\n"
                           "ErDifCenter=0\r\nErDifDir0=0\r\nErDifDir1=0\r\nErDifDir2=0\r\nErDifDir3=0\r\n"
                           "AdjDifT=20\r\nAdjWS=5\r\n";
    for (int i = 0; i < 10; ++i)
        expected += "DIV" + std::to_string(i) + "=0\r\nVAL" + std::to_string(i) + "=0\r\n";
    expected += "ATRevice0=0\r\nATRevice1=0\r\nWDTRevice0=0\r\nWDTRevice1=0\r\nATRev=9\r\n"
                "BGT_Revice0=0\r\nBGT_Revice1=0\r\nBBT_Revice0=0\r\nBBT_Revice1=0\r\nBBT_Revice2=0\r\n"
                "BGT_Coef=3\r\n\r\n"
                "[Other]\r\nX=1\r\n"
                "[System]\r\nChipStdV=2.5\r\n";
    EXPECT_EQ(folder.read("BaseSetpoint.ini").toStdString(), expected);
}

TEST(ParameterSetTest, LoadTakesDefaultsForEveryKeyTheFileDoesNotSupply)
{
    struct Case {
        const char* what;
        const char* file;  // nullptr: no file at all
        std::map<std::string, float> loaded;
    };
    const Case cases[] = {
        {"missing file", nullptr, {}},
        {"empty file", "", {}},
        {"only some keys",
         "[Early]\r\nHeaterWatt=0.3\r\n[System]\r\nChipStdV=3.3\r\n",
         {{"HeaterWatt", 0.3f}, {"ChipStdV", 3.3f}}},
        {"truncated",
         "[Early]\r\nErDifCenter=2\r\nErDifDir0=-4.5\r\nHeaterW",
         {{"ErDifCenter", 2}, {"ErDifDir0", -4.5f}}},
        {"truncated value", "[Early]\nDifT0m=4", {{"DifT0m", 4}}},
        {"garbage lines", "\xff\xfe garbage\r\n=5\r\n[Early\r\nDifT0m 7\r\n]]\r\n", {}},
        {"not numbers",
         "[Early]\r\nDifT0m=abc\r\nAdjDifT=1,5\r\nAdjWS=\r\nATRev=0x10\r\nBGT_Coef=1e\r\nDIV0=inf\r\nVAL0=nan\r\n",
         {}},
        {"letter case and blanks",
         "[ EARLY ]\r\n  heaterwatt =  0.5 \r\nDIFT0M=+4.25E1\r\n[system]\r\nchipstdv=.5\r\n",
         {{"HeaterWatt", 0.5f}, {"DifT0m", 42.5f}, {"ChipStdV", 0.5f}}},
        {"duplicates: the first counts", "[Early]\r\nAdjWS=1\r\nAdjWS=2\r\n[Early]\r\nAdjDifT=3\r\n", {{"AdjWS", 1}}},
        {"key in the wrong section", "[System]\r\nHeaterWatt=1\r\n[Early]\r\nChipStdV=1\r\n", {}},
        {"exponent texts",
         "[Early]\r\nVAL3=6.25000029685907E-5\r\nVAL4=-2e+2\r\n",
         {{"VAL3", 0.0000625f}, {"VAL4", -200}}},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        if (c.file)
            folder.write("p.qemra", c.file);
        TWritePrm prm = Distinct();
        EXPECT_EQ(LoadParameterFile(prm, folder.file("p.qemra")),
                  c.file ? ParameterLoad::Loaded : ParameterLoad::Missing)
            << c.what;
        ExpectKeys(prm, c.loaded, c.what);
        EXPECT_EQ(prm.CalStart, 45123.5) << c.what;
        EXPECT_EQ(prm.SerialNo, "QS-0042") << c.what;
        EXPECT_EQ(folder.exists("p.qemra"), c.file != nullptr) << c.what;
    }
}

TEST(ParameterSetTest, SaveThatCannotWriteReportsFailure)
{
    TempFolder folder;
    folder.write("plain", "not a folder");
    TWritePrm prm;
    SetParameterDefaults(prm);
    for (const QString& path : {folder.file("plain/BaseSetpoint.ini"), folder.file("absent/BaseSetpoint.ini")}) {
        EXPECT_FALSE(SaveParameterFile(prm, path)) << path.toStdString();
        EXPECT_FALSE(QFileInfo::exists(path)) << path.toStdString();
    }
    EXPECT_EQ(folder.read("plain"), "not a folder");
}

TEST(ParameterSetTest, ValueIsWritableOnlyWhenFiniteAndAtMost99999)
{
    const std::pair<float, bool> cases[] = {
        {0.0f, true},   {99999.0f, true}, {-99999.0f, true}, {1e-30f, true},     {99999.01f, false}, {-100000, false},
        {1e30f, false}, {FLT_MAX, false}, {INFINITY, false}, {-INFINITY, false}, {NAN, false},
    };
    for (const auto& [value, writable] : cases)
        EXPECT_EQ(ParameterValueWritable(value), writable) << value;
}

TEST(ParameterSetTest, LoadRefusesAFileItCannotTakeAndChangesNothing)
{
    const QByteArray good = "[Early]\r\nDifT0m=47.5\r\nAdjWS=99999\r\nVAL9=-99999\r\n";
    const QString text = QString::fromLatin1(good);
    const QByteArray utf16 =
        QByteArray("\xFF\xFE") + QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    const QByteArray elf = QByteArray::fromHex("7f454c4602010100000000000000000003003e00") + good;
    const QByteArray padding(IniFile::kMaxBytes - good.size(), ';');
    struct Case {
        const char* what;
        QByteArray bytes;  // empty: a folder in the file's place
        ParameterLoad result;
    };
    const Case cases[] = {
        {"folder", {}, ParameterLoad::Unreadable},
        {"UTF-16", utf16, ParameterLoad::Unreadable},
        {"binary data", elf, ParameterLoad::Unreadable},
        {"one byte over 1 MB", good + padding + ';', ParameterLoad::TooLarge},
        {"1e30", good + "DIV3=1e30\r\n", ParameterLoad::OutOfRange},
        {"just past 99999", good + "VAL0=-99999.01\r\n", ParameterLoad::OutOfRange},
        {"too big for single precision", good + "DIV1=1e39\r\n", ParameterLoad::OutOfRange},
        {"too big for double precision", "[System]\r\nChipStdV=-1e400\r\n" + good, ParameterLoad::OutOfRange},
        {"exactly 1 MB with values at the limits", good + padding, ParameterLoad::Loaded},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        if (c.bytes.isEmpty())
            ASSERT_TRUE(QDir(folder.path()).mkdir("p.qemra"));
        else
            folder.write("p.qemra", c.bytes);
        TWritePrm prm = Distinct();
        EXPECT_EQ(LoadParameterFile(prm, folder.file("p.qemra")), c.result);
        if (c.result == ParameterLoad::Loaded) {
            ExpectKeys(prm, {{"DifT0m", 47.5f}, {"AdjWS", 99999}, {"VAL9", -99999}}, c.what);
            continue;
        }
        const TWritePrm before = Distinct();
        for (const TParameterKey& key : ParameterKeys)
            EXPECT_TRUE(SameBits(key.Value(prm), key.Value(before))) << key.Name << " changed";
    }
}

TEST(ParameterSetTest, LoadReadsTheFileOnceAndSaveWritesItInOneReplace)
{
    TempFolder folder;
    const QString path = folder.file("BaseSetpoint.ini");
    folder.write("BaseSetpoint.ini", "[Record]\r\nSecRec=1\r\n");
    CountingFileIo io;
    ASSERT_TRUE(SaveParameterFile(Distinct(), path, io));
    EXPECT_EQ(io.reads, 1);
    EXPECT_EQ(io.creations, 1) << "one temporary file, renamed into place once";

    io = CountingFileIo();
    TWritePrm loaded;
    EXPECT_EQ(LoadParameterFile(loaded, path, io), ParameterLoad::Loaded);
    EXPECT_EQ(io.reads, 1);
    EXPECT_EQ(io.creations, 0);
    EXPECT_EQ(loaded.BGT_Coef, Distinct().BGT_Coef);
}

TEST(ParameterSetTest, SaveKilledAtAnyMomentLeavesTheOldOrTheNewFileAndTheNextSaveSweepsTheRest)
{
    const QByteArray old = "; bench unit 3\r\n[Record]\r\nSecRec=1\r\n[Early]\r\nDifT0m=30\r\nHeaterWatt=0.1\r\n";
    const TWritePrm prm = Distinct();
    QByteArray fresh;  // the file as a save that is not interrupted leaves it
    {
        TempFolder reference;
        reference.write("BaseSetpoint.ini", old);
        ASSERT_TRUE(SaveParameterFile(prm, reference.file("BaseSetpoint.ini")));
        fresh = reference.read("BaseSetpoint.ini");
    }

    for (int crashAt = 0;; ++crashAt) {
        SCOPED_TRACE(crashAt);
        TempFolder disk;
        disk.write("BaseSetpoint.ini", old);
        std::map<QString, QByteArray> left;
        FailingFileIo io;
        io.crashAt = crashAt;
        io.crash = [&] { left = FilesIn(disk); };
        const bool saved = SaveParameterFile(prm, disk.file("BaseSetpoint.ini"), io);
        if (!io.crashed) {
            EXPECT_TRUE(saved);
            EXPECT_EQ(disk.read("BaseSetpoint.ini"), fresh);
            EXPECT_GT(crashAt, 0) << "every write and flush was a moment to crash at";
            break;
        }
        EXPECT_FALSE(saved);
        EXPECT_EQ(disk.read("BaseSetpoint.ini"), old);
        const QByteArray killed = left["BaseSetpoint.ini"];
        EXPECT_TRUE(killed == old || killed == fresh) << killed.toStdString();

        // The next run finds the folder as the kill left it, temporary file and all.
        TempFolder restarted;
        for (const auto& [name, bytes] : left) {
            restarted.write(name, bytes);
            LeftByAnEarlierRun(restarted.file(name));
        }
        ASSERT_TRUE(SaveParameterFile(prm, restarted.file("BaseSetpoint.ini")));
        EXPECT_EQ(FilesIn(restarted), (std::map<QString, QByteArray>{{"BaseSetpoint.ini", fresh}}));
    }
}

}  // namespace
