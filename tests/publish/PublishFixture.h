#pragma once

#include "common/DateTime.h"
#include "recording/RecordFiles.h"

#include <QByteArray>
#include <QTest>

#include <cstdlib>
#include <ctime>
#include <functional>
#include <ostream>

// Texts and payloads in failure messages as text rather than as lists of bytes.
inline void PrintTo(const QByteArray& bytes, std::ostream* out) { *out << '"' << bytes.toStdString() << '"'; }
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace qemra {

// The process's local time zone, as a POSIX TZ text (no zone files needed), for the life of the
// object; times with offsets are then known in advance.
class LocalZone {
public:
    explicit LocalZone(const char* zone) : had_(qEnvironmentVariableIsSet("TZ")), old_(qgetenv("TZ"))
    {
        qputenv("TZ", zone);
        ::tzset();
    }
    ~LocalZone()
    {
        if (had_)
            qputenv("TZ", old_);
        else
            qunsetenv("TZ");
        ::tzset();
    }
    LocalZone(const LocalZone&) = delete;
    LocalZone& operator=(const LocalZone&) = delete;

private:
    bool had_;
    QByteArray old_;
};

// Writes minute rows with the program's own recorder into "Record" under a base folder: the fake
// clock is set into the minute and the second steps run as the monitor window runs them.
class MinuteRecorder {
public:
    MinuteRecorder(const QString& baseFolder, FakeClock& clock)
        : clock_(clock), files_(baseFolder, state_, clock, nullptr, QChar(u'.'))
    {
        state_.MySts.PortName = QStringLiteral("COM7");
    }

    QString RecordFolder() const { return files_.RecordFolder(); }
    void SetMaintenance(bool on) { state_.MySts.Maint = on ? 1 : 0; }

    // The row stamped `minute` (seconds 00) from two samples, `first` at second 5 and `second` at
    // second 6, when the row is written; the clock stays at second 6.
    void WriteRow(TDateTime minute, TMesData first, TMesData second)
    {
        Step(minute + 5.0 / 86400, first);
        Step(minute + 6.15 / 86400, second);
    }
    void WriteRow(TDateTime minute, const TMesData& values) { WriteRow(minute, values, values); }

private:
    void Step(TDateTime at, TMesData values)
    {
        values.Measuring = 1;
        state_.CurMes = values;
        clock_.Set(at);
        files_.RecordSecond();
    }

    FakeClock& clock_;
    SharedState state_;
    RecordFiles files_;
};

// Lets queued calls run until `done` holds or the time is up.
inline bool WaitUntil(const std::function<bool()>& done, int milliseconds = 10000)
{
    return QTest::qWaitFor(done, milliseconds);
}

}  // namespace qemra
