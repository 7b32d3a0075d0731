#include "recording/RecordFiles.h"

#include "common/Cp932File.h"
#include "common/FileIo.h"
#include "common/FileReplace.h"
#include "common/FloatText.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qemra {

namespace {

// The file's text as a line list reads it: CR LF, a lone CR or a lone LF ends a line, and a line
// end at the very end of the text adds no empty line.
QStringList SplitLines(const QString& text)
{
    QStringList lines;
    const qsizetype n = text.size();
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n') {
            ++i;
            continue;
        }
        lines.append(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            ++i;
        start = ++i;
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

// The bytes the file would hold after being read as lines and written back as CP932 lines.
QByteArray ReadBack(const QByteArray& bytes)
{
    const QStringList lines = SplitLines(FromCp932(bytes));
    if (lines.isEmpty())
        return {};
    // One conversion for the whole text: the line ends are plain ASCII either way.
    return ToCp932(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}

bool HasLineBreak(const QStringList& lines)
{
    for (const QString& line : lines)
        if (line.contains(u'\r') || line.contains(u'\n'))
            return true;
    return false;
}

bool EndsWithLineEnd(const QByteArray& bytes) { return bytes.endsWith('\n') || bytes.endsWith('\r'); }

// The last byte of the file, enough to tell whether it ends with a line end.
bool ReadTail(int fd, qint64 size, QByteArray& out)
{
    out.resize(1);
    ssize_t got = 0;
    do {
        got = ::pread(fd, out.data(), 1, size - 1);
    } while (got < 0 && errno == EINTR);
    out.resize(got > 0 ? 1 : 0);
    return got >= 0;
}

}  // namespace

bool RecordFileAppender::IdentityOf(int fd, Identity& identity)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    identity = {std::uint64_t(info.st_dev), std::uint64_t(info.st_ino), std::int64_t(info.st_size),
                std::int64_t(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
    return true;
}

bool RecordFileAppender::AddLines(const QString& path, const QStringList& headerIfNew, const QStringList& lines)
{
    const QByteArray name = QFile::encodeName(path);
    const bool clean = !HasLineBreak(headerIfNew) && !HasLineBreak(lines);
    lastError_.clear();
    // Two rounds: another program may create the file between the two attempts.
    for (int round = 0; round < 2; ++round) {
        const int fd = Io().Open(name, O_RDWR | O_APPEND, 0);
        if (fd >= 0)
            return AppendTo(path, fd, lines, clean);
        if (errno != ENOENT) {
            lastError_ = qt_error_string(errno);
            return false;  // there but not usable: never replaced
        }
        switch (CreateFileWith(path, Cp932Lines(headerIfNew + lines), Io())) {
        case CreateResult::Created:
            if (const int created = ::open(name.constData(), O_RDONLY | O_CLOEXEC); created >= 0) {
                Remember(path, created, clean);
                ::close(created);
            }
            return true;
        case CreateResult::Failed:
            lastError_ = qt_error_string(errno);
            return false;  // nothing was made, so the next row starts the file with its header
        case CreateResult::AlreadyThere:
            break;
        }
    }
    lastError_ = qt_error_string(EEXIST);
    return false;
}

bool RecordFileAppender::AppendTo(const QString& path, int fd, const QStringList& lines, bool clean)
{
    Identity before;
    if (!IdentityOf(fd, before)) {
        lastError_ = QStringLiteral("not a regular file");
        ::close(fd);
        return false;
    }
    QByteArray prefix;
    const auto known = known_.find(path);
    if (before.size > 0 && (known == known_.end() || !(known->second == before))) {
        // Not as this writer left it: look at the whole file once, or only at its end where it
        // could not be rewritten before.
        const bool appendOnly = appendOnly_.count(path) > 0;
        QByteArray existing;
        if (!(appendOnly ? ReadTail(fd, before.size, existing) : ReadFileRange(fd, 0, before.size, existing))) {
            lastError_ = qt_error_string(errno);
            ::close(fd);
            return false;
        }
        const QByteArray readBack = appendOnly ? QByteArray() : ReadBack(existing);
        if (appendOnly || !readBack.startsWith(existing)) {
            if (!appendOnly && Rewrite(path, readBack + Cp932Lines(lines))) {
                ::close(fd);
                if (!clean)
                    known_.erase(path);
                return true;
            }
            // Kept as it is: the rows go after it, each on a line of its own.
            if (appendOnly_.size() > 8)
                appendOnly_.clear();
            appendOnly_.insert(path);
            if (!EndsWithLineEnd(existing))
                prefix = "\r\n";
        } else {
            prefix = readBack.mid(existing.size());  // at most the missing end of the last line
        }
    }
    if (!Io().WriteAll(fd, prefix + Cp932Lines(lines))) {
        lastError_ = qt_error_string(errno);
        // Cut back to where the file ended, so no half row stays behind.
        int cut = 0;
        do {
            cut = ::ftruncate(fd, before.size);
        } while (cut != 0 && errno == EINTR);
        ::close(fd);
        known_.erase(path);
        return false;
    }
    Remember(path, fd, clean);
    ::close(fd);
    return true;
}

bool RecordFileAppender::Rewrite(const QString& path, const QByteArray& text)
{
    // Through a temporary file renamed over the old one: until then the old file stays whole.
    if (!ReplaceFile(path, text, Io()))
        return false;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        Remember(path, fd, true);
        ::close(fd);
    }
    return true;
}

void RecordFileAppender::Remember(const QString& path, int fd, bool clean)
{
    Identity after;
    if (!clean || !IdentityOf(fd, after)) {
        known_.erase(path);
        return;
    }
    if (known_.size() > 8)  // only today's files matter
        known_.clear();
    known_[path] = after;
}

namespace {

struct SecondColumn {
    const char* format;
    float TMesData::*field;
};

// Humidity carries one decimal more here than on screen.
constexpr SecondColumn kSecondColumns[] = {
    {"%1.3f,", &TMesData::M01}, {"%1.2f,", &TMesData::M11}, {"%1.3f,", &TMesData::M12}, {"%1.2f,", &TMesData::M04},
    {"%1.2f,", &TMesData::M55}, {"%1.2f,", &TMesData::H51}, {"%1.2f,", &TMesData::M53}, {"%1.2f,", &TMesData::M51},
    {"%1.2f,", &TMesData::M52}, {"%1.2f,", &TMesData::M21}, {"%1.2f,", &TMesData::M22}, {"%1.2f,", &TMesData::M23},
};

}  // namespace

RecordFiles::RecordFiles(QString baseFolder, SharedState& state, const Clock& clock)
    : RecordFiles(std::move(baseFolder), state, clock, nullptr)
{
}

RecordFiles::RecordFiles(QString baseFolder, SharedState& state, const Clock& clock,
                         std::unique_ptr<RecordFileWriter> writer, QChar decimalSeparator)
    : folder_(std::move(baseFolder)), state_(state), clock_(clock), writer_(std::move(writer)),
      decimalSeparator_(decimalSeparator)
{
    if (!folder_.isEmpty() && !folder_.endsWith(u'/'))
        folder_ += u'/';
    folder_ += QStringLiteral("Record/");
    if (!writer_)
        writer_ = std::make_unique<RecordFileAppender>();
}

QString RecordFiles::RecordFolder() const { return folder_; }

QString RecordFiles::SecondRecordPath(TDateTime now) const
{
    // Ports here are device paths ("/dev/ttyUSB0"); the file takes the last part of the name, as it
    // took "COM7", while the header keeps the name as it stands.
    const QString port = state_.MySts.PortName.section(u'/', -1);
    return folder_ + QStringLiteral("RT_") + port + u'_' + FormatDateTime(QStringLiteral("yyyymmdd"), now) +
           QStringLiteral(".csv");
}

QString RecordFiles::MinuteRecordPath(TDateTime now) const
{
    return folder_ + QStringLiteral("RT_") + FormatDateTime(QStringLiteral("yyyymmdd"), now) + QStringLiteral(".RCD");
}

QStringList RecordFiles::SecondHeader() const
{
    return {state_.MySts.PortName +
                QStringLiteral(",風速,気温,湿度,輻射熱,METs,clo,PMV,WBGTo,WBGTi,絶対湿度,露点温度,湿球温度,"),
            QStringLiteral("時刻,m/s.,℃,％,℃,,,,℃,℃,g/kg,℃,℃,")};
}

int RecordFiles::SecondOfMinute(TDateTime value) { return SecondOfDay(value) % 60; }

std::int64_t RecordFiles::MinuteNumber(TDateTime value)
{
    return static_cast<std::int64_t>(std::floor(value)) * 1440 + SecondOfDay(value) / 60;
}

void RecordFiles::CloseMinute()
{
    // The samples gathered so far belong to the row of the next writing window (seconds 6 to 8):
    // this minute's when it is still ahead, else the next minute's.
    const TDateTime now = clock_.Now();
    const int second = SecondOfMinute(now);
    const bool windowAhead = second < 6 || (second <= 8 && !minuteLatch_);
    closedMinute_ = MinuteNumber(now) + (windowAhead ? 0 : 1);
}

void RecordFiles::RecordSecond()
{
    const TDateTime now = clock_.Now();
    const int second = SecondOfMinute(now);
    if (closedMinute_) {
        // The closed minute's writing window went by unseen: its samples go nowhere else.
        const std::int64_t minute = MinuteNumber(now);
        if (minute > *closedMinute_ || (minute == *closedMinute_ && second > 8)) {
            closedMinute_.reset();
            ResetMinuteStatistics();
        }
    }
    if (pendingMinute_ && !(second >= 6 && second <= 8 && !minuteLatch_))
        TryPendingMinuteRow();
    AccumulateMinute();
    if (state_.MySts.SecRec)
        WriteSecondRecord();
    if (second >= 6 && second <= 8) {
        if (!minuteLatch_) {
            minuteLatch_ = true;
            WriteMinuteRecord();
        }
    } else {
        minuteLatch_ = false;
    }
}

bool RecordFiles::TryPendingMinuteRow()
{
    if (!WriteRows(kMinuteKind, pendingMinute_->path, pendingMinute_->header, pendingMinute_->lines))
        return false;
    lastMinuteRowMaint_ = pendingMinute_->maint;
    pendingMinute_.reset();
    return true;
}

bool RecordFiles::WriteRows(FileKind kind, const QString& path, const QStringList& header, const QStringList& lines)
{
    Failing& failing = failing_[kind];
    if (writer_->AddLines(path, header, lines)) {
        if (failing.active) {
            failing.active = false;
            if (OnWriteEvent)
                OnWriteEvent({false, path, {}, failing.lostRows});
            failing.lostRows = 0;
        }
        return true;
    }
    if (!failing.active) {
        failing.active = true;
        failing.lostRows = 0;
        if (OnWriteEvent) {
            const QString reason = writer_->LastError();
            OnWriteEvent({true, path, reason.isEmpty() ? QStringLiteral("write failed") : reason, 0});
        }
    }
    return false;
}

void RecordFiles::CountLost(FileKind kind) { ++failing_[kind].lostRows; }

bool RecordFiles::AlreadyInFile(const QString& path, const QString& stamp)
{
    auto known = lastStampAtStart_.find(path);
    if (known == lastStampAtStart_.end()) {
        if (lastStampAtStart_.size() > 8)  // only today's files matter
            lastStampAtStart_.clear();
        QString last;
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            // The stamp is the ASCII text before the first comma of the last line.
            const qint64 size = file.size();
            constexpr qint64 kTail = 4096;
            if (file.seek(std::max<qint64>(0, size - kTail))) {
                QByteArray tail = file.read(kTail);
                while (tail.endsWith('\n') || tail.endsWith('\r'))
                    tail.chop(1);
                const qsizetype lineStart = std::max(tail.lastIndexOf('\n'), tail.lastIndexOf('\r')) + 1;
                const qsizetype comma = tail.indexOf(',', lineStart);
                if (comma > lineStart)
                    last = QString::fromLatin1(tail.mid(lineStart, comma - lineStart));
            }
        }
        known = lastStampAtStart_.emplace(path, last).first;
    }
    return !known->second.isEmpty() && known->second == stamp;
}

void RecordFiles::AccumulateMinute() { statistics_.AccumulateMinute(state_.CurMes); }

void RecordFiles::ResetMinuteStatistics() { statistics_.ResetMinuteStatistics(); }

void RecordFiles::EnsureFolder() const { QDir().mkpath(folder_); }

QString RecordFiles::Number(double value) const
{
    return GeneralFloatText(value, kRecordFileExponentBelow, decimalSeparator_);
}

void RecordFiles::WriteSecondRecord()
{
    EnsureFolder();
    const TMesData& current = state_.CurMes;
    if (!current.Measuring)
        return;
    const TDateTime now = clock_.Now();
    const QString stamp = FormatDateTime(QStringLiteral("yyyy/mm/dd hh:nn:ss"), now);
    const QString path = SecondRecordPath(now);
    if (AlreadyInFile(path, stamp))
        return;
    QString row = stamp + u',';
    for (const SecondColumn& column : kSecondColumns)
        row += FormatFloat(QString::fromLatin1(column.format), current.*column.field, decimalSeparator_);
    if (!WriteRows(kSecondKind, path, SecondHeader(), {row}))
        CountLost(kSecondKind);
}

QString RecordFiles::MinuteLabelLine() const
{
    const int groups = state_.MySts.Maint ? kMinuteQuantities : kStandardMinuteQuantities;
    QString line = QStringLiteral(",");
    for (int i = 0; i < groups; ++i)
        line += QString::fromUtf8(MinuteQuantities[i].label) + QStringLiteral(",,,");
    return line;
}

QString RecordFiles::MinuteUnitLine() const
{
    const int groups = state_.MySts.Maint ? kMinuteQuantities : kStandardMinuteQuantities;
    return QStringLiteral("時刻,") + QStringLiteral("Avg,Max,Min,").repeated(groups);
}

void RecordFiles::WriteMinuteRecord()
{
    EnsureFolder();
    const TDateTime now = clock_.Now();
    // A closed minute's row is written with what it has, measuring or not.
    const bool closing = closedMinute_ && *closedMinute_ == MinuteNumber(now);
    if (closing)
        closedMinute_.reset();
    if ((!state_.CurMes.Measuring && !closing) || statistics_.Count() == 0)
        return;
    if (pendingMinute_) {
        // The row before is still waiting: it is given up so the rows stay in their order.
        if (!TryPendingMinuteRow()) {
            pendingMinute_.reset();
            CountLost(kMinuteKind);
        }
    }
    const bool maint = state_.MySts.Maint != 0;
    const int groups = maint ? kMinuteQuantities : kStandardMinuteQuantities;
    const QString stamp = FormatDateTime(QStringLiteral("yyyy/mm/dd hh:nn"), now);
    const QString path = MinuteRecordPath(now);
    if (AlreadyInFile(path, stamp)) {
        ResetMinuteStatistics();
        return;
    }
    QString row = stamp + u',';
    for (int i = 0; i < groups; ++i) {
        const MinuteStatistics::Figures figures = statistics_.At(i);
        row += Number(figures.average) + u',' + Number(figures.maximum) + u',' + Number(figures.minimum) + u',';
    }
    const QStringList header{MinuteLabelLine(), MinuteUnitLine()};
    QStringList lines;
    if (maint != lastMinuteRowMaint_)
        lines += header;
    lines.append(row);
    const bool written = WriteRows(kMinuteKind, path, header, lines);
    ResetMinuteStatistics();
    // The mode is taken as written only once its header pair is in the file; otherwise a lost first
    // row of the new mode would leave the following rows under the other mode's header.
    if (written)
        lastMinuteRowMaint_ = maint;
    else
        pendingMinute_ = PendingRow{path, header, lines, maint};
}

}  // namespace qemra
