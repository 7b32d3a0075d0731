#include "app/ServiceLog.h"

#include <QList>
#include <QtGlobal>

#include <sys/stat.h>

namespace qemra {

ServiceLog::ServiceLog(std::FILE* stream, const QByteArray& journalStream)
    : stream_(stream), journal_(IsJournal(fileno(stream), journalStream))
{
}

ServiceLog::ServiceLog() : ServiceLog(stderr, qgetenv("JOURNAL_STREAM")) {}

bool ServiceLog::IsJournal(int fd, const QByteArray& journalStream)
{
    // A child that inherited the variable but writes elsewhere must not mark its lines.
    const QList<QByteArray> parts = journalStream.split(':');
    if (parts.size() != 2)
        return false;
    bool deviceOk = false;
    bool inodeOk = false;
    const qulonglong device = parts[0].toULongLong(&deviceOk);
    const qulonglong inode = parts[1].toULongLong(&inodeOk);
    struct stat status {};
    if (!deviceOk || !inodeOk || ::fstat(fd, &status) != 0)
        return false;
    return static_cast<qulonglong>(status.st_dev) == device && static_cast<qulonglong>(status.st_ino) == inode;
}

ServiceLog::Priority ServiceLog::PriorityOf(const QString& eventLine)
{
    struct Start {
        const char* text;
        Priority priority;
    };
    static constexpr Start kStarts[] = {
        {"MQTT: cannot connect", Priority::Error},
        {"MQTT: settings error", Priority::Error},
        {"MQTT: disconnected", Priority::Warning},
        {"MQTT: publishing off", Priority::Error},
        {"port lost: ", Priority::Warning},
        {"cannot write rows", Priority::Error},
    };
    for (const Start& start : kStarts)
        if (eventLine.startsWith(QLatin1String(start.text)))
            return start.priority;
    // A refused message names the broker first ("MQTT: host:1883 refused a message: ...").
    if (eventLine.startsWith(QLatin1String("MQTT: ")) && eventLine.contains(QLatin1String(" refused a message")))
        return Priority::Error;
    return Priority::Info;
}

QByteArray ServiceLog::Format(Priority priority, const QString& line, const QDateTime& now) const
{
    // A line break inside would start a line of its own, without a priority.
    const QByteArray text = QString(line).replace(u'\n', u' ').toLocal8Bit();
    if (journal_)
        return '<' + QByteArray::number(static_cast<int>(priority)) + ">qemra-monitor: " + text + '\n';
    return now.toString(Qt::ISODate).toLocal8Bit() + " qemra-monitor: " + text + '\n';
}

void ServiceLog::Write(Priority priority, const QString& line)
{
    const QByteArray bytes = Format(priority, line, QDateTime::currentDateTime());
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream_);
    std::fflush(stream_);
}

}  // namespace qemra
