// What publishing to a broker costs. First one second of the running program (five poll ticks
// against a fake link, the monitor's second step with the record files, and a minute row every
// sixtieth second) with and without publishing, to a local mosquitto and with the broker down while
// the publisher keeps trying: added_pct is what publishing adds to the poll cycle. Then the catch-up
// after an outage: a week of minute rows (10,080 in seven day files written by the program's
// recorder) sent from the files to a local mosquitto, as rows per second.
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

#include <chrono>
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

// The running program's second: the poll cycle against a fake link, the monitor's second step with
// the record files, and, when there is a publisher, the live values and the news of a minute row.
class PollRig {
public:
    explicit PollRig(const std::map<QByteArray, QByteArray>& answers)
        : base_(folder_.path() + u'/'), answers_(answers), trace_(base_, clock_), poll_(*state_, link_, clock_, trace_),
          files_(base_, *state_, clock_)
    {
        state_->MySts.PortName = QStringLiteral("COM7");
        poll_.hooks.ShowValues = [this] {
            if (publisher_)
                publisher_->PublishLive(state_->CurMes, clock_.Now());
        };
        poll_.hooks.CheckSecond = [this] {
            const std::int32_t second = WholeSeconds(clock_.Now());
            if (second == lastSecond_)
                return;
            lastSecond_ = second;
            const bool latched = files_.MinuteLatch();
            files_.RecordSecond();
            if (publisher_ && !latched && files_.MinuteLatch())
                publisher_->MinuteRowWritten();
        };
    }

    Publisher& Publish(const PublishSettings& settings)
    {
        publisher_ = std::make_unique<Publisher>(settings, files_.RecordFolder(),
                                                 base_ + QStringLiteral("Publish.state"), clock_, nullptr);
        publisher_->Start();
        return *publisher_;
    }

    void OneSecond()
    {
        for (int tick = 0; tick < 5; ++tick) {
            clock_.AdvanceMilliseconds(200);
            poll_.MainTimerTimer();
            if (const auto answer = answers_.find(link_.sent.back()); answer != answers_.end())
                link_.Deliver(answer->second);
        }
        link_.sent.clear();
        link_.handlerSetAtSend.clear();
        QCoreApplication::processEvents();  // the publisher's news, where there is any
    }

private:
    QTemporaryDir folder_{QDir::tempPath() + QStringLiteral("/qemra-bench-XXXXXX")};
    QString base_;
    const std::map<QByteArray, QByteArray>& answers_;
    FakeClock clock_{EncodeDateTime(2026, 12, 11, 9, 0, 0, 100)};
    std::unique_ptr<SharedState> state_ = std::make_unique<SharedState>();
    FakeFrameLink link_;
    TraceLog trace_;
    PollCycle poll_;
    RecordFiles files_;
    std::int32_t lastSecond_ = 0;
    std::unique_ptr<Publisher> publisher_;
};

// Two programs side by side, one publishing and one not, their seconds taken in turns so both meet
// the same load of the machine; the time reported is the publishing one's.
void BM_PollSecond(benchmark::State& benchState, bool brokerUp)
{
    const std::map<QByteArray, QByteArray> answers = Answers();
    PollRig plain(answers);
    PollRig publishing(answers);
    MosquittoBroker broker;
    if (brokerUp && !broker.Start()) {
        benchState.SkipWithError("mosquitto did not start");
        return;
    }
    // With the broker down nobody listens on its port: every attempt is refused.
    Publisher& publisher = publishing.Publish(LocalBroker(broker.Port()));
    if (brokerUp && !WaitFor([&] { return publisher.Connected(); }, 5000)) {
        benchState.SkipWithError("no connection to mosquitto");
        return;
    }
    // Past the warm-up seconds and the first minute row, which checks its new file once.
    for (int second = 0; second < 70; ++second) {
        plain.OneSecond();
        publishing.OneSecond();
    }

    using Clock = std::chrono::steady_clock;
    Clock::duration plainTime{}, publishingTime{};
    for (auto _ : benchState) {
        const Clock::time_point start = Clock::now();
        plain.OneSecond();
        const Clock::time_point middle = Clock::now();
        publishing.OneSecond();
        const Clock::time_point end = Clock::now();
        plainTime += middle - start;
        publishingTime += end - middle;
        benchState.SetIterationTime(std::chrono::duration<double>(end - middle).count());
    }
    const double iterations = static_cast<double>(benchState.iterations());
    const double without = std::chrono::duration<double, std::micro>(plainTime).count() / iterations;
    const double with = std::chrono::duration<double, std::micro>(publishingTime).count() / iterations;
    benchState.counters["without_us"] = without;
    benchState.counters["with_us"] = with;
    benchState.counters["added_pct"] = 100.0 * (with - without) / without;
    benchState.counters["connected"] = publisher.Connected() ? 1 : 0;
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

BENCHMARK_CAPTURE(BM_PollSecond, to_local_broker, true)
    ->Unit(benchmark::kMicrosecond)
    ->UseManualTime()
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_PollSecond, broker_down, false)
    ->Unit(benchmark::kMicrosecond)
    ->UseManualTime()
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
