#include "calibration/CalWorkFiles.h"

#include "common/Cp932File.h"
#include "common/FloatText.h"
#include "tests/support/CalRig.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace qemra;

namespace {

QStringList FilesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

TEST(CalWorkFilesTest, NamesCarryTheSerialNumberAndTheStartMinute)
{
    const struct {
        const char* serial;
        const char* atr;
        const char* work;
    } cases[] = {
        {"A123", "A123_2403051407_ATR.csv", "A123_2403051407.qemra"},  // listed by name: work file first
        {"", "_2403051407_ATR.csv", "_2403051407.qemra"},
    };
    for (const auto& c : cases) {
        CalRig rig;
        rig.StartAt(2024, 3, 5, 14, 7, 59);
        rig.procedure.Start(c.serial);
        rig.procedure.ConfirmTemperatures(false, QString());
        EXPECT_EQ(rig.status[1], QStringLiteral("S/N:") + c.serial);
        EXPECT_EQ(FilesIn(rig.folder.path()), QStringList({c.work, c.atr})) << c.serial;
        EXPECT_EQ(CalBaseName(rig.folder.path(), rig.prm), rig.folder.path() + QString(c.work).chopped(6));
    }
}

TEST(CalWorkFilesTest, TwoStartsInOneMinuteWriteTheSameFiles)
{
    CalRig rig;
    rig.StartAt(2024, 3, 5, 14, 7, 2);
    rig.procedure.Start("A123");
    rig.procedure.ConfirmTemperatures(false, QString());
    rig.StartAt(2024, 3, 5, 14, 7, 58);
    rig.procedure.Start("A123");
    rig.procedure.ConfirmTemperatures(false, QString());
    EXPECT_EQ(FilesIn(rig.folder.path()), QStringList({"A123_2403051407.qemra", "A123_2403051407_ATR.csv"}));
    rig.StartAt(2024, 3, 5, 14, 8, 0);
    rig.procedure.Start("A123");
    EXPECT_TRUE(rig.folder.exists("A123_2403051408.qemra"));
}

TEST(CalWorkFilesTest, WorkLogOfAFullRingHasEveryOlderSlotByteForByte)
{
    auto state = std::make_unique<SharedState>();
    TMesData values;
    values.M01 = 0.25f;
    values.C11 = 24.7f;
    values.C32 = 25;
    values.C01 = 0.000001f;
    values.C21 = -1.5f;
    values.C22 = 100;
    values.C16 = 0.1f;
    values.C17 = 3;
    values.C26 = 4;
    values.C27 = 5;
    values.C76 = 6;
    values.C77 = -7;
    const TDateTime first = EncodeDateTime(2024, 3, 5, 13, 50, 0);
    for (int i = 0; i < TMesHistory::kSlots + 5; ++i)
        state->MesHistory.Push(values, first + i / 86400.0);

    QByteArray expected = ToCp932(",風速,気温,温度差,風速(RAW),AT-1,AT-2,WDT-1,WDT-2,BGT-1,BGT-2,BBT-1,BBT-2,\r\n"
                                  ",m/s.,℃,℃,m/s.,℃,℃,℃,℃,℃,℃,℃,℃,\r\n");
    ASSERT_TRUE(expected.contains("\x81\x8E")) << "degrees in code page 932";
    const QByteArray row = ",0.25,24.7000007629395,25,9.99999997475243E-7,-1.5,100,0.100000001490116,3,4,5,6,-7,\r\n";
    // The oldest slot kept is the sixth push; slot 0, the newest, stays out.
    for (int i = 5; i < TMesHistory::kSlots + 4; ++i)
        expected += FormatDateTime("yyyy/mm/dd hh:nn:ss", first + i / 86400.0).toLatin1() + row;

    TempFolder folder;
    TWritePrm prm;
    prm.SerialNo = "A123";
    prm.CalStart = EncodeDateTime(2024, 3, 5, 14, 7);
    ASSERT_TRUE(WriteWorkLog(folder.path(), prm, state->MesHistory, "_Fin.csv"));
    const QByteArray written = folder.read("A123_2403051407_Fin.csv");
    EXPECT_EQ(written.count("\r\n"), 2 + 1023);
    EXPECT_TRUE(written.contains("2024/03/05 13:50:05,"));
    EXPECT_EQ(written, expected);

    // Three pushes since the ring was cleared: two data lines.
    state->MesHistory.Clear();
    for (int i = 0; i < 3; ++i)
        state->MesHistory.Push(values, first + i / 86400.0);
    EXPECT_EQ(WorkLogLines(state->MesHistory).size(), 2 + 2);
}

TEST(CalWorkFilesTest, HostileSerialNumberWritesNoFileAnywhere)
{
    const char* serials[] = {
        "../A123",    "A/B",        "..\\up",     "C:x",           "a*b",   "q?",         "x\"y",  "<a>",
        "a|b",        "tab\there",  "nl\n",       " A123",         "A123 ", "\u3000A123", "-A123", "A123\u202Egpj.exe",
        "A\u200B123", "A123\uFEFF", "A\u2066123", "A123\U000E0041"};
    for (const char* serial : serials) {
        CalRig rig;
        const QString base = rig.folder.path() + "base/";
        ASSERT_TRUE(QDir().mkpath(base));
        CalProcedure procedure(rig.poll, rig.forceLog, *rig.state, rig.prm, rig.stats, rig.clock, rig.prompts, base,
                               rig.Hooks());
        procedure.Start(serial);
        EXPECT_EQ(procedure.CalStep, 1) << serial << ": the instrument is still initialised";
        rig.prompts.messages.clear();
        procedure.ConfirmTemperatures(false, QString());
        ASSERT_EQ(rig.prompts.messages.size(), 1u) << serial;
        EXPECT_EQ(rig.prompts.messages[0].kind, Prompts::Kind::Error);
        EXPECT_TRUE(rig.prompts.messages[0].text.startsWith("Cannot create file")) << serial;
        EXPECT_EQ(procedure.CalStep, 1) << serial << ": the stage is not done without its work log";
        EXPECT_EQ(rig.link.sent.size(), 2u) << "the corrections went to the instrument before the log";
        procedure.Finish();
        EXPECT_FALSE(rig.status.contains("□作業完了"));
        EXPECT_EQ(FilesIn(base), QStringList()) << serial;
        EXPECT_EQ(FilesIn(rig.folder.path()), QStringList({"base"})) << serial;
    }
}

TEST(CalWorkFilesTest, SerialNumbersThatFitFileNamesAreKept)
{
    for (const char* serial : {"A123", "", "QS-0042", "..", "No 7 (spare)", "試験機", "A-1 B", "機\U0001F321"})
        EXPECT_TRUE(SerialNumberFitsFileName(QString::fromUtf8(serial))) << serial;
    // Built from code units, as a decoder would drop the leading byte-order mark or mend the half.
    EXPECT_FALSE(SerialNumberFitsFileName(QChar(0xFEFF) + QStringLiteral("A123")));
    const QChar halfACharacter[] = {u'A', QChar(0xD83C)};
    EXPECT_FALSE(SerialNumberFitsFileName(QString(halfACharacter, 2)));
}

}  // namespace
