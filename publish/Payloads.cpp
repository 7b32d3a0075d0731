#include "publish/Payloads.h"

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

QString IsoLocalTime(TDateTime time)
{
    const int offset = FromDateTime(time).offsetFromUtc() / 60;
    const int magnitude = std::abs(offset);
    return FormatDateTime(QStringLiteral("yyyy-mm-ddThh:nn:ss"), time) + (offset < 0 ? u'-' : u'+') +
           QStringLiteral("%1:%2").arg(magnitude / 60, 2, 10, QChar(u'0')).arg(magnitude % 60, 2, 10, QChar(u'0'));
}

QByteArray LivePayload(const TMesData& values, TDateTime now)
{
    QByteArray out;
    out.reserve(320);
    out += "{\"time\":\"";
    out += IsoLocalTime(now).toLatin1();
    out += '"';
    for (const LiveField& field : kLiveFields) {
        out += ',';
        AppendKey(out, field.name);
        AppendNumber(out, values.*field.field);
    }
    out += '}';
    return out;
}

std::optional<QByteArray> MinutePayload(const MinuteRow& row)
{
    // The figures follow the stamp and its comma: average, maximum and minimum of each group.
    const QByteArrayView text(row.Text);
    const qsizetype firstComma = text.indexOf(',');
    if (firstComma < 0)
        return std::nullopt;
    constexpr int kFigures = 3 * static_cast<int>(kMinuteGroups.size());
    std::array<std::optional<float>, kFigures> figures;
    qsizetype start = firstComma + 1;
    for (int i = 0; i < kFigures; ++i) {
        const qsizetype comma = text.indexOf(',', start);
        if (comma < 0)
            return std::nullopt;
        figures[static_cast<std::size_t>(i)] = Figure(text.sliced(start, comma - start));
        start = comma + 1;
    }

    QByteArray out;
    out.reserve(640);
    out += "{\"time\":\"";
    out += IsoLocalTime(row.Time).toLatin1();
    out += '"';
    static constexpr std::array<const char*, 3> kParts{"avg", "max", "min"};
    for (std::size_t group = 0; group < kMinuteGroups.size(); ++group) {
        out += ',';
        AppendKey(out, kMinuteGroups[group]);
        out += '{';
        for (std::size_t part = 0; part < kParts.size(); ++part) {
            if (part > 0)
                out += ',';
            AppendKey(out, kParts[part]);
            const std::optional<float>& figure = figures[3 * group + part];
            if (figure)
                AppendNumber(out, *figure);
            else
                out += "null";
        }
        out += '}';
    }
    out += '}';
    return out;
}

}  // namespace qemra
