#include "app/ServiceLog.h"
#include "tests/support/MosquittoBroker.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TempFolder.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
using qemra::ServiceLog;

// "device:inode" of a file, as systemd names the journal stream it gives a service.
QByteArray StreamId(int fd)
{
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        return {};
    return QByteArray::number(static_cast<qulonglong>(status.st_dev)) + ':' +
           QByteArray::number(static_cast<qulonglong>(status.st_ino));
}

// The socket systemd would listen on for a service's notifications.
class NotifySocket {
public:
    struct Message {
        Clock::time_point at;
        QByteArray text;
    };

    explicit NotifySocket(const QString& path) : path_(path.toLocal8Bit())
    {
        fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path_.constData(), sizeof address.sun_path - 1);
        bound_ = fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~NotifySocket()
    {
        if (fd_ >= 0)
            ::close(fd_);
        ::unlink(path_.constData());
    }
    NotifySocket(const NotifySocket&) = delete;
    NotifySocket& operator=(const NotifySocket&) = delete;

    bool Bound() const { return bound_; }

    // Every message that arrives within `span` (with a span of 0: every message waiting), each with
    // its time of arrival.
    std::vector<Message> Collect(std::chrono::milliseconds span)
    {
        std::vector<Message> messages;
        const auto end = Clock::now() + span;
        while (true) {
            pollfd wait{fd_, POLLIN, 0};
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
            if (::poll(&wait, 1, static_cast<int>(std::max<long long>(left.count(), 0))) > 0) {
                char buffer[4096];
                const ssize_t size = ::recv(fd_, buffer, sizeof buffer, 0);
                if (size > 0)
                    messages.push_back({Clock::now(), QByteArray(buffer, static_cast<qsizetype>(size))});
                continue;
            }
            if (Clock::now() >= end)
                return messages;
        }
    }

private:
    QByteArray path_;
    int fd_ = -1;
    bool bound_ = false;
};

// The unattended recorder as systemd runs it: a notification socket with a 4 s watchdog, and
// standard error connected to the journal stream (here a file the test names in JOURNAL_STREAM).
class HeadlessServiceTest : public ::testing::Test {
protected:
    TempFolder folder;
    std::unique_ptr<NotifySocket> notify;
    std::unique_ptr<SimProcess> sim;
    QProcess recorder;
    int refusingPort = MosquittoBroker::FreePort();

    void SetUp() override
    {
        notify = std::make_unique<NotifySocket>(folder.file("notify"));
        ASSERT_TRUE(notify->Bound());
        // Nobody listens on the broker's port, so the broker refuses.
        // A password the group and others can read, as a file written with the usual umask is.
        folder.write("Publish.ini", "[Mqtt]\r\nHost=127.0.0.1\r\nPort=" + QByteArray::number(refusingPort) +
                                        "\r\nTopicPrefix=t/s\r\nUsername=station\r\nPassword=secret\r\n");
        ASSERT_EQ(::chmod(folder.file("Publish.ini").toLocal8Bit().constData(), 0644), 0);
        sim = std::make_unique<SimProcess>(
            QStringList{"--quiet", "--link", folder.file("sim.tty"), "--port-ini", folder.file("Port0.ini")});
        ASSERT_FALSE(sim->Device().isEmpty());

        folder.write("journal", {});
        std::FILE* journal = std::fopen(folder.file("journal").toLocal8Bit().constData(), "r");
        ASSERT_NE(journal, nullptr);
        const QByteArray streamId = StreamId(fileno(journal));
        std::fclose(journal);

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "WATCHDOG_PID"})
            environment.remove(QString::fromLatin1(name));
        environment.insert("NOTIFY_SOCKET", folder.file("notify"));
        environment.insert("WATCHDOG_USEC", "4000000");
        environment.insert("JOURNAL_STREAM", QString::fromLatin1(streamId));
        recorder.setProcessEnvironment(environment);
        recorder.setStandardErrorFile(folder.file("journal"));
        recorder.start(QStringLiteral(QEMRA_MONITOR_PATH), {"--headless", "--data-dir", folder.path()});
        ASSERT_TRUE(recorder.waitForStarted(5000));
    }

    void TearDown() override
    {
        if (recorder.state() != QProcess::NotRunning) {
            ::kill(static_cast<pid_t>(recorder.processId()), SIGCONT);
            recorder.kill();
            recorder.waitForFinished(5000);
        }
    }

    bool WaitForJournal(const QByteArray& text, int ms = 10000)
    {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < ms) {
            if (folder.read("journal").contains(text))
                return true;
            QTest::qWait(50);
        }
        return false;
    }
};

TEST_F(HeadlessServiceTest, SaysReadyOnceAndPingsTheWatchdogAtHalfItsIntervalUntilStopped)
{
    const std::vector<NotifySocket::Message> running = notify->Collect(std::chrono::milliseconds(8000));
    const Clock::time_point collected = Clock::now();
    std::vector<Clock::time_point> readies;
    std::vector<Clock::time_point> pings;
    for (const auto& message : running) {
        if (message.text.split('\n').contains("READY=1"))
            readies.push_back(message.at);
        if (message.text.split('\n').contains("WATCHDOG=1"))
            pings.push_back(message.at);
    }
    ASSERT_EQ(readies.size(), 1u);
    ASSERT_GE(pings.size(), 2u);
    // Half of 4 s; a loaded machine may hold a tick back a little, still well inside the 4 s.
    const auto bound = std::chrono::milliseconds(2000 + 500);
    Clock::time_point last = readies.front();
    for (const Clock::time_point ping : pings) {
        EXPECT_LE(ping - last, bound) << std::chrono::duration_cast<std::chrono::milliseconds>(ping - last).count();
        last = ping;
    }
    EXPECT_LE(collected - last, bound);

    // A stopped recorder, like one whose event loop is stuck, sends nothing.
    const auto pid = static_cast<pid_t>(recorder.processId());
    ASSERT_EQ(::kill(pid, SIGSTOP), 0);
    QTest::qWait(300);  // what was on its way
    notify->Collect(std::chrono::milliseconds(0));
    EXPECT_TRUE(notify->Collect(std::chrono::milliseconds(3500)).empty());
    ASSERT_EQ(::kill(pid, SIGCONT), 0);
    bool pinged = false;
    for (const auto& message : notify->Collect(std::chrono::milliseconds(3000)))
        pinged = pinged || message.text.contains("WATCHDOG=1");
    EXPECT_TRUE(pinged);
}

TEST_F(HeadlessServiceTest, JournalLinesCarryTheirPriorityAndNoTimeOfTheirOwnAndWarnOfAReadablePassword)
{
    ASSERT_TRUE(WaitForJournal("<6>qemra-monitor: connected: ")) << folder.read("journal").constData();
    ASSERT_TRUE(
        WaitForJournal("<3>qemra-monitor: MQTT: cannot connect to 127.0.0.1:" + QByteArray::number(refusingPort)))
        << folder.read("journal").constData();
    EXPECT_EQ(folder.read("journal").count("chmod 600"), 1);
    EXPECT_TRUE(folder.read("journal").contains("<4>qemra-monitor: " + folder.file("Publish.ini").toLocal8Bit() +
                                                " holds a broker password and can be read by others (mode 0644)"))
        << folder.read("journal").constData();
    sim->Ask("hangup");
    ASSERT_TRUE(WaitForJournal("<4>qemra-monitor: port lost: ")) << folder.read("journal").constData();
    for (const QByteArray& line : folder.read("journal").split('\n')) {
        if (!line.isEmpty()) {
            EXPECT_TRUE(QRegularExpression("^<[346]>qemra-monitor: \\S").match(QString::fromUtf8(line)).hasMatch())
                << line.constData();
        }
    }
}

TEST(ServiceLogTest, MarksLinesOnlyOnTheJournalStreamItWasGiven)
{
    TempFolder folder;
    folder.write("log", {});
    std::FILE* file = std::fopen(folder.file("log").toLocal8Bit().constData(), "a");
    ASSERT_NE(file, nullptr);
    const QByteArray id = StreamId(fileno(file));
    const QDateTime at(QDate(2026, 12, 11), QTime(9, 41, 0));
    const struct {
        QByteArray journalStream;
        QByteArray written;
    } cases[] = {
        {id, "<4>qemra-monitor: port lost: /dev/ttyUSB0 again\n"},
        {{}, "2026-12-11T09:41:00 qemra-monitor: port lost: /dev/ttyUSB0 again\n"},
        {"1:2", "2026-12-11T09:41:00 qemra-monitor: port lost: /dev/ttyUSB0 again\n"},  // inherited, not ours
        {"junk", "2026-12-11T09:41:00 qemra-monitor: port lost: /dev/ttyUSB0 again\n"},
    };
    for (const auto& c : cases) {
        const ServiceLog log(file, c.journalStream);
        EXPECT_EQ(log.Format(ServiceLog::Priority::Warning, "port lost: /dev/ttyUSB0\nagain", at), c.written)
            << c.journalStream.constData();
    }
    std::fclose(file);
}

TEST(ServiceLogTest, RefusedBrokersAndBadSettingsAreErrorsLostLinksWarnings)
{
    const struct {
        const char* line;
        ServiceLog::Priority priority;
    } cases[] = {
        {"MQTT: cannot connect to b:1883: Connection Refused: not authorised.", ServiceLog::Priority::Error},
        {"MQTT: settings error b:1883: /x/ca.pem: No such file or directory", ServiceLog::Priority::Error},
        {"MQTT: disconnected from b:1883: the connection was lost", ServiceLog::Priority::Warning},
        {"port lost: /dev/ttyUSB0", ServiceLog::Priority::Warning},
        {"MQTT: connected to b:1883", ServiceLog::Priority::Info},
        {"port back: /dev/ttyUSB0", ServiceLog::Priority::Info},
        {"day file started: /x/Record/RT_20261211.RCD", ServiceLog::Priority::Info},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ServiceLog::PriorityOf(QString::fromLatin1(c.line)), c.priority) << c.line;
}

}  // namespace
