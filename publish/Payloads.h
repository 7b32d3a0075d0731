#pragma once

#include "acquisition/Records.h"
#include "common/DateTime.h"
#include "publish/MinuteRows.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace qemra {

// Local time to the second with its offset from UTC, as ISO 8601 writes it:
// "2026-12-11T09:41:00+09:00".
QString IsoLocalTime(TDateTime time);

// The JSON of PREFIX/live: `time` and the twelve main quantities as the instrument sent them, each
// number in the shortest text that reads back as the same single-precision value.
QByteArray LivePayload(const TMesData& values, TDateTime now);

// The JSON of PREFIX/minute from a row of the minute record file: `time` and, for each of the twelve
// standard column groups, {"avg","max","min"}. Nothing when the row holds fewer than twelve groups.
std::optional<QByteArray> MinutePayload(const MinuteRow& row);

}  // namespace qemra
