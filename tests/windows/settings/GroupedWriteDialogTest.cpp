#include "common/NumberText.h"
#include "settings/GroupedWrite.h"
#include "windows/settings/SetpointDialog.h"
#include "settings/SetpointWrite.h"
#include "windows/settings/GroupedWriteDialog.h"
#include "parameters/ParameterSet.h"
#include "tests/windows/settings/WriterFixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace qemra {
namespace {

// The seven requests of a write of the default parameter set.
const std::vector<QByteArray> kDefaultRequests = {
    "RW,E91=1,P99=8462,E01=50.00,E02=5.00,E03=20.00,E04=0.2000,",
    "RW,P01=0.00,P02=0.00,P03=0.00,P04=0.00,P05=0.00,P06=0.00,P07=0.00,P08=0.00,",
    "RW,P09=0.00,P10=0.00,P11=0.00,P12=0.00,P13=0.00,P14=0.00,P15=0.00,P16=0.00,",
    "RW,P17=0.00,P18=0.00,P19=0.00,P20=0.00,",
    "RW,E16=0.000,E17=0.000,E12=0.000,E13=0.000,P32=2.500,E21=0.000,E22=0.000,",
    "RW,E26=0.000,E27=0.000,E28=0.000,P41=9,E06=3.000,",
    "RW,E91=0,P99=0,",
};

class GroupedWriteDialogTest : public ::testing::Test, public WriterFixture {
protected:
    TWritePrm prm;
    TWriteForm form{poll, prm};

    void SetUp() override
    {
        SetParameterDefaults(prm);
        form.show();
    }
    QStringList Lines() { return MemoLines(form.Memo()); }
    QPushButton* Button(const char* name) { return form.findChild<QPushButton*>(name); }

    // One tick; a new request is echoed as sent (`echo`), or with `change` applied to it.
    void Tick(bool echo = true, const std::function<QByteArray(QByteArray)>& change = {})
    {
        const std::size_t before = link.sent.size();
        form.WriteTick();
        if (echo && link.sent.size() > before) {
            const QByteArray answer = "AW," + link.sent.back().mid(3);
            link.Deliver(change ? change(answer) : answer);
        }
    }
};

TEST_F(GroupedWriteDialogTest, AVerifiedRunSendsTheSevenGroupsInFifteenTicksAndResumesPolling)
{
    prm.DIV[9] = 12.345f;
    prm.VAL[0] = -1.5f;
    Button("BBDo")->click();
    EXPECT_FALSE(poll.Acquiring);
    for (int tick = 1; tick <= 14; ++tick)
        Tick();
    EXPECT_TRUE(form.Sequence().Active()) << "not yet completed after 14 ticks";
    Tick();
    EXPECT_FALSE(form.Sequence().Active());

    std::vector<QByteArray> expected = kDefaultRequests;
    expected[1].replace("P02=0.00", "P02=-1.50");
    expected[3].replace("P19=0.00", "P19=12.35");
    EXPECT_EQ(link.sent, expected);
    const QStringList lines = Lines();
    ASSERT_EQ(lines.size(), 1 + 7 * 2 + 1);
    EXPECT_EQ(lines.front(), "【書込み開始】");
    EXPECT_EQ(lines[1], "Group-1 ： 書込み");
    EXPECT_EQ(lines[2], "Group-1 ： 書込み成功！");
    EXPECT_EQ(lines[14], "Finish ： 書込み成功！");
    EXPECT_EQ(lines.back(), "●●書込み完了しました！●●");
    EXPECT_TRUE(poll.Acquiring);
    EXPECT_TRUE(Button("BBClose")->isEnabled());
    EXPECT_FALSE(Button("BBCancel")->isEnabled());
    EXPECT_TRUE(Button("BBDo")->isEnabled());

    // The next opening starts stopped with an empty memo.
    form.hide();
    form.show();
    EXPECT_TRUE(Lines().isEmpty());
    EXPECT_FALSE(Button("BBClose")->isEnabled());
    EXPECT_TRUE(Button("BBCancel")->isEnabled());
}

TEST_F(GroupedWriteDialogTest, AGroupWithoutAnswerIsSentFourTimesThenTheSequenceStops)
{
    Button("BBDo")->click();
    for (int tick = 0; tick < 9; ++tick)
        Tick(false);
    EXPECT_EQ(link.sent, std::vector<QByteArray>(4, kDefaultRequests[0]));
    EXPECT_EQ(Lines(), QStringList({"【書込み開始】", "Group-1 ： 書込み", "Group-1 ： 応答なし 再書き込み！",
                                    "Group-1 ： 書込み", "Group-1 ： 応答なし 再書き込み！", "Group-1 ： 書込み",
                                    "Group-1 ： 応答なし 再書き込み！", "Group-1 ： 書込み",
                                    "Group-1 ： 応答なし 書込み失敗！", "書込み停止しました！",
                                    GroupedWrite::kStillUnlocked}));
    EXPECT_FALSE(form.Sequence().Active());
    EXPECT_FALSE(poll.Acquiring) << "polling waits until the dialog is closed";
}

TEST_F(GroupedWriteDialogTest, EchoChecksDecideWhetherTheSequenceGoesOn)
{
    struct Case {
        const char* name;
        std::function<QByteArray(QByteArray)> change;  // applied to Group-1's echo
        bool passes;
        QStringList extraLines;  // the check's own lines
    };
    const Case cases[] = {
        {"another heater output is not compared",
         [](QByteArray a) { return a.replace("E04=0.2000", "E04=0.3"); },
         true,
         {}},
        {"another wind constant",
         [](QByteArray a) { return a.replace("E02=5.00", "E02=4"); },
         false,
         {"Data Missmatch! : E02:5.00 ? 4"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        link.sent.clear();
        form.hide();
        form.show();
        Button("BBDo")->click();
        Tick(true, c.change);
        Tick();
        Tick();
        QStringList expected = {"【書込み開始】", "Group-1 ： 書込み"};
        expected += c.extraLines;
        if (c.passes) {
            expected += {"Group-1 ： 書込み成功！", "Group-2 ： 書込み"};
        } else {
            expected += {"Group-1 ： 書込み失敗！ 送信データ不一致", "書込み停止しました！", GroupedWrite::kStillUnlocked};
        }
        EXPECT_EQ(Lines(), expected);
        EXPECT_EQ(link.sent.size(), c.passes ? 2u : 1u) << "a mismatch stops without a re-send or Finish";
    }
}

TEST_F(GroupedWriteDialogTest, ClosingResumesPollingUnlessTheWriteNeverSuspendedIt)
{
    struct Case {
        const char* name;
        int ticks;           // after BBDo; -1: BBDo not pressed
        const char* button;  // nullptr: the close box
        bool acquiring;
    };
    const Case cases[] = {
        {"中止 in the middle", 3, "BBCancel", true},
        {"中止 without a write", -1, "BBCancel", true},
        {"close box while stopped after a failure", 9, nullptr, true},
        {"close box without a write", -1, nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        link.sent.clear();
        form.show();
        poll.Acquiring = false;
        if (c.ticks >= 0) {
            Button("BBDo")->click();
            for (int tick = 0; tick < c.ticks; ++tick)
                Tick(false);
        }
        if (c.button)
            Button(c.button)->click();
        else
            form.close();
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(poll.Acquiring, c.acquiring);
        const std::size_t sent = link.sent.size();
        form.WriteTick();
        EXPECT_EQ(link.sent.size(), sent) << "a closed dialog does not advance";
    }
}

TEST_F(GroupedWriteDialogTest, AWriterThatStartsSendingEndsTheOtherWritersPendingWrite)
{
    TPrmSetForm setpoint{poll, state};
    setpoint.Timer1().stop();
    const auto setpointLines = [&] { return MemoLines(setpoint.Memo()); };

    // A setpoint write left pending, then the grouped write sends its first group.
    setpoint.BBWriteClick();
    Button("BBDo")->click();
    Tick();
    EXPECT_FALSE(setpoint.Writer().Pending());
    EXPECT_EQ(setpointLines(), QStringList({SetpointWrite::kInterrupted}));
    setpoint.Timer1Timer();
    EXPECT_EQ(link.sent.size(), 2u) << "the ended write sends nothing more";
    Tick();
    EXPECT_EQ(Lines().last(), "Group-1 ： 書込み成功！");

    // The setpoint write sends while the grouped write waits for its next echo.
    Tick(false);
    setpoint.BBWriteClick();
    EXPECT_EQ(Lines().last(), "Group-2 ： 書込み中断！ 他の書込みが始まりました");
    Tick();
    EXPECT_EQ(Lines().mid(Lines().size() - 2), QStringList({GroupedWrite::kStopped, GroupedWrite::kStillUnlocked}));
    EXPECT_FALSE(poll.Acquiring) << "the setpoint write holds polling now";
    EchoLastRequest();
    setpoint.Timer1Timer();
    EXPECT_EQ(setpointLines().last(), " 書込み成功！");
    EXPECT_TRUE(poll.Acquiring);

    // Closing the grouped write no longer touches polling it gave up.
    poll.Acquiring = false;
    setpoint.BBWriteClick();
    Button("BBCancel")->click();
    EXPECT_FALSE(poll.Acquiring) << "the pending setpoint write keeps polling suspended";
}

TEST_F(GroupedWriteDialogTest, EscapeAndARestoredWindowLeaveARunningWriteAlone)
{
    struct Case {
        const char* name;
        int ticks;           // after BBDo; -1: BBDo not pressed
        bool minimise;       // minimised and restored instead of Escape
        bool staysOpen;
    };
    const Case cases[] = {
        {"Escape before the start closes", -1, false, false},
        {"Escape after Group-2 is sent does nothing", 3, false, true},
        {"Escape after completion closes", 15, false, false},
        {"restored after Group-2 is sent goes on", 3, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        link.sent.clear();
        form.hide();
        form.show();
        if (c.ticks >= 0) {
            Button("BBDo")->click();
            for (int tick = 0; tick < c.ticks; ++tick)
                Tick();
        }
        const QStringList before = Lines();
        const std::int32_t step = form.Sequence().Step();
        if (c.minimise) {
            form.setWindowState(Qt::WindowMinimized);
            form.setWindowState(Qt::WindowNoState);
        } else {
            QTest::keyClick(&form, Qt::Key_Escape);
        }
        EXPECT_EQ(form.isVisible(), c.staysOpen);
        if (!c.staysOpen)
            continue;
        EXPECT_EQ(Lines(), before);
        EXPECT_EQ(form.Sequence().Step(), step);
        for (int tick = c.ticks; tick < 15; ++tick)
            Tick();
        EXPECT_EQ(Lines().last(), GroupedWrite::kFinished) << "the write went on to Finish";
        EXPECT_TRUE(poll.Acquiring);
    }
}

TEST_F(GroupedWriteDialogTest, PairsThatDoNotFitTheRequestFailTheGroupInsteadOfPassing)
{
    struct Case {
        const char* name;
        float value;  // every DIV and VAL
        QStringList unsent;
    };
    const Case cases[] = {
        {"eight-digit table values", 12345678.0f, {"Not Sent! : P08:12345678.00"}},
        {"values near the single-precision limit", 3e38f,
         {"Not Sent! : P03:" + FormatFloat("%1.2f", double(3e38f)), "Not Sent! : P04:" + FormatFloat("%1.2f", double(3e38f)),
          "Not Sent! : P05:" + FormatFloat("%1.2f", double(3e38f)), "Not Sent! : P06:" + FormatFloat("%1.2f", double(3e38f)),
          "Not Sent! : P07:" + FormatFloat("%1.2f", double(3e38f)), "Not Sent! : P08:" + FormatFloat("%1.2f", double(3e38f))}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        link.sent.clear();
        prm.DIV.fill(c.value);
        prm.VAL.fill(c.value);
        form.hide();
        form.show();
        Button("BBDo")->click();
        for (int tick = 0; tick < 5; ++tick)
            Tick();
        QStringList expected = {"Group-2 ： 書込み"};
        expected += c.unsent;
        expected += {"Group-2 ： 書込み失敗！ 送信データ不一致", GroupedWrite::kStopped, GroupedWrite::kStillUnlocked};
        EXPECT_EQ(Lines().mid(3), expected);
        ASSERT_EQ(link.sent.size(), 2u) << "nothing after the failed group, no Finish";
        EXPECT_LE(link.sent[1].size() + 2, 128) << "the request fits one frame";
    }
}

TEST_F(GroupedWriteDialogTest, AWriteWhoseLinkClosesStopsAndSaysTheInstrumentIsStillUnlocked)
{
    Button("BBDo")->click();
    Tick();
    Tick();
    Tick(false);
    link.open = false;
    Tick();
    EXPECT_EQ(Lines().mid(4), QStringList({"Group-2 ： " + GroupedWrite::kLinkLost, GroupedWrite::kStopped,
                                           GroupedWrite::kStillUnlocked}));
    EXPECT_FALSE(form.Sequence().Active());
}

}  // namespace
}  // namespace qemra
