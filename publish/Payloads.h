#pragma once

#include "acquisition/Records.h"
#include "common/DateTime.h"
#include "publish/MinuteRows.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <limits>
#include <optional>

namespace qemra {

// Writes the JSON payloads. Numbers are the single-precision values the instrument sent or the minute
// row holds, each in the shortest text that reads back as the same value; `time` is local time to the
// second with its offset from UTC, as ISO 8601 writes it ("2026-12-11T09:41:00+09:00").
//
// Finding the offset of a local time costs more than the rest of a payload, so the offset of the last
// hour written is kept: zones change their offset on the hour.
class PayloadWriter {
public:
    // PREFIX/live: `time` and the twelve main quantities.
    QByteArray Live(const TMesData& values, TDateTime now);
    // PREFIX/minute from a row of the minute record file: `time` and, for each of the twelve standard
    // column groups, {"avg","max","min"}. Nothing when the row holds fewer than twelve groups.
    std::optional<QByteArray> Minute(const MinuteRow& row);
    // The `time` text alone.
    QByteArray Time(TDateTime time);

private:
    void AppendTime(QByteArray& out, TDateTime time);

    std::int64_t hour_ = std::numeric_limits<std::int64_t>::min();  // hours since the epoch day, local
    int offsetMinutes_ = 0;
};

// The `time` text of one moment, for the odd caller that writes no payloads.
QString IsoLocalTime(TDateTime time);

}  // namespace qemra
