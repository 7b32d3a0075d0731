#include "windows/settings/SetpointDialog.h"
#include "settings/SetpointWrite.h"
#include "tests/windows/settings/WriterFixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace qemra {
namespace {

class SetpointDialogTest : public ::testing::Test, public WriterFixture {
protected:
    TPrmSetForm form{poll, state};

    void SetUp() override { form.Timer1().stop(); }  // the test calls Timer1Timer itself

    QLineEdit* Edit(const char* name) { return form.findChild<QLineEdit*>(name); }
    QRadioButton* Item(const char* name) { return form.findChild<QRadioButton*>(name); }
    QStringList Lines() { return MemoLines(form.Memo()); }

    // Values on screen, then a click on the write button.
    void Write(const char* clo = "0.80", const char* mets = "2.50")
    {
        form.FormShow();
        Item("RGMesModeItem1")->setChecked(true);
        Item("RGCaseModeItem2")->setChecked(true);
        Edit("Eclo")->setText(QString::fromLatin1(clo));
        Edit("EMETs")->setText(QString::fromLatin1(mets));
        form.findChild<QPushButton*>("BBWrite")->click();
    }
};

TEST_F(SetpointDialogTest, ShowsTheReportedOperatingValuesOnEveryOpening)
{
    struct Case {
        const char* name;
        float h50, h82, h51, m55;
        const char* mesItem;
        const char* caseItem;
        const char* clo;
        const char* mets;
    };
    const Case cases[] = {
        {"nothing reported yet", 0, 0, 0, 0, "Low-Mode", "なし", "0.00", "0.00"},
        {"reported values", 1, 1, 0.5f, 1.2f, "Hi-Mode", "開放設置モード", "0.50", "1.20"},
        {"modes beyond the last item", 7, 3, 1.234f, 3.456f, "Hi-Mode", "ケース設置モード", "1.23", "3.46"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        state.CurMes.H50 = c.h50;
        state.CurMes.H82 = c.h82;
        state.CurMes.H51 = c.h51;
        state.CurMes.M55 = c.m55;
        form.Memo()->setPlainText("left from before");
        form.show();
        const auto checked = [this](const char* group) {
            for (QRadioButton* item : form.findChildren<QRadioButton*>())
                if (item->objectName().startsWith(QString::fromLatin1(group)) && item->isChecked())
                    return item->text();
            return QString();
        };
        EXPECT_EQ(checked("RGMesMode"), QString::fromUtf8(c.mesItem));
        EXPECT_EQ(checked("RGCaseMode"), QString::fromUtf8(c.caseItem));
        EXPECT_EQ(Edit("Eclo")->text(), QString::fromLatin1(c.clo));
        EXPECT_EQ(Edit("EMETs")->text(), QString::fromLatin1(c.mets));
        EXPECT_TRUE(Lines().isEmpty());
        form.hide();
    }
}

TEST_F(SetpointDialogTest, SendsFourTimesWithoutAnswerThenGivesUpAndResumesPolling)
{
    Write();
    EXPECT_FALSE(poll.Acquiring);
    EXPECT_TRUE(Lines().isEmpty()) << "the first send's line is cleared";
    for (int check = 0; check < 4; ++check)
        form.Timer1Timer();
    const QByteArray request = "RW,H50=1,H82=2,H51=0.80,H52=2.50,";
    EXPECT_EQ(link.sent, std::vector<QByteArray>(4, request));
    EXPECT_EQ(Lines(), QStringList({" 応答なし 再書き込み！", " 書込み", " 応答なし 再書き込み！", " 書込み",
                                    " 応答なし 再書き込み！", " 書込み", " 応答なし 書込み失敗！"}));
    EXPECT_FALSE(form.Writer().Pending());
    EXPECT_TRUE(poll.Acquiring);
    form.Timer1Timer();
    EXPECT_EQ(link.sent.size(), 4u) << "nothing more once given up";
}

TEST_F(SetpointDialogTest, ChecksTheEchoAndSendsAgainAtOnceOnAMismatch)
{
    struct Case {
        const char* name;
        QByteArray echo;
        QStringList lines;
        bool pending;
    };
    const Case cases[] = {
        {"echo as sent", "AW,H50=1,H82=2,H51=0.8,H52=2.5,", {" 書込み成功！"}, false},
        {"only two pairs", "AW,H50=1,H82=2,", {" 書込み成功！"}, false},
        {"a value that is no number",
         "AW,H50=1,H82=2,H51=abc,H52=2.5,",
         {"No Data! : H51:abc", " 書込み成功！"},
         false},
        {"another value",
         "AW,H50=1,H82=2,H51=0.9,H52=2.5,",
         {"Data Missmatch! : H51:0.80 ? 0.9", " 書込み失敗！ 送信データ不一致", " 書込み"},
         true},
        {"a key in lower case",
         "AW,H50=1,H82=2,h51=0.8,H52=2.5,",
         {"Key Missmatch! : H51 ? h51", " 書込み失敗！ 送信データ不一致", " 書込み"},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        link.sent.clear();
        Write();
        link.Deliver(c.echo);
        form.Timer1Timer();
        EXPECT_EQ(Lines(), c.lines);
        EXPECT_EQ(form.Writer().Pending(), c.pending);
        EXPECT_EQ(poll.Acquiring, !c.pending);
        EXPECT_EQ(link.sent.size(), c.pending ? 2u : 1u);
        EXPECT_EQ(form.Writer().RetryBudget(), SetpointWrite::kRetries) << "a mismatch spends no retry";
    }
}

TEST_F(SetpointDialogTest, AnEditThatIsNoNumberSendsTheValueSentBefore)
{
    Write("0.70", "1.50");
    EchoLastRequest();
    form.Timer1Timer();
    Write("1,5", "x");
    EXPECT_EQ(link.sent.back(), "RW,H50=1,H82=2,H51=0.70,H52=1.50,");
}

TEST_F(SetpointDialogTest, AWriteGoesOnAfterTheDialogIsClosedAndEndsOnReopening)
{
    form.show();
    Write();
    form.findChild<QPushButton*>("BBOk")->click();
    EXPECT_FALSE(form.isVisible());
    form.Timer1Timer();
    EXPECT_EQ(link.sent.size(), 2u) << "sent again after the dialog closed";
    EchoLastRequest();
    form.Timer1Timer();
    EXPECT_TRUE(poll.Acquiring);

    // Opening again forgets a pending write, and polling no longer waits for it.
    Write();
    form.show();
    EXPECT_FALSE(form.Writer().Pending());
    EXPECT_TRUE(poll.Acquiring);
    EXPECT_FALSE(poll.WriteQueueHeld());
}

TEST_F(SetpointDialogTest, RestoringTheMinimisedDialogKeepsTheTypedValuesAndThePendingWrite)
{
    form.show();
    Write();
    Edit("Eclo")->setText("1.10");
    form.setWindowState(Qt::WindowMinimized);
    form.setWindowState(Qt::WindowNoState);
    EXPECT_EQ(Edit("Eclo")->text(), "1.10");
    EXPECT_TRUE(form.Writer().Pending());
    EchoLastRequest();
    form.Timer1Timer();
    EXPECT_EQ(Lines(), QStringList({" 書込み成功！"}));
}

TEST_F(SetpointDialogTest, AWriteWhoseLinkClosesGivesUpAtItsNextCheck)
{
    Write();
    link.open = false;
    form.Timer1Timer();
    EXPECT_EQ(Lines(), QStringList({SetpointWrite::kLinkLost}));
    EXPECT_FALSE(form.Writer().Pending());
    EXPECT_TRUE(poll.Acquiring);
    EXPECT_EQ(link.sent.size(), 1u) << "nothing resent on a closed link";
}

}  // namespace
}  // namespace qemra
