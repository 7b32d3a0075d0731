#include "tests/support/SimProcess.h"

#include <QElapsedTimer>

SimProcess::SimProcess(const QStringList& options)
{
    process_.start(QStringLiteral(QEMRA_SIM_PATH), options);
    if (!process_.waitForStarted(5000))
        return;
    QElapsedTimer waited;
    waited.start();
    while (!process_.canReadLine() && waited.elapsed() < 5000)
        process_.waitForReadyRead(100);
    device_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
}

SimProcess::~SimProcess()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.kill();
    process_.waitForFinished(5000);
}

QString SimProcess::Ask(const QString& command)
{
    process_.setReadChannel(QProcess::StandardError);
    process_.readAll();
    process_.write(command.toLocal8Bit() + '\n');
    QElapsedTimer waited;
    waited.start();
    while (!process_.canReadLine() && waited.elapsed() < 5000)
        process_.waitForReadyRead(100);
    const QString reply = QString::fromLocal8Bit(process_.readLine()).trimmed();
    process_.setReadChannel(QProcess::StandardOutput);
    return reply;
}

bool SimProcess::Terminate()
{
    process_.terminate();
    return process_.waitForFinished(5000);
}
