#include "tests/sim/SimFrames.h"
#include "tests/support/TempFolder.h"

#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// Reads from a raw terminal until a whole frame with its CR LF has come, or the time is up.
std::string ReadFrame(int fd, std::chrono::milliseconds limit)
{
    std::string bytes;
    const auto end = Clock::now() + limit;
    while (Clock::now() < end) {
        const auto gt = bytes.find('>');
        if (gt != std::string::npos && bytes.find("\r\n", gt) != std::string::npos)
            break;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 50) > 0 && (p.revents & POLLIN)) {
            char buffer[256];
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n > 0)
                bytes.append(buffer, static_cast<std::size_t>(n));
        }
    }
    return bytes;
}

QString ReadPathLine(QProcess& process)
{
    const auto end = Clock::now() + std::chrono::seconds(5);
    while (!process.canReadLine() && Clock::now() < end)
        process.waitForReadyRead(100);
    return QString::fromLocal8Bit(process.readLine()).trimmed();
}

int OpenRaw(const QString& path)
{
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    if (fd >= 0) {
        termios settings{};
        tcgetattr(fd, &settings);
        cfmakeraw(&settings);
        tcsetattr(fd, TCSANOW, &settings);
    }
    return fd;
}

bool LinkExists(const QString& path)
{
    struct stat info {};
    return ::lstat(path.toLocal8Bit().constData(), &info) == 0;
}

class SimProgramTest : public ::testing::Test {
protected:
    TempFolder folder;
    QProcess sim;
    QString link = folder.file("instrument");

    void TearDown() override
    {
        if (sim.state() != QProcess::NotRunning) {
            sim.kill();
            sim.waitForFinished(3000);
        }
    }
};

TEST_F(SimProgramTest, AnswersAReadRequestOnItsLinkAndRemovesTheLinkWhenStopped)
{
    folder.write("Port0.ini", "[ComPortM]\r\nPort=COM7\r\nBaudRate=38400\r\n");
    sim.start(QStringLiteral(QEMRA_SIM_PATH),
              {"--link", link, "--port-ini", folder.file("Port0.ini"), "--seed", "5", "--quiet"});
    ASSERT_TRUE(sim.waitForStarted(5000));
    const QString device = ReadPathLine(sim);
    ASSERT_FALSE(device.isEmpty()) << sim.readAllStandardError().toStdString();
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), device);
    EXPECT_EQ(folder.read("Port0.ini"),
              QByteArray("[ComPortM]\r\nPort=") + link.toLocal8Bit() + "\r\nBaudRate=38400\r\n");

    const int fd = OpenRaw(link);
    ASSERT_GE(fd, 0);
    const std::string request = simtest::Frame("RD,M01,M11,S00,");
    ASSERT_EQ(::write(fd, request.data(), request.size()), static_cast<ssize_t>(request.size()));
    const simtest::Received answer = simtest::Parse(ReadFrame(fd, std::chrono::seconds(3)));
    ::close(fd);
    EXPECT_TRUE(answer.ChecksumValid()) << answer.payload;
    const auto pairs = simtest::Pairs(answer.payload);
    ASSERT_EQ(pairs.size(), 3u) << answer.payload;
    EXPECT_EQ(answer.payload.substr(0, 3), "AD,");
    EXPECT_EQ(pairs[0].first, "M01");
    EXPECT_EQ(pairs[1].first, "M11");
    EXPECT_EQ(pairs[2], (std::pair<std::string, std::string>{"S00", "3.1"}));

    sim.terminate();
    ASSERT_TRUE(sim.waitForFinished(5000));
    EXPECT_EQ(sim.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(sim.exitCode(), 0);
    EXPECT_FALSE(LinkExists(link));
}

TEST_F(SimProgramTest, HangUpClosesTheLineAndMovesTheLinkToAFreshDevice)
{
    sim.start(QStringLiteral(QEMRA_SIM_PATH), {"--link", link, "--quiet"});
    ASSERT_TRUE(sim.waitForStarted(5000));
    const QString first = ReadPathLine(sim);
    ASSERT_FALSE(first.isEmpty());
    const int old = OpenRaw(link);
    ASSERT_GE(old, 0);

    sim.write("hangup\n");
    const QString second = ReadPathLine(sim);
    ASSERT_FALSE(second.isEmpty());
    EXPECT_NE(second, first);
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), second);

    pollfd p{old, POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 2000), 1);
    EXPECT_TRUE(p.revents & (POLLHUP | POLLERR)) << p.revents;
    ::close(old);

    const int fd = OpenRaw(link);
    ASSERT_GE(fd, 0);
    const std::string request = simtest::Frame("RD,S01,");
    ASSERT_EQ(::write(fd, request.data(), request.size()), static_cast<ssize_t>(request.size()));
    EXPECT_EQ(simtest::Parse(ReadFrame(fd, std::chrono::seconds(3))).payload, "AD,S01=1.05,");
    ::close(fd);

    sim.write("quit\n");
    ASSERT_TRUE(sim.waitForFinished(5000));
    EXPECT_EQ(sim.exitCode(), 0);
    EXPECT_FALSE(LinkExists(link));
}

TEST_F(SimProgramTest, CommandPipeIsItsOwnersAloneAndTakesNoOverlongLineNorEchoesControlBytes)
{
    // A pipe left by an earlier run, made with the usual mode that lets everybody write.
    const QString pipe = folder.file("sim.cmd");
    ASSERT_EQ(::mkfifo(pipe.toLocal8Bit().constData(), 0600), 0);
    ASSERT_EQ(::chmod(pipe.toLocal8Bit().constData(), 0666), 0);
    sim.start(QStringLiteral(QEMRA_SIM_PATH), {"--link", link, "--command-pipe", pipe, "--quiet"});
    ASSERT_TRUE(sim.waitForStarted(5000));
    ASSERT_FALSE(ReadPathLine(sim).isEmpty()) << sim.readAllStandardError().toStdString();
    struct stat info {};
    ASSERT_EQ(::stat(pipe.toLocal8Bit().constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);

    const int fd = ::open(pipe.toLocal8Bit().constData(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    // "wind 9" with 8 KiB of blanks would set the wind, were the line kept.
    const std::string commands = "wind 9" + std::string(8192, ' ') + "\nwind 1\nwind \x1b[2J\nstatus\n";
    ASSERT_EQ(::write(fd, commands.data(), commands.size()), static_cast<ssize_t>(commands.size()));
    ::close(fd);

    QByteArray replies;
    const auto end = Clock::now() + std::chrono::seconds(5);
    while (!replies.contains("requests") && Clock::now() < end) {
        sim.waitForReadyRead(100);
        replies += sim.readAllStandardError();
    }
    EXPECT_TRUE(replies.contains("command line over 4096 bytes, ignored\n")) << replies.toStdString();
    EXPECT_FALSE(replies.contains("ok wind 9"));
    EXPECT_TRUE(replies.contains("ok wind 1\n"));
    EXPECT_TRUE(replies.contains("wind 1.000 m/s"));
    EXPECT_TRUE(replies.contains("not \"\\x1B[2J\"")) << replies.toStdString();
    EXPECT_FALSE(replies.contains('\x1b'));
}

}  // namespace
