#include "windows/system/SystemSettingWindow.h"
#include "windows/main/MainWindow.h"
#include "common/IniFile.h"
#include "common/Prompts.h"
#include "tests/support/TempFolder.h"

#include "windows/link/CommunicationWindow.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QTest>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace qemra {
namespace {

class SystemSettingWindowTest : public ::testing::Test {
protected:
    TempFolder folder;
    FakeClock clock{EncodeDateTime(2024, 1, 15, 9, 5, 7)};
    RecordingPrompts prompts;
    AcquisitionCore core{clock, prompts, folder.path()};
    SharedState& state = core.State();
    TWritePrm prm;
    TMainForm main{core, clock, prompts};
    std::unique_ptr<TSysSetForm> form;

    void SetUp() override
    {
        SetParameterDefaults(prm);
        form = std::make_unique<TSysSetForm>(core, main.CommCtrl(), prm, clock, prompts);
        form->show();
    }
    QLineEdit* Edit(const char* name) { return form->findChild<QLineEdit*>(name); }
    QTableWidget* Grid() { return form->findChild<QTableWidget*>("SGRev"); }
    void Click(const char* name) { form->findChild<QPushButton*>(name)->click(); }
};

TEST_F(SystemSettingWindowTest, StartsOnTheCalibrationPageWithTheDirectPageShowingTheParameterSet)
{
    auto* pages = form->findChild<QTabWidget*>("PCMain");
    EXPECT_EQ(pages->currentWidget(), form->CalibrationPage());
    EXPECT_EQ(pages->tabText(0), "管理操作");
    EXPECT_EQ(pages->tabText(1), "直接操作");
    EXPECT_NE(qobject_cast<QVBoxLayout*>(form->CalibrationPage()->layout()), nullptr);
    EXPECT_EQ(form->SerialNumberText(), "xxxxxx");
    EXPECT_FALSE(form->TempRevOnly());
    EXPECT_TRUE(form->ATCheck());
    Click("BBSNClear");
    EXPECT_EQ(form->SerialNumberText(), "");

    EXPECT_EQ(Edit("EDifT0m")->text(), "50.00");
    EXPECT_EQ(Edit("EHeaterWatt")->text(), "0.2000");
    EXPECT_EQ(Edit("EStdVolt")->text(), "2.500");
    EXPECT_EQ(Edit("EATRev")->text(), "9.000");
    EXPECT_EQ(Grid()->horizontalHeaderItem(0)->text(), "補正点");
    EXPECT_EQ(Grid()->horizontalHeaderItem(1)->text(), "補正量");
    EXPECT_EQ(Grid()->rowCount(), 10);
    EXPECT_EQ(Grid()->item(9, 1)->text(), "0.00");
}

TEST_F(SystemSettingWindowTest, OkReadsThePageBackUpToTheFirstTextThatIsNoNumberThenSaves)
{
    Edit("EDifT0m")->setText("45.5");
    Edit("EAdjWS")->setText("1,5");
    Edit("EAdjDifT")->setText("18");
    Grid()->item(0, 0)->setText("1");
    Edit("EBGCoef")->setText("2.5");
    Click("BBOk");

    EXPECT_EQ(prm.DifT0m, 45.5f);
    EXPECT_EQ(prm.AdjWS, 5.0f);
    EXPECT_EQ(prm.AdjDifT, 20.0f);
    EXPECT_EQ(prm.DIV[0], 0.0f);
    EXPECT_EQ(prm.BGT_Coef, 3.0f);
    EXPECT_EQ(prompts.texts(), QStringList({TSysSetForm::kNotConvertible}));
    EXPECT_TRUE(folder.read("BaseSetpoint.ini").contains("DifT0m=45.5\r\n"));
    EXPECT_FALSE(form->isVisible());
}

TEST_F(SystemSettingWindowTest, AValueNoRequestCouldCarryStopsTheReadBackLikeATextThatIsNoNumber)
{
    for (const char* text : {"12345678", "1e30", "-100000"}) {
        SCOPED_TRACE(text);
        prompts.messages.clear();
        SetParameterDefaults(prm);
        form->FillDirectPage();
        Edit("EDifT0m")->setText("45.5");
        Grid()->item(3, 0)->setText(text);
        Edit("EBGCoef")->setText("2.5");
        form->ReadDirectPage();
        EXPECT_EQ(prm.DifT0m, 45.5f);
        EXPECT_EQ(prm.DIV[3], 0.0f);
        EXPECT_EQ(prm.BGT_Coef, 3.0f) << "fields after it stay as they were";
        EXPECT_EQ(prompts.texts(), QStringList({TSysSetForm::kNotConvertible}));
    }
    Grid()->item(3, 0)->setText("99999");
    form->ReadDirectPage();
    EXPECT_EQ(prm.DIV[3], 99999.0f);
}

TEST_F(SystemSettingWindowTest, ReadsTheGridRowByRowAndEveryEditIntoItsField)
{
    for (int r = 0; r < 10; ++r) {
        Grid()->item(r, 0)->setText(QString::number(r + 1));
        Grid()->item(r, 1)->setText(QString::number(-(r + 1)) + ".25");
    }
    const std::pair<const char*, float TWritePrm::*> edits[] = {
        {"EATDif1", &TWritePrm::ATRevice0},      {"EATDif2", &TWritePrm::ATRevice1},
        {"EWDDif1", &TWritePrm::WDTRevice0},     {"EWDDif2", &TWritePrm::WDTRevice1},
        {"EBGTDif1", &TWritePrm::BGT_Revice0},   {"EBGTDif2", &TWritePrm::BGT_Revice1},
        {"EBBTDif1", &TWritePrm::BBT_Revice0},   {"EBBTDif2", &TWritePrm::BBT_Revice1},
        {"EBBTDif3", &TWritePrm::BBT_Revice2},   {"EStdVolt", &TWritePrm::ChipStdV},
        {"EATRev", &TWritePrm::ATRev},           {"EBGCoef", &TWritePrm::BGT_Coef},
        {"EHeaterWatt", &TWritePrm::HeaterWatt}, {"EAdjDifT", &TWritePrm::AdjDifT},
    };
    float value = 0.125f;
    for (const auto& [name, field] : edits) {
        Edit(name)->setText(QString::number(static_cast<double>(value)));
        value += 1;
    }
    form->ReadDirectPage();
    EXPECT_TRUE(prompts.messages.empty());
    value = 0.125f;
    for (const auto& [name, field] : edits) {
        EXPECT_EQ(prm.*field, value) << name;
        value += 1;
    }
    EXPECT_EQ(prm.DIV[9], 10.0f);
    EXPECT_EQ(prm.VAL[9], -10.25f);
}

TEST_F(SystemSettingWindowTest, CancelDiscardsTheEditsAndTheNextShowingDisplaysTheParameterSet)
{
    Edit("EDifT0m")->setText("12");
    Grid()->item(3, 1)->setText("7");
    Click("BBCancel");
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(prm.DifT0m, 50.0f);
    EXPECT_FALSE(folder.exists("BaseSetpoint.ini"));
    form->show();
    EXPECT_EQ(Edit("EDifT0m")->text(), "50.00");
    EXPECT_EQ(Grid()->item(3, 1)->text(), "0.00");
}

TEST_F(SystemSettingWindowTest, LoadShowsTheDefaultsOfKeysTheFileLacks)
{
    prm.AdjWS = 7;
    prm.VAL[2] = 4;
    form->FillDirectPage();
    folder.write("part.qemras", "[Early]\r\nDifT0m=44\r\nDIV2=1.5\r\n");
    prompts.fileAnswers.push_back(folder.file("part.qemras"));
    Click("BBSetpointLoad");
    ASSERT_EQ(prompts.dialogs.size(), 1u);
    EXPECT_EQ(prompts.dialogs[0].filter, "qemra setpoint File (*.qemras)");
    EXPECT_EQ(Edit("EDifT0m")->text(), "44.00");
    EXPECT_EQ(Edit("EAdjWS")->text(), "5.00");
    EXPECT_EQ(Grid()->item(2, 0)->text(), "1.50");
    EXPECT_EQ(Grid()->item(2, 1)->text(), "0.00");
}

TEST_F(SystemSettingWindowTest, LoadRefusesASetpointFileItCannotTakeAndKeepsThePage)
{
    prm.AdjWS = 7;
    form->FillDirectPage();
    const QByteArray good = "[Early]\r\nDifT0m=44\r\n";
    struct Case {
        const char* name;
        QByteArray bytes;
        Prompts::Kind kind;
        QString message;
    };
    const Case cases[] = {
        {"big.qemras", good + "VAL4=1e30\r\n", Prompts::Kind::Warning, TSysSetForm::kNotConvertible},
        {"nan.qemras", good + "DIV0=-1e39\r\n", Prompts::Kind::Warning, TSysSetForm::kNotConvertible},
        {"junk.qemras", QByteArray("\0\x01\x02\x03", 4) + good, Prompts::Kind::Error, "junk.qemrasを読み込めません。"},
        {"huge.qemras", good + QByteArray(IniFile::kMaxBytes, ';'), Prompts::Kind::Error,
         "huge.qemrasは1MBを超えるため読み込めません。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prompts.messages.clear();
        folder.write(c.name, c.bytes);
        prompts.fileAnswers.push_back(folder.file(c.name));
        Click("BBSetpointLoad");
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].kind, c.kind);
        EXPECT_EQ(prompts.messages[0].text, c.message);
        EXPECT_EQ(prm.DifT0m, 50.0f);
        EXPECT_EQ(prm.AdjWS, 7.0f);
        EXPECT_EQ(Edit("EAdjWS")->text(), "7.00");
    }
}

TEST_F(SystemSettingWindowTest, SettingsFileThatCannotBeTakenAtStartUpIsToldAndLeavesTheDefaults)
{
    const struct {
        QByteArray bytes;
        QString message;
    } cases[] = {
        {"[Early]\r\nDifT0m=44\r\nChipStdV=inf\r\nAdjWS=1e6\r\n", TSysSetForm::kNotConvertible},
        {"[Early]\r\nDifT0m=44\r\n" + QByteArray(IniFile::kMaxBytes, ' '),
         "BaseSetpoint.iniは1MBを超えるため読み込めません。"},
    };
    for (const auto& c : cases) {
        prompts.messages.clear();
        folder.write("BaseSetpoint.ini", c.bytes);
        SetParameterDefaults(prm);
        TSysSetForm started(core, main.CommCtrl(), prm, clock, prompts);
        EXPECT_EQ(prompts.texts(), QStringList{c.message});
        EXPECT_EQ(prm.DifT0m, 50.0f);
        EXPECT_EQ(prm.AdjWS, 5.0f);
    }
}

TEST_F(SystemSettingWindowTest, SaveWritesThePageToTheChosenFileAndACancelledDialogReadsNothing)
{
    Edit("EDifT0m")->setText("41");
    Click("BBSetpointSave");  // no answer queued: the dialog is cancelled
    EXPECT_EQ(prm.DifT0m, 50.0f);
    ASSERT_EQ(prompts.dialogs.size(), 1u);
    EXPECT_EQ(prompts.dialogs[0].defaultSuffix, "qemras");
    EXPECT_TRUE(prompts.dialogs[0].confirmOverwrite);

    prompts.fileAnswers.push_back(folder.file("mine.qemras"));
    Click("BBSetpointSave");
    EXPECT_EQ(prm.DifT0m, 41.0f);
    EXPECT_TRUE(folder.read("mine.qemras").contains("DifT0m=41\r\n"));
}

TEST_F(SystemSettingWindowTest, SendRefusesWhileThePortIsClosedAfterReadingThePageBack)
{
    int shown = 0;
    form->ShowGroupedWrite = [&] { ++shown; };
    Edit("EDifT0m")->setText("40");
    Click("BBWrite");
    EXPECT_EQ(prm.DifT0m, 40.0f);
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(prompts.texts(), QStringList({"接続していないので、実行できません！"}));
}

TEST_F(SystemSettingWindowTest, TickStepRunsTheGroupedWriteEveryTickAndTheCalibrationChecksEverySecondTick)
{
    std::vector<std::string> calls;
    form->GroupedWriteTick = [&] { calls.push_back("write"); };
    form->CalWriteTick = [&] { calls.push_back("cal"); };
    form->CalSecondStep = [&] { calls.push_back("second"); };
    for (int tick = 0; tick < 4; ++tick)
        form->TickStep();
    EXPECT_EQ(calls, std::vector<std::string>({"write", "write", "cal", "write", "write", "cal"}));
    calls.clear();
    form->SecondStep();
    EXPECT_EQ(calls, std::vector<std::string>({"second"}));
}

}  // namespace
}  // namespace qemra

namespace qemra {
namespace {

TEST_F(SystemSettingWindowTest, ConnectStopsAtASettingsFileThatFailsToLoadAndLeavesThePortClosed)
{
    // A terminal the old settings name and could open.
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    folder.write("Port0.ini", QByteArray("[ComPortM]\r\nPort=") + ptsname(master) + "\r\n");
    ASSERT_TRUE(main.CommCtrl().LoadPortSettings());
    // Then the settings file turns unreadable: a folder by that name.
    ASSERT_TRUE(QFile::remove(folder.file("Port0.ini")));
    folder.write("Port0.ini/inside", "");

    form->findChild<QToolButton*>("SBConnection")->click();

    EXPECT_EQ(prompts.texts(), QStringList({"Failed to load settings"}));
    EXPECT_FALSE(main.CommCtrl().LinkOpen());
    EXPECT_TRUE(form->findChild<QToolButton*>("SBDisconnection")->isChecked());
    close(master);
}

TEST_F(SystemSettingWindowTest, AHangUpShowsTheConnectionClosed)
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    folder.write("Port0.ini", QByteArray("[ComPortM]\r\nPort=") + ptsname(master) + "\r\n");
    form->findChild<QToolButton*>("SBConnection")->click();
    ASSERT_TRUE(main.CommCtrl().LinkOpen());
    ASSERT_TRUE(form->findChild<QToolButton*>("SBConnection")->isChecked());

    close(master);
    QElapsedTimer waited;
    waited.start();
    while (main.CommCtrl().LinkOpen() && waited.elapsed() < 3000)
        QTest::qWait(10);
    EXPECT_FALSE(main.CommCtrl().LinkOpen());
    EXPECT_TRUE(form->findChild<QToolButton*>("SBDisconnection")->isChecked());
}

TEST_F(SystemSettingWindowTest, EnterPressesOkAndAFailedSaveSaysSoAndKeepsTheWindowOpen)
{
    Edit("EDifT0m")->setText("42");
    QTest::keyClick(Edit("EDifT0m"), Qt::Key_Return);
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(folder.read("BaseSetpoint.ini").contains("DifT0m=42\r\n"));

    // A settings file that cannot be replaced: a folder by that name.
    ASSERT_TRUE(QFile::remove(folder.file("BaseSetpoint.ini")));
    folder.write("BaseSetpoint.ini/inside", "");
    form->show();
    Click("BBOk");
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(prompts.texts(), QStringList({QString("Cannot create file \"%1\".").arg(folder.file("BaseSetpoint.ini"))}));

    prompts.messages.clear();
    const QString nowhere = folder.file("missing/mine.qemras");
    prompts.fileAnswers.push_back(nowhere);
    Click("BBSetpointSave");
    EXPECT_EQ(prompts.texts(), QStringList({QString("Cannot create file \"%1\".").arg(nowhere)}));
}

TEST_F(SystemSettingWindowTest, SerialNumberIsLargeAndTheCorrectionTableHasNoRowNumbers)
{
    EXPECT_GT(Edit("ESNum")->font().pointSizeF(), form->font().pointSizeF() * 1.5);
    EXPECT_FALSE(Grid()->verticalHeader()->isVisible());
}

}  // namespace
}  // namespace qemra
