#include "calibration/CalProcedure.h"

#include "common/IniFile.h"
#include "tests/support/CalRig.h"

#include <QFile>
#include <QDir>

#include <gtest/gtest.h>

using namespace qemra;

namespace {

TEST(CalProcedureTest, TemperatureConfirmationTakesTheReferenceOrTheComputedCorrections)
{
    const struct {
        const char* name;
        bool useReference;
        const char* referenceText;
        float expectedAT1;
        float expectedBGT1;
        bool warned;
    } cases[] = {
        {"computed less 0.35", false, "25.00", float(0.45f - 0.35), float(0.05f - 0.35), false},
        {"reference instrument", true, "25.00", float(25.0 - 24.8), float(25.0 - 25.3), false},
        {"reference not a number", true, "25,0x", float(0.45f - 0.35), float(0.05f - 0.35), true},
    };
    for (const auto& c : cases) {
        CalRig rig;
        rig.stats.ATRevCal0 = 0.45f;
        rig.stats.BGTRevCal0 = 0.05f;
        rig.stats.WinAvg[kChAT1] = 24.8;
        rig.stats.WinAvg[kChBGT1] = 25.3;
        rig.procedure.CalStarted = true;
        rig.procedure.ConfirmTemperatures(c.useReference, c.referenceText);
        EXPECT_EQ(rig.prm.ATRevice0, c.expectedAT1) << c.name;
        EXPECT_EQ(rig.prm.BGT_Revice0, c.expectedBGT1) << c.name;
        EXPECT_EQ(rig.prompts.texts(), c.warned ? QStringList{"数字でない文字が含まれます"} : QStringList()) << c.name;
        EXPECT_EQ(rig.procedure.CalStep, 6) << c.name;
        EXPECT_EQ(rig.status.first(), "□温度関係補正実施") << c.name;
    }
    EXPECT_NEAR(float(25.0 - 24.8), 0.2f, 1e-6f);
}

TEST(CalProcedureTest, ImplausibleTemperatureCorrectionStopsTheConfirmation)
{
    const struct {
        float bbt2;
        bool atCheck;
        bool sent;
    } cases[] = {
        {2.4f, true, false},  // 2.05 after the offset truncates to 2
        {2.3f, true, true},   // 1.95 truncates to 1
        {2.4f, false, true},  // the check is off
    };
    for (const auto& c : cases) {
        CalRig rig;
        rig.atCheck = c.atCheck;
        rig.stats.BBTRevCal1 = c.bbt2;
        rig.procedure.CalStarted = true;
        rig.procedure.ConfirmTemperatures(false, QString());
        EXPECT_EQ(rig.link.sent.size(), c.sent ? 1u : 0u) << c.bbt2;
        EXPECT_EQ(rig.procedure.CalStep, c.sent ? 6 : 0) << c.bbt2;
        EXPECT_EQ(rig.prompts.texts().contains("温度計測値に異常が見られます。"), !c.sent) << c.bbt2;
        EXPECT_EQ(rig.prm.BBT_Revice1, float(c.bbt2 - 0.35)) << "the values stay even when refused";
    }
    CalRig rig;
    for (const auto& [value, plausible] : {std::pair{2.4f, false}, {2.3f, true}, {-1.6f, true}, {-1.7f, false}}) {
        rig.stats.ATRevCal1 = value;
        EXPECT_EQ(rig.procedure.TempSensorsPlausible(CalProcedure::kSensorOffset), plausible) << value;
    }
}

TEST(CalProcedureTest, StartLoadsTheDefaultsAndSaysSoWhenTheyAreMissing)
{
    for (const bool present : {true, false}) {
        CalRig rig;
        if (present)
            rig.folder.write("DefaultPrm.qemra", "[Early]\r\nDifT0m=47.5\r\n");
        rig.prm.DifT0m = 1;
        rig.procedure.Start("A123");
        EXPECT_EQ(rig.prm.DifT0m, present ? 47.5f : 50.0f) << present;
        EXPECT_EQ(rig.prompts.texts(), present ? QStringList() : QStringList{"DefaultPrm.qemraが見つかりません。"});
        EXPECT_EQ(rig.procedure.CalStep, 1);
        EXPECT_EQ(rig.status, QStringList({"■キャリブレーション開始■", "S/N:A123", "＜設定初期化＞"}));
        EXPECT_EQ(rig.prm.SerialNo, "A123");
        EXPECT_EQ(rig.prm.CalStart, rig.clock.Now());
    }
}

TEST(CalProcedureTest, StartRefusesADefaultsFileItCannotTakeAndChangesNothing)
{
    const QString text = QStringLiteral("[Early]\r\nDifT0m=47.5\r\n");
    const QString unreadable = QStringLiteral("DefaultPrm.qemraを読み込めません。");
    struct Case {
        const char* what;
        QByteArray bytes;  // empty: a folder in the file's place
        Prompts::Kind kind;
        QString message;
    };
    const Case cases[] = {
        {"folder", {}, Prompts::Kind::Error, unreadable},
        {"UTF-16", QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2), Prompts::Kind::Error,
         unreadable},
        {"binary data", QByteArray::fromHex("7f454c460201010000000000") + text.toLatin1(), Prompts::Kind::Error,
         unreadable},
        {"over 1 MB", text.toLatin1() + QByteArray(IniFile::kMaxBytes, ';'), Prompts::Kind::Error,
         QStringLiteral("DefaultPrm.qemraは1MBを超えるため読み込めません。")},
        {"a value no request can carry", text.toLatin1() + "DIV0=1e30\r\n", Prompts::Kind::Warning,
         kParameterNotConvertible},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CalRig rig;
        if (c.bytes.isEmpty())
            ASSERT_TRUE(QDir(rig.folder.path()).mkdir("DefaultPrm.qemra"));
        else
            rig.folder.write("DefaultPrm.qemra", c.bytes);
        rig.prm.DifT0m = 1;
        rig.procedure.Start("A123");
        ASSERT_EQ(rig.prompts.messages.size(), 1u);
        EXPECT_EQ(rig.prompts.messages[0].kind, c.kind);
        EXPECT_EQ(rig.prompts.messages[0].text, c.message);
        EXPECT_EQ(rig.prm.DifT0m, 1.0f) << "the parameter set is as it was";
        EXPECT_EQ(rig.prm.SerialNo, "");
        EXPECT_EQ(rig.prm.CalStart, 0);
        EXPECT_EQ(rig.procedure.CalStep, 0);
        EXPECT_TRUE(rig.link.sent.empty());
        EXPECT_TRUE(rig.status.isEmpty());
        EXPECT_FALSE(rig.folder.exists("A123_2403051407.qemra"));
    }
}

TEST(CalProcedureTest, AirTemperatureOnlyStartTakesTheNumberAndSendsNothing)
{
    CalRig rig;
    rig.tempRevOnly = true;
    rig.folder.write("DefaultPrm.qemra", "[Early]\r\nDifT0m=47.5\r\n");
    rig.procedure.Start("B7");
    EXPECT_EQ(rig.prm.SerialNo, "B7");
    EXPECT_EQ(rig.prm.DifT0m, 47.5f);
    EXPECT_EQ(rig.procedure.CalStep, 0);
    EXPECT_TRUE(rig.link.sent.empty());
    EXPECT_TRUE(rig.status.isEmpty());

    for (auto action : {&CalProcedure::ConfirmWDT, &CalProcedure::Confirm0m, &CalProcedure::ConfirmNm})
        (rig.procedure.*action)();
    EXPECT_TRUE(rig.link.sent.empty());
    EXPECT_EQ(rig.procedure.CalStep, 0);

    rig.procedure.ConfirmTemperatures(false, QString());
    EXPECT_EQ(rig.link.sent.size(), 1u);
    EXPECT_EQ(rig.procedure.CalStep, 6);
}

TEST(CalProcedureTest, AReferenceTemperatureOutsideTheSensorsRangeIsRefusedAndNothingIsSent)
{
    const struct {
        const char* text;
        bool refused;
    } cases[] = {{"1e39", true}, {"1e38", true}, {"60", true}, {"-10.5", true}, {"50", false}, {"-10", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        CalRig rig;
        rig.procedure.CalStarted = true;
        rig.procedure.CalStep = 4;
        rig.prm.ATRevice0 = 0.125f;
        rig.procedure.ConfirmTemperatures(true, QString::fromLatin1(c.text));
        if (c.refused) {
            EXPECT_EQ(rig.prompts.texts(), QStringList{CalProcedure::kReferenceOutOfRange});
            EXPECT_TRUE(rig.link.sent.empty());
            EXPECT_EQ(rig.prm.ATRevice0, 0.125f) << "the parameter set is left as it was";
            EXPECT_EQ(rig.procedure.CalStep, 4);
        } else {
            EXPECT_TRUE(rig.prompts.texts().isEmpty());
            EXPECT_EQ(rig.link.sent.size(), 1u);
            EXPECT_EQ(rig.procedure.CalStep, 6);
        }
    }
    // A text that is no number at all keeps its warning and goes on with the computed corrections,
    // which are finite.
    CalRig rig;
    rig.procedure.CalStarted = true;
    rig.procedure.ConfirmTemperatures(true, "NaN");
    EXPECT_EQ(rig.prompts.texts(), QStringList{"数字でない文字が含まれます"});
    ASSERT_EQ(rig.link.sent.size(), 1u);
    EXPECT_FALSE(rig.link.sent[0].contains("nan") || rig.link.sent[0].contains("inf"));
}

TEST(CalProcedureTest, ABatchThatCannotGoOutInOneRequestStopsItsStageInsteadOfResending)
{
    // The defaults of the start: the correction table far beyond what a request can carry.
    {
        CalRig rig;
        rig.procedure.Start("A1");
        rig.prm.DIV.fill(1e30f);
        rig.procedure.CalStep = 2;
        rig.poll.AnsReady = false;
        for (int tick = 0; tick < 20 && rig.procedure.CalStep != 0; ++tick) {
            rig.Echo();
            rig.procedure.CalWriteTick();
        }
        EXPECT_EQ(rig.procedure.CalStep, 0);
        EXPECT_TRUE(rig.status.contains("＜デフォルト値設定＞：3"));
        EXPECT_FALSE(rig.status.contains("＜デフォルト値設定＞：4"));
        EXPECT_TRUE(rig.prompts.texts().contains(CalProcedure::kUnsendable));
        for (const QByteArray& sent : rig.link.sent)
            EXPECT_FALSE(sent.contains("P01=")) << "no table group went out";
        EXPECT_TRUE(rig.poll.Acquiring);
        EXPECT_FALSE(rig.forceLog);
        const std::size_t sent = rig.link.sent.size();
        rig.procedure.CalWriteTick();
        EXPECT_EQ(rig.link.sent.size(), sent) << "nothing resent";
    }
    // A temperature confirmation whose corrections are too long to send.
    {
        CalRig rig;
        rig.atCheck = false;
        rig.procedure.CalStarted = true;
        rig.procedure.CalStep = 4;
        rig.stats.ATRevCal0 = rig.stats.ATRevCal1 = rig.stats.BGTRevCal0 = rig.stats.BGTRevCal1 = 3e38f;
        rig.stats.BBTRevCal0 = rig.stats.BBTRevCal1 = 3e38f;
        rig.procedure.ConfirmTemperatures(false, QString());
        EXPECT_TRUE(rig.link.sent.empty());
        EXPECT_EQ(rig.procedure.CalStep, 4) << "the stage stays open";
        EXPECT_EQ(rig.prm.ATRevice0, 0.0f) << "values that were never written are taken back";
        EXPECT_EQ(rig.prompts.texts(), QStringList{CalProcedure::kUnsendable});
        EXPECT_FALSE(QFile::exists(rig.folder.file("_2403051407_ATR.csv"))) << "no work log for an unsent stage";
        EXPECT_TRUE(rig.poll.Acquiring);
    }
}

TEST(CalProcedureTest, AWriteAwaitedWhenTheLinkClosesIsGivenUpWithAMessage)
{
    const struct {
        const char* name;
        std::int32_t step;
        std::int32_t after;
    } cases[] = {{"initialisation", 1, 0}, {"defaults", 3, 0}, {"temperatures", 6, 4}, {"0 m/s", 9, 9}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CalRig rig;
        rig.procedure.CalStep = c.step;
        rig.writeBack().SendTempRevisions();
        rig.link.open = false;
        const std::size_t sent = rig.link.sent.size();
        for (int tick = 0; tick < 10; ++tick)
            rig.procedure.CalWriteTick();
        EXPECT_EQ(rig.link.sent.size(), sent) << "nothing resent on a closed link";
        EXPECT_EQ(rig.procedure.CalStep, c.after);
        EXPECT_EQ(rig.prompts.texts(), QStringList{CalProcedure::kLinkLost});
        EXPECT_TRUE(rig.status.contains(CalProcedure::kLinkLost));
        EXPECT_TRUE(rig.poll.Acquiring);
        EXPECT_FALSE(rig.poll.WriteQueueHeld());
    }
}

TEST(CalProcedureTest, WaitingForTheTemperaturesLeavesPollingToAWriterThatHoldsTheLists)
{
    CalRig rig;
    rig.procedure.CalStep = 4;
    int other = 0;
    rig.poll.ClaimWriteQueue(&other, [] {});
    rig.poll.Acquiring = false;
    for (int tick = 0; tick < 5; ++tick)
        rig.procedure.CalWriteTick();
    EXPECT_FALSE(rig.poll.Acquiring);
    rig.poll.ReleaseWriteQueue(&other);
    rig.procedure.CalWriteTick();
    EXPECT_TRUE(rig.poll.Acquiring) << "taken up again once the lists are free";
}

TEST(CalProcedureTest, AWorkFileThatCannotBeSavedShowsTheFileErrorBox)
{
    CalRig rig;
    rig.folder.write("DefaultPrm.qemra", "[Early]\r\nDifT0m=47.5\r\n");
    // The work file's name is taken by a folder.
    rig.folder.write("A9_2403051407.qemra/inside", "");
    rig.procedure.Start("A9");
    EXPECT_EQ(rig.prompts.texts(),
              QStringList{QString("Cannot create file \"%1\".").arg(rig.folder.file("A9_2403051407.qemra"))});
    EXPECT_EQ(rig.procedure.CalStep, 1) << "the start itself goes on";
}

}  // namespace
