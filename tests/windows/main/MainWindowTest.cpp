#include "windows/main/MainWindow.h"
#include "common/NumberText.h"
#include "common/Prompts.h"
#include "core/AcquisitionCore.h"
#include "sim/PseudoTerminal.h"
#include "tests/support/TempFolder.h"
#include "windows/link/CommunicationWindow.h"
#include "windows/link/PortSetupDialog.h"
#include "windows/main/TrendChart.h"

#include <QCheckBox>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QSignalSpy>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QValueAxis>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <string>

using namespace qemra;

namespace {

constexpr double kSecond = 1.0 / 86400.0;

class MainWindowTest : public ::testing::Test {
protected:
    TempFolder folder;
    FakeClock clock{EncodeDateTime(2024, 1, 15, 9, 5, 7)};
    RecordingPrompts prompts;
    std::unique_ptr<AcquisitionCore> core = std::make_unique<AcquisitionCore>(clock, prompts, folder.path());
    SharedState* state = &core->State();
    std::unique_ptr<TMainForm> form;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
    int systemShown = 0, monitorShown = 0, setpointShown = 0, graphSaved = 0, connects = 0;

    void SetUp() override
    {
        form = std::make_unique<TMainForm>(*core, clock, prompts);
        form->SetModifierSource([this] { return modifiers; });
        form->hooks.ShowSystemSetting = [this] { ++systemShown; };
        form->hooks.ShowMonitorList = [this] { ++monitorShown; };
        form->hooks.ShowOperationSetpoint = [this] { ++setpointShown; };
        form->hooks.SaveGraphData = [this] { ++graphSaved; };
    }

    template <typename T = QLabel>
    T* Find(const char* name) const
    {
        T* widget = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QString Text(const char* name) const { return Find<QLabel>(name)->text(); }
    QString Status(int panel) const
    {
        return Find<QLabel>(QStringLiteral("SBStatusPanel%1").arg(panel).toLatin1().constData())->text();
    }
    int Points(int chart, int series) const { return static_cast<int>(form->Chart(chart).Series(series)->count()); }

    // Opens the link on a pseudo-terminal nobody answers on, so the port counts as connected.
    void Connect(sim::PseudoTerminal& terminal)
    {
        std::string error;
        ASSERT_TRUE(terminal.Open(error)) << error;
        folder.write("Port0.ini", "[ComPortM]\r\nPort=" + QByteArray::fromStdString(terminal.DevicePath()) + "\r\n");
        form->CommCtrl().LoadPortSettings();
        ASSERT_TRUE(form->CommCtrl().OpenLink());
    }
};

TEST_F(MainWindowTest, BuildsTheDesignedWindowWithItsControlsAndOwnTheLinkAndTimer)
{
    EXPECT_EQ(form->size(), QSize(790, 647));
    EXPECT_EQ(form->pos(), QPoint(100, 50));
    EXPECT_EQ(Find<QSplitter>("Splitter")->count(), 5);
    EXPECT_EQ(Find<QSplitter>("Splitter")->handleWidth(), 3);
    const std::pair<const char*, const char*> hints[] = {
        {"BBStart", "データ収取開始"},
        {"BBStop", "データ収集終了"},
        {"BBSaveData", "グラフプロットデータをファイルに保存"},
        {"BBSetpoint", "設定変更"},
    };
    for (const auto& [name, hint] : hints) {
        EXPECT_EQ(Find<QToolButton>(name)->toolTip(), QString::fromUtf8(hint)) << name;
        EXPECT_EQ(Find<QToolButton>(name)->size(), QSize(53, 41)) << name;
    }
    EXPECT_EQ(Find<QCheckBox>("CBSecRec")->text(), "秒記録");
    EXPECT_EQ(Find<QWidget>("PBottom")->height(), 61);
    const int widths[] = {300, 180, 70, 70, 70, 50};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(Find<QLabel>(QStringLiteral("SBStatusPanel%1").arg(i).toLatin1().constData())->maximumWidth(),
                  widths[i]);

    EXPECT_EQ(form->MainTimer().interval(), 200);
    EXPECT_FALSE(form->MainTimer().isActive()) << "the timer starts when the window is first shown";
    EXPECT_EQ(form->CommCtrl().Link().WindowNumber, 0);
    EXPECT_EQ(form->CommCtrl().windowTitle(), "ComPort 通信状態");
    EXPECT_TRUE(form->CommCtrl().isWindow());
    EXPECT_TRUE(form->Poll().Acquiring);
    EXPECT_EQ(state->MySts.Maint, 0);
}

TEST_F(MainWindowTest, CaptionPanelsAndStatusChangeOnlyOnRefresh)
{
    form->FormShow();
    EXPECT_EQ(form->windowTitle(), "Qemra-series Monitor. Ver.0.82");
    EXPECT_EQ(Status(0), TMainForm::kNotice);
    for (int i = 1; i < 6; ++i)
        EXPECT_EQ(Status(i), "") << i;
    EXPECT_EQ(Text("PPMV"), "0.00 ℃");
    EXPECT_EQ(Text("PWindSpeed"), "0.000 m/s.");
    EXPECT_EQ(Text("LMETs"), "METs値");
    EXPECT_EQ(Text("Lclo"), "clo値");

    TMesData& v = state->CurMes;
    v.M53 = -0.73f, v.M52 = 25.44f, v.M51 = 24.06f, v.M11 = 26.26f, v.M04 = -3.96f, v.M22 = 14.0f;
    v.M12 = 51.26f, v.M21 = 9.54f, v.M23 = 17.38f, v.M01 = 0.1236f, v.M55 = 1.2f, v.H51 = 0.5f;
    v.S00 = 3.1f, v.S01 = 1.05f;
    state->MySts.PortName = "COM7";
    EXPECT_EQ(Text("PPMV"), "0.00 ℃") << "nothing changes before the refresh";

    form->ShowValues();
    EXPECT_EQ(form->windowTitle(), "COM7 | Qemra-series monitor. Ver.0.82");
    const std::pair<const char*, const char*> panels[] = {
        {"PPMV", "-0.7"},       {"PWBGTi", "25.4 ℃"},         {"PWBGTo", "24.1 ℃"},      {"PAirTemp", "26.3 ℃"},
        {"PBGTemp", "-4.0 ℃"},  {"PDewTemp", "14.0 ℃"},       {"PAirHumid", "51.3 ％"},  {"PSHumid", "9.5 g/kg"},
        {"PWetTemp", "17.4 ℃"}, {"PWindSpeed", "0.124 m/s."}, {"LMETs", "METs値: 1.20"}, {"Lclo", "clo値: 0.50"},
    };
    for (const auto& [name, text] : panels)
        EXPECT_EQ(Text(name), QString::fromUtf8(text)) << name;
    EXPECT_EQ(Status(1), "Sensor Model 3.10 | Ver. 1.05");
    EXPECT_EQ(Status(2), "COM7");

    // After stop the caption keeps the port name it had.
    state->MySts.PortName.clear();
    form->BBStopClick();
    EXPECT_EQ(form->windowTitle(), "COM7 | Qemra-series monitor. Ver.0.82");
}

TEST_F(MainWindowTest, StatusFlagsFollowRecordingAndMaintenanceAtTheNextRefresh)
{
    form->FormShow();
    auto* box = Find<QCheckBox>("CBSecRec");
    box->click();
    EXPECT_EQ(state->MySts.SecRec, 1);
    EXPECT_EQ(Status(3), "") << "SR waits for the next refresh";
    modifiers = Qt::ShiftModifier;
    form->SBStatusDblClick();
    form->ShowValues();
    EXPECT_EQ(Status(3), "SR");
    EXPECT_EQ(Status(4), "MT");
    EXPECT_EQ(Status(5), "");
    box->click();
    form->ShowValues();
    EXPECT_EQ(state->MySts.SecRec, 0);
    EXPECT_EQ(Status(3), "");
    EXPECT_EQ(Status(4), "MT") << "maintenance mode stays on";
}

TEST_F(MainWindowTest, FirstShowTakesTheLoadedRecordingSettingAndClearsTheRing)
{
    state->MySts.SecRec = 1;
    TMesData snapshot;
    state->MesHistory.Push(snapshot, clock.Now());
    form->FormShow();
    EXPECT_TRUE(Find<QCheckBox>("CBSecRec")->isChecked());
    EXPECT_EQ(state->MySts.SecRec, 1);
    EXPECT_EQ(state->MesHistory[0].Measuring, 0);
    EXPECT_EQ(state->MesHistory[0].Stamp, 0);
}

TEST_F(MainWindowTest, PlotsEveryFilledSlotButTheNewestOldestFirstOverTheLastTenMinutes)
{
    form->FormShow();
    form->ShowValues();
    for (int c = 0; c < 5; ++c)
        for (int s = 0; s < form->Chart(c).SeriesCount(); ++s)
            EXPECT_EQ(Points(c, s), 0);

    for (int i = 0; i < 3; ++i) {
        TMesData snapshot;
        snapshot.M53 = static_cast<float>(i);
        snapshot.M51 = static_cast<float>(10 + i);
        snapshot.M01 = 0.5f;
        state->MesHistory.Push(snapshot, clock.Now());
        clock.AdvanceSeconds(1);
    }
    form->ShowValues();
    const int seriesPerChart[] = {1, 2, 3, 1, 1};
    for (int c = 0; c < 5; ++c) {
        ASSERT_EQ(form->Chart(c).SeriesCount(), seriesPerChart[c]);
        for (int s = 0; s < seriesPerChart[c]; ++s)
            EXPECT_EQ(Points(c, s), 2) << c << "/" << s;
    }
    const QLineSeries* pmv = form->Chart(0).Series(0);
    EXPECT_EQ(pmv->name(), "M53");
    EXPECT_DOUBLE_EQ(pmv->at(0).y(), 0.0);
    EXPECT_DOUBLE_EQ(pmv->at(1).y(), 1.0);
    EXPECT_NEAR(pmv->at(1).x() - pmv->at(0).x(), 1.0, 1e-3) << "x is in seconds";
    EXPECT_DOUBLE_EQ(form->Chart(1).Series(1)->at(1).y(), 11.0);
    EXPECT_EQ(form->Chart(1).Series(1)->pen().color(), QColor(0, 128, 255));

    const double now = clock.Now() * TrendChart::kSecondsPerDay;
    EXPECT_NEAR(form->Chart(2).TimeTo(), now, 1e-3);
    EXPECT_NEAR(form->Chart(2).TimeTo() - form->Chart(2).TimeFrom(), 600.0, 1e-6);
}

TEST_F(MainWindowTest, TimeLabelsSitOnWholeMinutesAndChangeOnlyWhenAMinutePasses)
{
    clock.Set(EncodeDateTime(2024, 1, 15, 23, 55, 30));
    form->FormShow();
    const QStringList labels = form->Chart(0).TimeLabels();
    EXPECT_EQ(labels.size(), 10);
    EXPECT_EQ(labels.front(), "23:46");
    EXPECT_EQ(labels.back(), "23:55");
    clock.AdvanceSeconds(20);
    form->ShowValues();
    EXPECT_EQ(form->Chart(0).TimeLabels(), labels) << "within the same minute the labels stay";
    clock.AdvanceSeconds(10);
    form->ShowValues();
    EXPECT_EQ(form->Chart(0).TimeLabels().back(), "23:56");
    clock.AdvanceSeconds(4 * 60);
    form->ShowValues();
    EXPECT_EQ(form->Chart(0).TimeLabels().back(), "00:00") << "midnight";
}

TEST_F(MainWindowTest, ValueLabelsStayFarEnoughApartToBeReadBeforeAndAfterData)
{
    // Labels closer than about 20 pixels are elided to "..." by the chart.
    const auto expectReadable = [this](const char* when) {
        for (int c = 0; c < 5; ++c) {
            QChart* chart = form->Chart(c).chart();
            const auto* axis = qobject_cast<QValueAxis*>(chart->axes(Qt::Vertical).value(0));
            ASSERT_NE(axis, nullptr);
            const double spacing = chart->plotArea().height() * axis->tickInterval() / (axis->max() - axis->min());
            EXPECT_GE(spacing, 20.0) << when << ", chart " << c;
        }
    };
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    QCoreApplication::processEvents();
    expectReadable("before data");

    for (int i = 0; i < 3; ++i) {
        TMesData snapshot;
        snapshot.M53 = -0.6f - 0.01f * static_cast<float>(i);
        snapshot.M11 = 24.1f, snapshot.M04 = 24.4f, snapshot.M22 = 13.3f;
        snapshot.M12 = 50.8f + 0.1f * static_cast<float>(i), snapshot.M01 = 0.35f;
        state->MesHistory.Push(snapshot, clock.Now());
        clock.AdvanceSeconds(1);
    }
    form->ShowValues();
    QCoreApplication::processEvents();
    expectReadable("with data");
}

TEST_F(MainWindowTest, AValueBeyondSinglePrecisionLeavesTheScaleToTheFinitePoints)
{
    // An answer such as M53=1e39 is stored as infinity; the charts must still show the rest.
    constexpr float kInf = std::numeric_limits<float>::infinity();
    const float pmv[] = {0.5f, kInf, 0.6f, -kInf, 0.4f};
    for (const float value : pmv) {
        TMesData snapshot;
        snapshot.M53 = value;
        state->MesHistory.Push(snapshot, clock.Now());
        clock.AdvanceSeconds(1);
    }
    form->ShowValues();
    const auto* axis = qobject_cast<QValueAxis*>(form->Chart(0).chart()->axes(Qt::Vertical).value(0));
    ASSERT_NE(axis, nullptr);
    EXPECT_LT(axis->min(), 0.5);
    EXPECT_GT(axis->max(), 0.6);
    EXPECT_LT(axis->max() - axis->min(), 1.0);
    EXPECT_TRUE(std::isfinite(axis->tickInterval()));
}

TEST_F(MainWindowTest, ShiftAtTheClickDecidesWhatTheSetupButtonDoes)
{
    struct Case {
        bool shift;
        bool connected;
        int systemShown;
        bool refused;
        int setupRuns;
        int maint;
    };
    const Case cases[] = {
        {true, true, 1, false, 0, 1},
        {false, true, 0, true, 0, 0},
        {false, false, 0, false, 1, 0},
        {true, false, 1, false, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "shift " << c.shift << " connected " << c.connected);
        SetUp();
        sim::PseudoTerminal terminal;
        int setupRuns = 0;
        form->CommCtrl().SetDialogRunner([&setupRuns](TComSetupFrm&) {
            ++setupRuns;
            return int(QDialog::Rejected);
        });
        prompts.messages.clear();
        state->MySts.Maint = 0;
        systemShown = 0;
        if (c.connected)
            Connect(terminal);
        modifiers = c.shift ? Qt::ShiftModifier : Qt::NoModifier;
        Find<QToolButton>("BBSetpoint")->click();
        EXPECT_EQ(systemShown, c.systemShown);
        EXPECT_EQ(setupRuns, c.setupRuns);
        EXPECT_EQ(state->MySts.Maint, c.maint);
        ASSERT_EQ(prompts.messages.size(), c.refused ? 1u : 0u);
        if (c.refused) {
            EXPECT_EQ(prompts.messages[0].kind, Prompts::Kind::Information);
            EXPECT_EQ(prompts.messages[0].text, "接続中は変更できません");
        }
        form->CommCtrl().CloseLink();
    }
}

TEST_F(MainWindowTest, ShiftDoubleClickOnTheStatusBarOpensTheMonitorList)
{
    auto* bar = Find<QStatusBar>("SBStatus");
    QTest::mouseDClick(bar, Qt::LeftButton);
    EXPECT_EQ(monitorShown, 0);
    EXPECT_EQ(state->MySts.Maint, 0);
    modifiers = Qt::ShiftModifier;
    QTest::mouseDClick(Find<QLabel>("SBStatusPanel2"), Qt::LeftButton);
    EXPECT_EQ(monitorShown, 1);
    EXPECT_EQ(state->MySts.Maint, 1);
}

TEST_F(MainWindowTest, ButtonsCallTheirWindowsAndStartStopSwitchAcquisition)
{
    form->hooks.ConnectPort = [this] { ++connects; };
    form->Poll().Acquiring = false;
    form->Poll().WarmupCount = 7;
    Find<QToolButton>("BBStart")->click();
    EXPECT_EQ(connects, 1);
    EXPECT_TRUE(form->Poll().Acquiring);
    EXPECT_EQ(form->Poll().WarmupCount, 0);
    Find<QToolButton>("BBStop")->click();
    EXPECT_FALSE(form->Poll().Acquiring);
    Find<QToolButton>("BBSaveData")->click();
    EXPECT_EQ(graphSaved, 1);
    Find<QPushButton>("BBPrmChange")->click();
    EXPECT_EQ(setpointShown, 1);
}

TEST_F(MainWindowTest, StartWithoutASystemWindowOpensTheLinkItself)
{
    sim::PseudoTerminal terminal;
    std::string error;
    ASSERT_TRUE(terminal.Open(error)) << error;
    folder.write("Port0.ini", "[ComPortM]\r\nPort=" + QByteArray::fromStdString(terminal.DevicePath()) + "\r\n");
    form->BBStartClick();
    EXPECT_TRUE(form->CommCtrl().LinkOpen());
    EXPECT_EQ(state->MySts.PortName, QString::fromStdString(terminal.DevicePath()));
    form->BBStopClick();
    EXPECT_FALSE(form->CommCtrl().LinkOpen());
    EXPECT_EQ(state->MySts.PortName, "");
}

TEST_F(MainWindowTest, TicksWithTheLinkClosedPollNothingButStillCallTheOtherWindows)
{
    int ticks = 0, seconds = 0, checks = 0;
    core->hooks.TickStep = [&ticks] { ++ticks; };
    core->hooks.SecondStep = [&seconds] { ++seconds; };
    // The monitor list's step: once per new wall-clock second of the ten ticks, 09:05:07 and :08.
    core->hooks.ShowSecond = [&checks] { ++checks; };
    form->FormShow();
    for (int i = 0; i < 10; ++i) {
        form->MainTimerTimer();
        clock.AdvanceMilliseconds(200);
    }
    EXPECT_EQ(ticks, 10);
    EXPECT_EQ(checks, 2);
    EXPECT_EQ(seconds, 0);
    EXPECT_EQ(form->Poll().PollPhase, 0);
    EXPECT_EQ(form->windowTitle(), "Qemra-series Monitor. Ver.0.82");
}

TEST_F(MainWindowTest, ClosingStopsTheTimerAndEndsTheProgramWithTheLinkClosed)
{
    sim::PseudoTerminal terminal;
    Connect(terminal);
    QSignalSpy closed(form.get(), &TMainForm::Closed);
    form->show();
    EXPECT_TRUE(form->MainTimer().isActive());
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->MainTimer().isActive());
    EXPECT_EQ(closed.count(), 1);
    form.reset();
    EXPECT_EQ(state->MySts.PortName, "") << "destroying the window closed the link";
}

TEST_F(MainWindowTest, ValuePanelsShowEveryDigitOfTheLongestValues)
{
    // Negative values and three integer digits must fit whole, in a smaller font if need be.
    const float values[] = {12.502f, -12.502f, 123.456f, -123.456f, -999.999f, 0.0f};
    const char* const panels[] = {"PPMV",     "PWBGTi",    "PWBGTo",  "PAirTemp", "PBGTemp",
                                  "PDewTemp", "PAirHumid", "PSHumid", "PWetTemp", "PWindSpeed"};
    for (const float value : values) {
        TMesData& v = state->CurMes;
        v.M53 = v.M52 = v.M51 = v.M11 = v.M04 = v.M22 = v.M12 = v.M21 = v.M23 = v.M01 = value;
        form->ShowValues();
        for (const char* name : panels) {
            const QLabel* panel = Find<QLabel>(name);
            const int room = panel->contentsRect().width();
            EXPECT_LE(QFontMetrics(panel->font()).horizontalAdvance(panel->text()), room)
                << name << " " << panel->text().toStdString();
            EXPECT_GE(panel->font().pixelSize(), 8) << name;
        }
        EXPECT_EQ(Text("PWindSpeed"), FormatFloat(QStringLiteral("%1.3f m/s."), value));
    }
    state->CurMes.M01 = 0.352f;
    form->ShowValues();
    EXPECT_EQ(Find<QLabel>("PWindSpeed")->font().pixelSize(), 19) << "a short value keeps the designed size";
}

TEST_F(MainWindowTest, ValueAxesLeaveRoomAroundTheDataAndShowAtLeastThreeReadableLabels)
{
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    struct Case {
        const char* name;
        float airTemp, globeTemp, dewPoint;
    };
    const Case cases[] = {
        {"far apart", 24.0f, 24.0f, 13.0f},
        {"flat", 24.0f, 24.0f, 24.0f},
        {"narrow", 24.1f, 24.15f, 24.12f},
        {"below zero", -5.2f, -3.9f, -12.7f},
    };
    for (const Case& c : cases) {
        state->MesHistory.Clear();
        for (int i = 0; i < 3; ++i) {
            TMesData snapshot;
            snapshot.M11 = c.airTemp, snapshot.M04 = c.globeTemp, snapshot.M22 = c.dewPoint;
            state->MesHistory.Push(snapshot, clock.Now());
            clock.AdvanceSeconds(1);
        }
        form->ShowValues();
        QCoreApplication::processEvents();
        QChart* chart = form->Chart(2).chart();
        const auto* axis = qobject_cast<QValueAxis*>(chart->axes(Qt::Vertical).value(0));
        ASSERT_NE(axis, nullptr);
        const double low = std::min({c.airTemp, c.globeTemp, c.dewPoint});
        const double high = std::max({c.airTemp, c.globeTemp, c.dewPoint});
        const double pixelsPerUnit = chart->plotArea().height() / (axis->max() - axis->min());
        EXPECT_GE((low - axis->min()) * pixelsPerUnit, 3.0) << c.name << ": room below";
        EXPECT_GE((axis->max() - high) * pixelsPerUnit, 3.0) << c.name << ": room above";
        const double step = axis->tickInterval();
        const int labels =
            static_cast<int>(std::floor(axis->max() / step + 1e-6) - std::ceil(axis->min() / step - 1e-6)) + 1;
        EXPECT_GE(labels, 3) << c.name;
        EXPECT_GE(step * pixelsPerUnit, 20.0) << c.name << ": labels far enough apart";
        // What the user sees: a label on every step, each a number that fits left of its tick.
        const QStringList shown = form->Chart(2).ValueLabels();
        EXPECT_EQ(shown.size(), labels) << c.name;
        for (const QString& text : shown) {
            bool number = false;
            text.toDouble(&number);
            EXPECT_TRUE(number) << c.name << ": " << text.toStdString();
            EXPECT_LE(QFontMetrics(form->Chart(2).LabelFont()).horizontalAdvance(text), TrendChart::kPlotLeft - 6)
                << c.name << ": " << text.toStdString();
        }
    }
}

TEST_F(MainWindowTest, PlotAreasOfTheFiveStripsLineUp)
{
    state->CurMes.M53 = -0.7f, state->CurMes.M12 = 100.0f, state->CurMes.M01 = 12.5f;
    for (int i = 0; i < 3; ++i) {
        TMesData snapshot;
        snapshot.M53 = -0.73f, snapshot.M12 = 100.0f, snapshot.M52 = 1234.5f, snapshot.M01 = 0.005f;
        state->MesHistory.Push(snapshot, clock.Now());
        clock.AdvanceSeconds(1);
    }
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    form->ShowValues();
    QCoreApplication::processEvents();
    const auto plotIn = [this](int c) {
        TrendChart& view = form->Chart(c);
        const QRectF area = view.chart()->plotArea();
        return QRectF(view.mapTo(form.get(), view.mapFromScene(area.topLeft())), area.size());
    };
    const QRectF first = plotIn(0);
    EXPECT_GT(first.width(), 400.0);
    for (int c = 1; c < 5; ++c) {
        EXPECT_DOUBLE_EQ(plotIn(c).left(), first.left()) << "chart " << c;
        EXPECT_DOUBLE_EQ(plotIn(c).width(), first.width()) << "chart " << c;
    }
}

TEST_F(MainWindowTest, PortPanelKeepsItsWidthAndShowsTheWholePathAsItsTooltip)
{
    state->MySts.PortName = QStringLiteral("/dev/serial/by-id/usb-0403_6001-if00-port0");
    form->ShowValues();
    const QLabel* panel = Find<QLabel>("SBStatusPanel2");
    EXPECT_EQ(panel->maximumWidth(), 70);
    EXPECT_EQ(panel->text(), state->MySts.PortName);
    EXPECT_EQ(panel->toolTip(), state->MySts.PortName);
}

TEST_F(MainWindowTest, StartStopsAtASettingsFileThatFailsToLoad)
{
    // The port was set up once; then Port0.ini turns unreadable (here: a folder by that name).
    sim::PseudoTerminal terminal;
    std::string error;
    ASSERT_TRUE(terminal.Open(error)) << error;
    folder.write("Port0.ini", "[ComPortM]\r\nPort=" + QByteArray::fromStdString(terminal.DevicePath()) + "\r\n");
    ASSERT_TRUE(form->CommCtrl().LoadPortSettings());
    ASSERT_TRUE(QFile::remove(folder.file("Port0.ini")));
    folder.write("Port0.ini/inside", "");

    form->BBStartClick();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Failed to load settings");
    EXPECT_FALSE(form->CommCtrl().LinkOpen()) << "the old settings are not used";
    EXPECT_EQ(state->MySts.PortName, "");
}

}  // namespace

namespace {

TEST_F(MainWindowTest, RowsThatCannotBeWrittenAreOneLogLineAndShownInTheStatusBarUntilTheyAreWrittenAgain)
{
    QStringList events;
    QObject::connect(core.get(), &AcquisitionCore::Event, [&events](const QString& line) { events << line; });
    folder.write("Record", "a file where the folder belongs");
    state->MySts.PortName = "COM7";
    state->MySts.SecRec = 1;
    state->CurMes.Measuring = 1;
    const auto recordAt = [&](int second) {
        clock.Set(EncodeDateTime(2024, 1, 15, 9, 5, second, 150));
        core->Records().RecordSecond();
    };
    for (int second = 10; second < 15; ++second)
        recordAt(second);
    QLabel* shown = Find("LRecordWrite");
    ASSERT_NE(shown, nullptr);
    EXPECT_FALSE(shown->isHidden());
    const QString path = folder.file("Record/RT_COM7_20240115.csv");
    EXPECT_EQ(shown->text(), QStringLiteral("記録ファイル書込不可: %1 (Not a directory)").arg(path));

    ASSERT_TRUE(QFile::remove(folder.file("Record")));
    recordAt(15);
    EXPECT_TRUE(shown->isHidden());
    EXPECT_EQ(
        events,
        (QStringList{QStringLiteral("cannot write rows to %1: Not a directory; trying again each second").arg(path),
                     QStringLiteral("rows reach %1 again; 5 rows lost meanwhile").arg(path)}));
}

}  // namespace
