#include "system/CalProcedure.h"

#include "tests/system/CalRig.h"

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

}  // namespace
