#include "app/Program.h"
#include "windows/main/MainWindow.h"
#include "common/Prompts.h"
#include "windows/link/CommunicationWindow.h"
#include "windows/recording/MonitorListWindow.h"
#include "windows/settings/SetpointDialog.h"
#include "windows/settings/GroupedWriteDialog.h"
#include "sim/PseudoTerminal.h"
#include "windows/system/SystemSettingWindow.h"
#include "tests/support/TempFolder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTest>
#include <QDateEdit>
#include <QPushButton>
#include <QToolButton>
#include <gtest/gtest.h>

#include <string>

using namespace qemra;

namespace {

TEST(ProgramTest, CreatesItsWindowsHiddenWithTheParameterSetAndRecordingSettingLoaded)
{
    struct Case {
        const char* name;
        const char* file;  // "BaseSetpoint.ini", nullptr: none
        float difT0m;
        float chipStdV;
        int secRec;
    };
    const Case cases[] = {
        {"no file: defaults", nullptr, 50.0f, 2.5f, 0},
        {"values from the file", "[Early]\r\nDifT0m=42\r\n[System]\r\nChipStdV=3.3\r\n[Record]\r\nSecRec=1\r\n", 42.0f,
         3.3f, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        if (c.file != nullptr)
            folder.write("BaseSetpoint.ini", c.file);
        FakeClock clock(EncodeDateTime(2024, 1, 15, 9, 5, 7));
        RecordingPrompts prompts;
        Program program(clock, prompts, folder.path());
        EXPECT_EQ(program.WritePrm().DifT0m, c.difT0m);
        EXPECT_EQ(program.WritePrm().ChipStdV, c.chipStdV);
        EXPECT_EQ(program.State().MySts.SecRec, c.secRec);
        EXPECT_EQ(program.SysSet().windowTitle(), "System Setting");
        EXPECT_EQ(program.Mon().windowTitle(), "Monitor List");
        EXPECT_EQ(program.Write().windowTitle(), "設定送出");
        EXPECT_EQ(program.PrmSet().windowTitle(), "Operation Setpoint");
        for (const QWidget* window : {static_cast<QWidget*>(&program.Main()), static_cast<QWidget*>(&program.SysSet()),
                                      static_cast<QWidget*>(&program.Mon()), static_cast<QWidget*>(&program.Write()),
                                      static_cast<QWidget*>(&program.PrmSet())})
            EXPECT_FALSE(window->isVisible()) << window->objectName().toStdString();
        EXPECT_FALSE(program.Main().CommCtrl().LinkOpen()) << "the port stays closed until asked";
    }
}

TEST(ProgramTest, HistoryButtonShowsTheHistoryWindowOverTheRecordsOfTheDataFolder)
{
    TempFolder folder;
    folder.write("Record/RT_COM7_20261201.csv", QByteArray());
    FakeClock clock(EncodeDateTime(2026, 12, 11, 9, 0, 0));
    RecordingPrompts prompts;
    Program program(clock, prompts, folder.path());
    program.Main().findChild<QPushButton*>(QStringLiteral("BBHistory"))->click();
    QWidget* history = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->objectName() == "THistoryForm")
            history = window;
    ASSERT_NE(history, nullptr);
    EXPECT_TRUE(history->isVisible());
    EXPECT_EQ(history->findChild<QDateEdit*>(QStringLiteral("ETo"))->date(), QDate(2026, 12, 1))
        << "the last day with record files in the program's data folder";
}

TEST(ProgramTest, TheSystemWindowsConnectButtonsOpenAndCloseTheLinkAndSwitchAcquisition)
{
    TempFolder folder;
    sim::PseudoTerminal terminal;
    std::string error;
    ASSERT_TRUE(terminal.Open(error)) << error;
    folder.write("Port0.ini", "[ComPortM]\r\nPort=" + QByteArray::fromStdString(terminal.DevicePath()) + "\r\n");
    FakeClock clock(EncodeDateTime(2024, 1, 15, 9, 5, 7));
    RecordingPrompts prompts;
    Program program(clock, prompts, folder.path());
    auto* connect = program.SysSet().findChild<QToolButton*>("SBConnection");
    auto* disconnect = program.SysSet().findChild<QToolButton*>("SBDisconnection");
    EXPECT_TRUE(disconnect->isChecked());

    disconnect->click();
    EXPECT_FALSE(program.Main().Poll().Acquiring);
    connect->click();
    EXPECT_TRUE(program.Main().CommCtrl().LinkOpen());
    EXPECT_TRUE(program.Main().Poll().Acquiring);
    EXPECT_TRUE(connect->isChecked());
    disconnect->click();
    EXPECT_FALSE(program.Main().CommCtrl().LinkOpen());
    EXPECT_FALSE(program.Main().Poll().Acquiring);
    EXPECT_TRUE(disconnect->isChecked());
}

// The port a start tries when it cannot open: a missing device, one another program holds, a
// regular file. The user is told which port and why, nothing shows connected, nothing is polled;
// with automatic reconnection the retries run and the status bar says so.
TEST(ProgramTest, AStartOnAPortThatCannotOpenSaysWhyAndLeavesTheLinkClosed)
{
    TempFolder folder;
    sim::PseudoTerminal terminal;
    std::string error;
    ASSERT_TRUE(terminal.Open(error)) << error;
    const QString held = QString::fromStdString(terminal.DevicePath());
    // The other program: a recorder of its own folder on the same terminal.
    TempFolder otherFolder;
    otherFolder.write("Port0.ini", "[ComPortM]\r\nPort=" + held.toUtf8() + "\r\n");
    QProcess other;
    other.start(QStringLiteral(QEMRA_MONITOR_PATH), {"--headless", "--data-dir", otherFolder.path()});
    ASSERT_TRUE(other.waitForStarted(5000));
    QByteArray otherLog;
    QElapsedTimer waited;
    waited.start();
    while (!otherLog.contains("connected: ") && waited.elapsed() < 10000) {
        other.waitForReadyRead(50);
        otherLog += other.readAllStandardError();
    }
    ASSERT_TRUE(otherLog.contains("connected: ")) << otherLog.toStdString();
    folder.write("plain-file", "not a device");

    const struct {
        const char* name;
        QString port;
    } cases[] = {
        {"missing device", folder.file("ttyUSB9")},
        {"held by another program", held},
        {"regular file", folder.file("plain-file")},
    };
    for (const auto& c : cases) {
        for (const bool autoReconnect : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (autoReconnect ? ", reconnecting" : ""));
            TempFolder data;
            data.write("Port0.ini", "[ComPortM]\r\nPort=" + c.port.toUtf8() + "\r\n" +
                                        (autoReconnect ? "AutoReconnect=1\r\n" : ""));
            FakeClock clock(EncodeDateTime(2024, 1, 15, 9, 5, 7));
            RecordingPrompts prompts;
            Program program(clock, prompts, data.path());
            program.Main().FormShow();
            program.Main().findChild<QToolButton*>("BBStart")->click();

            ASSERT_EQ(prompts.messages.size(), 1u);
            EXPECT_EQ(prompts.messages[0].kind, Prompts::Kind::Error);
            const QString text = prompts.messages[0].text;
            const QString lead = QStringLiteral("ポートを開けません: ") + c.port + QStringLiteral(": ");
            EXPECT_TRUE(text.startsWith(lead) && text.size() > lead.size() + 3) << text.toStdString();
            EXPECT_FALSE(program.Main().CommCtrl().LinkOpen());
            EXPECT_FALSE(program.SysSet().findChild<QToolButton*>("SBConnection")->isChecked());
            EXPECT_TRUE(program.SysSet().findChild<QToolButton*>("SBDisconnection")->isChecked());
            const std::uint8_t phase = program.Main().Poll().PollPhase;
            program.Main().MainTimerTimer();
            EXPECT_EQ(program.Main().Poll().PollPhase, phase) << "nothing polled";

            EXPECT_EQ(program.Core().Reconnecting(), autoReconnect);
            auto* wait = program.Main().findChild<QLabel*>("LPortWait");
            ASSERT_NE(wait, nullptr);
            EXPECT_EQ(wait->isVisibleTo(&program.Main()), autoReconnect);
            if (autoReconnect) {
                EXPECT_TRUE(wait->text().contains(c.port)) << wait->text().toStdString();
            }
            // The stop button ends the waiting.
            program.Main().findChild<QToolButton*>("BBStop")->click();
            EXPECT_FALSE(program.Core().Reconnecting());
            EXPECT_FALSE(wait->isVisibleTo(&program.Main()));
        }
    }
    other.terminate();
    other.waitForFinished(5000);
}

}  // namespace
