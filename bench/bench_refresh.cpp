// The once-per-second refresh of the running program with a full history ring: the main window's
// ShowValues (panels, status bar and PlotHistory over eight series of 1023 points), the monitor
// list's CheckSecond, and the repaint both cause, offscreen.
#include "acquisition/Main.h"
#include "acquisition/TrendChart.h"
#include "common/Prompts.h"
#include "recording/Monlist.h"

#include <QApplication>
#include <QLineSeries>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

using namespace qemra;

namespace {

TMesData Snapshot(int second)
{
    TMesData record;
    const double wave = std::sin(second / 30.0);
    record.M53 = static_cast<float>(-0.5 + 0.3 * wave);
    record.M52 = static_cast<float>(20.0 + wave);
    record.M51 = static_cast<float>(19.0 + wave);
    record.M11 = static_cast<float>(24.0 + 0.5 * wave);
    record.M04 = static_cast<float>(25.0 + 0.5 * wave);
    record.M22 = static_cast<float>(13.0 + 0.2 * wave);
    record.M12 = static_cast<float>(50.0 + 3.0 * wave);
    record.M01 = static_cast<float>(0.3 + 0.1 * wave);
    record.C52 = 1000 + second % 10;
    return record;
}

void BM_SecondRefresh(benchmark::State& state)
{
    QTemporaryDir folder;
    const QString base = folder.path() + '/';
    FakeClock clock(EncodeDateTime(2024, 1, 15, 9, 0, 0));
    RecordingPrompts prompts;
    auto shared = std::make_unique<SharedState>();
    TMainForm main(*shared, clock, prompts, base);
    TMonForm monitor(*shared, clock, base);
    main.show();
    main.MainTimer().stop();  // the benchmark is the clock
    monitor.show();

    int second = 0;
    for (; second < TMesHistory::kSlots; ++second) {
        clock.AdvanceSeconds(1);
        shared->MesHistory.Push(Snapshot(second), clock.Now());
    }
    QApplication::processEvents();

    for (auto _ : state) {
        clock.AdvanceSeconds(1);
        shared->CurMes = Snapshot(second);
        shared->MesHistory.Push(shared->CurMes, clock.Now());
        ++second;
        main.ShowValues();
        monitor.CheckSecond();
        QApplication::processEvents();  // the repaint of the charts, panels and list
    }
    state.counters["points"] = static_cast<double>(main.Chart(2).Series(0)->count());
}

}  // namespace

BENCHMARK(BM_SecondRefresh)->Unit(benchmark::kMillisecond)->Repetitions(7)->DisplayAggregatesOnly(true);

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
