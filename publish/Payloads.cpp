#include "publish/Payloads.h"

#include <QDate>

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace qemra {

namespace {

struct LiveField {
    const char* name;
    float TMesData::*field;
};

constexpr std::array<LiveField, 12> kLiveFields{{
    {"pmv", &TMesData::M53},
    {"wbgt_in", &TMesData::M52},
    {"wbgt_out", &TMesData::M51},
    {"air_temp", &TMesData::M11},
    {"radiant_temp", &TMesData::M04},
    {"dew_point", &TMesData::M22},
    {"rh", &TMesData::M12},
    {"abs_humidity", &TMesData::M21},
    {"wet_bulb", &TMesData::M23},
    {"wind", &TMesData::M01},
    {"mets", &TMesData::M55},
    {"clo", &TMesData::H51},
}};

// The names of the minute record file's twelve standard column groups, in column order.
constexpr std::array<const char*, 12> kMinuteGroups{
    "wind", "air_temp", "rh",      "radiant_temp", "mets",      "clo",
    "pmv",  "wbgt_out", "wbgt_in", "abs_humidity", "dew_point", "wet_bulb",
};
constexpr std::array<const char*, 3> kFigureNames{"avg", "max", "min"};

constexpr std::int64_t kMsPerHour = 3'600'000;
constexpr std::int64_t kMsPerDay = 24 * kMsPerHour;
constexpr qint64 kEpochJulianDay = 2415019;  // 1899-12-30

std::int64_t FloorDiv(std::int64_t a, std::int64_t b)
{
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

void AppendNumber(QByteArray& out, float value)
{
    // JSON has no text for infinities and NaN.
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    char text[32];
    const std::to_chars_result result = std::to_chars(text, text + sizeof text, value);
    out.append(text, result.ptr - text);
}

void AppendKey(QByteArray& out, const char* name)
{
    out += '"';
    out += name;
    out += "\":";
}

// Two digits, or four for the year.
void AppendDigits(QByteArray& out, int value, int digits)
{
    char text[4];
    for (int i = digits - 1; i >= 0; --i) {
        text[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    out.append(text, digits);
}

// The figure of one field of a minute row, in single precision as the row holds it.
std::optional<float> Figure(QByteArrayView field)
{
    float value = 0;
    const char* end = field.data() + field.size();
    const std::from_chars_result result = std::from_chars(field.data(), end, value);
    if (result.ec != std::errc() || result.ptr != end)
        return std::nullopt;
    return value;
}

}  // namespace

void PayloadWriter::AppendTime(QByteArray& out, TDateTime time)
{
    // Whole milliseconds as the rest of the program counts them; the second is cut, not rounded.
    const std::int64_t ms = std::llround(time * static_cast<double>(kMsPerDay));
    const std::int64_t days = FloorDiv(ms, kMsPerDay);
    const std::int64_t ofDay = ms - days * kMsPerDay;
    const std::int64_t hour = FloorDiv(ms, kMsPerHour);
    if (hour != hour_) {
        hour_ = hour;
        offsetMinutes_ = FromDateTime(time).offsetFromUtc() / 60;
    }
    int year = 0, month = 0, day = 0;
    QDate::fromJulianDay(kEpochJulianDay + days).getDate(&year, &month, &day);
    const int seconds = static_cast<int>(ofDay / 1000);

    out += '"';
    AppendDigits(out, year, 4);
    out += '-';
    AppendDigits(out, month, 2);
    out += '-';
    AppendDigits(out, day, 2);
    out += 'T';
    AppendDigits(out, seconds / 3600, 2);
    out += ':';
    AppendDigits(out, seconds / 60 % 60, 2);
    out += ':';
    AppendDigits(out, seconds % 60, 2);
    out += offsetMinutes_ < 0 ? '-' : '+';
    const int offset = std::abs(offsetMinutes_);
    AppendDigits(out, offset / 60, 2);
    out += ':';
    AppendDigits(out, offset % 60, 2);
    out += '"';
}

QByteArray PayloadWriter::Time(TDateTime time)
{
    QByteArray out;
    AppendTime(out, time);
    return out.mid(1, out.size() - 2);
}

QByteArray PayloadWriter::Live(const TMesData& values, TDateTime now)
{
    QByteArray out;
    out.reserve(320);
    out += "{\"time\":";
    AppendTime(out, now);
    for (const LiveField& field : kLiveFields) {
        out += ',';
        AppendKey(out, field.name);
        AppendNumber(out, values.*field.field);
    }
    out += '}';
    return out;
}

std::optional<QByteArray> PayloadWriter::Minute(const MinuteRow& row)
{
    // The figures follow the stamp and its comma: average, maximum and minimum of each group.
    const QByteArrayView text(row.Text);
    const qsizetype firstComma = text.indexOf(',');
    if (firstComma < 0)
        return std::nullopt;
    constexpr std::size_t kFigures = kFigureNames.size() * kMinuteGroups.size();
    std::array<std::optional<float>, kFigures> figures;
    qsizetype start = firstComma + 1;
    for (std::optional<float>& figure : figures) {
        const qsizetype comma = text.indexOf(',', start);
        if (comma < 0)
            return std::nullopt;
        figure = Figure(text.sliced(start, comma - start));
        start = comma + 1;
    }

    QByteArray out;
    out.reserve(640);
    out += "{\"time\":";
    AppendTime(out, row.Time);
    for (std::size_t group = 0; group < kMinuteGroups.size(); ++group) {
        out += ',';
        AppendKey(out, kMinuteGroups[group]);
        out += '{';
        for (std::size_t part = 0; part < kFigureNames.size(); ++part) {
            if (part > 0)
                out += ',';
            AppendKey(out, kFigureNames[part]);
            if (const std::optional<float>& figure = figures[kFigureNames.size() * group + part])
                AppendNumber(out, *figure);
            else
                out += "null";
        }
        out += '}';
    }
    out += '}';
    return out;
}

QString IsoLocalTime(TDateTime time) { return QString::fromLatin1(PayloadWriter().Time(time)); }

}  // namespace qemra
