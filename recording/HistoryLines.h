#pragma once

#include "acquisition/Records.h"

#include <QChar>
#include <QStringList>
#include <span>

namespace qemra {

// One column of a CSV file of the history ring: its label and unit lines and the field it holds.
struct HistoryColumn {
    const char* label;  // UTF-8
    const char* unit;
    float TMesData::*field;  // nullptr for C52, the one integer
};

// The lines of a history file: labels and units, then one row per filled slot from the oldest
// (slot 1023) to slot 1, time stamp first, every value as general text with `decimalSeparator`.
// The history exports and the calibration work logs are all written this way.
QStringList HistoryLines(const TMesHistory& history, std::span<const HistoryColumn> columns,
                         QChar decimalSeparator = u'.');

}  // namespace qemra
