// Publishing that cannot go on is said: refused rows, a state from the future, settings that cannot
// be used and two stations taking one client id from each other; each against a real mosquitto.
#include "publish/Publisher.h"

#include "tests/publish/PublishFixture.h"
#include "tests/publish/ScriptedBroker.h"
#include "tests/publish/Subscriber.h"
#include "tests/support/MosquittoBroker.h"
#include "tests/support/TempFolder.h"

#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

#include <memory>

namespace qemra {
namespace {

const QString kPrefix = QStringLiteral("qemra/station-ttyUSB0");
const QString kMinute = kPrefix + QStringLiteral("/minute");
const QString kLive = kPrefix + QStringLiteral("/live");

TDateTime At(int hour, int minute, int second = 0) { return EncodeDateTime(2026, 12, 11, hour, minute, second); }

TMesData Values()
{
    TMesData m;
    m.M01 = 0.5f;
    m.M11 = 23.5f;
    return m;
}

// One station: its own record folder, state file and log.
struct Station {
    explicit Station(FakeClock& clock) : recorder(folder.path(), clock) {}

    std::unique_ptr<Publisher> Make(const PublishSettings& settings, FakeClock& clock, ReconnectBackoff backoff)
    {
        return std::make_unique<Publisher>(
            settings, recorder.RecordFolder(), folder.file(QStringLiteral("Publish.state")), clock,
            [this](const QString& line) { log.append(line); }, backoff);
    }
    QByteArray StateFile() const { return folder.read(QStringLiteral("Publish.state")); }

    TempFolder folder;
    MinuteRecorder recorder;
    QStringList log;
};

class PublisherTroubleTest : public ::testing::Test {
protected:
    PublishSettings Settings() const
    {
        PublishSettings settings;
        settings.Host = QStringLiteral("127.0.0.1");
        settings.Port = broker.Port();
        settings.TopicPrefix = kPrefix;
        settings.ClientId = QStringLiteral("qemra-station-ttyUSB0");
        return settings;
    }
    std::unique_ptr<Publisher> Make(const PublishSettings& settings)
    {
        return station.Make(settings, clock,
                            ReconnectBackoff{std::chrono::milliseconds(100), std::chrono::milliseconds(400)});
    }

    LocalZone zone{"JST-9"};
    FakeClock clock{At(9, 40, 30)};
    Station station{clock};
    MosquittoBroker broker;
};

TEST_F(PublisherTroubleTest, ARowTheBrokerRefusesIsLoggedOnceAndNeverCountedAsSent)
{
    // Anonymous clients may read everything and write the status and live values only.
    QFile acl(broker.Folder() + QStringLiteral("acl"));
    ASSERT_TRUE(acl.open(QIODevice::WriteOnly));
    acl.write(("topic readwrite " + kPrefix + "/status\ntopic readwrite " + kPrefix + "/live\ntopic read qemra/#\n")
                  .toUtf8());
    acl.close();
    ASSERT_TRUE(broker.Start(QStringLiteral("listener %1 127.0.0.1\nallow_anonymous true\nacl_file %2\n")
                                 .arg(broker.Port())
                                 .arg(acl.fileName())));
    Subscriber subscriber(broker.Port(), kPrefix + QStringLiteral("/#"));
    ASSERT_TRUE(subscriber.Ready());
    station.recorder.WriteRow(At(9, 41), Values());
    station.recorder.WriteRow(At(9, 42), Values());
    auto publisher = Make(Settings());
    publisher->Start();
    ASSERT_TRUE(WaitUntil([&] { return station.log.filter(QStringLiteral("refused")).size() == 1; }))
        << station.log.join(u'\n').toStdString();
    // Live values still go out meanwhile.
    ASSERT_TRUE(WaitUntil([&] {
        publisher->PublishLive(Values(), clock.Now());
        return !subscriber.Payloads(kLive).empty();
    }));
    station.recorder.WriteRow(At(9, 43), Values());
    publisher->MinuteRowWritten();
    QTest::qWait(500);

    EXPECT_EQ(station.log.filter(QStringLiteral("refused")).size(), 1);
    EXPECT_TRUE(station.log.filter(QStringLiteral("refused")).value(0).contains(QStringLiteral("Not authorized")));
    EXPECT_TRUE(subscriber.Payloads(kMinute).empty());
    EXPECT_EQ(publisher->AcknowledgedRow(), std::nullopt);
    EXPECT_EQ(station.StateFile(), QByteArray());
}

TEST_F(PublisherTroubleTest, AStateLaterThanTheClockIsLoggedAndTheRowsOfTheLastDaysGoOut)
{
    ASSERT_TRUE(broker.Start());
    station.folder.write(QStringLiteral("Publish.state"), "2027-03-01T10:00:00+09:00\n");
    Subscriber subscriber(broker.Port(), kMinute);
    ASSERT_TRUE(subscriber.Ready());
    station.recorder.WriteRow(At(9, 41), Values());
    auto publisher = Make(Settings());
    publisher->Start();

    ASSERT_TRUE(WaitUntil([&] { return subscriber.Payloads(kMinute).size() == 1; }));
    EXPECT_TRUE(WaitUntil([&] { return station.StateFile() == "2026-12-11T09:41:00+09:00\n"; }));
    const QStringList said = station.log.filter(QStringLiteral("later than the clock"));
    ASSERT_EQ(said.size(), 1) << station.log.join(u'\n').toStdString();
    EXPECT_TRUE(said[0].contains(QStringLiteral("2027-03-01T10:00:00+09:00")));
}

TEST_F(PublisherTroubleTest, SettingsThatCannotBeUsedAreSaidInOneLineAndNothingIsSent)
{
    PublishSettings settings = Settings();
    settings.Problem = QStringLiteral("Publish.ini: Port=abc: not a port number (1-65535)");
    auto publisher = Make(settings);
    publisher->Start();
    publisher->Start();

    EXPECT_EQ(station.log,
              QStringList{QStringLiteral("MQTT: publishing off: Publish.ini: Port=abc: not a port number (1-65535)")});
    EXPECT_FALSE(publisher->Running());
    EXPECT_TRUE(publisher->StateText().startsWith(QStringLiteral("MQTT: 設定エラー")));
}

TEST_F(PublisherTroubleTest, TwoInstrumentsOfOneHostWithOnlyTheBrokerSetKeepTheirOwnSessions)
{
    ASSERT_TRUE(broker.Start());
    Subscriber subscriber(broker.Port(), QStringLiteral("qemra/+/status"));
    ASSERT_TRUE(subscriber.Ready());
    const QByteArray ini = "[Mqtt]\r\nHost=127.0.0.1\r\nPort=" + QByteArray::number(broker.Port()) + "\r\n";
    station.folder.write(QStringLiteral("Publish.ini"), ini);
    Station other(clock);
    other.folder.write(QStringLiteral("Publish.ini"), ini);
    const ReconnectBackoff backoff{std::chrono::milliseconds(100), std::chrono::milliseconds(400)};
    auto first = station.Make(LoadPublishSettings(station.folder.file(QStringLiteral("Publish.ini")),
                                                  QStringLiteral("/dev/ttyUSB0"), QStringLiteral("lab-pc")),
                              clock, backoff);
    auto second = other.Make(LoadPublishSettings(other.folder.file(QStringLiteral("Publish.ini")),
                                                 QStringLiteral("/dev/ttyUSB1"), QStringLiteral("lab-pc")),
                             clock, backoff);
    first->Start();
    second->Start();
    ASSERT_TRUE(WaitUntil([&] { return first->Connected() && second->Connected(); }));
    QTest::qWait(1500);

    EXPECT_TRUE(first->Connected());
    EXPECT_TRUE(second->Connected());
    EXPECT_EQ(station.log.filter(QStringLiteral("disconnected")), QStringList());
    EXPECT_EQ(other.log.filter(QStringLiteral("disconnected")), QStringList());
    const std::vector<QByteArray> online{"online"};
    EXPECT_EQ(subscriber.Payloads(QStringLiteral("qemra/lab-pc-ttyUSB0/status")), online);
    EXPECT_EQ(subscriber.Payloads(QStringLiteral("qemra/lab-pc-ttyUSB1/status")), online);
}

TEST_F(PublisherTroubleTest, ASessionTakenOverByAnotherClientIsSaidAndTheNextAttemptWaitsTheLongestPause)
{
    ScriptedBroker takesOver(ScriptedBroker::Kind::TakesSessionsOver);
    PublishSettings settings = Settings();
    settings.Port = takesOver.Port();
    auto publisher = station.Make(settings, clock,
                                  ReconnectBackoff{std::chrono::milliseconds(100), std::chrono::milliseconds(5000)});
    publisher->Start();
    ASSERT_TRUE(WaitUntil([&] { return !station.log.filter(QStringLiteral("took the session over")).isEmpty(); }))
        << station.log.join(u'\n').toStdString();
    QTest::qWait(2000);

    const QStringList told = station.log.filter(QStringLiteral("took the session over"));
    ASSERT_EQ(told.size(), 1) << station.log.join(u'\n').toStdString();
    EXPECT_EQ(told[0], QStringLiteral("MQTT: disconnected from 127.0.0.1:%1: another client connected with the ClientId "
                                      "qemra-station-ttyUSB0 and took the session over; next attempt in 5 s")
                           .arg(takesOver.Port()));
    EXPECT_EQ(takesOver.Connects(5), 1) << "no fight for the client id";
}

TEST_F(PublisherTroubleTest, ABrokerThatSpeaksOnly311IsAskedAgainInItsVersionAndTakesTheRows)
{
    ScriptedBroker only311(ScriptedBroker::Kind::Only311);
    PublishSettings settings = Settings();
    settings.Port = only311.Port();
    station.recorder.WriteRow(At(9, 41), Values());
    auto publisher = Make(settings);
    publisher->Start();

    ASSERT_TRUE(WaitUntil([&] { return publisher->AcknowledgedRow() == At(9, 41); }))
        << station.log.join(u'\n').toStdString();
    EXPECT_TRUE(publisher->Connected());
    EXPECT_EQ(station.log, QStringList{QStringLiteral("MQTT: connected to 127.0.0.1:%1").arg(only311.Port())});
    EXPECT_EQ(only311.Connects(5), 1);
    EXPECT_EQ(only311.Connects(4), 1);
}

TEST_F(PublisherTroubleTest, ABrokerThatNeverAnswersTheConnectIsSaidToHaveTimedOut)
{
    ScriptedBroker silent(ScriptedBroker::Kind::NeverAnswers);
    PublishSettings settings = Settings();
    settings.Port = silent.Port();
    auto publisher = station.Make(settings, clock,
                                  ReconnectBackoff{std::chrono::milliseconds(100), std::chrono::milliseconds(400),
                                                   std::chrono::milliseconds(30000), std::chrono::milliseconds(500)});
    publisher->Start();

    ASSERT_TRUE(WaitUntil([&] { return !station.log.isEmpty(); }));
    EXPECT_EQ(
        station.log.front(),
        QStringLiteral("MQTT: cannot connect to 127.0.0.1:%1: timed out: no CONNACK within 0.5 s").arg(silent.Port()));
    EXPECT_FALSE(publisher->Connected());
}

}  // namespace
}  // namespace qemra
