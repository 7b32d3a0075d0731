// The once-per-second refresh of the running program with a full history ring: the main window's
// ShowValues (panels, status bar and PlotHistory over eight series of 1023 points), the monitor
// list's CheckSecond, and the repaint both cause, offscreen. "smooth" values follow slow waves;
// "noisy" ones add the jitter of a real sensor, which leaves far more of each line to draw.
#include "core/AcquisitionCore.h"
#include "windows/main/MainWindow.h"
#include "windows/main/TrendChart.h"
#include "common/Prompts.h"
#include "windows/recording/MonitorListWindow.h"

#include <QApplication>
#include <QLineSeries>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <memory>

using namespace qemra;

namespace {

// A repeatable jitter in [-1, 1] for a second and a channel.
double Jitter(int second, int channel)
{
    std::uint32_t x = static_cast<std::uint32_t>(second) * 2654435761u + static_cast<std::uint32_t>(channel) * 40503u;
    x ^= x >> 15;
    x *= 2246822519u;
    x ^= x >> 13;
    return static_cast<double>(x % 2001u) / 1000.0 - 1.0;
}

TMesData Snapshot(int second, bool noisy)
{
    TMesData record;
    const double wave = std::sin(second / 30.0);
    const auto value = [&](int channel, double base, double swing, double jitter) {
        return static_cast<float>(base + swing * wave + (noisy ? jitter * Jitter(second, channel) : 0.0));
    };
    record.M53 = value(0, -0.5, 0.3, 0.01);
    record.M52 = value(1, 20.0, 1.0, 0.02);
    record.M51 = value(2, 19.0, 1.0, 0.02);
    record.M11 = value(3, 24.0, 0.5, 0.02);
    record.M04 = value(4, 25.0, 0.5, 0.02);
    record.M22 = value(5, 13.0, 0.2, 0.02);
    record.M12 = value(6, 50.0, 3.0, 0.2);
    record.M01 = value(7, 0.3, 0.1, 0.005);
    record.C52 = 1000 + second % 10;
    return record;
}

void BM_SecondRefresh(benchmark::State& state, bool noisy)
{
    QTemporaryDir folder;
    const QString base = folder.path() + '/';
    FakeClock clock(EncodeDateTime(2024, 1, 15, 9, 0, 0));
    RecordingPrompts prompts;
    AcquisitionCore core(clock, prompts, base);
    SharedState* shared = &core.State();
    TMainForm main(core, clock, prompts);
    TMonForm monitor(core);
    main.show();
    main.MainTimer().stop();  // the benchmark is the clock
    monitor.show();

    int second = 0;
    for (; second < TMesHistory::kSlots; ++second) {
        clock.AdvanceSeconds(1);
        shared->MesHistory.Push(Snapshot(second, noisy), clock.Now());
    }
    QApplication::processEvents();

    for (auto _ : state) {
        clock.AdvanceSeconds(1);
        shared->CurMes = Snapshot(second, noisy);
        shared->MesHistory.Push(shared->CurMes, clock.Now());
        ++second;
        main.ShowValues();
        monitor.SecondRefresh();
        QApplication::processEvents();  // the repaint of the charts, panels and list
    }
    // The points left to draw in all five charts after the reduction to what a pixel can show.
    int points = 0;
    for (int c = 0; c < 5; ++c)
        for (int i = 0; i < main.Chart(c).SeriesCount(); ++i)
            points += static_cast<int>(main.Chart(c).Series(i)->count());
    state.counters["points"] = points;
}

}  // namespace

BENCHMARK_CAPTURE(BM_SecondRefresh, smooth, false)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->DisplayAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_SecondRefresh, noisy, true)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->DisplayAggregatesOnly(true);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
