// What publishing to a broker costs. First one second of the running program (five poll ticks
// against a fake link, the monitor's second step with the record files, and a minute row every
// sixtieth second), without a publisher, publishing to a local mosquitto, and with the broker
// down while the publisher keeps trying: the difference is what publishing adds to the poll
// cycle. Then the catch-up after an outage: a week of minute rows (10,080 in seven day files
// written by the program's recorder) sent from the files to a local mosquitto, as rows per second.
#include "acquisition/PollCycle.h"
#include "acquisition/TraceLog.h"
#include "publish/Publisher.h"
#include "recording/RecordFiles.h"
#include "tests/support/FakeFrameLink.h"
#include "tests/support/MosquittoBroker.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <map>
#include <memory>

using namespace qemra;

namespace {

// The answer of the instrument for each read request of the poll groups.
std::map<QByteArray, QByteArray> Answers()
{
    std::map<QByteArray, QByteArray> answers;
    for (int group = 0; group < 6; ++group) {
        QByteArray request = "RD,";
        QByteArray answer = "AD,";
        for (int i = 0; i < 8; ++i) {
            const char* code = CodeTable[static_cast<std::size_t>(8 * group + i)];
            request += QByteArray(code) + ',';
            answer += QByteArray(code) + '=' + QByteArray::number(20.0 + 0.37 * (8 * group + i), 'f', 2) + ',';
        }
        answers[request] = answer;
    }
    return answers;
}

PublishSettings LocalBroker(int port)
{
    PublishSettings settings;
    settings.Host = QStringLiteral("127.0.0.1");
    settings.Port = port;
    settings.TopicPrefix = QStringLiteral("qemra/bench-Port0");
    settings.ClientId = QStringLiteral("qemra-bench-Port0");
    return settings;
}

bool WaitFor(const std::function<bool()>& done, int milliseconds)
{
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > milliseconds)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

enum class Publishing { None, ToLocalBroker, BrokerDown };

void BM_PollSecond(benchmark::State& benchState, Publishing publishing)
{
    QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/qemra-bench-XXXXXX"));
    const QString base = folder.path() + u'/';
    FakeClock clock(EncodeDateTime(2026, 12, 11, 9, 0, 0, 100));
    auto state = std::make_unique<SharedState>();
    state->MySts.PortName = QStringLiteral("COM7");
    FakeFrameLink link;
    TraceLog trace(base, clock);
    PollCycle poll(*state, link, clock, trace);
    RecordFiles files(base, *state, clock);
    const std::map<QByteArray, QByteArray> answers = Answers();

    MosquittoBroker broker;
    std::unique_ptr<Publisher> publisher;
    if (publishing != Publishing::None) {
        if (publishing == Publishing::ToLocalBroker && !broker.Start()) {
            benchState.SkipWithError("mosquitto did not start");
            return;
        }
        // Nobody listens on the port when the broker is down: every attempt is refused.
        publisher = std::make_unique<Publisher>(LocalBroker(broker.Port()), files.RecordFolder(),
                                                base + QStringLiteral("Publish.state"), clock, nullptr);
        publisher->Start();
        if (publishing == Publishing::ToLocalBroker && !WaitFor([&] { return publisher->Connected(); }, 5000)) {
            benchState.SkipWithError("no connection to mosquitto");
            return;
        }
    }

    std::int32_t lastSecond = WholeSeconds(clock.Now());
    poll.hooks.ShowValues = [&] {
        if (publisher)
            publisher->PublishLive(state->CurMes, clock.Now());
    };
    poll.hooks.CheckSecond = [&] {
        const std::int32_t second = WholeSeconds(clock.Now());
        if (second == lastSecond)
            return;
        lastSecond = second;
        const bool latched = files.MinuteLatch();
        files.RecordSecond();
        if (publisher && !latched && files.MinuteLatch())
            publisher->MinuteRowWritten();
    };

    const auto oneSecond = [&] {
        for (int tick = 0; tick < 5; ++tick) {
            clock.AdvanceMilliseconds(200);
            poll.MainTimerTimer();
            if (const auto answer = answers.find(link.sent.back()); answer != answers.end())
                link.Deliver(answer->second);
        }
        link.sent.clear();
        link.handlerSetAtSend.clear();
        QCoreApplication::processEvents();  // acknowledgements and reconnect news, where there are any
    };
    // Past the warm-up seconds and the first minute row, which checks its new file once.
    for (int second = 0; second < 70; ++second)
        oneSecond();

    for (auto _ : benchState)
        oneSecond();
    if (publisher) {
        benchState.counters["connected"] = publisher->Connected() ? 1 : 0;
        publisher->Stop();
    }
}

// 10,080 rows, a day file each for 2026-12-05 to 2026-12-11, as the recorder writes them.
void WriteWeekOfRows(const QString& base)
{
    auto state = std::make_unique<SharedState>();
    state->MySts.PortName = QStringLiteral("COM7");
    state->CurMes.Measuring = 1;
    FakeClock clock;
    RecordFiles files(base, *state, clock);
    const TDateTime first = EncodeDateTime(2026, 12, 5);
    for (int minute = 0; minute < 7 * 1440; ++minute) {
        const TDateTime at = first + minute / 1440.0;
        state->CurMes.M01 = 0.1f + static_cast<float>(minute % 100) / 1000;
        state->CurMes.M11 = 20.0f + static_cast<float>(minute % 600) / 100;
        clock.Set(at + 5.0 / 86400);
        files.RecordSecond();
        clock.Set(at + 6.0 / 86400);
        files.RecordSecond();
    }
}

void BM_CatchUpWeek(benchmark::State& benchState)
{
    QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/qemra-bench-XXXXXX"));
    const QString base = folder.path() + u'/';
    WriteWeekOfRows(base);
    MosquittoBroker broker;
    if (!broker.Start()) {
        benchState.SkipWithError("mosquitto did not start");
        return;
    }
    const TDateTime lastRow = EncodeDateTime(2026, 12, 11, 23, 59);
    FakeClock clock(lastRow + 30.0 / 86400);
    const QString stateFile = base + QStringLiteral("Publish.state");
    double rows = 0;
    for (auto _ : benchState) {
        QFile::remove(stateFile);  // nothing acknowledged yet: the whole week goes out
        Publisher publisher(LocalBroker(broker.Port()), base + QStringLiteral("Record/"), stateFile, clock, nullptr);
        publisher.Start();
        if (!WaitFor([&] { return publisher.AcknowledgedRow() == lastRow; }, 60000)) {
            benchState.SkipWithError("the backlog did not get through");
            return;
        }
        publisher.Stop();
        rows += 7 * 1440;
    }
    benchState.counters["rows_per_s"] = benchmark::Counter(rows, benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK_CAPTURE(BM_PollSecond, without_publisher, Publishing::None)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_PollSecond, to_local_broker, Publishing::ToLocalBroker)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_PollSecond, broker_down, Publishing::BrokerDown)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true);
BENCHMARK(BM_CatchUpWeek)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
