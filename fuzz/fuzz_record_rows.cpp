// Record files: any file content reads without harm, in blocks of any size, to its last byte;
// every row handed out has finite values and a real time.
#include "FuzzInput.h"
#include "survey/RecordFileReader.h"

#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <cstdlib>

using namespace qemra;

namespace {

const QString& FilePath()
{
    static const QTemporaryDir folder;
    static const QString path = folder.path() + QStringLiteral("/RT_COM7_20261211.csv");
    return path;
}

void CheckValues(const RecordValues& values)
{
    for (const double value : values)
        if (!std::isfinite(value))
            std::abort();
}

void CheckTime(const RecordTime& time)
{
    if (time.month < 1 || time.month > 12 || time.day < 1 || time.day > 31 || time.hour > 23 || time.minute > 59 ||
        time.second > 59)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    // Blocks from 2 bytes up, so that line ends fall on every block bound.
    const std::size_t block = 2 + input.Byte() % 200;
    const QByteArray bytes(reinterpret_cast<const char*>(input.Data()), static_cast<qsizetype>(input.Size()));
    {
        QFile file(FilePath());
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            return 0;
    }

    BlockLineReader lines(block);
    if (!lines.Open(FilePath()))
        return 0;
    BlockLineReader::Line line;
    while (lines.Next(line))
        if (line.overlong && !line.text.empty())
            std::abort();
    if (lines.ReadFailed() || lines.BytesRead() != static_cast<std::int64_t>(bytes.size()))
        std::abort();

    SecondRecordReader seconds(block);
    SecondRecordRow secondRow;
    if (!seconds.Open(FilePath()))
        return 0;
    while (seconds.Next(secondRow)) {
        CheckTime(secondRow.time);
        CheckValues(secondRow.values);
    }
    MinuteRecordReader minutes(block);
    MinuteRecordRow minuteRow;
    if (!minutes.Open(FilePath()))
        return 0;
    while (minutes.Next(minuteRow)) {
        CheckTime(minuteRow.time);
        CheckValues(minuteRow.average);
        CheckValues(minuteRow.maximum);
        CheckValues(minuteRow.minimum);
    }
    return 0;
}
