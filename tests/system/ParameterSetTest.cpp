#include "parameters/ParameterSet.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <cstring>
#include <map>
#include <string>

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
    const float values[] = {0.2f, 0.013f, 0.0000625f, -1.0f / 3.0f, 3.4028235e38f, 1.0e-30f, -123456.789f};
    for (int i = 0; i < kParameterKeyCount; ++i)
        ParameterKeys[static_cast<std::size_t>(i)].Field(saved) =
            values[i % std::size(values)] * static_cast<float>(i % 3 == 0 ? 1 : -1);
    saved.ErDifCenter = 0.7f;
    saved.ErDifDir = {-0.1f, 0.2f, 1e-7f, 42.42f};
    ASSERT_TRUE(SaveParameterFile(saved, folder.file("trip.qemra")));

    TWritePrm loaded = Distinct();
    LoadParameterFile(loaded, folder.file("trip.qemra"));
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
        {"garbage", "\x01\xff\xfe garbage\r\n=5\r\n[Early\r\nDifT0m 7\r\n]]\r\n", {}},
        {"not numbers",
         "[Early]\r\nDifT0m=abc\r\nAdjDifT=1,5\r\nAdjWS=\r\nATRev=0x10\r\nBGT_Coef=1e\r\nDIV0=inf\r\nVAL0=nan\r\n",
         {}},
        {"too big for single precision", "[Early]\r\nDIV1=1e39\r\nVAL1=-1e300\r\nDIV2=1e400\r\n", {}},
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
        LoadParameterFile(prm, folder.file("p.qemra"));
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

}  // namespace
