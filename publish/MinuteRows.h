#pragma once

#include "common/DateTime.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace qemra {

// One data row of a minute record file: its time (the row's minute, seconds 00) and its text as it
// stands in the file, without the line end.
struct MinuteRow {
    TDateTime Time = 0;
    QByteArray Text;
};

// The time of a data row ("yyyy/mm/dd hh:nn," followed by the figures); nothing for the header lines
// and anything else.
std::optional<TDateTime> MinuteRowTime(QByteArrayView line);

// Reads the minute rows that are not published yet from the daily minute record files
// ("RT_yyyymmdd.RCD") in the record folder. The files are the buffer: nothing is kept but the rows
// of the one day being worked through, and where the last read of today's file ended, so a new row
// costs the reading of that row only.
class MinuteRowReader {
public:
    // How far back rows are looked for.
    static constexpr int kDaysBack = 7;
    // The files are read in blocks of this size; a line longer than kLongestLine is no row and is
    // passed over, so a damaged file costs bounded memory and is read once.
    static constexpr qint64 kBlock = 64 * 1024;
    static constexpr qsizetype kLongestLine = 64 * 1024;
    // Rows handed back by one call at most; the next call reads on.
    static constexpr std::size_t kMostRows = 4096;

    explicit MinuteRowReader(QString recordFolder);

    // The rows later than `after` and at most seven days older than `now`, from the oldest day file
    // that holds any, in the order of the file (at most kMostRows); empty when there are none. A
    // last line without its line end is still being written and is left for the next call.
    std::vector<MinuteRow> NextRows(TDateTime after, TDateTime now);

    QString FilePath(TDateTime day) const;

private:
    struct FileIdentity {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        bool operator==(const FileIdentity&) const = default;
    };
    // How far a file has been read: every row before `offset` is no later than `latest`, so a call
    // for rows after `latest` or later reads on from there. Within an overlong line (`skipping`)
    // the reading goes on looking for its end.
    struct Cursor {
        FileIdentity identity;
        qint64 offset = 0;
        std::optional<TDateTime> latest;
        bool skipping = false;
    };

    std::vector<MinuteRow> RowsOfFile(const QString& path, TDateTime after, TDateTime oldest);

    QString folder_;
    std::map<QString, Cursor> cursors_;
};

}  // namespace qemra
