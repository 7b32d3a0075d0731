#pragma once

#include "acquisition/SharedState.h"
#include "common/DateTime.h"
#include "common/FileIo.h"
#include "common/NumberText.h"
#include "recording/MinuteStatistics.h"

#include <QChar>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>

namespace qemra {

// Adds lines to a daily record file (CP932, CR LF). The file must end up as if it had been read
// as lines and written back whole with the new lines added: `headerIfNew` starts a file that does
// not exist yet. False when the lines did not reach the file.
class RecordFileWriter {
public:
    virtual ~RecordFileWriter() = default;
    virtual bool AddLines(const QString& path, const QStringList& headerIfNew, const QStringList& lines) = 0;
    // Why the last AddLines that returned false failed ("No space left on device"); empty if unknown.
    virtual QString LastError() const { return {}; }
};

// The writer of the program: appends instead of rewriting, so a crash, a full disk or a write error
// can cost at most the row being written, and a row costs the same at the end of the day as at its
// start.
//  - A missing file comes into existence with its header and first rows already in it (written
//    beside it and linked into place), so no crash leaves it empty; an empty one gets no header.
//  - A file that exists but cannot be opened (no permission, a folder of that name) is left alone.
//  - A file not last written here is checked once: a last line without line ending gets one first;
//    a file whose text would not survive being read and written back as CP932 lines (bare CR or LF
//    line ends, byte sequences CP932 reads differently) is replaced as a whole, through a temporary
//    file, by that written-back text. Where that cannot be done (a folder that takes no new files,
//    a full disk) the file is kept as it is and the rows are appended to it, which a reader of
//    lines sees the same; it is not tried again for that file.
//  - A failed append is cut off again, so the rows already there stay as they were.
class RecordFileAppender final : public RecordFileWriter {
public:
    RecordFileAppender() = default;
    // Writes through `io`, which must outlive this object.
    explicit RecordFileAppender(FileIo& io) : io_(&io) {}

    bool AddLines(const QString& path, const QStringList& headerIfNew, const QStringList& lines) override;
    QString LastError() const override { return lastError_; }

private:
    // What a file looked like right after this writer left it in its final form.
    struct Identity {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::int64_t size = 0;
        std::int64_t modifiedNs = 0;
        bool operator==(const Identity&) const = default;
    };

    static bool IdentityOf(int fd, Identity& identity);  // false unless a regular file
    FileIo& Io() { return io_ ? *io_ : systemIo_; }
    bool AppendTo(const QString& path, int fd, const QStringList& lines, bool clean);
    bool Rewrite(const QString& path, const QByteArray& text);
    // `clean`: the lines added hold no line break of their own, so the file is as read back.
    void Remember(const QString& path, int fd, bool clean);

    FileIo systemIo_;
    FileIo* io_ = nullptr;
    std::map<QString, Identity> known_;
    std::set<QString> appendOnly_;  // files whose rewrite failed: rows are only appended
    QString lastError_;
};

// A change in whether rows reach one kind of record file (second or minute): said once when rows
// first fail and once when they are written again, never once per row.
struct RecordWriteEvent {
    bool failing = false;  // true: rows stopped reaching `path`; false: they reach it again
    QString path;
    QString reason;       // failing only: why the row could not be written
    qint64 lostRows = 0;  // written again only: rows that never reached the file meanwhile
};

// The daily record files in the folder "Record": one row per second into the second record file
// while second recording is on, one row per minute with the minute statistics into the minute record
// file. Runs once per new wall-clock second from the monitor window.
class RecordFiles {
public:
    RecordFiles(QString baseFolder, SharedState& state, const Clock& clock);
    // With another writer (tests compare writers) and a fixed decimal separator.
    RecordFiles(QString baseFolder, SharedState& state, const Clock& clock, std::unique_ptr<RecordFileWriter> writer,
                QChar decimalSeparator = kDecimalPoint);

    void RecordSecond();
    // The port went away: the samples of the minute in progress are closed. Its row is written at
    // its usual time with the samples it has (nothing when it has none), even if nothing is measured
    // then, and no sample of it passes into a later minute's row.
    void CloseMinute();
    // Where writing failures and recoveries are reported (the core's log, the status bar).
    std::function<void(const RecordWriteEvent&)> OnWriteEvent;
    // Rows are failing to reach one of the files at present.
    bool WriteFailing() const { return failing_[0].active || failing_[1].active; }
    void AccumulateMinute();
    void WriteSecondRecord();
    void WriteMinuteRecord();
    QString MinuteLabelLine() const;
    QString MinuteUnitLine() const;
    void ResetMinuteStatistics();

    QString RecordFolder() const;  // ends with "/"
    QString SecondRecordPath(TDateTime now) const;
    QString MinuteRecordPath(TDateTime now) const;
    QStringList SecondHeader() const;
    const MinuteStatistics& Statistics() const { return statistics_; }
    bool MinuteLatch() const { return minuteLatch_; }
    bool LastMinuteRowMaint() const { return lastMinuteRowMaint_; }

    // The second within the minute of a date-time, from its time of day rounded to the millisecond
    // as the time stamps are, so both always agree.
    static int SecondOfMinute(TDateTime value);

private:
    enum FileKind { kSecondKind = 0, kMinuteKind = 1 };
    struct Failing {
        bool active = false;
        qint64 lostRows = 0;
    };
    // A minute row that could not be written: tried again each second until the next minute row.
    struct PendingRow {
        QString path;
        QStringList header, lines;
        bool maint = false;
    };

    void EnsureFolder() const;
    QString Number(double value) const;
    bool WriteRows(FileKind kind, const QString& path, const QStringList& header, const QStringList& lines);
    void CountLost(FileKind kind);
    bool TryPendingMinuteRow();
    // The row stamped `stamp` is the last row the file held when this program first came to it (a
    // restart within the same second or minute): it is not written twice.
    bool AlreadyInFile(const QString& path, const QString& stamp);
    // Whole minutes since the epoch day, for telling minutes apart.
    static std::int64_t MinuteNumber(TDateTime value);

    QString folder_;
    SharedState& state_;
    const Clock& clock_;
    std::unique_ptr<RecordFileWriter> writer_;
    QChar decimalSeparator_;
    MinuteStatistics statistics_;
    bool minuteLatch_ = false;
    bool lastMinuteRowMaint_ = false;
    Failing failing_[2];
    std::optional<PendingRow> pendingMinute_;
    std::map<QString, QString> lastStampAtStart_;  // per file: its last row's stamp when first seen
    // The minute whose row the closed samples go into, after CloseMinute().
    std::optional<std::int64_t> closedMinute_;
};

}  // namespace qemra
