#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <cstdio>

namespace qemra {

// The unattended recorder's log: one line per event on standard error. Under the journal (systemd
// connects standard error to it and says so in JOURNAL_STREAM) each line starts with its syslog
// priority and carries no time of its own, as the journal stamps it; elsewhere, a terminal or a
// file, each line starts with the local time.
class ServiceLog {
public:
    enum class Priority { Error = 3, Warning = 4, Info = 6 };

    // Writes to `stream`; `journalStream` is the value of JOURNAL_STREAM ("device:inode"), empty
    // when unset.
    ServiceLog(std::FILE* stream, const QByteArray& journalStream);
    // Standard error and the environment.
    ServiceLog();

    // True when the descriptor is the journal stream named ("device:inode" of the descriptor's file).
    static bool IsJournal(int fd, const QByteArray& journalStream);
    // The priority of an event line of the acquisition core or the publisher: a broker that
    // refuses or settings that cannot be used are errors, a lost port or broker a warning.
    static Priority PriorityOf(const QString& eventLine);

    bool Journal() const { return journal_; }
    // The line as written, with its newline.
    QByteArray Format(Priority priority, const QString& line, const QDateTime& now) const;
    void Write(Priority priority, const QString& line);
    void Event(const QString& eventLine) { Write(PriorityOf(eventLine), eventLine); }

private:
    std::FILE* stream_;
    bool journal_;
};

}  // namespace qemra
