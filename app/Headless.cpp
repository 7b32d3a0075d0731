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
    QLockFile lock(baseFolder + QStringLiteral("qemra-monitor.lock"));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0)) {
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
            log.Write(ServiceLog::Priority::Warning, QStringLiteral("cannot open ") + core.Link().ComPortM().Port() +
                                                         QStringLiteral(": ") + core.ErrorText() +
                                                         QStringLiteral("; trying again every 2 s"));
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
