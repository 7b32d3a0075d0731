// The publisher against a real mosquitto started by each test on a free loopback port.
#include "publish/Publisher.h"

#include "tests/publish/PublishFixture.h"
#include "tests/publish/Subscriber.h"
#include "tests/support/MosquittoBroker.h"
#include "tests/support/TempFolder.h"

#include <QDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace qemra {
namespace {

const QString kPrefix = QStringLiteral("qemra/station-Port0");
const QString kStatus = kPrefix + QStringLiteral("/status");
const QString kLive = kPrefix + QStringLiteral("/live");
const QString kMinute = kPrefix + QStringLiteral("/minute");

// Values whose single-precision numbers have short texts, the second sample a little apart.
TMesData FirstSample()
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
    return m;
}

TMesData SecondSample()
{
    TMesData m = FirstSample();
    m.M01 = 0.25f;
    m.M11 = 23.55f;
    return m;
}

// A row's values told apart by their minute.
TMesData ValuesOfMinute(int minute)
{
    TMesData m = FirstSample();
    m.M01 = static_cast<float>(minute) / 4;
    return m;
}

int ThreadCount()
{
    return static_cast<int>(
        QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

TDateTime At(int hour, int minute, int second = 0) { return EncodeDateTime(2026, 12, 11, hour, minute, second); }

// The `time` of each minute payload, in the order received.
std::vector<QString> MinuteTimes(const Subscriber& subscriber)
{
    std::vector<QString> times;
    for (const QByteArray& payload : subscriber.Payloads(kMinute))
        times.push_back(QString::fromLatin1(payload.mid(9, 25)));  // {"time":"…"
    return times;
}

// Each time once, where it first arrived: at-least-once delivery read as a consumer de-duplicating
// by `time` reads it.
std::vector<QString> FirstArrivals(const std::vector<QString>& times)
{
    std::vector<QString> first;
    for (const QString& time : times)
        if (std::find(first.begin(), first.end(), time) == first.end())
            first.push_back(time);
    return first;
}

class PublisherTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(broker.Start()) << broker.LogText().toStdString(); }

    PublishSettings Settings() const
    {
        PublishSettings settings;
        settings.Host = QStringLiteral("127.0.0.1");
        settings.Port = broker.Port();
        settings.TopicPrefix = kPrefix;
        settings.ClientId = QStringLiteral("qemra-station-Port0");
        return settings;
    }

    std::unique_ptr<Publisher> MakePublisher(const PublishSettings& settings)
    {
        return std::make_unique<Publisher>(
            settings, recorder.RecordFolder(), folder.file(QStringLiteral("Publish.state")), clock,
            [this](const QString& line) { log.append(line); },
            ReconnectBackoff{std::chrono::milliseconds(100), std::chrono::milliseconds(400)});
    }
    std::unique_ptr<Publisher> MakePublisher() { return MakePublisher(Settings()); }

    QByteArray StateFile() const { return folder.read(QStringLiteral("Publish.state")); }

    void WriteRow(Publisher& publisher, int minute)
    {
        recorder.WriteRow(At(9, minute), ValuesOfMinute(minute));
        publisher.MinuteRowWritten();
    }

    LocalZone zone{"JST-9"};
    TempFolder folder;
    FakeClock clock{At(9, 40, 30)};
    MinuteRecorder recorder{folder.path(), clock};
    MosquittoBroker broker;
    QStringList log;
};

TEST_F(PublisherTest, SendsStatusLiveValuesAndMinuteRowsAsTheFileHoldsThem)
{
    Subscriber subscriber(broker.Port(), kPrefix + QStringLiteral("/#"));
    ASSERT_TRUE(subscriber.Ready());
    // One row waiting in the file before the start, one written while running.
    recorder.WriteRow(At(9, 41), FirstSample(), SecondSample());
    auto publisher = MakePublisher();
    publisher->Start();
    ASSERT_TRUE(WaitUntil([&] { return publisher->Connected(); }));
    EXPECT_EQ(publisher->StateText(), QStringLiteral("MQTT: 接続中 127.0.0.1:%1").arg(broker.Port()));
    // Live values follow the rows left from before the connection.
    ASSERT_TRUE(WaitUntil([&] { return publisher->AcknowledgedRow() == At(9, 41); }));
    publisher->PublishLive(SecondSample(), At(9, 42, 7) + 0.25 / 86400);
    recorder.WriteRow(At(9, 42), FirstSample());
    publisher->MinuteRowWritten();
    ASSERT_TRUE(
        WaitUntil([&] { return subscriber.Payloads(kMinute).size() == 2 && !subscriber.Payloads(kLive).empty(); }));

    EXPECT_EQ(subscriber.Payloads(kStatus), std::vector<QByteArray>{"online"});
    EXPECT_EQ(subscriber.Payloads(kLive),
              std::vector<QByteArray>{
                  R"({"time":"2026-12-11T09:42:07+09:00","pmv":-0.31,"wbgt_in":22.95,"wbgt_out":21.4,)"
                  R"("air_temp":23.55,"radiant_temp":24.1,"dew_point":12.34,"rh":48.125,"abs_humidity":9.87,)"
                  R"("wet_bulb":15.55,"wind":0.25,"mets":1.2,"clo":0.7})"});
    // The row holds 23.4500007629395 for air temperature: the payload has the float's own text.
    const QByteArray sameAllMinute =
        R"("rh":{"avg":48.125,"max":48.125,"min":48.125},"radiant_temp":{"avg":24.1,"max":24.1,"min":24.1},)"
        R"("mets":{"avg":1.2,"max":1.2,"min":1.2},"clo":{"avg":0.7,"max":0.7,"min":0.7},)"
        R"("pmv":{"avg":-0.31,"max":-0.31,"min":-0.31},"wbgt_out":{"avg":21.4,"max":21.4,"min":21.4},)"
        R"("wbgt_in":{"avg":22.95,"max":22.95,"min":22.95},"abs_humidity":{"avg":9.87,"max":9.87,"min":9.87},)"
        R"("dew_point":{"avg":12.34,"max":12.34,"min":12.34},"wet_bulb":{"avg":15.55,"max":15.55,"min":15.55}})";
    EXPECT_EQ(subscriber.Payloads(kMinute),
              (std::vector<QByteArray>{
                  R"({"time":"2026-12-11T09:41:00+09:00","wind":{"avg":0.375,"max":0.5,"min":0.25},)"
                  R"("air_temp":{"avg":23.5,"max":23.55,"min":23.45},)" +
                      sameAllMinute,
                  R"({"time":"2026-12-11T09:42:00+09:00","wind":{"avg":0.5,"max":0.5,"min":0.5},)"
                  R"("air_temp":{"avg":23.45,"max":23.45,"min":23.45},)" +
                      sameAllMinute,
              }));

    // The status stays for whoever subscribes later.
    Subscriber later(broker.Port(), kStatus);
    ASSERT_TRUE(WaitUntil([&] { return !later.Messages().empty(); }));
    EXPECT_EQ(later.Messages().front().payload, "online");
    EXPECT_TRUE(later.Messages().front().retained);
    EXPECT_TRUE(WaitUntil([&] { return StateFile() == "2026-12-11T09:42:00+09:00\n"; })) << StateFile().toStdString();
}

TEST_F(PublisherTest, SendsEveryRowInOrderOnceTheBrokerIsBack)
{
    Subscriber subscriber(broker.Port(), kMinute, {{}, {}, QStringLiteral("outage-reader")});
    ASSERT_TRUE(subscriber.Ready());
    auto publisher = MakePublisher();
    publisher->Start();
    ASSERT_TRUE(WaitUntil([&] { return publisher->Connected(); }));
    WriteRow(*publisher, 41);
    ASSERT_TRUE(WaitUntil([&] { return MinuteTimes(subscriber).size() == 1; }));

    broker.Stop();
    ASSERT_TRUE(WaitUntil([&] { return !publisher->Connected(); }));
    EXPECT_TRUE(publisher->StateText().startsWith(QStringLiteral("MQTT: 再接続待ち (")));
    WriteRow(*publisher, 42);
    WriteRow(*publisher, 43);
    ASSERT_TRUE(broker.Start());
    ASSERT_TRUE(WaitUntil([&] { return publisher->Connected(); }));
    WriteRow(*publisher, 44);

    const std::vector<QString> expected{"2026-12-11T09:41:00+09:00", "2026-12-11T09:42:00+09:00",
                                        "2026-12-11T09:43:00+09:00", "2026-12-11T09:44:00+09:00"};
    EXPECT_TRUE(WaitUntil([&] { return FirstArrivals(MinuteTimes(subscriber)) == expected; }))
        << MinuteTimes(subscriber).size();
    EXPECT_TRUE(WaitUntil([&] { return StateFile() == "2026-12-11T09:44:00+09:00\n"; })) << StateFile().toStdString();
    // Exactly one line for the outage, however often the broker refused in between.
    EXPECT_EQ(log.filter(QStringLiteral("MQTT: disconnected from ")).size(), 1) << log.join(u'\n').toStdString();
}

TEST_F(PublisherTest, PublisherStartedAfterAnOutageSendsWhatTheLastOneLeftUnacknowledged)
{
    Subscriber subscriber(broker.Port(), kMinute, {{}, {}, QStringLiteral("restart-reader")});
    ASSERT_TRUE(subscriber.Ready());
    {
        auto first = MakePublisher();
        first->Start();
        ASSERT_TRUE(WaitUntil([&] { return first->Connected(); }));
        WriteRow(*first, 41);
        ASSERT_TRUE(WaitUntil([&] { return first->AcknowledgedRow() == At(9, 41); }));
        broker.Stop();
        ASSERT_TRUE(WaitUntil([&] { return !first->Connected(); }));
        WriteRow(*first, 42);
        first->Stop();
    }
    EXPECT_EQ(StateFile(), "2026-12-11T09:41:00+09:00\n");

    recorder.WriteRow(At(9, 43), ValuesOfMinute(43));  // while nothing publishes
    auto second = MakePublisher();
    second->Start();
    ASSERT_TRUE(broker.Start());
    ASSERT_TRUE(WaitUntil([&] { return second->Connected(); }));
    WriteRow(*second, 44);

    const std::vector<QString> expected{"2026-12-11T09:41:00+09:00", "2026-12-11T09:42:00+09:00",
                                        "2026-12-11T09:43:00+09:00", "2026-12-11T09:44:00+09:00"};
    EXPECT_TRUE(WaitUntil([&] { return FirstArrivals(MinuteTimes(subscriber)) == expected; }));
    const std::vector<QString> times = MinuteTimes(subscriber);
    EXPECT_EQ(std::count(times.begin(), times.end(), expected.front()), 1) << "the acknowledged row went out again";
}

TEST_F(PublisherTest, StopLeavesTheRetainedOffline)
{
    auto publisher = MakePublisher();
    publisher->Start();
    ASSERT_TRUE(WaitUntil([&] { return publisher->Connected(); }));
    publisher->Stop();
    EXPECT_FALSE(publisher->Running());
    EXPECT_EQ(publisher->StateText(), QStringLiteral("MQTT: 停止"));

    Subscriber later(broker.Port(), kStatus);
    ASSERT_TRUE(WaitUntil([&] { return !later.Messages().empty(); }));
    EXPECT_EQ(later.Messages().front().payload, "offline");
    EXPECT_TRUE(later.Messages().front().retained);
}

TEST_F(PublisherTest, NothingRunsWithoutHostOrWithATlsFileThatCannotBeRead)
{
    struct Case {
        const char* name;
        const char* host;
        const char* caFile;
        QString state;    // the start of the state text
        QString logLine;  // the start of the one line logged, if any
    };
    const QString missing = folder.file(QStringLiteral("missing-ca.pem"));
    const Case cases[] = {
        {"no host", "", "", QStringLiteral("MQTT: 停止"), {}},
        {"a CA file that is not there",
         "127.0.0.1",
         "missing-ca.pem",
         QStringLiteral("MQTT: 設定エラー (") + missing,
         {QStringLiteral("MQTT: settings error 127.0.0.1:%1: %2: No such file or directory")
              .arg(broker.Port())
              .arg(missing)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        log.clear();
        PublishSettings settings = Settings();
        settings.Host = QString::fromLatin1(c.host);
        if (*c.caFile)
            settings.CaFile = folder.file(QString::fromLatin1(c.caFile));
        auto publisher = MakePublisher(settings);
        const int threadsBefore = ThreadCount();
        publisher->Start();
        publisher->PublishLive(FirstSample(), At(9, 41, 7));
        WriteRow(*publisher, 41);

        EXPECT_EQ(ThreadCount(), threadsBefore);
        EXPECT_FALSE(publisher->Running());
        EXPECT_TRUE(publisher->StateText().startsWith(c.state)) << publisher->StateText().toStdString();
        if (c.logLine.isEmpty()) {
            EXPECT_TRUE(log.isEmpty());
        } else {
            ASSERT_EQ(log.size(), 1);
            EXPECT_TRUE(log.front().startsWith(c.logLine)) << log.front().toStdString();
        }
        EXPECT_FALSE(folder.exists(QStringLiteral("Publish.state")));
    }
}

}  // namespace
}  // namespace qemra
