#include "tests/support/MosquittoBroker.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TempFolder.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/mount.h>

namespace {

// The unattended recorder as a user starts it: its own process, no display, a simulated instrument
// and a real broker.
class HeadlessTest : public ::testing::Test {
protected:
    TempFolder folder;
    MosquittoBroker broker;
    std::unique_ptr<SimProcess> sim;
    QProcess recorder;
    QByteArray log;

    void SetUp() override
    {
        ASSERT_TRUE(broker.Start());
        folder.write("BaseSetpoint.ini", "[Record]\r\nSecRec=1\r\n");
        folder.write("Publish.ini", "[Mqtt]\r\nHost=127.0.0.1\r\nPort=" + QByteArray::number(broker.Port()) +
                                        "\r\nTopicPrefix=test/station\r\n");
        sim = std::make_unique<SimProcess>(
            QStringList{"--quiet", "--link", folder.file("sim.tty"), "--port-ini", folder.file("Port0.ini")});
        ASSERT_FALSE(sim->Device().isEmpty());
        ASSERT_TRUE(Launch(recorder));
        ASSERT_TRUE(WaitForLog("connected: "));
    }

    void TearDown() override
    {
        if (recorder.state() != QProcess::NotRunning) {
            recorder.kill();
            recorder.waitForFinished(5000);
        }
    }

    bool Launch(QProcess& process)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        environment.remove("QT_QPA_PLATFORM");
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(QEMRA_MONITOR_PATH), {"--headless", "--data-dir", folder.path()});
        return process.waitForStarted(5000);
    }

    bool WaitForLog(const QByteArray& text, int ms = 10000)
    {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < ms) {
            recorder.waitForReadyRead(50);
            log += recorder.readAllStandardError();
            if (log.contains(text))
                return true;
        }
        return false;
    }

    // The retained status as a new subscriber gets it.
    QString RetainedStatus()
    {
        QProcess sub;
        sub.start("mosquitto_sub", {"-h", "127.0.0.1", "-p", QString::number(broker.Port()), "-t",
                                    "test/station/status", "-C", "1", "-W", "5"});
        sub.waitForFinished(8000);
        return QString::fromUtf8(sub.readAllStandardOutput()).trimmed();
    }
};

TEST_F(HeadlessTest, ASecondRecorderOnTheSameFolderIsRefusedAtOnce)
{
    QProcess second;
    ASSERT_TRUE(Launch(second));
    ASSERT_TRUE(second.waitForFinished(5000));
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_TRUE(second.readAllStandardError().contains("is already recording in"));
    EXPECT_EQ(recorder.state(), QProcess::Running);
}

TEST_F(HeadlessTest, APortThatHangsUpIsOpenedAgainAndPollingGoesOn)
{
    sim->Ask("hangup");
    ASSERT_TRUE(WaitForLog("port lost: "));
    ASSERT_TRUE(WaitForLog("port back: ")) << log.toStdString();
    EXPECT_GT(log.indexOf("port back: "), log.indexOf("port lost: "));
    // Rows go on in the second record file once the values came in afresh.
    const QString rows = "Record/RT_sim.tty_" + QDate::currentDate().toString("yyyyMMdd") + ".csv";
    const qsizetype size = folder.read(rows).size();
    QTest::qWait(4000);
    EXPECT_GT(folder.read(rows).size(), size);
    EXPECT_EQ(recorder.state(), QProcess::Running);
}

TEST_F(HeadlessTest, SigtermEndsCleanlyAndLeavesTheRetainedOffline)
{
    ASSERT_TRUE(WaitForLog("MQTT: "));
    EXPECT_EQ(RetainedStatus(), "online");
    ::kill(static_cast<pid_t>(recorder.processId()), SIGTERM);
    ASSERT_TRUE(recorder.waitForFinished(10000));
    EXPECT_EQ(recorder.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(recorder.exitCode(), 0);
    EXPECT_EQ(RetainedStatus(), "offline");
}

}  // namespace

namespace {

TEST(HeadlessLock, AReadOnlyDataFolderSaysWhyTheLockFileCannotBeMade)
{
    TempFolder folder;
    const QString data = folder.file("data");
    ASSERT_TRUE(QDir().mkpath(data));
    if (::mount("tmpfs", QFile::encodeName(data).constData(), "tmpfs", MS_RDONLY, "size=64k") != 0)
        GTEST_SKIP() << "no read-only file system can be mounted here";
    QProcess recorder;
    recorder.start(QStringLiteral(QEMRA_MONITOR_PATH), {"--headless", "--data-dir", data});
    const bool ended = recorder.waitForFinished(20000);
    ::umount2(QFile::encodeName(data).constData(), MNT_DETACH);
    ASSERT_TRUE(ended);
    EXPECT_EQ(recorder.exitCode(), 1);
    const QString said = QString::fromLocal8Bit(recorder.readAllStandardError());
    EXPECT_TRUE(said.contains("cannot create the lock file " + data + "/qemra-monitor.lock: Read-only file system"))
        << said.toStdString();
    EXPECT_FALSE(said.contains("already recording"));
}

}  // namespace

namespace {

TEST(HeadlessPortMessages, APortThatCannotOpenIsExplainedByWhatToMend)
{
    struct Case {
        const char* name;
        const char* portIni;  // nullptr: no file
        const char* said;     // after the data folder's path
    };
    const Case cases[] = {
        {"no settings file", nullptr, "cannot open COM7: the port settings file %1Port0.ini is missing"},
        {"an empty port", "[ComPortM]\r\nPort=\r\n",
         "no port to open: the key Port of [ComPortM] in %1Port0.ini is empty"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        if (c.portIni)
            folder.write("Port0.ini", c.portIni);
        QProcess recorder;
        recorder.start(QStringLiteral(QEMRA_MONITOR_PATH), {"--headless", "--data-dir", folder.path()});
        ASSERT_TRUE(recorder.waitForStarted(5000));
        QByteArray said;
        QElapsedTimer waited;
        waited.start();
        while (!said.contains("trying again") && waited.elapsed() < 20000 && recorder.state() == QProcess::Running) {
            recorder.waitForReadyRead(100);
            said += recorder.readAllStandardError();
        }
        recorder.terminate();
        recorder.waitForFinished(5000);
        EXPECT_TRUE(QString::fromLocal8Bit(said).contains(QString::fromLatin1(c.said).arg(folder.path())))
            << said.toStdString();
    }
}

}  // namespace
