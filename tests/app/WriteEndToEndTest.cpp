#include "windows/main/MainWindow.h"
#include "app/Program.h"
#include "common/Prompts.h"
#include "windows/link/CommunicationWindow.h"
#include "settings/GroupedWrite.h"
#include "windows/settings/SetpointDialog.h"
#include "windows/settings/GroupedWriteDialog.h"
#include "windows/system/CalibrationPage.h"
#include "windows/system/SystemSettingWindow.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TempFolder.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <memory>

using namespace qemra;

namespace {

// The program over a simulated instrument whose link "Port0.ini" names.
class WriteEndToEndTest : public ::testing::Test {
protected:
    TempFolder folder;
    FakeClock clock{EncodeDateTime(2024, 1, 15, 9, 5, 7) + 0.1 / 86400.0};
    RecordingPrompts prompts;
    std::unique_ptr<SimProcess> sim;
    std::unique_ptr<Program> program;

    void Start(QStringList options)
    {
        options << "--seed"
                << "11"
                << "--quiet"
                << "--link" << folder.file("sim.tty") << "--port-ini" << folder.file("Port0.ini");
        sim = std::make_unique<SimProcess>(options);
        ASSERT_FALSE(sim->Device().isEmpty()) << "the simulator printed no device path";
        program = std::make_unique<Program>(clock, prompts, folder.path());
        program->Main().FormShow();
        program->PrmSet().Timer1().stop();  // checked by the test, after the answer is in
    }

    // One main-timer tick; waits for the answer to what it sent, so none is counted missing.
    void Tick(int waitMs = 2000)
    {
        program->Main().MainTimerTimer();
        QElapsedTimer waited;
        waited.start();
        while (!program->Main().Poll().AnsReady && waited.elapsed() < waitMs)
            QTest::qWait(5);
        clock.AdvanceMilliseconds(200);
    }

    void WaitForAnswer()
    {
        QElapsedTimer waited;
        waited.start();
        while (!program->Main().Poll().AnsReady && waited.elapsed() < 2000)
            QTest::qWait(5);
    }

    QStringList WriteMemo() { return program->Write().Memo()->toPlainText().split(u'\n'); }

    // The grouped write from the system setting window: connect, "設定送出", "書込み実行".
    void StartGroupedWrite()
    {
        TSysSetForm& system = program->SysSet();
        system.show();
        system.findChild<QToolButton*>("SBConnection")->click();
        ASSERT_TRUE(program->Main().CommCtrl().LinkOpen());
        system.findChild<QPushButton*>("BBWrite")->click();
        ASSERT_TRUE(program->Write().isVisible());
        EXPECT_TRUE(program->Write().isModal());
        program->Write().findChild<QPushButton*>("BBDo")->click();
    }
};

TEST_F(WriteEndToEndTest, SetpointDialogWritesTheOperatingValuesWhichTheMainWindowShowsOncePollingResumes)
{
    Start({});
    TMainForm& main = program->Main();
    main.findChild<QToolButton*>("BBStart")->click();
    ASSERT_TRUE(main.CommCtrl().LinkOpen());
    for (int i = 0; i < 10; ++i)
        Tick();
    EXPECT_EQ(main.findChild<QLabel*>("LMETs")->text(), "METs値: 1.20") << "the instrument's start value";

    main.findChild<QPushButton*>("BBPrmChange")->click();
    TPrmSetForm& dialog = program->PrmSet();
    ASSERT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.findChild<QLineEdit*>("EMETs")->text(), "1.20");
    dialog.findChild<QRadioButton*>("RGMesModeItem1")->setChecked(true);
    dialog.findChild<QRadioButton*>("RGCaseModeItem1")->setChecked(true);
    dialog.findChild<QLineEdit*>("Eclo")->setText("0.8");
    dialog.findChild<QLineEdit*>("EMETs")->setText("2.5");
    dialog.findChild<QPushButton*>("BBWrite")->click();
    dialog.findChild<QPushButton*>("BBOk")->click();  // the write goes on
    EXPECT_FALSE(main.Poll().Acquiring);
    WaitForAnswer();
    dialog.Timer1Timer();
    EXPECT_EQ(dialog.Memo()->toPlainText(), " 書込み成功！");
    EXPECT_TRUE(main.Poll().Acquiring);
    EXPECT_EQ(sim->Ask("held H50 H82 H51 H52"), "H50=1 H82=1 H51=0.8 H52=2.5");

    for (int i = 0; i < 10; ++i)
        Tick();
    EXPECT_EQ(main.findChild<QLabel*>("LMETs")->text(), "METs値: 2.50");
    EXPECT_EQ(main.findChild<QLabel*>("Lclo")->text(), "clo値: 0.80");
}

TEST_F(WriteEndToEndTest, AReadAnswerArrivingAfterTheWriteWentOutIsNotTakenAsItsEcho)
{
    // Every answer leaves 300 ms late, past the next tick's request, so the write below goes out
    // while a read request still waits for its answer.
    Start({"--delay", "300"});
    TMainForm& main = program->Main();
    main.findChild<QToolButton*>("BBStart")->click();
    ASSERT_TRUE(main.CommCtrl().LinkOpen());
    for (int i = 0; i < 6; ++i)
        Tick();

    main.MainTimerTimer();  // its answer is on its way when the write is sent
    main.findChild<QPushButton*>("BBPrmChange")->click();
    TPrmSetForm& dialog = program->PrmSet();
    dialog.findChild<QLineEdit*>("EMETs")->setText("1.7");
    dialog.findChild<QPushButton*>("BBWrite")->click();
    dialog.findChild<QPushButton*>("BBOk")->click();
    WaitForAnswer();
    dialog.Timer1Timer();
    EXPECT_EQ(dialog.Memo()->toPlainText().toStdString(), " 書込み成功！") << "the first check, with no resend";
    EXPECT_EQ(sim->Ask("held H52"), "H52=1.7");
}

TEST_F(WriteEndToEndTest, GroupedWriteLeavesEveryParameterInTheInstrumentAndLocksItAgain)
{
    Start({});
    // A distinct value in every field, each exact at the format it is sent in.
    TWritePrm& prm = program->WritePrm();
    struct Sent {
        const char* key;
        float* field;
    };
    std::vector<Sent> sent = {{"E01", &prm.DifT0m},      {"E02", &prm.AdjWS},       {"E03", &prm.AdjDifT},
                              {"E04", &prm.HeaterWatt},  {"E16", &prm.ATRevice0},   {"E17", &prm.ATRevice1},
                              {"E12", &prm.WDTRevice0},  {"E13", &prm.WDTRevice1},  {"P32", &prm.ChipStdV},
                              {"E21", &prm.BGT_Revice0}, {"E22", &prm.BGT_Revice1}, {"E26", &prm.BBT_Revice0},
                              {"E27", &prm.BBT_Revice1}, {"E28", &prm.BBT_Revice2}, {"E06", &prm.BGT_Coef}};
    static const char* const tableKeys[20] = {"P01", "P02", "P03", "P04", "P05", "P06", "P07", "P08", "P09", "P10",
                                              "P11", "P12", "P13", "P14", "P15", "P16", "P17", "P18", "P19", "P20"};
    for (std::size_t n = 0; n < 10; ++n) {
        sent.push_back({tableKeys[2 * n], &prm.DIV[n]});
        sent.push_back({tableKeys[2 * n + 1], &prm.VAL[n]});
    }
    float value = 1.25f;
    for (const Sent& s : sent) {
        *s.field = value;
        value += 0.5f;
    }
    prm.ATRev = 7;
    sent.push_back({"P41", &prm.ATRev});

    StartGroupedWrite();
    for (int i = 0; i < 15; ++i)
        Tick();
    EXPECT_EQ(WriteMemo().last(), "●●書込み完了しました！●●");
    EXPECT_TRUE(program->Main().Poll().Acquiring);

    QString keys;
    for (const Sent& s : sent)
        keys += QString::fromLatin1(s.key) + ' ';
    const QStringList held = sim->Ask("held " + keys + "E91 P99").split(' ');
    ASSERT_EQ(held.size(), static_cast<qsizetype>(sent.size() + 2));
    for (std::size_t i = 0; i < sent.size(); ++i) {
        const QStringList pair = held[static_cast<qsizetype>(i)].split('=');
        ASSERT_EQ(pair.size(), 2);
        EXPECT_EQ(pair[0], sent[i].key);
        EXPECT_EQ(pair[1].toFloat(), *sent[i].field) << sent[i].key;
    }
    EXPECT_EQ(held[held.size() - 2], "E91=0");
    EXPECT_EQ(held.last(), "P99=0");

    program->Write().findChild<QPushButton*>("BBClose")->click();
    EXPECT_FALSE(program->Write().isVisible());
}

TEST_F(WriteEndToEndTest, GroupedWriteWithoutAnswersStopsAfterTheFourthSendOfTheFirstGroup)
{
    Start({"--drop", "1"});
    StartGroupedWrite();
    for (int i = 0; i < 9; ++i)
        Tick(60);
    const QStringList lines = WriteMemo();
    ASSERT_GE(lines.size(), 2);
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[lines.size() - 3], "Group-1 ： 応答なし 書込み失敗！");
    EXPECT_EQ(lines[lines.size() - 2], "書込み停止しました！");
    EXPECT_EQ(lines.last(), GroupedWrite::kStillUnlocked) << "Group-1 may have reached the instrument";
    EXPECT_EQ(lines.count("Group-1 ： 書込み"), 4);
    EXPECT_FALSE(program->Main().Poll().Acquiring);
    program->Write().findChild<QPushButton*>("BBCancel")->click();
    EXPECT_TRUE(program->Main().Poll().Acquiring);
}

TEST_F(WriteEndToEndTest, BothWriteDialogsKeepTheirEchoWhileACalibrationWaitsForTheTemperatures)
{
    Start({});
    program->SysSet().Calibration().SetCalStep(4);
    program->WritePrm().DifT0m = 47.25f;
    StartGroupedWrite();
    for (int i = 0; i < 15; ++i)
        Tick();
    EXPECT_EQ(WriteMemo().last(), GroupedWrite::kFinished);
    EXPECT_EQ(sim->Ask("held E01 E91"), "E01=47.25 E91=0");
    program->Write().findChild<QPushButton*>("BBClose")->click();

    TPrmSetForm& dialog = program->PrmSet();
    program->Main().findChild<QPushButton*>("BBPrmChange")->click();
    dialog.findChild<QLineEdit*>("Eclo")->setText("0.7");
    dialog.findChild<QPushButton*>("BBWrite")->click();
    for (int i = 0; i < 4; ++i)
        Tick();  // the calibration's checks run every second tick
    dialog.Timer1Timer();
    EXPECT_EQ(dialog.Memo()->toPlainText(), " 書込み成功！");
    EXPECT_EQ(sim->Ask("held H51"), "H51=0.7");
}

TEST_F(WriteEndToEndTest, AGroupedWriteOfValuesTooLongForOneRequestFailsAndLeavesThemUnwritten)
{
    const struct {
        const char* name;
        float value;
        const char* unwritten;  // the first key of Group-2 left out of its request
    } cases[] = {{"eight-digit table values", 12345678.0f, "P08"}, {"1e30", 1e30f, "P04"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Start({});
        program->WritePrm().DIV.fill(c.value);
        program->WritePrm().VAL.fill(c.value);
        StartGroupedWrite();
        for (int i = 0; i < 5; ++i)
            Tick();
        const QStringList lines = WriteMemo();
        EXPECT_TRUE(lines.contains("Group-2 ： 書込み失敗！ 送信データ不一致"));
        EXPECT_FALSE(lines.contains(GroupedWrite::kFinished));
        EXPECT_EQ(lines.last(), GroupedWrite::kStillUnlocked);
        EXPECT_EQ(sim->Ask(QString("held ") + c.unwritten), QString(c.unwritten) + "=0") << "never written";
        EXPECT_EQ(sim->Ask("held E91"), "E91=1");
        program->Write().findChild<QPushButton*>("BBCancel")->click();
        program.reset();
        sim.reset();
    }
}

TEST_F(WriteEndToEndTest, ACalibrationWhoseLineHangsUpStopsItsWriteAndShowsTheLinkClosed)
{
    Start({"--drop", "1"});  // no answers: the start keeps resending its initialisation
    TSysSetForm& system = program->SysSet();
    system.show();
    system.findChild<QToolButton*>("SBConnection")->click();
    ASSERT_TRUE(program->Main().CommCtrl().LinkOpen());
    system.findChild<QLineEdit*>("ESNum")->setText("A1");
    system.findChild<QPushButton*>("BBCalStart")->click();
    for (int i = 0; i < 4; ++i)
        Tick(20);
    ASSERT_EQ(system.Calibration().CalStep(), 1);

    sim->Ask("hangup");
    QElapsedTimer waited;
    waited.start();
    while (program->Main().CommCtrl().LinkOpen() && waited.elapsed() < 3000)
        QTest::qWait(10);
    ASSERT_FALSE(program->Main().CommCtrl().LinkOpen());
    for (int i = 0; i < 4; ++i)
        Tick(20);
    EXPECT_EQ(system.Calibration().CalStep(), 0);
    EXPECT_TRUE(prompts.texts().contains(CalProcedure::kLinkLost));
    EXPECT_TRUE(system.findChild<QToolButton*>("SBDisconnection")->isChecked());
    EXPECT_TRUE(program->Main().Poll().Acquiring) << "polling goes on once the port is opened again";
}

}  // namespace
