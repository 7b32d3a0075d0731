#include "windows/system/CalibrationPage.h"

#include "core/AcquisitionCore.h"
#include "common/NumberText.h"
#include "common/Prompts.h"
#include "tests/support/TempFolder.h"
#include "tests/support/CalRig.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QDir>
#include <gtest/gtest.h>

#include <memory>

using namespace qemra;

namespace {

// The page over an acquisition core that never connects.
struct PageRig {
    TempFolder folder;
    FakeClock clock{EncodeDateTime(2024, 3, 5, 14, 7)};
    RecordingPrompts prompts;
    AcquisitionCore core{clock, prompts, folder.path()};
    SharedState* state = &core.State();
    TWritePrm prm;
    TCalPage page{core, prm, clock, prompts, CalPageWindow{}};

    template <typename T>
    T* find(const char* name)
    {
        T* found = page.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QColor background(const char* name) { return find<QWidget>(name)->palette().color(QPalette::Window); }
};

TEST(CalibrationPageTest, StepDisplayAndSetPanelsFollowTheStep)
{
    const QColor face = QApplication::palette().color(QPalette::Button);
    const struct {
        int step;
        const char* text;
        QColor finish;
        bool finEnabled;
        QColor temperatureSet, wdtSet, zeroSet, nmSet;
    } cases[] = {
        {0, "キャリブレーション中: Step-0", TCalPage::kWorking, false, face, face, face, face},
        {7, "キャリブレーション中: Step-7", TCalPage::kWorking, false, TCalPage::kSilver, face, face, face},
        {9, "キャリブレーション中: Step-9", TCalPage::kWorking, false, TCalPage::kSilver, TCalPage::kSilver, face,
         face},
        {11, "キャリブレーション中: Step-11", TCalPage::kWorking, false, TCalPage::kSilver, TCalPage::kSilver,
         TCalPage::kSilver, face},
        {12, "キャリブレーション完了", TCalPage::kDone, true, TCalPage::kSilver, TCalPage::kSilver, TCalPage::kSilver,
         TCalPage::kSilver},
    };
    PageRig rig;
    for (const auto& c : cases) {
        rig.page.SetCalStep(c.step);
        rig.page.ShowCalStatus();
        EXPECT_EQ(rig.find<QLabel>("PFinish")->text(), c.text);
        EXPECT_EQ(rig.background("PFinish"), c.finish) << c.step;
        EXPECT_EQ(rig.find<QPushButton>("BBFin")->isEnabled(), c.finEnabled) << c.step;
        EXPECT_EQ(rig.background("PATRevSet"), c.temperatureSet) << c.step;
        EXPECT_EQ(rig.background("PBTRevSet"), c.temperatureSet) << c.step;
        EXPECT_EQ(rig.background("PWTRevSet"), c.wdtSet) << c.step;
        EXPECT_EQ(rig.background("PWS0CalSet"), c.zeroSet) << c.step;
        EXPECT_EQ(rig.background("PWS4CalSet"), c.nmSet) << c.step;
    }
}

TEST(CalibrationPageTest, AHiddenPageGathersEverySecondAndShowsItsStateWhenShown)
{
    PageRig rig;
    rig.page.SetCalStep(7);
    rig.state->CurMes.M11 = 24.5f;
    rig.page.SecondStep();
    EXPECT_NE(rig.find<QLabel>("PFinish")->text(), "キャリブレーション中: Step-7") << "hidden: nothing drawn";
    const double gathered = rig.page.Stats().WinMax[0];
    rig.page.show();
    EXPECT_EQ(rig.find<QLabel>("PFinish")->text(), "キャリブレーション中: Step-7");
    const QTableWidgetItem* windMax = rig.page.DataView()->findChild<QTableWidget*>()->item(1, 1);
    ASSERT_NE(windMax, nullptr);
    EXPECT_EQ(windMax->text(), FormatFloat(QStringLiteral("%1.3f"), gathered));
}

TEST(CalibrationPageTest, GaugesShowTheTruncatedClosenessInItsColour)
{
    const struct {
        float gauge;
        int progress;
        QColor color;
    } cases[] = {
        {0.9f, 89, QColor(0x00, 0xFF, 0x00)},  {0.8f, 80, QColor(0xFF, 0xFF, 0x00)},
        {0.6f, 60, QColor(0xFF, 0xDD, 0x8C)},  {0.5f, 50, QColor(0xFF, 0x00, 0x00)},
        {1.0f, 100, QColor(0x00, 0xFF, 0x00)},
    };
    PageRig rig;
    EXPECT_EQ(rig.find<QLabel>("PWSAS5")->text(), "PWSAS5");
    EXPECT_EQ(rig.find<QProgressBar>("NmGage15")->value(), 30);
    for (const auto& c : cases) {
        rig.page.Stats().WSGauge5 = c.gauge;
        rig.page.Stats().WSGauge15 = c.gauge;
        rig.page.Stats().WSAvg5 = 4.9876f;
        rig.page.ShowCalStatus();
        for (const char* name : {"NmGage5", "NmGage15"}) {
            auto* gauge = rig.find<QProgressBar>(name);
            EXPECT_EQ(gauge->value(), c.progress) << name << " " << c.gauge;
            EXPECT_EQ(gauge->palette().color(QPalette::Highlight), c.color) << name << " " << c.gauge;
        }
        EXPECT_EQ(rig.find<QLabel>("PWSAS5")->text(), "4.988") << "a point whatever the locale";
    }
}

TEST(CalibrationPageTest, ConfirmationsAreEnabledByTheirFlagsUntilTheirStageIsPassed)
{
    PageRig rig;
    CalStats& s = rig.page.Stats();
    const auto enabled = [&rig](const char* name) {
        rig.page.ShowCalStatus();
        return rig.find<QPushButton>(name)->isEnabled();
    };
    rig.page.Procedure().CalStarted = true;
    EXPECT_FALSE(enabled("BBATRcvFin"));
    s.AT1Stable = s.AT2Stable = s.BGT1Stable = s.BGT2Stable = s.BBT1Stable = s.BBT2Stable = 1;
    EXPECT_TRUE(enabled("BBATRcvFin"));
    rig.page.SetCalStep(6);
    EXPECT_FALSE(enabled("BBATRcvFin"));

    s.WDT1Stable = s.WDT2Stable = 1;
    EXPECT_TRUE(enabled("BBWSTRcvFin"));
    s.DifTStable = s.WSStable = 1;
    s.WinMax[kChWind] = 0.49;
    EXPECT_TRUE(enabled("BB0mCalFin"));
    EXPECT_FALSE(enabled("BB4mCalFin"));
    s.WinMax[kChWind] = 0.51;
    s.SumMax.DifT = 20.01;
    s.SumMin.DifT = 20.0;
    EXPECT_FALSE(enabled("BB0mCalFin"));
    EXPECT_TRUE(enabled("BB4mCalFin"));
    s.SumMax.DifT = 20.02;
    EXPECT_FALSE(enabled("BB4mCalFin"));
    EXPECT_TRUE(enabled("BBATRcvClr"));
    EXPECT_TRUE(enabled("BBCalStart"));
}

TEST(CalibrationPageTest, BeforeAnyStartNoConfirmationIsEnabledAndPressingOneWritesNothing)
{
    PageRig rig;
    CalStats& s = rig.page.Stats();
    s.AT1Stable = s.AT2Stable = s.BGT1Stable = s.BGT2Stable = s.BBT1Stable = s.BBT2Stable = 1;
    s.WDT1Stable = s.WDT2Stable = s.DifTStable = s.WSStable = 1;
    s.SumMax.DifT = s.SumMin.DifT = 20.0;
    for (const double wind : {0.2, 0.8}) {
        s.WinMax[kChWind] = wind;
        rig.page.ShowCalStatus();
        for (const char* name : {"BBATRcvFin", "BBWSTRcvFin", "BB0mCalFin", "BB4mCalFin"})
            EXPECT_FALSE(rig.find<QPushButton>(name)->isEnabled()) << name << " at wind " << wind;
        EXPECT_TRUE(rig.find<QPushButton>("BBCalStart")->isEnabled());
    }
    const QStringList before = QDir(rig.folder.path()).entryList(QDir::Files);
    rig.page.BBATRcvFinClick();
    rig.page.BBWSTRcvFinClick();
    rig.page.BB0mCalFinClick();
    rig.page.BB4mCalFinClick();
    EXPECT_EQ(rig.page.CalStep(), 0);
    EXPECT_TRUE(rig.core.Poll().Acquiring) << "no write was begun";
    EXPECT_TRUE(rig.page.Memo()->toPlainText().isEmpty());
    EXPECT_EQ(QDir(rig.folder.path()).entryList(QDir::Files), before) << "no work log or work file";
    EXPECT_TRUE(rig.prompts.messages.empty());
}

TEST(CalibrationPageTest, StatusLinesAccumulateInTheMemo)
{
    PageRig rig;
    rig.page.BBATRcvClrClick();
    rig.page.BBATRcvClrClick();
    EXPECT_EQ(rig.page.Memo()->toPlainText(),
              "□温度関係0初期化実施\n＜気温補正送信＞\n□温度関係0初期化実施\n＜気温補正送信＞");
    EXPECT_EQ(rig.page.CalStep(), 5);
}

TEST(CalibrationPageTest, AFirstShowBeforeAnyEvaluationKeepsTheOpeningTextsColoursAndButtons)
{
    PageRig rig;
    const QString finish = rig.find<QLabel>("PFinish")->text();
    const QColor finishColour = rig.background("PFinish");
    const QString average = rig.find<QLabel>("PWSAS5")->text();
    const int gauge = rig.find<QProgressBar>("NmGage15")->value();
    const bool confirm = rig.find<QPushButton>("BBATRcvFin")->isEnabled();
    rig.page.show();
    EXPECT_EQ(rig.find<QLabel>("PFinish")->text(), finish);
    EXPECT_EQ(rig.background("PFinish"), finishColour);
    EXPECT_EQ(rig.find<QLabel>("PWSAS5")->text(), average);
    EXPECT_EQ(rig.find<QProgressBar>("NmGage15")->value(), gauge);
    EXPECT_EQ(rig.find<QPushButton>("BBATRcvFin")->isEnabled(), confirm);
}

TEST(CalibrationPageTest, TheStatusMemoKeepsItsNewestLines)
{
    PageRig rig;
    for (int line = 1; line <= TCalPage::kMaxStatusLines + 500; ++line)
        rig.page.Procedure().WriteBack().AddStatusLine(QString::number(line));
    const QStringList lines = rig.page.Memo()->toPlainText().split(u'\n');
    ASSERT_EQ(lines.size(), TCalPage::kMaxStatusLines);
    EXPECT_EQ(lines.first(), QString::number(501));
    EXPECT_EQ(lines.last(), QString::number(TCalPage::kMaxStatusLines + 500));
}

}  // namespace
