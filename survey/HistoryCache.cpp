#include "survey/HistoryCache.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <bit>
#include <sys/stat.h>
#include <type_traits>

namespace qemra {

namespace {

constexpr quint32 kMagic = 0x51484331;  // "QHC1"
// A checksum against damage, not against intent: the fast one of the strong kind.
constexpr auto kChecksum = QCryptographicHash::Blake2b_256;
constexpr qsizetype kChecksumBytes = 32;
// Larger than any day's reduction: a second every second of a day, one row a block.
constexpr qint64 kLargestFile = qint64{1} << 30;

QString AbsolutePath(const QString& path) { return QFileInfo(path).absoluteFilePath(); }

// The type a value goes through the stream as: std::int64_t is not qint64 on every platform, and
// a float goes as its bits, the stream's own precision being the doubles'.
template <class T>
using Streamed = std::conditional_t<std::is_same_v<T, std::int64_t>, qint64,
                                    std::conditional_t<std::is_same_v<T, float>, quint32, T>>;

template <class T>
Streamed<T> ToStream(T value)
{
    if constexpr (std::is_same_v<T, float>)
        return std::bit_cast<quint32>(value);
    else
        return static_cast<Streamed<T>>(value);
}

template <class T>
T FromStream(Streamed<T> value)
{
    if constexpr (std::is_same_v<T, float>)
        return std::bit_cast<float>(value);
    else
        return static_cast<T>(value);
}

// On a little-endian machine (the stream's order) a vector goes as its bytes in one piece.
template <class T>
constexpr bool kRawVector = std::endian::native == std::endian::little && sizeof(T) == sizeof(Streamed<T>);

template <class T>
void WriteVector(QDataStream& out, const std::vector<T>& values)
{
    out << static_cast<quint64>(values.size());
    if constexpr (kRawVector<T>) {
        out.writeRawData(reinterpret_cast<const char*>(values.data()), static_cast<int>(values.size() * sizeof(T)));
    } else {
        for (const T& value : values)
            out << ToStream(value);
    }
}

template <class T>
bool ReadVector(QDataStream& in, std::vector<T>& values, quint64 limit)
{
    quint64 size = 0;
    in >> size;
    if (in.status() != QDataStream::Ok || size > limit / sizeof(Streamed<T>))
        return false;
    values.resize(static_cast<std::size_t>(size));
    if constexpr (kRawVector<T>) {
        const auto bytes = static_cast<int>(values.size() * sizeof(T));
        return in.readRawData(reinterpret_cast<char*>(values.data()), bytes) == bytes;
    } else {
        for (T& value : values) {
            Streamed<T> read{};
            in >> read;
            value = FromStream<T>(read);
        }
        return in.status() == QDataStream::Ok;
    }
}

void WriteTime(QDataStream& out, const std::optional<RecordTime>& time)
{
    out << time.has_value();
    const RecordTime t = time.value_or(RecordTime{});
    out << qint32(t.year) << qint32(t.month) << qint32(t.day) << qint32(t.hour) << qint32(t.minute) << qint32(t.second);
}

void ReadTime(QDataStream& in, std::optional<RecordTime>& time)
{
    bool has = false;
    qint32 parts[6] = {};
    in >> has;
    for (qint32& part : parts)
        in >> part;
    time.reset();
    if (has)
        time = RecordTime{parts[0], parts[1], parts[2], parts[3], parts[4], parts[5]};
}

void WriteFigures(QDataStream& out, const HistoryFigures& f)
{
    out << qint64(f.seconds) << qint64(f.skippedRows);
    WriteTime(out, f.first);
    WriteTime(out, f.last);
    for (std::size_t i = 0; i < f.minimum.size(); ++i)
        out << f.minimum[i] << f.maximum[i] << f.weightedSum[i];
    for (const std::int64_t s : f.pmvSeconds)
        out << qint64(s);
    for (const std::int64_t s : f.wbgtSeconds)
        out << qint64(s);
}

void ReadFigures(QDataStream& in, HistoryFigures& f)
{
    qint64 seconds = 0;
    qint64 skipped = 0;
    in >> seconds >> skipped;
    f.seconds = seconds;
    f.skippedRows = skipped;
    ReadTime(in, f.first);
    ReadTime(in, f.last);
    for (std::size_t i = 0; i < f.minimum.size(); ++i)
        in >> f.minimum[i] >> f.maximum[i] >> f.weightedSum[i];
    for (std::int64_t& s : f.pmvSeconds) {
        qint64 v = 0;
        in >> v;
        s = v;
    }
    for (std::int64_t& s : f.wbgtSeconds) {
        qint64 v = 0;
        in >> v;
        s = v;
    }
}

std::vector<qint32> SeriesCodes(const std::vector<HistorySeries>& series)
{
    std::vector<qint32> codes;
    for (const HistorySeries& one : series)
        codes.push_back(one.Code());
    return codes;
}

void Prepare(QDataStream& stream)
{
    stream.setVersion(QDataStream::Qt_6_0);
    stream.setByteOrder(QDataStream::LittleEndian);
    stream.setFloatingPointPrecision(QDataStream::DoublePrecision);
}

}  // namespace

HistoryCache::HistoryCache(QString folder) : folder_(std::move(folder)) {}

QString HistoryCache::FileFor(const QString& recordFile, bool minutes) const
{
    if (folder_.isEmpty())
        return {};
    const QByteArray key = QFile::encodeName(AbsolutePath(recordFile)) + (minutes ? "\nminutes" : "\nseconds");
    const QByteArray name = QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex();
    return QDir(folder_).filePath(QString::fromLatin1(name) + QStringLiteral(".hday"));
}

std::optional<HistoryCache::Stamp> HistoryCache::StampOf(const QString& recordFile)
{
    struct stat info {};
    if (::stat(QFile::encodeName(recordFile).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return Stamp{static_cast<qint64>(info.st_size),
                 static_cast<qint64>(info.st_mtim.tv_sec) * 1000000000 + static_cast<qint64>(info.st_mtim.tv_nsec)};
}

bool HistoryCache::Store(const QString& recordFile, bool minutes, const std::vector<HistorySeries>& series,
                         const Stamp& before, const HistoryDayReduction& day) const
{
    if (folder_.isEmpty() || StampOf(recordFile) != before || !QDir().mkpath(folder_))
        return false;
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        Prepare(out);
        out << kMagic << kVersion << AbsolutePath(recordFile) << minutes << qint64(before.size)
            << qint64(before.modifiedNs);
        WriteVector(out, SeriesCodes(series));
        WriteVector(out, day.offsets);
        WriteVector(out, day.firsts);
        WriteVector(out, day.spans);
        WriteVector(out, day.counts);
        WriteVector(out, day.minimum);
        WriteVector(out, day.maximum);
        WriteFigures(out, day.figures);
    }
    bytes += QCryptographicHash::hash(bytes, kChecksum);
    QSaveFile file(FileFor(recordFile, minutes));
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

std::optional<HistoryDayReduction> HistoryCache::Load(const QString& recordFile, bool minutes,
                                                      const std::vector<HistorySeries>& series) const
{
    if (folder_.isEmpty())
        return std::nullopt;
    const std::optional<Stamp> now = StampOf(recordFile);
    if (!now)
        return std::nullopt;
    QFile file(FileFor(recordFile, minutes));
    if (!file.open(QIODevice::ReadOnly) || file.size() > kLargestFile || file.size() < kChecksumBytes)
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (bytes.size() != file.size())
        return std::nullopt;
    const QByteArrayView body(bytes.constData(), bytes.size() - kChecksumBytes);
    if (QCryptographicHash::hash(body, kChecksum) != bytes.right(kChecksumBytes))
        return std::nullopt;

    QByteArray content = bytes.left(bytes.size() - kChecksumBytes);
    QDataStream in(content);
    Prepare(in);
    quint32 magic = 0;
    quint32 version = 0;
    QString path;
    bool storedMinutes = false;
    qint64 size = -1;
    qint64 modified = -1;
    in >> magic >> version;
    if (magic != kMagic || version != kVersion)
        return std::nullopt;
    in >> path >> storedMinutes >> size >> modified;
    if (in.status() != QDataStream::Ok || path != AbsolutePath(recordFile) || storedMinutes != minutes ||
        Stamp{size, modified} != *now)
        return std::nullopt;
    const auto limit = static_cast<quint64>(content.size());  // bytes: no vector can hold more
    std::vector<qint32> codes;
    HistoryDayReduction day;
    if (!ReadVector(in, codes, limit) || codes != SeriesCodes(series) || !ReadVector(in, day.offsets, limit) ||
        !ReadVector(in, day.firsts, limit) || !ReadVector(in, day.spans, limit) || !ReadVector(in, day.counts, limit) ||
        !ReadVector(in, day.minimum, limit) || !ReadVector(in, day.maximum, limit))
        return std::nullopt;
    ReadFigures(in, day.figures);
    if (in.status() != QDataStream::Ok || !in.atEnd() || !day.Consistent(series.size()))
        return std::nullopt;
    return day;
}

}  // namespace qemra
