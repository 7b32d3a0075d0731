// One second step with second recording on, against a second record file that is new and against
// one holding a whole day of rows: appending keeps the cost of a row independent of the file.
#include "common/Cp932File.h"
#include "recording/RecordFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace qemra;

namespace {

void BM_RecordSecond(benchmark::State& benchState)
{
    const int rows = static_cast<int>(benchState.range(0));
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/qemra-bench-XXXXXX"));
    SharedState state;
    state.MySts.PortName = QStringLiteral("COM7");
    state.MySts.SecRec = 1;
    state.CurMes.Measuring = 1;
    state.CurMes.M01 = 0.512f;
    state.CurMes.M11 = 23.45f;
    state.CurMes.M12 = 48.123f;
    // Second 30 of a minute: no minute row, only the second row.
    FakeClock clock(EncodeDateTime(2024, 5, 1, 12, 0, 30, 150));
    RecordFiles files(dir.path(), state, clock);

    if (rows > 0) {
        // A day of rows as the recorder writes them, one per second from midnight.
        QStringList lines = files.SecondHeader();
        for (int s = 0; s < rows; ++s) {
            const TDateTime t = EncodeDateTime(2024, 5, 1) + s / 86400.0;
            lines.append(FormatDateTime(QStringLiteral("yyyy/mm/dd hh:nn:ss"), t) +
                         QStringLiteral(",0.512,23.45,48.123,24.10,1.20,0.70,-0.31,21.40,22.95,9.87,12.34,15.55,"));
        }
        QDir().mkpath(files.RecordFolder());
        QFile file(files.SecondRecordPath(clock.Now()));
        if (!file.open(QIODevice::WriteOnly) || file.write(Cp932Lines(lines)) < 0) {
            benchState.SkipWithError("cannot prepare the record file");
            return;
        }
    }
    // The first row after start-up checks a file it did not write itself once; that is not the
    // steady cost of a row.
    files.RecordSecond();

    for (auto _ : benchState)
        files.RecordSecond();
    benchState.counters["file_MB"] = static_cast<double>(QFileInfo(files.SecondRecordPath(clock.Now())).size()) / 1e6;
}

void BM_FirstRowIntoExistingFile(benchmark::State& benchState)
{
    const int rows = static_cast<int>(benchState.range(0));
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/qemra-bench-XXXXXX"));
    QStringList lines{QStringLiteral("COM7,header,"), QStringLiteral("units,")};
    for (int s = 0; s < rows; ++s)
        lines.append(QStringLiteral(
            "2024/05/01 00:00:00,0.512,23.45,48.123,24.10,1.20,0.70,-0.31,21.40,22.95,9.87,12.34,15.55,"));
    const QByteArray bytes = Cp932Lines(lines);
    const QString path = dir.filePath(QStringLiteral("f.csv"));
    for (auto _ : benchState) {
        benchState.PauseTiming();
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) < 0) {
            benchState.SkipWithError("cannot prepare the record file");
            return;
        }
        file.close();
        RecordFileAppender appender;  // knows nothing of the file yet
        benchState.ResumeTiming();
        appender.AddLines(path, {}, {QStringLiteral("2024/05/01 12:00:30,1,")});
    }
}

}  // namespace

BENCHMARK(BM_RecordSecond)->Arg(0)->Arg(86400)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FirstRowIntoExistingFile)->Arg(86400)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
