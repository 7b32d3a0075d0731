#include "publish/MinuteRows.h"

#include "common/FileIo.h"

#include <QDate>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qemra {

namespace {

// "yyyy/mm/dd hh:nn," as the minute rows are stamped.
constexpr qsizetype kStampLength = 17;

bool Digits(QByteArrayView text, qsizetype from, qsizetype count, int& value)
{
    value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

}  // namespace

std::optional<TDateTime> MinuteRowTime(QByteArrayView line)
{
    if (line.size() < kStampLength || line[4] != '/' || line[7] != '/' || line[10] != ' ' || line[13] != ':' ||
        line[16] != ',')
        return std::nullopt;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
    if (!Digits(line, 0, 4, year) || !Digits(line, 5, 2, month) || !Digits(line, 8, 2, day) ||
        !Digits(line, 11, 2, hour) || !Digits(line, 14, 2, minute))
        return std::nullopt;
    if (!QDate::isValid(year, month, day) || hour > 23 || minute > 59)
        return std::nullopt;
    return EncodeDateTime(year, month, day, hour, minute);
}

MinuteRowReader::MinuteRowReader(QString recordFolder) : folder_(std::move(recordFolder))
{
    if (!folder_.isEmpty() && !folder_.endsWith(u'/'))
        folder_ += u'/';
}

QString MinuteRowReader::FilePath(TDateTime day) const
{
    return folder_ + QStringLiteral("RT_") + FormatDateTime(QStringLiteral("yyyymmdd"), day) + QStringLiteral(".RCD");
}

std::vector<MinuteRow> MinuteRowReader::NextRows(TDateTime after, TDateTime now)
{
    const TDateTime oldest = now - kDaysBack;
    const TDateTime from = std::max(after, oldest);
    // Day files are named by the date of writing; a row stamped 23:59 of one day lies in that day's file.
    for (double day = std::floor(from); day <= std::floor(now); day += 1) {
        std::vector<MinuteRow> rows = RowsOfFile(FilePath(day), after, oldest);
        if (!rows.empty())
            return rows;
    }
    return {};
}

std::vector<MinuteRow> MinuteRowReader::RowsOfFile(const QString& path, TDateTime after, TDateTime oldest)
{
    std::vector<MinuteRow> rows;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return rows;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return rows;
    }
    const FileIdentity identity{std::uint64_t(info.st_dev), std::uint64_t(info.st_ino)};
    // Rows are only ever appended; a file replaced or cut shorter is read again from its start.
    Cursor cursor{identity, 0, std::nullopt, false};
    if (const auto known = cursors_.find(path); known != cursors_.end()) {
        const Cursor& last = known->second;
        if (last.identity == identity && last.offset <= info.st_size && (!last.latest || *last.latest <= after))
            cursor = last;
    }

    QByteArray line;  // the line being gathered, from `lineStart` on
    qint64 lineStart = cursor.offset;
    qint64 position = cursor.offset;
    bool full = false;
    QByteArray block;
    while (!full && position < info.st_size) {
        if (!ReadFileRange(fd, position, std::min<qint64>(position + kBlock, info.st_size), block) || block.isEmpty())
            break;
        const qint64 blockStart = position;
        position += block.size();
        qsizetype from = 0;
        while (!full) {
            const qsizetype lf = block.indexOf('\n', from);
            if (lf < 0) {
                if (!cursor.skipping) {
                    line.append(block.constData() + from, block.size() - from);
                    if (line.size() > kLongestLine) {
                        cursor.skipping = true;
                        line.clear();
                    }
                }
                break;
            }
            if (cursor.skipping) {
                cursor.skipping = false;
            } else {
                line.append(block.constData() + from, lf - from);
                if (line.endsWith('\r'))
                    line.chop(1);
                if (const std::optional<TDateTime> time = MinuteRowTime(line)) {
                    cursor.latest = std::max(cursor.latest.value_or(*time), *time);
                    if (*time > after && *time >= oldest) {
                        rows.push_back({*time, line});
                        full = rows.size() >= kMostRows;
                    }
                }
            }
            line.clear();
            from = lf + 1;
            lineStart = blockStart + from;
        }
    }
    ::close(fd);
    // Within an overlong line the reading goes on where it stopped; else from the line not yet whole.
    cursor.offset = cursor.skipping ? position : lineStart;
    if (cursors_.size() > std::size_t{2} * kDaysBack)
        cursors_.clear();
    cursors_[path] = cursor;
    return rows;
}

}  // namespace qemra
