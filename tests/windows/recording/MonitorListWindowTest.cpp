#include "common/Prompts.h"
#include "core/AcquisitionCore.h"
#include "windows/recording/MonitorListWindow.h"
#include "tests/support/TempFolder.h"

#include <QPushButton>
#include <QTableWidget>
#include <gtest/gtest.h>

#include <memory>

using namespace qemra;

namespace {

class MonitorListWindowTest : public ::testing::Test {
protected:
    TempFolder folder;
    FakeClock clock{EncodeDateTime(2024, 1, 15, 9, 5, 7)};
    RecordingPrompts prompts;
    std::unique_ptr<AcquisitionCore> core = std::make_unique<AcquisitionCore>(clock, prompts, folder.path());
    SharedState& state = core->State();
    std::unique_ptr<TMonForm> form = std::make_unique<TMonForm>(*core);
    int recorded = 0;

    void SetUp() override
    {
        core->hooks.Recorded = [this] { ++recorded; };
    }
};

TEST_F(MonitorListWindowTest, ShowsZerosInEveryFormatBeforeAnyData)
{
    EXPECT_EQ(form->windowTitle(), "Monitor List");
    EXPECT_EQ(form->ListRowCount(), 16);
    form->RefreshList();
    ASSERT_EQ(form->ListRowCount(), 42);
    const struct {
        int row;
        const char* label;
        const char* value;
    } rows[] = {
        {0, "Name", "Data"},           {1, "風速", "0.000 m/s."},  {2, "気温", "0.00 ℃"},
        {3, "湿度", "0.00 ％"},        {5, "METs", "0.00 "},       {10, "絶対湿度", "0.0 g/kg"},
        {13, "=== 内部 ===", ""},      {14, "風向", "0 ℃"},        {25, "SHT湿度", "0.00 %"},
        {26, "黒球温度差", "0.000 ℃"}, {27, "=== 状態値 ===", ""}, {33, "CPU使用率", "0.0 %"},
        {35, "AD変換回数", "0 /s."},   {37, "モデル番号", "0.00"}, {39, "システム状態", "0"},
        {40, "ハード状態", "0"},       {41, "ソフト状態", "0"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(form->ListText(r.row, 0), QString::fromUtf8(r.label)) << r.row;
        EXPECT_EQ(form->ListText(r.row, 1), QString::fromUtf8(r.value)) << r.row;
    }
}

TEST_F(MonitorListWindowTest, FormatsAKnownRecordRowByRow)
{
    TMesData& v = state.CurMes;
    v.M01 = 0.25f, v.M11 = -1.23456f, v.M12 = 48.5f, v.C21 = -1.23456f;
    v.C26 = 25.0f, v.C27 = 26.0f, v.C22 = 24.0f, v.C72 = 55.56f, v.C13 = 40.0f, v.C50 = 12.34f;
    v.C52 = 1009, v.C51 = 3.3f, v.S00 = 3.1f, v.S11 = 5, v.S12 = -2, v.S13 = 7, v.M05 = 182.7f;
    form->RefreshList();
    const struct {
        int row;
        const char* value;
    } rows[] = {
        {1, "0.250 m/s."}, {2, "-1.23 ℃"}, {3, "48.50 ％"}, {14, "183 ℃"},   {15, "-1.235 ℃"}, {25, "55.56 %"},
        {26, "1.500 ℃"},   {13, ""},       {27, ""},        {29, "40.00 %"}, {33, "12.3 %"},   {34, "3.300 V"},
        {35, "1009 /s."},  {37, "3.10"},   {39, "5"},       {40, "-2"},      {41, "7"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(form->ListText(r.row, 1), QString::fromUtf8(r.value)) << r.row;
}

TEST_F(MonitorListWindowTest, RefreshesOncePerWallClockSecond)
{
    struct Step {
        double advanceMs;
        float m11;
        int refreshes;
        const char* row2;
    };
    // The first tick always counts as new; later ticks count once per new second.
    const Step steps[] = {
        {0, 1.0f, 1, "1.00 ℃"},   {200, 2.0f, 1, "1.00 ℃"}, {200, 3.0f, 1, "1.00 ℃"},
        {600, 4.0f, 2, "4.00 ℃"}, {200, 5.0f, 2, "4.00 ℃"}, {2500, 6.0f, 3, "6.00 ℃"},
    };
    clock.Set(EncodeDateTime(2024, 1, 15, 9, 5, 7) + 0.1 / 86400.0);
    form->show();
    for (const Step& s : steps) {
        clock.AdvanceMilliseconds(s.advanceMs);
        state.CurMes.M11 = s.m11;
        core->Tick();
        EXPECT_EQ(recorded, s.refreshes) << s.m11;
        EXPECT_EQ(form->ListText(2, 1), QString::fromUtf8(s.row2)) << s.m11;
    }

    // Hidden, the window still records each second but leaves its list until it is shown again.
    form->hide();
    clock.AdvanceMilliseconds(1000);
    state.CurMes.M11 = 7.0f;
    core->Tick();
    EXPECT_EQ(recorded, 4);
    EXPECT_EQ(form->ListText(2, 1), "6.00 ℃");
    form->show();
    EXPECT_EQ(form->ListText(2, 1), "7.00 ℃");
}

TEST_F(MonitorListWindowTest, ButtonsCallTheExportsAndClosingOnlyHidesAndSaves)
{
    int graph = 0, shortLog = 0;
    form->SaveGraphDataHook = [&graph] { ++graph; };
    form->SaveShortLogHook = [&shortLog] { ++shortLog; };
    form->findChild<QPushButton*>("BBSaveFile")->click();
    form->SaveGraphData();
    EXPECT_EQ(shortLog, 1);
    EXPECT_EQ(graph, 1);

    form->RefreshList();
    form->show();
    state.MySts.SecRec = 1;
    form->findChild<QPushButton*>("BBClose")->click();
    EXPECT_TRUE(form->isHidden());
    EXPECT_EQ(folder.read("BaseSetpoint.ini"), "[Record]\r\nSecRec=1\r\n");
    EXPECT_EQ(form->ListRowCount(), 42) << "the list is intact";
    core->Tick();
    EXPECT_EQ(recorded, 1) << "a hidden window goes on with its second step";
}

TEST_F(MonitorListWindowTest, LoadsTheSettingAtCreationAndSavesItAtDestruction)
{
    form.reset();  // saves the fixture's setting first
    folder.write("BaseSetpoint.ini", "[Early]\r\nDifT0m=50\r\n[Record]\r\nSecRec=2\r\n");
    core = std::make_unique<AcquisitionCore>(clock, prompts, folder.path());
    form = std::make_unique<TMonForm>(*core);
    EXPECT_EQ(core->State().MySts.SecRec, 1);
    core->State().MySts.SecRec = 0;
    form.reset();
    EXPECT_EQ(folder.read("BaseSetpoint.ini"), "[Early]\r\nDifT0m=50\r\n[Record]\r\nSecRec=0\r\n");
}

}  // namespace
