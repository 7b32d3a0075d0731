// The link's receive path at full speed: the frame scanner over a stream of answers mixed with
// noise and cut at random points, and the split of one answer of eight pairs. The instrument's
// line brings 3,840 bytes a second; these show how far above that the code runs.
#include "link/FrameCodec.h"
#include "link/KeyValue.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

using namespace qemra;

namespace {

const QByteArray kAnswer = "AD,M01=0.352,M02=24.51,M03=50.12,M04=25.03,M05=0.000,M06=1.000,M07=2.000,M08=3.000,";

// About 64 KiB of framed answers, with a few stray bytes between some of them, cut into pieces
// of 1 to 64 bytes as a serial driver might hand them over.
std::vector<QByteArray> ReceivedPieces()
{
    std::mt19937 random(12345);
    QByteArray stream;
    const QByteArray frame = *FramePayload(kAnswer) + "\r\n";
    constexpr qsizetype kStreamBytes = qsizetype{64} * 1024;
    while (stream.size() < kStreamBytes) {
        if (random() % 4 == 0) {
            for (unsigned n = random() % 8 + 1; n > 0; --n)
                stream += static_cast<char>(random() % 256);
        }
        stream += frame;
    }
    std::vector<QByteArray> pieces;
    for (qsizetype at = 0; at < stream.size();) {
        const qsizetype n = std::min<qsizetype>(random() % 64 + 1, stream.size() - at);
        pieces.push_back(stream.mid(at, n));
        at += n;
    }
    return pieces;
}

void BM_ScanFrames(benchmark::State& state)
{
    const std::vector<QByteArray> pieces = ReceivedPieces();
    qsizetype bytes = 0;
    for (const QByteArray& piece : pieces)
        bytes += piece.size();
    FrameScanner scanner;
    long long good = 0;
    scanner.SetOnChecked([&good](bool ok) { good += ok ? 1 : 0; });
    for (auto _ : state) {
        for (const QByteArray& piece : pieces)
            scanner.Feed(piece);
        benchmark::DoNotOptimize(good);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * bytes);
    state.counters["good_frames"] = benchmark::Counter(static_cast<double>(good), benchmark::Counter::kAvgIterations);
}

void BM_SplitPairs(benchmark::State& state)
{
    const QByteArray pairs = kAnswer.mid(3);
    TKeyValueList list;
    for (auto _ : state) {
        benchmark::DoNotOptimize(SplitPairs(pairs, list.data(), kPairListSize));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * pairs.size());
}

}  // namespace

BENCHMARK(BM_ScanFrames)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SplitPairs)->Unit(benchmark::kNanosecond);

BENCHMARK_MAIN();
