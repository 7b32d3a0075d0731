#include "app/Headless.h"

#include "app/EndSignals.h"
#include "app/ServiceLog.h"
#include "app/ServiceNotifier.h"
#include "common/AppFolder.h"
#include "common/DateTime.h"
#include "common/Prompts.h"
#include "core/AcquisitionCore.h"
#include "publish/SecretFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QLockFile>
#include <QStringList>

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace qemra {

namespace {

// Nobody answers a box here: each message becomes a log line and every file dialog is cancelled.
class LogPrompts final : public Prompts {
public:
    explicit LogPrompts(ServiceLog& log) : log_(log) {}

    void Message(Kind kind, const QString& text) override
    {
        if (kind == Kind::Information)
            log_.Write(ServiceLog::Priority::Info, QStringLiteral("note: ") + text);
        else
            log_.Write(ServiceLog::Priority::Error, QStringLiteral("error: ") + text);
    }
    QString OpenFileName(const FileDialogOptions&) override { return {}; }
    QString SaveFileName(const FileDialogOptions&) override { return {}; }

private:
    ServiceLog& log_;
};

// Why the lock file cannot be made, in the system's words ("Read-only file system").
QString LockFileError(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    const bool existed = ::access(name.constData(), F_OK) == 0;
    const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return qt_error_string(errno);
    ::close(fd);
    if (!existed)
        ::unlink(name.constData());
    return QStringLiteral("the lock file cannot be written");
}

// The first failed opening in words that name what to mend: the settings file, its key, or the port.
QString WhyPortDidNotOpen(AcquisitionCore& core)
{
    const QString settings = QDir::toNativeSeparators(core.Link().PortSettingsPath());
    const QString port = core.Link().ComPortM().Port();
    if (!QFileInfo::exists(core.Link().PortSettingsPath()))
        return QStringLiteral("cannot open %1: the port settings file %2 is missing").arg(port, settings);
    if (port.trimmed().isEmpty())
        return QStringLiteral("no port to open: the key Port of [%1] in %2 is empty")
            .arg(core.Link().ComPortM().objectName(), settings);
    const QString error = core.ErrorText();
    // The serial port library says so through a lock file or an exclusive open.
    if (error.contains(QStringLiteral("locking"), Qt::CaseInsensitive) ||
        error.contains(QStringLiteral("busy"), Qt::CaseInsensitive))
        return QStringLiteral("cannot open %1: in use by another program (%2)").arg(port, error);
    return QStringLiteral("cannot open %1: %2").arg(port, error);
}

}  // namespace

int RunHeadless(int argc, char** argv, const QString& dataDir)
{
    // Before the core application starts any thread, so that every thread keeps them blocked.
    EndSignals::Block();
    QCoreApplication app(argc, argv);
    ServiceLog log;
    QString baseFolder;
    if (dataDir.isEmpty()) {
        baseFolder = AppBaseFolder();
    } else {
        if (!QDir().mkpath(dataDir)) {
            log.Write(ServiceLog::Priority::Error, QStringLiteral("cannot create the data folder ") + dataDir);
            return 1;
        }
        baseFolder = WithTrailingSlash(QDir(dataDir).absolutePath());
    }

    // Two recorders on one folder would write the same day files twice over.
    const QString lockPath = baseFolder + QStringLiteral("qemra-monitor.lock");
    QLockFile lock(lockPath);
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0)) {
        // Only a lock held by another recorder names one; else the folder refused the lock file.
        if (lock.error() != QLockFile::LockFailedError) {
            log.Write(ServiceLog::Priority::Error, QStringLiteral("cannot create the lock file %1: %2; exiting")
                                                       .arg(QDir::toNativeSeparators(lockPath), LockFileError(lockPath)));
            return 1;
        }
        qint64 pid = 0;
        QString host;
        QString name;
        lock.getLockInfo(&pid, &host, &name);
        log.Write(ServiceLog::Priority::Error,
                  QStringLiteral("another qemra-monitor (pid %1) is already recording in %2; exiting")
                      .arg(pid)
                      .arg(QDir::toNativeSeparators(baseFolder)));
        return 1;
    }

    EndSignals endSignals;
    endSignals.OnSignal = [] { QCoreApplication::quit(); };
    SystemClock clock;
    LogPrompts prompts(log);
    ServiceNotifier service;
    int status = 0;
    {
        AcquisitionCore core(clock, prompts, baseFolder);
        QObject::connect(&core, &AcquisitionCore::Event, &core, [&log](const QString& line) { log.Event(line); });
        // From the tick itself, so a stuck event loop or poll stops the pings.
        core.hooks.TickStep = [&service] { service.Tick(); };
        core.SetAlwaysReconnect(true);
        log.Write(ServiceLog::Priority::Info, QStringLiteral("recording in ") + QDir::toNativeSeparators(baseFolder));
        if (const QString warning = ReadableSecretWarning(PublishIniPath(baseFolder)); !warning.isEmpty())
            log.Write(ServiceLog::Priority::Warning, warning);
        if (!core.Connect()) {
            log.Write(ServiceLog::Priority::Warning, WhyPortDidNotOpen(core) + QStringLiteral("; trying again every 2 s"));
            core.ReconnectLater();
        }
        core.Start();
        service.Ready();
        if (!endSignals.Received())
            status = QCoreApplication::exec();
        service.Stopping();
        log.Write(ServiceLog::Priority::Info, QStringLiteral("stopping"));
    }
    return status;
}

}  // namespace qemra
