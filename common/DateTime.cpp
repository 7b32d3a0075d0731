#include "common/DateTime.h"

#include <QDate>
#include <QTime>

#include <cmath>

namespace qemra {

namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;
// 1899-12-30 as a Julian day: a constant, so other files' static initialisers can use it safely.
constexpr QDate kEpoch = QDate::fromJulianDay(2415019);

// Every conversion goes through whole milliseconds, so a value made from fields and the same
// moment read from a clock agree to the millisecond, and repeated steps do not drift.
std::int64_t ToMilliseconds(TDateTime value) { return std::llround(value * static_cast<double>(kMsPerDay)); }
TDateTime FromMilliseconds(std::int64_t ms) { return static_cast<double>(ms) / static_cast<double>(kMsPerDay); }

std::int64_t FloorDiv(std::int64_t a, std::int64_t b)
{
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

struct Fields {
    QDate date;
    int hour, minute, second, msec;
};

// Days count from the epoch; the fraction is the time of day on that day (also before 1899-12-30,
// where the value is floored rather than truncated).
Fields Split(TDateTime value)
{
    const std::int64_t ms = ToMilliseconds(value);
    const std::int64_t days = FloorDiv(ms, kMsPerDay);
    const int ofDay = static_cast<int>(ms - days * kMsPerDay);
    return {kEpoch.addDays(days), ofDay / 3'600'000, ofDay / 60'000 % 60, ofDay / 1000 % 60, ofDay % 1000};
}

QString TwoDigits(int n) { return QStringLiteral("%1").arg(n % 100, 2, 10, QChar(u'0')); }

}  // namespace

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int msec)
{
    const std::int64_t days = kEpoch.daysTo(QDate(year, month, day));
    return FromMilliseconds(days * kMsPerDay + ((hour * 60LL + minute) * 60 + second) * 1000 + msec);
}

TDateTime ToDateTime(const QDateTime& local)
{
    const QDateTime t = local.toLocalTime();
    const QTime time = t.time();
    return EncodeDateTime(t.date().year(), t.date().month(), t.date().day(), time.hour(), time.minute(), time.second(),
                          time.msec());
}

QDateTime FromDateTime(TDateTime value)
{
    const Fields f = Split(value);
    return QDateTime(f.date, QTime(f.hour, f.minute, f.second, f.msec), Qt::LocalTime);
}

std::int32_t WholeSeconds(TDateTime value)
{
    // The count passes 2^31 in 1968; only its changes matter, so it wraps as a 32-bit integer does.
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(FloorDiv(ToMilliseconds(value), 1000)));
}

int SecondOfDay(TDateTime value)
{
    const std::int64_t ms = ToMilliseconds(value);
    return static_cast<int>((ms - FloorDiv(ms, kMsPerDay) * kMsPerDay) / 1000);
}

QString FormatDateTime(const QString& format, TDateTime value)
{
    const Fields f = Split(value);
    QString text;
    const qsizetype n = format.size();
    for (qsizetype i = 0; i < n;) {
        const auto token = [&](const char* name) {
            const QLatin1String t(name);
            return QStringView(format).mid(i).startsWith(t, Qt::CaseInsensitive);
        };
        if (token("yyyy")) {
            text += QStringLiteral("%1").arg(f.date.year(), 4, 10, QChar(u'0'));
            i += 4;
        } else if (token("yy")) {
            text += TwoDigits(f.date.year());
            i += 2;
        } else if (token("mm")) {
            text += TwoDigits(f.date.month());
            i += 2;
        } else if (token("dd")) {
            text += TwoDigits(f.date.day());
            i += 2;
        } else if (token("hh")) {
            text += TwoDigits(f.hour);
            i += 2;
        } else if (token("nn")) {
            text += TwoDigits(f.minute);
            i += 2;
        } else if (token("ss")) {
            text += TwoDigits(f.second);
            i += 2;
        } else {
            text += format[i];
            ++i;
        }
    }
    return text;
}

TDateTime SystemClock::Now() const { return ToDateTime(QDateTime::currentDateTime()); }

void FakeClock::AdvanceSeconds(double seconds)
{
    now_ = FromMilliseconds(ToMilliseconds(now_) + std::llround(seconds * 1000.0));
}

}  // namespace qemra
