#pragma once

#include "survey/SurveySummary.h"

#include <QJsonObject>
#include <QString>

namespace qemra {

// The name of each quantity in the report, in column order: wind, air_temp, rh, radiant_temp,
// mets, clo, pmv, wbgt_out, wbgt_in, abs_humidity, dew_point, wet_bulb.
const char* QuantityKey(RecordQuantity quantity);

// A row time as ISO 8601 local time with the offset that held then: "2026-12-11T09:41:00+09:00".
QString IsoLocalTime(const RecordTime& time);

// The summary as one JSON object: rows, first, last, quantities {key: {min, avg, max}},
// pmv_category {A, B, C, outside}, wbgt_level {safe, caution, warning, severe, danger},
// skipped_rows. Without rows, first, last and the figures are null and the shares 0.
QJsonObject SummaryJson(const SurveySummary& summary);

// The same figures as a table for a terminal, one item a line.
QString SummaryTable(const SurveySummary& summary);

}  // namespace qemra
