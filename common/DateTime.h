#pragma once

#include <QDateTime>
#include <QString>
#include <cstdint>

namespace qemra {

// Days since 1899-12-30 00:00 local time; the fraction is the time of day.
using TDateTime = double;

TDateTime EncodeDateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int msec = 0);
TDateTime ToDateTime(const QDateTime& local);
QDateTime FromDateTime(TDateTime value);  // local time, rounded to the millisecond

// Whole seconds since the epoch day: only its change from tick to tick matters.
std::int32_t WholeSeconds(TDateTime value);
// The time of day in whole seconds, 0 to 86399.
int SecondOfDay(TDateTime value);

// Formats with the tokens yyyy, yy, mm (month), dd, hh, nn (minute), ss; every other character is
// copied as it stands. Forms in use: "yyyy/mm/dd hh:nn:ss", "yyyy/mm/dd hh:nn.ss",
// "yyyy/mm/dd hh:nn", "yymmdd", "yyyymmdd", "_yymmddhhnn".
QString FormatDateTime(const QString& format, TDateTime value);

// Where "now" comes from: the real clock in the program, a fake one in tests.
class Clock {
public:
    virtual ~Clock() = default;
    virtual TDateTime Now() const = 0;
};

class SystemClock final : public Clock {
public:
    TDateTime Now() const override;
};

class FakeClock final : public Clock {
public:
    explicit FakeClock(TDateTime start = 0) : now_(start) {}
    TDateTime Now() const override { return now_; }
    void Set(TDateTime value) { now_ = value; }
    void AdvanceSeconds(double seconds);
    void AdvanceMilliseconds(double msec) { AdvanceSeconds(msec / 1000.0); }

private:
    TDateTime now_;
};

}  // namespace qemra
