// The history window over a year of second records: from pressing 読込 to the strips drawn, once
// with an empty reduction cache (the first open, which fills it) and once from the cache. The year
// is written once by the recorder itself into a folder kept between runs; the peak resident size
// is the window's, measured from where the process stood before the first open.
#include "bench/ProcessMemory.h"
#include "common/Prompts.h"
#include "recording/RecordFiles.h"
#include "windows/history/HistoryWindow.h"

#include <QDate>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <random>
#include <string>
#include <thread>
#include <vector>

using namespace qemra;

namespace {

constexpr int kYearDays = 365;
// Changes to what the year holds must change this, so an old copy is made again.
const QString kYearStamp = QStringLiteral("year 2025, 365 days, COM7, generator 1\n");

QDate FirstDay() { return {2025, 1, 1}; }

QString YearFolder()
{
    const QString given = qEnvironmentVariable("QEMRA_BENCH_HISTORY_YEAR_DIR");
    return given.isEmpty() ? QStringLiteral(QEMRA_BENCH_HISTORY_DIR "-year") : given;
}

// Slow daily and seasonal swings with noise, so every class of PMV and WBGT is passed through.
void SetValues(TMesData& m, std::int64_t second, std::mt19937& random)
{
    std::normal_distribution<float> noise(0.0f, 1.0f);
    const double day = 2 * std::numbers::pi * static_cast<double>(second % 86400) / 86400.0;
    const double season = 2 * std::numbers::pi * static_cast<double>(second) / (365.0 * 86400.0);
    const auto swing = static_cast<float>(std::sin(day - 2.0));
    const auto warm = static_cast<float>(-std::cos(season));
    m.M11 = 22.0f + 4.0f * warm + 4.0f * swing + 0.05f * noise(random);
    m.M12 = 50.0f - 10.0f * swing + 8.0f * warm + 0.2f * noise(random);
    m.M04 = m.M11 + 0.8f + 0.05f * noise(random);
    m.M01 = std::fabs(0.25f + 0.15f * static_cast<float>(std::sin(static_cast<double>(second) / 600.0)) +
                      0.05f * noise(random));
    m.M55 = 1.2f;
    m.H51 = second % 86400 < 43200 ? 0.7f : 0.5f;
    m.M53 = 1.0f * swing + 0.8f * warm + 0.05f * noise(random);
    m.M51 = 22.0f + 6.0f * swing + 6.0f * warm + 0.05f * noise(random);
    m.M52 = 21.5f + 6.0f * swing + 6.0f * warm + 0.05f * noise(random);
    m.M21 = 9.5f + 1.5f * swing + 0.02f * noise(random);
    m.M22 = 13.0f + 2.0f * swing + 0.05f * noise(random);
    m.M23 = 17.0f + 3.0f * swing + 0.05f * noise(random);
}

// Days [first, first + days) as the recorder writes them, one second step after another.
bool WriteDays(const QString& folder, int first, int days)
{
    SharedState state;
    state.MySts.PortName = QStringLiteral("COM7");
    state.MySts.SecRec = 1;
    state.CurMes.Measuring = 1;
    const QDate start = FirstDay().addDays(first);
    FakeClock clock(EncodeDateTime(start.year(), start.month(), start.day(), 0, 0, 0, 100));
    RecordFiles files(folder, state, clock);
    std::mt19937 random(20250101u + static_cast<unsigned>(first));
    const std::int64_t from = std::int64_t{first} * 86400;
    for (std::int64_t second = from; second < from + std::int64_t{days} * 86400; ++second) {
        SetValues(state.CurMes, second, random);
        files.RecordSecond();
        clock.AdvanceSeconds(1);
    }
    return QFileInfo::exists(files.SecondRecordPath(clock.Now() - 1.0 / 86400));
}

// The folder with the year in it, written when missing or from another generator: the months on
// two threads, each with a recorder of its own.
QString WrittenYear()
{
    const QString folder = YearFolder();
    const QString stampPath = folder + QStringLiteral("/complete");
    QFile stamp(stampPath);
    if (stamp.open(QIODevice::ReadOnly) && QString::fromUtf8(stamp.readAll()) == kYearStamp)
        return folder;
    stamp.close();
    QDir(folder).removeRecursively();
    QDir().mkpath(folder + QStringLiteral("/Record"));
    std::fprintf(stderr, "writing %d days of record files into %s (once, some minutes)...\n", kYearDays,
                 QFile::encodeName(folder).constData());
    constexpr int kChunkDays = 5;
    std::atomic<int> next{0};
    std::atomic<bool> failed{false};
    const auto work = [&] {
        for (int first = next.fetch_add(kChunkDays); first < kYearDays; first = next.fetch_add(kChunkDays))
            if (!WriteDays(folder, first, std::min(kChunkDays, kYearDays - first)))
                failed = true;
    };
    std::vector<std::thread> threads;
    for (unsigned i = 0; i < std::max(1u, std::thread::hardware_concurrency()); ++i)
        threads.emplace_back(work);
    for (std::thread& thread : threads)
        thread.join();
    if (failed || !stamp.open(QIODevice::WriteOnly) || stamp.write(kYearStamp.toUtf8()) < 0)
        return {};
    return folder;
}

double SecondFileMegabytes(const QString& folder, int days)
{
    qint64 bytes = 0;
    for (int d = 0; d < days; ++d)
        bytes += QFileInfo(folder + QStringLiteral("/Record/RT_COM7_") +
                           FirstDay().addDays(d).toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".csv"))
                     .size();
    return static_cast<double>(bytes) / 1e6;
}

using bench::ResetPeakMemory;
using bench::StatusMegabytes;

// Presses 読込 and waits until the strips are drawn; false when the load failed.
bool OpenYear(THistoryForm& form)
{
    QEventLoop loop;
    bool loaded = false;
    const auto connection = QObject::connect(&form, &THistoryForm::LoadFinished, &loop, [&](bool ok) {
        loaded = ok;
        loop.quit();
    });
    form.BBLoadClick();
    loop.exec();
    QObject::disconnect(connection);
    const QImage strips = form.StripsImage();
    benchmark::DoNotOptimize(strips.constBits());
    return loaded && form.Loaded() != nullptr && form.Loaded()->rows.Size() > 0;
}

// The first `days` days of the year. `cached`: the cache holds them before the timed opens; else
// every open starts with an empty cache folder and fills it.
void HistoryWindowYear(benchmark::State& state, int days, bool cached)
{
    const QString folder = WrittenYear();
    if (folder.isEmpty()) {
        state.SkipWithError("cannot write the year of record files");
        return;
    }
    const QString cacheRoot = folder + QStringLiteral("/bench-cache");
    const QString warmCache = cacheRoot + QStringLiteral("/warm");
    double fromCache = 0;
    bool peakReset = false;
    double before = 0;
    std::size_t indexBytes = 0;
    int iteration = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QString cacheFolder = warmCache;
        if (!cached) {
            cacheFolder = cacheRoot + QStringLiteral("/cold-%1").arg(iteration);
            QDir(cacheFolder).removeRecursively();
        }
        RecordingPrompts prompts;
        const auto newForm = [&] {
            auto form = std::make_unique<THistoryForm>(folder, prompts, nullptr, cacheFolder);
            form->resize(1100, 680);
            form->show();
            form->SetRange(FirstDay(), FirstDay().addDays(days - 1));
            return form;
        };
        // The cache is filled by a window of its own, so the timed one holds a single load.
        if (cached && iteration == 0 && !OpenYear(*newForm())) {
            state.SkipWithError("the load did not finish");
            return;
        }
        auto form = newForm();
        if (iteration == 0) {
            peakReset = ResetPeakMemory();
            before = StatusMegabytes("VmRSS:");
        }
        state.ResumeTiming();
        if (!OpenYear(*form)) {
            state.SkipWithError("the load did not finish");
            return;
        }
        state.PauseTiming();
        fromCache = form->Loaded()->daysFromCache;
        indexBytes = form->Loaded()->rows.MemoryBytes();
        state.counters["rows"] = static_cast<double>(form->Loaded()->rows.Size());
        form.reset();
        if (!cached)
            QDir(cacheFolder).removeRecursively();
        ++iteration;
        state.ResumeTiming();
    }
    const double peak = StatusMegabytes("VmHWM:");
    state.counters["files_MB"] = SecondFileMegabytes(folder, days);
    state.counters["days_from_cache"] = fromCache;
    state.counters["index_MB"] = static_cast<double>(indexBytes) / 1e6;
    state.counters["peak_rss_MB"] = peak;
    if (peakReset)
        state.counters["window_extra_MB"] = peak - before;
}

void BM_HistoryWindowYear(benchmark::State& state)
{
    HistoryWindowYear(state, static_cast<int>(state.range(0)), state.range(1) != 0);
}

}  // namespace

// cached 0: the first open, which fills an empty cache; 1: opened again from the cache. The month
// (the year's first 31 days) is there to compare the window's memory with the month benchmark's.
BENCHMARK(BM_HistoryWindowYear)
    ->ArgNames({"days", "cached"})
    ->Args({kYearDays, 0})
    ->Args({kYearDays, 1})
    ->Args({31, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
