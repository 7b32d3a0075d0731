#include "app/Headless.h"

#include "app/EndSignals.h"
#include "common/AppFolder.h"
#include "common/DateTime.h"
#include "common/Prompts.h"
#include "core/AcquisitionCore.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QLockFile>
#include <QStringList>

#include <cstdio>
#include <cstring>

namespace qemra {

namespace {

const char kUsage[] = "usage: qemra-monitor --headless [--data-dir DIR]\n";

void Log(const QString& line)
{
    const QString stamp = QDateTime::currentDateTime().toString(Qt::ISODate);
    std::fprintf(stderr, "%s qemra-monitor: %s\n", stamp.toLocal8Bit().constData(), line.toLocal8Bit().constData());
    std::fflush(stderr);
}

// Nobody answers a box here: each message becomes a log line and every file dialog is cancelled.
class LogPrompts final : public Prompts {
public:
    void Message(Kind kind, const QString& text) override
    {
        Log((kind == Kind::Information ? QStringLiteral("note: ") : QStringLiteral("error: ")) +
            QString(text).replace(u'\n', u' '));
    }
    QString OpenFileName(const FileDialogOptions&) override { return {}; }
    QString SaveFileName(const FileDialogOptions&) override { return {}; }
};

}  // namespace

bool WantsHeadless(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--headless") == 0)
            return true;
    return false;
}

int RunHeadless(int argc, char** argv)
{
    // Before the core application starts any thread, so that every thread keeps them blocked.
    EndSignals::Block();
    QCoreApplication app(argc, argv);
    QString dataDir;
    const QStringList args = QCoreApplication::arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--headless"))
            continue;
        if (args[i] == QStringLiteral("--data-dir") && i + 1 < args.size()) {
            dataDir = args[++i];
            continue;
        }
        std::fputs(kUsage, stderr);
        return 2;
    }
    QString baseFolder;
    if (dataDir.isEmpty()) {
        baseFolder = AppBaseFolder();
    } else {
        if (!QDir().mkpath(dataDir)) {
            Log(QStringLiteral("cannot create the data folder ") + dataDir);
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
        Log(QStringLiteral("another qemra-monitor (pid %1) is already recording in %2; exiting")
                .arg(pid)
                .arg(QDir::toNativeSeparators(baseFolder)));
        return 1;
    }

    EndSignals endSignals;
    endSignals.OnSignal = [] { QCoreApplication::quit(); };
    SystemClock clock;
    LogPrompts prompts;
    int status = 0;
    {
        AcquisitionCore core(clock, prompts, baseFolder);
        QObject::connect(&core, &AcquisitionCore::Event, &core, [](const QString& line) { Log(line); });
        core.SetAlwaysReconnect(true);
        Log(QStringLiteral("recording in ") + QDir::toNativeSeparators(baseFolder));
        if (!core.Connect()) {
            Log(QStringLiteral("cannot open ") + core.Link().ComPortM().Port() + QStringLiteral(": ") + core.ErrorText() +
                QStringLiteral("; trying again every 2 s"));
            core.ReconnectLater();
        }
        core.Start();
        if (!endSignals.Received())
            status = QCoreApplication::exec();
        Log(QStringLiteral("stopping"));
    }
    return status;
}

}  // namespace qemra
