// End to end: the communication control window against the simulated instrument on its pty.
#include "common/DateTime.h"
#include "common/Prompts.h"
#include "link/SerialLink.h"
#include "windows/link/CommunicationWindow.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TempFolder.h"

#include <QTest>
#include <gtest/gtest.h>

#include <vector>

using namespace qemra;

namespace {

TEST(SimLink, ReadRequestToTheSimulatedInstrumentIsAnsweredWithAnAdFrame)
{
    TempFolder folder;
    SimProcess sim({"--quiet", "--link", folder.file("ttyQemra"), "--port-ini", folder.file("Port0.ini")});
    const QString device = sim.Device();
    EXPECT_TRUE(device.startsWith("/dev/pts/")) << device.toStdString();

    FakeClock clock{EncodeDateTime(2024, 1, 15, 9, 5, 7)};
    RecordingPrompts prompts;
    QString portName;
    {
        SerialLink formLink(portName, clock, folder.path());
        TCommCtrlForm form(formLink, prompts);
        form.LoadPortSettings();  // the simulator wrote its link into Port0.ini
        ASSERT_TRUE(form.OpenLink()) << form.ComPortM().ErrorText().toStdString();
        EXPECT_EQ(portName, folder.file("ttyQemra"));

        std::vector<QByteArray> frames;
        formLink.SetOnFrame([&] { frames.push_back(formLink.RxBuf()); });
        formLink.SendFrame("RD,M01,M11,");
        ASSERT_TRUE(QTest::qWaitFor([&] { return !frames.empty(); }, 5000));
        const QByteArray& answer = frames.front();
        EXPECT_TRUE(answer.startsWith("<AD,")) << answer.constData();
        EXPECT_TRUE(answer.endsWith(",>")) << answer.constData();
        EXPECT_TRUE(answer.contains(",M01=")) << answer.constData();
        EXPECT_TRUE(answer.contains(",M11=")) << answer.constData();
        EXPECT_TRUE(prompts.messages.empty());
    }

    EXPECT_TRUE(sim.Terminate());
}

}  // namespace
