#include "common/DateTime.h"
#include "common/Prompts.h"
#include "link/SerialLink.h"
#include "windows/link/CommunicationWindow.h"
#include "windows/link/PortSetupDialog.h"
#include "tests/support/TempFolder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextDocument>
#include <gtest/gtest.h>

#include <vector>

using namespace qemra;

namespace {

const QByteArray kGoodFrame = "<AD,M01=0.123,>CA\r\n";
const QByteArray kLowerCaseFrame = "<AD,M01=0.123,>ca\r\n";

QString MemoText(const QPlainTextEdit* memo) { return memo->toPlainText(); }

class CommunicationWindowTest : public ::testing::Test {
protected:
    TempFolder folder;
    FakeClock clock{EncodeDateTime(2024, 1, 15, 9, 5, 7)};
    RecordingPrompts prompts;
    QString portName;
    SerialLink link{portName, clock, folder.path()};
    TCommCtrlForm form{link, prompts};
};

TEST_F(CommunicationWindowTest, StartsHiddenWithItsControlsUncheckedAndMemosHoldingMemo1)
{
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.windowTitle(), "ComPort 通信状態");
    for (const char* name : {"PTop", "ComLed2", "ComLedTxD", "ComLedRxD", "BBSetup", "PSend", "CBSendLog", "MSend",
                             "PRecive", "CBReciveLog", "MRecive", "PConsole", "BBClose"})
        EXPECT_NE(form.findChild<QWidget*>(name), nullptr) << name;
    EXPECT_EQ(form.findChild<QPushButton*>("BBSetup")->text(), "Com Setup..");
    EXPECT_EQ(form.CBSendLog()->text(), "送信ログ");
    EXPECT_EQ(form.CBReciveLog()->text(), "受信ログ");
    EXPECT_FALSE(form.CBSendLog()->isChecked());
    EXPECT_FALSE(form.CBReciveLog()->isChecked());
    EXPECT_EQ(MemoText(form.MSend()), "Memo1");
    EXPECT_EQ(MemoText(form.MRecive()), "Memo1");
    EXPECT_FALSE(link.ForceLog);
    EXPECT_FALSE(form.LinkOpen());
    EXPECT_EQ(link.WindowNumber, 0);
}

TEST_F(CommunicationWindowTest, LogsFramesAsTheCheckBoxesAndForceLogSay)
{
    struct Case {
        const char* name;
        bool force, sendBox, receiveBox;
        QString send, receive;
        QByteArray log;
    };
    const QString sent = "Memo1\n<RD,M01,>EA";
    const QString received = "Memo1\n<AD,M01=0.123,>";
    const QString sumError = "\nSumCheck Error! : <AD,M01=0.123,>";
    const QByteArray sendLine = "2024/01/15 09:05.07,Snd->>: <RD,M01,>EA,\r\n";
    const QByteArray receiveLine = "2024/01/15 09:05.07,<<-Rcv: <AD,M01=0.123,>,\r\n";
    const std::vector<Case> cases = {
        {"nothing on", false, false, false, "Memo1", "Memo1", ""},
        // ForceLog logs sent and good frames but never shows a checksum error.
        {"force only", true, false, false, sent, received, sendLine + receiveLine},
        {"send box", false, true, false, sent, "Memo1", sendLine},
        {"receive box", false, false, true, "Memo1", received + sumError, receiveLine},
        {"everything", true, true, true, sent, received + sumError, sendLine + receiveLine},
    };
    for (const Case& c : cases) {
        TempFolder caseFolder;
        QString name;
        SerialLink windowLink(name, clock, caseFolder.path());
        TCommCtrlForm window(windowLink, prompts);
        windowLink.ForceLog = c.force;
        window.CBSendLog()->setChecked(c.sendBox);
        window.CBReciveLog()->setChecked(c.receiveBox);
        windowLink.SendFrame("RD,M01,");
        windowLink.ReceivePiece(kGoodFrame);
        windowLink.ReceivePiece(kLowerCaseFrame);
        EXPECT_EQ(MemoText(window.MSend()), c.send) << c.name;
        EXPECT_EQ(MemoText(window.MRecive()), c.receive) << c.name;
        EXPECT_EQ(caseFolder.read("240115QemraCom.log"), c.log) << c.name;
    }
}

TEST_F(CommunicationWindowTest, WritesEachLogLineIntoTheFileOfItsOwnDate)
{
    link.ForceLog = true;
    clock.Set(EncodeDateTime(2024, 1, 15, 23, 59, 59));
    link.SendFrame("RD,M01,");
    clock.AdvanceSeconds(2);
    link.ReceivePiece(kGoodFrame);
    EXPECT_EQ(folder.read("240115QemraCom.log"), "2024/01/15 23:59.59,Snd->>: <RD,M01,>EA,\r\n");
    EXPECT_EQ(folder.read("240116QemraCom.log"), "2024/01/16 00:00.01,<<-Rcv: <AD,M01=0.123,>,\r\n");
}

TEST_F(CommunicationWindowTest, KeepsMemo1AndTheNewestHundredLines)
{
    for (int i = 1; i <= 150; ++i)
        link.LogSend("line " + QByteArray::number(i));
    QStringList expected{"Memo1"};
    for (int i = 51; i <= 150; ++i)
        expected << "line " + QString::number(i);
    EXPECT_EQ(MemoText(form.MSend()), expected.join('\n'));
    // Nothing of the trimmed lines is kept behind the scenes.
    EXPECT_EQ(form.MSend()->document()->availableUndoSteps(), 0);
}

TEST_F(CommunicationWindowTest, BoundsChecksumErrorLinesUntilAGoodFrameTrimsTheMemo)
{
    form.CBReciveLog()->setChecked(true);
    link.ReceivePiece(kLowerCaseFrame.repeated(1200));
    const QTextDocument* memo = form.MRecive()->document();
    EXPECT_EQ(memo->blockCount(), 1000);
    EXPECT_EQ(memo->firstBlock().text(), "Memo1");
    EXPECT_EQ(memo->findBlockByNumber(1).text(), "SumCheck Error! : <AD,M01=0.123,>");

    link.ReceivePiece(kGoodFrame);
    EXPECT_EQ(memo->blockCount(), 101);
    EXPECT_EQ(memo->lastBlock().text(), "<AD,M01=0.123,>");
    EXPECT_EQ(memo->availableUndoSteps(), 0);
}

TEST_F(CommunicationWindowTest, DropsFramesLongerThan128CharactersWithoutLogging)
{
    link.ForceLog = true;
    link.SendFrame(QByteArray(127, 'A'));
    EXPECT_EQ(MemoText(form.MSend()), "Memo1");
    EXPECT_FALSE(folder.exists("240115QemraCom.log"));
    link.SendFrame(QByteArray(126, 'A'));
    EXPECT_EQ(MemoText(form.MSend()), "Memo1\n<" + QString(126, 'A') + ">88");
}

TEST_F(CommunicationWindowTest, HandsEveryGoodFrameToTheHandlerInOrder)
{
    std::vector<QByteArray> frames;
    link.SetOnFrame([&] { frames.push_back(link.RxBuf()); });
    // A good frame that nobody asked for is handed over too; a bad one never is.
    link.ReceivePiece(kGoodFrame + "<AW,H50=1,>7B\r\n" + kLowerCaseFrame + "<AD,M11");
    link.ReceivePiece("=24.5,>F4\r\n");
    EXPECT_EQ(frames, (std::vector<QByteArray>{"<AD,M01=0.123,>", "<AW,H50=1,>", "<AD,M11=24.5,>"}));
}

TEST_F(CommunicationWindowTest, EndsAPieceSilentlyWhenTheHandlerFails)
{
    std::vector<QByteArray> frames;
    link.SetOnFrame([&] {
        frames.push_back(link.RxBuf());
        if (frames.size() == 1)
            throw std::runtime_error("handler failed");
    });
    link.ReceivePiece(kGoodFrame + kGoodFrame);  // the second frame goes with the failed piece
    EXPECT_EQ(frames.size(), 1u);
    link.ReceivePiece(kGoodFrame);
    EXPECT_EQ(frames.size(), 2u);
}

TEST_F(CommunicationWindowTest, AppliesTheSetupDialogOnlyOnOkAndStoresTheSettingsEitherWay)
{
    struct Case {
        const char* button;
        int baudRate;
        QString port;
    };
    const std::vector<Case> cases = {
        {"BBCancel", 38400, "COM7"},
        {"BBOK", 9600, "/tmp/qemra-link/ttyV0"},
    };
    for (const Case& c : cases) {
        TempFolder caseFolder;
        QString name;
        SerialLink windowLink(name, clock, caseFolder.path());
        TCommCtrlForm window(windowLink, prompts);
        QStringList shownAtStart;
        window.SetDialogRunner([&](TComSetupFrm& dialog) {
            for (const QComboBox* list : {dialog.CBPort(), dialog.CBBaudRate(), dialog.CBDataBits(),
                                          dialog.CBStopBits(), dialog.CBParity(), dialog.CBFlowControl()})
                shownAtStart << list->currentText();
            dialog.CBPort()->setCurrentText("/tmp/qemra-link/ttyV0");  // a typed path, not in the list
            dialog.CBBaudRate()->setCurrentText("9600");
            dialog.findChild<QPushButton*>(c.button)->click();
            return dialog.result();
        });
        window.BBSetupClick();
        EXPECT_EQ(shownAtStart, (QStringList{"COM7", "38400", "8", "1", "None", "None"})) << c.button;
        EXPECT_EQ(window.ComPortM().EffectiveBaudRate(), c.baudRate) << c.button;
        EXPECT_EQ(window.ComPortM().Port(), c.port) << c.button;
        EXPECT_TRUE(caseFolder.read("Port0.ini")
                        .contains("Port=" + c.port.toLatin1() + "\r\nBaudRate=" + QByteArray::number(c.baudRate)))
            << c.button;
    }
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(CommunicationWindowTest, AutoReconnectIsOffUntilTickedAndThenStoredInThePortSettings)
{
    const auto runDialog = [this](bool tick) {
        form.SetDialogRunner([tick](TComSetupFrm& dialog) {
            EXPECT_EQ(dialog.CBAutoReconnect()->text(), "自動再接続");
            dialog.CBAutoReconnect()->setChecked(tick);
            dialog.findChild<QPushButton*>("BBOK")->click();
            return dialog.result();
        });
        form.BBSetupClick();
    };
    form.SavePortSettings();
    EXPECT_FALSE(folder.read("Port0.ini").contains("AutoReconnect")) << "a file as the program always wrote it";
    runDialog(true);
    EXPECT_TRUE(form.ComPortM().AutoReconnect());
    EXPECT_TRUE(folder.read("Port0.ini").contains("AutoReconnect=1\r\n"));
    runDialog(false);
    EXPECT_TRUE(folder.read("Port0.ini").contains("AutoReconnect=0\r\n"));
    EXPECT_FALSE(form.ComPortM().AutoReconnect());
}

TEST_F(CommunicationWindowTest, LoadsTheSettingsFileOfItsWindowNumber)
{
    folder.write("Port0.ini", "[ComPortM]\r\nBaudRate=57600\r\n");
    folder.write("Port2.ini", "[ComPortM]\r\nBaudRate=19200\r\n");
    link.WindowNumber = 2;
    EXPECT_TRUE(form.LoadPortSettings());
    EXPECT_EQ(form.ComPortM().EffectiveBaudRate(), 19200);
    link.WindowNumber = 3;
    EXPECT_TRUE(form.LoadPortSettings()) << "a missing file is no error";
    EXPECT_TRUE(prompts.messages.empty());

    QString name;
    SerialLink unslashedLink(name, clock, folder.path().chopped(1));
    TCommCtrlForm unslashed(unslashedLink, prompts);
    EXPECT_EQ(unslashed.PortSettingsPath(), folder.file("Port0.ini"));
}

TEST_F(CommunicationWindowTest, ShowsSettingsFileErrorsAsErrorMessages)
{
    QString name;
    SerialLink windowLink(name, clock, folder.file("no-such-folder/"));
    TCommCtrlForm window(windowLink, prompts);
    window.SavePortSettings();
    folder.write("Port0.ini/inside", "");
    EXPECT_FALSE(form.LoadPortSettings()) << "the caller must not go on to open the port";
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[0].kind, Prompts::Kind::Error);
    EXPECT_EQ(prompts.messages[0].text, "Failed to store settings");
    EXPECT_EQ(prompts.messages[1].text, "Failed to load settings");
}

TEST_F(CommunicationWindowTest, LeavesTheLinkClosedWhenThePortDoesNotOpen)
{
    portName = "kept";
    EXPECT_FALSE(form.OpenLink());  // "COM7" is no device here
    EXPECT_FALSE(form.LinkOpen());
    EXPECT_FALSE(link.Connected());
    EXPECT_EQ(portName, "kept");
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_TRUE(form.CloseLink());
    EXPECT_EQ(portName, "");
}

}  // namespace
