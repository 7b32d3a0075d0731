// A month of second record files, written once by the recorder itself, read back and summarised
// as `qemra-monitor --summary` does; bytes per second, and the memory the summary takes on top of
// what the process held before it (it streams, so a day and a month should need the same).
// The history window over the same month: from pressing 読込 to the five strips drawn.
// The comfort analysis with every option over the month, and the summary over a year made of the
// month's days with their dates moved, on one thread and on one per core.
#include "bench/ProcessMemory.h"
#include "common/Prompts.h"
#include "recording/RecordFiles.h"
#include "survey/SurveyRun.h"
#include "windows/history/HistoryWindow.h"

#include <QApplication>
#include <QEventLoop>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <random>
#include <string>

using namespace qemra;

namespace {

constexpr int kMonthDays = 31;
// Changes to what the month holds must change this, so an old cache is made again.
const QString kCacheStamp = QStringLiteral("month 2026-12, 31 days, COM7, generator 1\n");

QDate FirstDay() { return {2026, 12, 1}; }

// QEMRA_BENCH_HISTORY_DIR, else the folder the build names; tools/bench-history-vs-pandas.sh reads
// the same files.
QString CacheFolder()
{
    const QString given = qEnvironmentVariable("QEMRA_BENCH_HISTORY_DIR");
    return given.isEmpty() ? QStringLiteral(QEMRA_BENCH_HISTORY_DIR) : given;
}

// Slow daily swings with noise, so that PMV and WBGT pass through every class and the number
// texts vary as a real survey's do.
void SetValues(TMesData& m, std::int64_t second, std::mt19937& random)
{
    std::normal_distribution<float> noise(0.0f, 1.0f);
    const double day = 2 * std::numbers::pi * static_cast<double>(second % 86400) / 86400.0;
    const auto swing = static_cast<float>(std::sin(day - 2.0));  // warmest in the afternoon
    m.M11 = 23.0f + 5.0f * swing + 0.05f * noise(random);
    m.M12 = 50.0f - 12.0f * swing + 0.2f * noise(random);
    m.M04 = m.M11 + 0.8f + 0.05f * noise(random);
    m.M01 = std::fabs(0.25f + 0.15f * static_cast<float>(std::sin(static_cast<double>(second) / 600.0)) +
                      0.05f * noise(random));
    m.M55 = 1.2f;
    m.H51 = second % 86400 < 43200 ? 0.7f : 0.5f;
    m.M53 = 1.2f * swing + 0.05f * noise(random);
    m.M51 = 24.0f + 8.0f * swing + 0.05f * noise(random);
    m.M52 = 23.5f + 8.0f * swing + 0.05f * noise(random);
    m.M21 = 9.5f + 1.5f * swing + 0.02f * noise(random);
    m.M22 = 13.0f + 2.0f * swing + 0.05f * noise(random);
    m.M23 = 17.0f + 3.0f * swing + 0.05f * noise(random);
}

// The month as the recorder writes it, one second step after another, second recording on.
bool WriteMonth(const QString& folder)
{
    SharedState state;
    state.MySts.PortName = QStringLiteral("COM7");
    state.MySts.SecRec = 1;
    state.CurMes.Measuring = 1;
    const QDate first = FirstDay();
    FakeClock clock(EncodeDateTime(first.year(), first.month(), first.day(), 0, 0, 0, 100));
    RecordFiles files(folder, state, clock);
    std::mt19937 random(20261201);
    for (std::int64_t second = 0; second < std::int64_t{kMonthDays} * 86400; ++second) {
        SetValues(state.CurMes, second, random);
        files.RecordSecond();
        clock.AdvanceSeconds(1);
    }
    return QFileInfo::exists(files.SecondRecordPath(clock.Now() - 1.0 / 86400));
}

// The cache folder with the month in it, made when missing or from another generator.
QString MonthFolder()
{
    QString folder = CacheFolder();
    const QString stampPath = folder + QStringLiteral("/complete");
    QFile stamp(stampPath);
    if (stamp.open(QIODevice::ReadOnly) && QString::fromUtf8(stamp.readAll()) == kCacheStamp)
        return folder;
    stamp.close();
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    std::fprintf(stderr, "writing %d days of record files into %s (once)...\n", kMonthDays,
                 QFile::encodeName(folder).constData());
    if (!WriteMonth(folder) || !stamp.open(QIODevice::WriteOnly) || stamp.write(kCacheStamp.toUtf8()) < 0)
        return {};
    return folder;
}

qint64 SecondFileBytes(const QString& folder, int days)
{
    qint64 bytes = 0;
    for (int d = 0; d < days; ++d)
        bytes += QFileInfo(folder + QStringLiteral("/Record/RT_COM7_") +
                           FirstDay().addDays(d).toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".csv"))
                     .size();
    return bytes;
}

using bench::ResetPeakMemory;
using bench::StatusMegabytes;

// A year of second record files: day i of 2025 is the month's day i % 31 with its dates moved.
QString YearFolder()
{
    const QString month = MonthFolder();
    if (month.isEmpty())
        return {};
    const QString folder = CacheFolder() + QStringLiteral("-year-from-month");
    const QString stampPath = folder + QStringLiteral("/complete");
    const QString stampText = kCacheStamp + QStringLiteral("year 2025 from the month\n");
    QFile stamp(stampPath);
    if (stamp.open(QIODevice::ReadOnly) && QString::fromUtf8(stamp.readAll()) == stampText)
        return folder;
    stamp.close();
    QDir(folder).removeRecursively();
    QDir().mkpath(folder + QStringLiteral("/Record"));
    std::fprintf(stderr, "writing a year of record files into %s (once)...\n", QFile::encodeName(folder).constData());
    for (QDate day(2025, 1, 1); day.year() == 2025; day = day.addDays(1)) {
        const QDate source = FirstDay().addDays((day.dayOfYear() - 1) % kMonthDays);
        QFile in(month + QStringLiteral("/Record/RT_COM7_") + source.toString(QStringLiteral("yyyyMMdd")) +
                 QStringLiteral(".csv"));
        QFile out(folder + QStringLiteral("/Record/RT_COM7_") + day.toString(QStringLiteral("yyyyMMdd")) +
                  QStringLiteral(".csv"));
        if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
            return {};
        const QByteArray from = source.toString(QStringLiteral("yyyy/MM/dd")).toLatin1();
        const QByteArray to = day.toString(QStringLiteral("yyyy/MM/dd")).toLatin1();
        QByteArray bytes = in.readAll();
        bytes.replace(from, to);
        if (out.write(bytes) != bytes.size())
            return {};
    }
    if (!stamp.open(QIODevice::WriteOnly) || stamp.write(stampText.toUtf8()) < 0)
        return {};
    return folder;
}

// Daily mean outdoor temperatures for the month and the week before it.
QString OutdoorFile(const QString& folder)
{
    const QString path = folder + QStringLiteral("/outdoor.csv");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    QByteArray text = "date,mean\n";
    for (int d = -7; d < kMonthDays; ++d)
        text += FirstDay().addDays(d).toString(QStringLiteral("yyyy-MM-dd")).toLatin1() + ',' +
                QByteArray::number(18.0 + 0.25 * d) + '\n';
    file.write(text);
    return path;
}

qint64 FolderBytes(const QString& folder, QDate first, int days)
{
    qint64 bytes = 0;
    for (int d = 0; d < days; ++d)
        bytes += QFileInfo(folder + QStringLiteral("/Record/RT_COM7_") +
                           first.addDays(d).toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".csv"))
                     .size();
    return bytes;
}

void Summarise(benchmark::State& benchState, const QString& folder, QDate first, int days, const QStringList& more,
               int workers = 0)
{
    if (folder.isEmpty()) {
        benchState.SkipWithError("cannot write the record files");
        return;
    }
    const QStringList args = QStringList{QStringLiteral("--summary"),
                                         first.toString(QStringLiteral("yyyy/MM/dd")),
                                         first.addDays(days - 1).toString(QStringLiteral("yyyy/MM/dd")),
                                         QStringLiteral("--data-dir"),
                                         folder,
                                         QStringLiteral("--json")} +
                             more;
    const bool peakReset = ResetPeakMemory();
    const double before = StatusMegabytes("VmRSS:");
    for (auto _ : benchState) {
        QString out;
        QString err;
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        if (RunSurveySummary(args, QString(), outStream, errStream, workers) != 0 || !err.isEmpty()) {
            benchState.SkipWithError(qPrintable(QStringLiteral("summary failed: ") + err));
            return;
        }
        benchmark::DoNotOptimize(out.data());
    }
    const double peak = StatusMegabytes("VmHWM:");
    const qint64 bytes = FolderBytes(folder, first, days);
    benchState.SetBytesProcessed(static_cast<std::int64_t>(benchState.iterations()) * bytes);
    benchState.counters["files_MB"] = static_cast<double>(bytes) / 1e6;
    benchState.counters["peak_rss_MB"] = peak;
    if (peakReset)
        benchState.counters["summary_extra_MB"] = peak - before;
}

void Summarise(benchmark::State& benchState, int days) { Summarise(benchState, MonthFolder(), FirstDay(), days, {}); }

void BM_SummaryMonth(benchmark::State& benchState) { Summarise(benchState, kMonthDays); }
void BM_SummaryDay(benchmark::State& benchState) { Summarise(benchState, 1); }

// Every option on: occupied hours and days, a category, a range of operative temperatures and an
// outdoor file.
void BM_ComfortMonth(benchmark::State& benchState)
{
    const QString folder = MonthFolder();
    const QString outdoor = folder.isEmpty() ? QString() : OutdoorFile(folder);
    Summarise(benchState, outdoor.isEmpty() ? QString() : folder, FirstDay(), kMonthDays,
              {QStringLiteral("--hours"), QStringLiteral("08:00-18:00"), QStringLiteral("--days"),
               QStringLiteral("mon-fri"), QStringLiteral("--category"), QStringLiteral("B"),
               QStringLiteral("--to-range"), QStringLiteral("20,26"), QStringLiteral("--outdoor"), outdoor});
}

// The argument is the number of threads reading days.
void BM_SummaryYear(benchmark::State& benchState)
{
    Summarise(benchState, YearFolder(), QDate(2025, 1, 1), 365, {}, static_cast<int>(benchState.range(0)));
}

void BM_HistoryWindowMonth(benchmark::State& benchState)
{
    const QString folder = MonthFolder();
    if (folder.isEmpty()) {
        benchState.SkipWithError("cannot write the month of record files");
        return;
    }
    RecordingPrompts prompts;
    THistoryForm form(folder, prompts);
    form.resize(1100, 680);
    form.show();
    form.SetRange(FirstDay(), FirstDay().addDays(kMonthDays - 1));
    for (auto _ : benchState) {
        QEventLoop loop;
        bool loaded = false;
        const auto connection = QObject::connect(&form, &THistoryForm::LoadFinished, &loop, [&](bool ok) {
            loaded = ok;
            loop.quit();
        });
        form.BBLoadClick();
        loop.exec();
        QObject::disconnect(connection);
        // Drawn: every strip painted, as the screen would get them.
        const QImage strips = form.StripsImage();
        benchmark::DoNotOptimize(strips.constBits());
        if (!loaded) {
            benchState.SkipWithError("the load did not finish");
            return;
        }
    }
    benchState.SetBytesProcessed(static_cast<std::int64_t>(benchState.iterations()) *
                                 SecondFileBytes(folder, kMonthDays));
    benchState.counters["rows"] = form.Loaded() ? static_cast<double>(form.Loaded()->rows.Size()) : 0.0;
    benchState.counters["peak_rss_MB"] = StatusMegabytes("VmHWM:");
}

}  // namespace

BENCHMARK(BM_SummaryMonth)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->MinTime(2.0);
BENCHMARK(BM_SummaryDay)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ComfortMonth)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->MinTime(2.0);
BENCHMARK(BM_SummaryYear)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(1);
BENCHMARK(BM_HistoryWindowMonth)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// The window benchmark needs an application; without a display it draws offscreen.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
