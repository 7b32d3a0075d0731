// The calibration page's once-per-second work on a full history ring: the statistics over the 30
// newest seconds and the refresh of the grid and the ten result panels, with the repaint they
// cause, offscreen. It runs beside the main window's refresh, so it must stay well under 1 ms.
#include "windows/system/CalDataGrid.h"
#include "calibration/CalStatistics.h"
#include "parameters/ParameterSet.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <cmath>

using namespace qemra;

namespace {

// Sensors near 23 degrees with a little noise-like wobble, so every second changes the texts.
TMesData Snapshot(int second)
{
    const double wobble = std::sin(second * 1.7) * 0.02;
    TMesData r;
    r.M01 = static_cast<float>(0.0005 * (second % 3));
    r.C21 = static_cast<float>(23.12 + wobble);
    r.C22 = static_cast<float>(22.92 - wobble);
    r.C16 = static_cast<float>(23.35 + wobble);
    r.C17 = static_cast<float>(22.75 + wobble);
    r.C32 = static_cast<float>(50.0 + 2 * wobble);
    r.C26 = static_cast<float>(23.45 + wobble);
    r.C27 = static_cast<float>(23.2 - wobble);
    r.C76 = static_cast<float>(24.99 + wobble);
    r.C77 = static_cast<float>(24.75 - wobble);
    return r;
}

void BM_CalStatistics(benchmark::State& state)
{
    TMesHistory history;
    int second = 0;
    for (; second < TMesHistory::kSlots; ++second)
        history.Push(Snapshot(second), 45000.0 + second / 86400.0);

    CalStats stats;
    std::int32_t calStep = 0;
    TWritePrm prm;
    SetParameterDefaults(prm);
    QWidget page;
    const CalResultPanels panels = CreateCalResultPanels(&page);
    TCalDataView view(stats, &page);
    page.show();
    QApplication::processEvents();

    for (auto _ : state) {
        // The push belongs to the main window's tick; it only gives every second new values.
        state.PauseTiming();
        const TMesData current = Snapshot(second);
        history.Push(current, 45000.0 + second / 86400.0);
        ++second;
        state.ResumeTiming();

        UpdateCalStatistics(stats, history, current, prm.AdjWS, calStep);
        view.ShowCalData(prm, panels);
        QApplication::processEvents();  // the repaint of the grid and the panels
    }
    state.counters["stable"] = stats.AT1Stable + stats.DifTStable;
}

}  // namespace

BENCHMARK(BM_CalStatistics)->Unit(benchmark::kMicrosecond);

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
