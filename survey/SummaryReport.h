#pragma once

#include "survey/ComfortFigures.h"
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
// skipped_rows, duplicate_rows. Without rows, first, last and the figures are null and the shares 0.
QJsonObject SummaryJson(const SurveySummary& summary);
// The same with the comfort figures: quantities gain ppd, operative_temp, draught_rate and
// turbulence_intensity; selection, draught, dr_category, comfort_category, en16798_category,
// long_term, wbgt_twa and adaptive are added.
QJsonObject SummaryJson(const SurveySummary& summary, const ComfortFigures& comfort);

// The same figures as a table for a terminal, one item a line, every number with at most six
// significant digits in columns as wide as their widest text.
QString SummaryTable(const SurveySummary& summary);
QString SummaryTable(const SurveySummary& summary, const ComfortFigures& comfort);

}  // namespace qemra
