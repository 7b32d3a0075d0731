#include "calibration/CalWriteBack.h"

#include "tests/support/CalRig.h"

#include <gtest/gtest.h>

#include <functional>

using namespace qemra;

namespace {

QString Keys(const std::vector<CalPair>& pairs)
{
    QString keys;
    for (const CalPair& pair : pairs)
        keys += pair.Key + u',';
    return keys;
}

TEST(CalWriteBackTest, DefaultGroupsCarryTheirKeysInOrder)
{
    TWritePrm prm;
    SetParameterDefaults(prm);
    const struct {
        int group;
        const char* keys;
    } cases[] = {
        {0, "E91,P99,E01,E02,E03,E04,"},         {1, "E16,E17,E12,E13,P32,E21,E22,"},     {2, "E26,E27,E28,P41,E06,"},
        {3, "P01,P02,P03,P04,P05,P06,P07,P08,"}, {4, "P09,P10,P11,P12,P13,P14,P15,P16,"}, {5, "P17,P18,P19,P20,"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Keys(CalWriteBack::DefaultGroupPairs(prm, c.group)), c.keys) << "group " << c.group;
}

TEST(CalWriteBackTest, BatchValuesUseTheirFormatsWithAPoint)
{
    TWritePrm prm;
    prm.DifT0m = 50;
    prm.AdjWS = 5;
    prm.AdjDifT = 20;
    prm.HeaterWatt = 0.2f;
    prm.ATRev = 9;
    prm.BBT_Revice2 = -0.125f;
    prm.DIV[9] = 1.005f;
    prm.VAL[9] = -3;
    prm.ATRevice0 = 0.2f;
    prm.WDTRevice1 = -0.0004f;
    const auto values = [](const std::vector<CalPair>& pairs) {
        QString text;
        for (const CalPair& pair : pairs)
            text += pair.Key + u'=' + pair.Value + u',';
        return text;
    };
    EXPECT_EQ(values(CalWriteBack::DefaultGroupPairs(prm, 0)),
              "E91=1,P99=8462,E01=50.00,E02=5.00,E03=20.00,E04=0.2000,");
    EXPECT_EQ(values(CalWriteBack::DefaultGroupPairs(prm, 2)), "E26=0.000,E27=0.000,E28=-0.125,P41=9,E06=0.000,");
    EXPECT_EQ(values(CalWriteBack::DefaultGroupPairs(prm, 5)), "P17=0.00,P18=0.00,P19=1.00,P20=-3.00,");
    EXPECT_EQ(values(CalWriteBack::SettingInitPairs()), "E91=1,P99=8462,P91=9318,");
    EXPECT_EQ(values(CalWriteBack::TempRevisionPairs(prm)),
              "E91=1,E16=0.200,E17=0.000,E21=0.000,E22=0.000,E26=0.000,E27=0.000,");
    EXPECT_EQ(values(CalWriteBack::WDTRevisionPairs(prm)), "E91=1,E12=0.000,E13=-0.000,");
    EXPECT_EQ(values(CalWriteBack::ZeroRevisionPairs(prm)), "E91=1,E01=50.00,");
    EXPECT_EQ(values(CalWriteBack::NmRevisionPairs(prm)), "E91=1,E03=20.00,E02=5.00,");
}

TEST(CalWriteBackTest, SendingABatchSuspendsPollingAndSetsWhatTheCheckNeeds)
{
    CalRig rig;
    SetParameterDefaults(rig.prm);
    rig.state->MySts.VerifyPending = 0;
    rig.writeBack().SendSettingInit();
    EXPECT_EQ(rig.lastSent(), "RW,E91=1,P99=8462,P91=9318,");
    EXPECT_FALSE(rig.poll.Acquiring);
    EXPECT_TRUE(rig.forceLog);
    EXPECT_EQ(rig.state->MySts.VerifyCount, 3);
    EXPECT_EQ(rig.state->MySts.VerifyPending, 0) << "the initialisation is checked on every call anyway";

    EXPECT_FALSE(rig.writeBack().SendDefaultGroup(false, true));
    EXPECT_EQ(rig.writeBack().DefGroup, 0);
    EXPECT_EQ(rig.lastSent(), "RW,E91=1,P99=8462,E01=50.00,E02=5.00,E03=20.00,E04=0.2000,");
    EXPECT_EQ(rig.state->MySts.VerifyCount, 6);
    EXPECT_EQ(rig.state->MySts.VerifyPending, 1);
    EXPECT_TRUE(rig.poll.HoldsWriteQueue(&rig.writeBack()));
    EXPECT_EQ(rig.status, QStringList({"＜設定初期化＞", "＜デフォルト値設定＞：0"}));
}

TEST(CalWriteBackTest, DefaultGroupsAdvanceRepeatAndEndAfterTheLast)
{
    CalRig rig;
    rig.writeBack().SendDefaultGroup(false, true);
    for (int group = 1; group <= 5; ++group)
        EXPECT_FALSE(rig.writeBack().SendDefaultGroup(true, false)) << group;
    EXPECT_TRUE(rig.lastSent().startsWith("RW,P17="));
    EXPECT_FALSE(rig.writeBack().SendDefaultGroup(false, false)) << "neither flag sends the same group again";
    EXPECT_TRUE(rig.lastSent().startsWith("RW,P17="));

    const std::size_t before = rig.link.sent.size();
    EXPECT_TRUE(rig.writeBack().SendDefaultGroup(true, false));
    EXPECT_EQ(rig.link.sent.size(), before) << "advancing past group 5 sends nothing";
    EXPECT_EQ(rig.status.size(), 7);
}

TEST(CalWriteBackTest, AirTemperatureOnlySendsTheTemperatureCorrectionsAlone)
{
    const struct {
        const char* name;
        std::function<void(CalWriteBack&)> send;
        bool sends;
    } cases[] = {
        {"temperature", [](CalWriteBack& w) { w.SendTempRevisions(); }, true},
        {"WDT", [](CalWriteBack& w) { w.SendWDTRevisions(); }, false},
        {"0 m/s", [](CalWriteBack& w) { w.Send0mRevision(); }, false},
        {"N m/s", [](CalWriteBack& w) { w.SendNmRevision(); }, false},
        {"default group", [](CalWriteBack& w) { w.SendDefaultValues(3); }, false},
    };
    for (const auto& c : cases) {
        CalRig rig;
        rig.tempRevOnly = true;
        rig.poll.CmdList[0] = {"H50", "1"};
        c.send(rig.writeBack());
        EXPECT_EQ(rig.link.sent.size(), c.sends ? 1u : 0u) << c.name;
        EXPECT_EQ(rig.poll.Acquiring, !c.sends) << c.name;
        EXPECT_EQ(rig.state->MySts.VerifyPending, c.sends ? 1 : 0) << c.name;
        EXPECT_EQ(rig.poll.CmdList[0].Key, c.sends ? "E91" : "H50") << c.name;
    }
}

TEST(CalWriteBackTest, CheckBeforeTheEchoFailsAndTheStepResendsTheBatch)
{
    CalRig rig;
    rig.procedure.CalStarted = true;
    rig.procedure.ConfirmTemperatures(false, QString());
    ASSERT_EQ(rig.procedure.CalStep, 6);
    ASSERT_EQ(rig.link.sent.size(), 1u);

    rig.procedure.CalWriteTick();  // no echo yet
    EXPECT_EQ(rig.status.mid(rig.status.size() - 2), QStringList({"設定NG", "＜気温補正送信＞"}));
    ASSERT_EQ(rig.link.sent.size(), 2u);
    EXPECT_EQ(rig.link.sent[1], rig.link.sent[0]);
    EXPECT_EQ(rig.procedure.CalStep, 6);
    EXPECT_FALSE(rig.poll.Acquiring);

    rig.Echo();
    rig.procedure.CalWriteTick();
    EXPECT_EQ(rig.status.last(), "設定OK");
    EXPECT_EQ(rig.procedure.CalStep, 7);
    EXPECT_TRUE(rig.poll.Acquiring);
    EXPECT_FALSE(rig.forceLog);
    EXPECT_FALSE(rig.poll.HoldsWriteQueue(&rig.writeBack()));

    rig.procedure.CalWriteTick();
    EXPECT_EQ(rig.link.sent.size(), 2u) << "nothing pending at step 7 until the next send";
}

TEST(CalWriteBackTest, InitialisationIsSentAgainAfterSixFailedChecks)
{
    CalRig rig;
    rig.procedure.Start("A123");
    ASSERT_EQ(rig.link.sent.size(), 1u);
    for (int check = 1; check <= 5; ++check) {
        rig.procedure.CalWriteTick();
        EXPECT_EQ(rig.link.sent.size(), 1u) << check;
    }
    rig.procedure.CalWriteTick();
    EXPECT_EQ(rig.link.sent.size(), 2u);
    EXPECT_EQ(rig.procedure.InitRetry, 5);
    EXPECT_EQ(rig.status.count("設定NG"), 6);

    rig.Echo();
    rig.procedure.CalWriteTick();
    EXPECT_EQ(rig.procedure.CalStep, 2);
    rig.procedure.CalWriteTick();
    EXPECT_EQ(rig.procedure.CalStep, 3);
    EXPECT_TRUE(rig.lastSent().startsWith("RW,E91=1,P99=8462,E01="));
}

}  // namespace
