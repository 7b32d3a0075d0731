// Home Assistant discovery against a real mosquitto started by each test on a free loopback port.
#include "publish/Discovery.h"
#include "publish/Publisher.h"
#include "tests/publish/PublishFixture.h"
#include "tests/publish/Subscriber.h"
#include "tests/support/MosquittoBroker.h"
#include "tests/support/TempFolder.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace qemra {
namespace {

const QString kPrefix = QStringLiteral("test/room-101");

TMesData LiveValues()
{
    TMesData m;
    m.M01 = 0.5f;
    m.M11 = 23.45f;
    m.M12 = 48.125f;
    m.M04 = 24.1f;
    m.M55 = 1.2f;
    m.H51 = 0.7f;
    m.M53 = -0.31f;
    m.M51 = 21.4f;
    m.M52 = 22.95f;
    m.M21 = 9.87f;
    m.M22 = 12.34f;
    m.M23 = 15.55f;
    m.S00 = 3.1f;
    m.S01 = 1.05f;
    return m;
}

// The retained configuration messages a subscriber that comes later gets, by topic.
std::map<QString, Subscriber::Message> RetainedConfigs(int port)
{
    Subscriber late(port, QStringLiteral("homeassistant/#"));
    std::map<QString, Subscriber::Message> configs;
    WaitUntil([&] { return late.Messages().size() >= 12; }, 5000);
    QTest::qWait(300);  // anything more than expected
    for (const Subscriber::Message& message : late.Messages())
        configs[message.topic] = message;
    return configs;
}

class DiscoveryTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(broker.Start()) << broker.LogText().toStdString(); }

    std::unique_ptr<Publisher> MakePublisher(const QString& discovery)
    {
        PublishSettings settings;
        settings.Host = QStringLiteral("127.0.0.1");
        settings.Port = broker.Port();
        settings.TopicPrefix = kPrefix;
        settings.ClientId = QStringLiteral("room 101/qemra.1");
        settings.Discovery = discovery;
        return std::make_unique<Publisher>(settings, folder.file(QStringLiteral("Record")),
                                           folder.file(QStringLiteral("Publish.state")), clock,
                                           [this](const QString& line) { log.append(line); });
    }

    LocalZone zone{"JST-9"};
    TempFolder folder;
    FakeClock clock{EncodeDateTime(2026, 12, 11, 9, 41, 0)};
    MosquittoBroker broker;
    QStringList log;
};

TEST_F(DiscoveryTest, EachConnectSendsOneRetainedConfigPerLiveQuantityWhoseTemplateFindsItsValue)
{
    Subscriber live(broker.Port(), kPrefix + QStringLiteral("/live"));
    ASSERT_TRUE(live.Ready());
    auto publisher = MakePublisher(QStringLiteral("homeassistant"));
    publisher->SetDevice(DeviceOf(LiveValues()));
    publisher->Start();
    ASSERT_TRUE(WaitUntil([&] { return publisher->Connected(); })) << log.join(u'\n').toStdString();
    ASSERT_TRUE(WaitUntil([&] {
        publisher->PublishLive(LiveValues(), clock.Now());
        return !live.Payloads(kPrefix + QStringLiteral("/live")).empty();
    }));
    const QJsonObject livePayload =
        QJsonDocument::fromJson(live.Payloads(kPrefix + QStringLiteral("/live")).front()).object();

    const std::map<QString, Subscriber::Message> configs = RetainedConfigs(broker.Port());
    const struct {
        const char* quantity;
        const char* unit;  // null: the key is left out
        const char* deviceClass;
    } expected[] = {
        {"pmv", nullptr, nullptr},
        {"wbgt_in", "°C", "temperature"},
        {"wbgt_out", "°C", "temperature"},
        {"air_temp", "°C", "temperature"},
        {"radiant_temp", "°C", "temperature"},
        {"dew_point", "°C", "temperature"},
        {"rh", "%", "humidity"},
        {"abs_humidity", "g/m³", nullptr},
        {"wet_bulb", "°C", "temperature"},
        {"wind", "m/s", "wind_speed"},
        {"mets", "met", nullptr},
        {"clo", "clo", nullptr},
    };
    EXPECT_EQ(configs.size(), std::size(expected));
    for (const auto& e : expected) {
        const QString quantity = QString::fromLatin1(e.quantity);
        SCOPED_TRACE(e.quantity);
        const auto found = configs.find("homeassistant/sensor/room_101_qemra_1/" + quantity + "/config");
        ASSERT_NE(found, configs.end());
        EXPECT_TRUE(found->second.retained);
        QJsonParseError error;
        const QJsonObject config = QJsonDocument::fromJson(found->second.payload, &error).object();
        ASSERT_EQ(error.error, QJsonParseError::NoError) << found->second.payload.toStdString();

        EXPECT_FALSE(config.value("name").toString().isEmpty());
        EXPECT_EQ(config.value("unique_id").toString(), "room_101_qemra_1_" + quantity);
        EXPECT_EQ(config.value("state_topic").toString(), kPrefix + "/live");
        EXPECT_EQ(config.value("state_class").toString(), "measurement");
        EXPECT_EQ(config.value("availability_topic").toString(), kPrefix + "/status");
        EXPECT_EQ(config.value("payload_available").toString(), "online");
        EXPECT_EQ(config.value("payload_not_available").toString(), "offline");
        EXPECT_EQ(config.value("expire_after").toInt(), 30);
        EXPECT_EQ(config.value("unit_of_measurement"),
                  e.unit ? QJsonValue(QString::fromUtf8(e.unit)) : QJsonValue(QJsonValue::Undefined));
        EXPECT_EQ(config.value("device_class"),
                  e.deviceClass ? QJsonValue(QString::fromLatin1(e.deviceClass)) : QJsonValue(QJsonValue::Undefined));
        const QJsonObject device = config.value("device").toObject();
        EXPECT_EQ(device.value("identifiers").toArray(), QJsonArray{"room_101_qemra_1"});
        EXPECT_FALSE(device.value("name").toString().isEmpty());
        EXPECT_EQ(device.value("model").toString(), "3.10");
        EXPECT_EQ(device.value("sw_version").toString(), "1.05");
        EXPECT_FALSE(device.contains("manufacturer"));

        // The template evaluated the simple way: the key it names holds this quantity's number.
        const QRegularExpressionMatch match =
            QRegularExpression(R"(^\{\{ value_json\.([a-z_]+) \}\}$)").match(config.value("value_template").toString());
        ASSERT_TRUE(match.hasMatch()) << config.value("value_template").toString().toStdString();
        EXPECT_EQ(match.captured(1), quantity);
        EXPECT_TRUE(livePayload.value(match.captured(1)).isDouble()) << match.captured(1).toStdString();
    }
}

TEST_F(DiscoveryTest, ModelAndVersionJoinTheConfigsOnceTheInstrumentToldThem)
{
    auto publisher = MakePublisher(QStringLiteral("homeassistant"));
    publisher->Start();
    ASSERT_TRUE(WaitUntil([&] { return publisher->Connected(); })) << log.join(u'\n').toStdString();
    auto device = [&] {
        const auto configs = RetainedConfigs(broker.Port());
        const auto found = configs.find("homeassistant/sensor/room_101_qemra_1/wind/config");
        return found == configs.end() ? QJsonObject()
                                      : QJsonDocument::fromJson(found->second.payload)["device"].toObject();
    };
    // Before the instrument answered: no model, no version.
    const QJsonObject before = device();
    EXPECT_EQ(before.value("identifiers").toArray(), QJsonArray{"room_101_qemra_1"});
    EXPECT_FALSE(before.contains("model"));
    EXPECT_FALSE(before.contains("sw_version"));

    publisher->SetDevice(DeviceOf(LiveValues()));
    EXPECT_TRUE(WaitUntil([&] { return device().value("model").toString() == "3.10"; }));
    EXPECT_EQ(device().value("sw_version").toString(), "1.05");
}

TEST_F(DiscoveryTest, SendsNothingWithoutADiscoveryPrefix)
{
    auto publisher = MakePublisher(QString());
    publisher->SetDevice(DeviceOf(LiveValues()));
    publisher->Start();
    ASSERT_TRUE(WaitUntil([&] { return publisher->Connected(); })) << log.join(u'\n').toStdString();
    Subscriber everything(broker.Port(), QStringLiteral("#"));
    ASSERT_TRUE(everything.Ready());
    QTest::qWait(500);
    for (const Subscriber::Message& message : everything.Messages())
        EXPECT_FALSE(message.topic.startsWith("homeassistant")) << message.topic.toStdString();
    EXPECT_TRUE(DiscoveryMessages(PublishSettings{}, DeviceOf(LiveValues())).empty());
}

TEST(DiscoverySetting, IsReadFromTheMqttSectionWithoutATrailingSlash)
{
    const struct {
        QByteArray ini;
        const char* discovery;
    } cases[] = {
        {"[Mqtt]\r\nHost=b\r\n", ""},
        {"[Mqtt]\r\nHost=b\r\nDiscovery=homeassistant\r\n", "homeassistant"},
        {"[Mqtt]\r\nHost=b\r\ndiscovery=ha/\r\n", "ha"},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        folder.write(QStringLiteral("Publish.ini"), c.ini);
        EXPECT_EQ(LoadPublishSettings(folder.file(QStringLiteral("Publish.ini")), QStringLiteral("Port0")).Discovery,
                  QString::fromLatin1(c.discovery))
            << c.ini.toStdString();
    }
}

TEST(DiscoveryNodeId, KeepsLettersDigitsUnderscoreAndHyphenOnly)
{
    const struct {
        const char* clientId;
        const char* node;
    } cases[] = {
        {"qemra-host-ttyUSB0", "qemra-host-ttyUSB0"},
        {"room 101/qemra.1", "room_101_qemra_1"},
        {"a+b#c$d", "a_b_c_d"},
        {"Zimmer_Ä", "Zimmer__"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DiscoveryNodeId(QString::fromUtf8(c.clientId)), QString::fromLatin1(c.node)) << c.clientId;
}

}  // namespace
}  // namespace qemra
