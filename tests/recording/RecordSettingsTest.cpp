#include "recording/RecordSettings.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

using namespace qemra;

namespace {

TEST(RecordSettingsTest, LoadsAnyNonZeroIntegerAsOnAndEverythingElseAsOff)
{
    struct Case {
        const char* name;
        const char* file;  // nullptr: no file at all
        int secRec;
    };
    const Case cases[] = {
        {"one", "[Record]\r\nSecRec=1\r\n", 1},          {"two", "[Record]\r\nSecRec=2\r\n", 1},
        {"negative", "[record]\r\nsecrec=-1\r\n", 1},    {"zero", "[Record]\r\nSecRec=0\r\n", 0},
        {"yes", "[Record]\r\nSecRec=yes\r\n", 0},        {"empty", "[Record]\r\nSecRec=\r\n", 0},
        {"other section", "[Early]\r\nSecRec=1\r\n", 0}, {"missing file", nullptr, 0},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        if (c.file != nullptr)
            folder.write("BaseSetpoint.ini", c.file);
        TMySts status;
        status.SecRec = 1;
        LoadRecordSettings(folder.file("BaseSetpoint.ini"), status);
        EXPECT_EQ(status.SecRec, c.secRec) << c.name;
    }
}

TEST(RecordSettingsTest, SavesOneOrZeroAndLeavesEveryOtherLineAsItWas)
{
    TempFolder folder;
    const QByteArray early = "[Early]\r\nDifT0m=50\r\n; a comment\r\n";
    const QByteArray system = "[System]\r\nChipStdV=2.5\r\n";
    folder.write("BaseSetpoint.ini", early + "[Record]\r\nSecRec=2\r\n" + system);
    TMySts status;
    LoadRecordSettings(folder.file("BaseSetpoint.ini"), status);
    SaveRecordSettings(folder.file("BaseSetpoint.ini"), status);
    EXPECT_EQ(folder.read("BaseSetpoint.ini"), early + "[Record]\r\nSecRec=1\r\n" + system);

    status.SecRec = 0;
    SaveRecordSettings(folder.file("BaseSetpoint.ini"), status);
    EXPECT_EQ(folder.read("BaseSetpoint.ini"), early + "[Record]\r\nSecRec=0\r\n" + system);
}

TEST(RecordSettingsTest, SavingCreatesTheFileWhenMissingAndFailsSilentlyWhenItCannot)
{
    TempFolder folder;
    TMySts status;
    SaveRecordSettings(folder.file("BaseSetpoint.ini"), status);
    EXPECT_EQ(folder.read("BaseSetpoint.ini"), "[Record]\r\nSecRec=0\r\n");

    // A folder where the file should be: nothing is written and nothing is thrown.
    folder.write("Blocked.ini/inside", "");
    status.SecRec = 1;
    SaveRecordSettings(folder.file("Blocked.ini"), status);
    LoadRecordSettings(folder.file("Blocked.ini"), status);
    EXPECT_EQ(status.SecRec, 0);
}

}  // namespace
