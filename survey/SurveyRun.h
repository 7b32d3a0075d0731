#pragma once

#include "survey/RecordFolder.h"
#include "survey/SurveySummary.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QTextStream>

namespace qemra {

// The survey summary of the command line:
//   --summary FROM TO [--port NAME] [--data-dir DIR] [--json]
// `args` are the program's arguments without the program name. FROM and TO are dates yyyy/mm/dd,
// both included. Each day counts its second record file of the port, or else its minute record
// file (a row as 60 seconds of its averages); a day with neither is named on `err` and skipped.
// Without --port the one port found in the range is taken; several are a bad argument whose message
// lists them.
// The data folder is `defaultDataDir` unless --data-dir names one. Prints the summary as a table,
// or with --json as one JSON object, to `out`.
// Returns 0 on success, 1 when no record file of the range could be read, 2 on bad arguments
// (with a usage line on `err`).
int RunSurveySummary(const QStringList& args, const QString& defaultDataDir, QTextStream& out, QTextStream& err);

// The usage line of the summary.
QString SurveySummaryUsage();

// The figures of the days from `from` to `to` in `folder`, second record files of `port` first
// (none with an empty port). Days read from minute record files and days without any file are
// named on `err`. `filesRead` counts the files that could be read.
SurveySummary SummariseDays(const RecordFolder& folder, const QString& port, QDate from, QDate to, QTextStream& err,
                            int* filesRead = nullptr);

}  // namespace qemra
