#pragma once

// A mosquitto broker of one test's (or benchmark's) own: its configuration file, log and any
// certificates live in a temporary folder, it listens on free loopback ports, and it is killed when
// the object goes, so a failing test leaves nothing running.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

class MosquittoBroker {
public:
    MosquittoBroker() : folder_(QDir::tempPath() + QStringLiteral("/qemra-broker-XXXXXX")), port_(FreePort()) {}
    ~MosquittoBroker() { Stop(); }
    MosquittoBroker(const MosquittoBroker&) = delete;
    MosquittoBroker& operator=(const MosquittoBroker&) = delete;

    // A loopback port nobody listens on at the moment.
    static int FreePort()
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        int port = 0;
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            port = ntohs(address.sin_port);
        ::close(fd);
        return port;
    }

    int Port() const { return port_; }
    QString Folder() const { return folder_.path() + u'/'; }
    QString LogText() const
    {
        QFile log(Folder() + QStringLiteral("broker.log"));
        return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
    }

    // Starts it with these listener lines (by default an anonymous one on Port()) and waits until
    // Port() takes connections; a second Start() after Stop() brings the same broker back.
    bool Start(const QString& listeners = {})
    {
        if (!listeners.isEmpty())
            listeners_ = listeners;
        if (listeners_.isEmpty())
            listeners_ = QStringLiteral("listener %1 127.0.0.1\nallow_anonymous true\n").arg(port_);
        // Started as root the broker would change to its own user, who cannot read this folder.
        const passwd* user = ::getpwuid(::geteuid());
        // Persistent, so a session and its queued messages outlive a restart as with a real broker.
        const QString config = QStringLiteral("user %1\npersistence true\npersistence_location %2\n"
                                              "log_dest file %2broker.log\n"
                                              "log_type error\nlog_type warning\nlog_type notice\n"
                                              "log_type information\n%3")
                                   .arg(QString::fromLocal8Bit(user ? user->pw_name : "root"), Folder(), listeners_);
        QFile file(Folder() + QStringLiteral("broker.conf"));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(config.toUtf8()) < 0)
            return false;
        file.close();
        process_.start(Executable(), {QStringLiteral("-c"), file.fileName()});
        if (!process_.waitForStarted(5000))
            return false;
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 5000) {
            if (Accepts())
                return true;
            if (process_.state() == QProcess::NotRunning)
                return false;
            QThread::msleep(20);
        }
        return false;
    }

    void Stop()
    {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }

    // Runs one of the broker's tools (mosquitto_passwd); true when it ends with 0.
    static bool RunTool(const QString& name, const QStringList& arguments)
    {
        QProcess tool;
        tool.start(FindProgram(name), arguments);
        return tool.waitForFinished(20000) && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
    }

    static QString FindProgram(const QString& name)
    {
        // The broker lives in sbin, which an ordinary user's PATH may lack.
        QString found = QStandardPaths::findExecutable(name);
        if (found.isEmpty())
            found =
                QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin")});
        return found.isEmpty() ? name : found;
    }

private:
    static QString Executable() { return FindProgram(QStringLiteral("mosquitto")); }

    bool Accepts() const
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<uint16_t>(port_));
        const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        ::close(fd);
        return ok;
    }

    QTemporaryDir folder_;
    int port_;
    QString listeners_;
    QProcess process_;
};
