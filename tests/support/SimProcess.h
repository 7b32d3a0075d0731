#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// The simulated instrument program on its own pseudo-terminal, started with the given options;
// killed when the object goes, so a failing test leaves nothing running.
class SimProcess {
public:
    explicit SimProcess(const QStringList& options);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // The device path the simulator printed; empty when it did not start.
    QString Device() const { return device_; }
    // Types one command on its standard input and returns the first line of its reply (it
    // answers on standard error, so start it with --quiet); empty when none came.
    QString Ask(const QString& command);
    // Ends it the polite way (the simulator removes its link on SIGTERM); true when it exited.
    bool Terminate();

private:
    QProcess process_;
    QString device_;
};
