// The link over a real pseudo-terminal: the test holds the master side, the port opens the slave
// by its path, exactly as it would open a serial device.
#include "common/DateTime.h"
#include "common/Prompts.h"
#include "link/SerialLink.h"
#include "windows/link/CommunicationWindow.h"
#include "windows/link/PortLamp.h"
#include "tests/support/TempFolder.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

using namespace qemra;

namespace {

class Pty {
public:
    Pty()
    {
        if (openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0)
            return;
        termios raw{};
        tcgetattr(slave_, &raw);
        cfmakeraw(&raw);
        tcsetattr(slave_, TCSANOW, &raw);
        fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
        char name[128] = {};
        if (ptsname_r(master_, name, sizeof name) == 0)
            path_ = QString::fromLocal8Bit(name);
    }
    ~Pty()
    {
        HangUp();
        if (slave_ >= 0)
            ::close(slave_);
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    const QString& Path() const { return path_; }
    bool Ok() const { return master_ >= 0 && !path_.isEmpty(); }

    void Write(const QByteArray& bytes) const
    {
        ASSERT_EQ(::write(master_, bytes.constData(), static_cast<size_t>(bytes.size())), bytes.size());
    }

    // Everything the port sent until `count` bytes have come or the time is up.
    QByteArray Read(qsizetype count, int timeoutMs = 2000) const
    {
        QByteArray got;
        (void)QTest::qWaitFor(
            [&] {
                char buffer[512];
                ssize_t n;
                while ((n = ::read(master_, buffer, sizeof buffer)) > 0)
                    got.append(buffer, n);
                return got.size() >= count;
            },
            timeoutMs);
        return got;
    }

    void HangUp()
    {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }

private:
    int master_ = -1;
    int slave_ = -1;
    QString path_;
};

QByteArray AllByteValues()
{
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes += static_cast<char>(i);
    return bytes;
}

class PtyLinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.Ok());
        form.ComPortM().SetPort(pty.Path());
    }

    Pty pty;
    TempFolder folder;
    FakeClock clock{EncodeDateTime(2024, 1, 15, 9, 5, 7)};
    RecordingPrompts prompts;
    QString portName;
    SerialLink link{portName, clock, folder.path()};
    TCommCtrlForm form{link, prompts};
};

TEST_F(PtyLinkTest, PassesEveryByteValueBothWaysAndDropsReceivedNuls)
{
    TComPort& port = form.ComPortM();
    ASSERT_TRUE(port.Open()) << port.ErrorText().toStdString();
    QObject::disconnect(&port, &TComPort::OnRxChar, &link, nullptr);
    QByteArray received;
    QObject::connect(&port, &TComPort::OnRxChar, [&](int count) {
        QByteArray piece;
        EXPECT_EQ(port.ReadStr(piece, count), count);
        received += piece;
    });

    ASSERT_TRUE(port.WriteStr(AllByteValues()));
    EXPECT_EQ(pty.Read(256), AllByteValues());

    pty.Write(AllByteValues() + QByteArray(3, '\0'));
    ASSERT_TRUE(QTest::qWaitFor([&] { return received.size() >= 255; }, 2000));
    EXPECT_EQ(received, AllByteValues().mid(1));
}

TEST_F(PtyLinkTest, ExchangesFramesAndShowsTheConnection)
{
    const auto* connectionLamp = form.findChild<TComLed*>("ComLed2");
    ASSERT_TRUE(form.OpenLink());
    EXPECT_TRUE(form.LinkOpen());
    EXPECT_EQ(portName, pty.Path());
    EXPECT_TRUE(connectionLamp->Lit());

    std::vector<QByteArray> frames;
    link.SetOnFrame([&] { frames.push_back(link.RxBuf()); });
    link.SendFrame("RD,M01,");
    EXPECT_EQ(pty.Read(13), "<RD,M01,>EA\r\n");
    link.SendFrame(QByteArray(127, 'A'));  // 129 framed characters: never written
    link.SendFrame(QByteArray(126, 'A'));
    EXPECT_EQ(pty.Read(132), "<" + QByteArray(126, 'A') + ">88\r\n");

    pty.Write("<AD,M01=0.1");
    QTest::qWait(20);
    pty.Write("23,>CA\r\n<AD,M01=0.123,>ca\r\n<AW,H50=1,>7B\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return frames.size() >= 2; }, 2000));
    EXPECT_EQ(frames, (std::vector<QByteArray>{"<AD,M01=0.123,>", "<AW,H50=1,>"}));

    // Opening an open link again is no error and keeps it open.
    EXPECT_TRUE(form.OpenLink());
    EXPECT_TRUE(link.Connected());

    EXPECT_TRUE(form.CloseLink());
    EXPECT_FALSE(link.Connected());
    EXPECT_EQ(portName, "");
    EXPECT_FALSE(connectionLamp->Lit());
}

TEST_F(PtyLinkTest, RefusesThePortSetupWhileConnected)
{
    bool dialogShown = false;
    form.SetDialogRunner([&](TComSetupFrm&) {
        dialogShown = true;
        return 0;
    });
    ASSERT_TRUE(form.OpenLink());
    form.BBSetupClick();
    EXPECT_FALSE(dialogShown);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].kind, Prompts::Kind::Information);
    EXPECT_EQ(prompts.messages[0].text, "接続中は変更できません");
    EXPECT_FALSE(folder.exists("Port0.ini"));
}

TEST_F(PtyLinkTest, StaysOpenWithSettingsAPtyCannotHonour)
{
    // A pty has no modem lines and no 1.5 stop bits; the link must not suffer for either.
    TComPort& port = form.ComPortM();
    port.SetStopBits(TStopBits::sbOne5StopBits);
    ASSERT_TRUE(form.OpenLink());
    TComFlowSwitches lines = port.FlowSwitches();
    lines.ControlDTR = TDTRFlowControl::dtrEnable;
    lines.ControlRTS = TRTSFlowControl::rtsEnable;
    port.SetFlowSwitches(lines);
    QTest::qWait(50);
    EXPECT_TRUE(form.LinkOpen());
    EXPECT_TRUE(link.Connected());
    EXPECT_EQ(port.StopBits(), TStopBits::sbOne5StopBits);
    link.SendFrame("RD,M01,");
    EXPECT_EQ(pty.Read(13), "<RD,M01,>EA\r\n");
}

TEST_F(PtyLinkTest, ClosesTheLinkWhenThePeerHangsUp)
{
    ASSERT_TRUE(form.OpenLink());
    pty.HangUp();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !link.Connected(); }, 2000));
    EXPECT_FALSE(form.LinkOpen());
    EXPECT_EQ(portName, "");
}

TEST_F(PtyLinkTest, ClosesTheLinkSilentlyWhenAWriteFails)
{
    ASSERT_TRUE(form.OpenLink());
    pty.HangUp();
    link.SendFrame("RD,M01,");  // before any event could report the hang-up
    EXPECT_FALSE(form.LinkOpen());
    EXPECT_FALSE(link.Connected());
    EXPECT_EQ(portName, "");
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(PtyLinkTest, RefusesASecondOpenerOfTheSameDevice)
{
    ASSERT_TRUE(form.OpenLink());
    TComPort second;
    second.SetPort(pty.Path());
    EXPECT_FALSE(second.Open());
    EXPECT_FALSE(second.ErrorText().isEmpty());
    form.CloseLink();
    EXPECT_TRUE(second.Open()) << second.ErrorText().toStdString();
}

TEST_F(PtyLinkTest, OpensADevicePathGivenThroughASymlinkAndMovesToANewName)
{
    const QString symlink = folder.file("ttyQemra");
    ASSERT_TRUE(QFile::link(pty.Path(), symlink));
    Pty other;
    ASSERT_TRUE(other.Ok());
    form.ComPortM().SetPort(symlink);
    ASSERT_TRUE(form.OpenLink());
    EXPECT_EQ(portName, symlink);

    // A new name while open closes the old port and opens the new one.
    form.ComPortM().SetPort(other.Path());
    EXPECT_TRUE(link.Connected());
    link.SendFrame("RD,M01,");
    EXPECT_EQ(other.Read(13), "<RD,M01,>EA\r\n");
    EXPECT_EQ(pty.Read(1, 100), "");
}

}  // namespace
