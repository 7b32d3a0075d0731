#pragma once

#include "survey/ComfortOptions.h"
#include "survey/RecordFolder.h"
#include "survey/SurveyDays.h"
#include "survey/SurveySummary.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <optional>

namespace qemra {

// What the summary's command line asks for.
struct SummaryRequest {
    QDate from;
    QDate to;
    QString port;  // the last part of a device path; empty when not given
    bool portGiven = false;
    QString dataDir;  // empty when not given
    bool json = false;
    ComfortOptions comfort;
    QString outdoorPath;
};

// The summary's arguments (the program's arguments without the program name):
//   --summary FROM TO [--port NAME] [--data-dir DIR] [--json] [--hours HH:MM-HH:MM] [--days DAYS]
//   [--category A|B|C] [--to-range LOW,HIGH] [--outdoor FILE]
// Reads the outdoor file, as a bad one is a bad argument; its malformed lines go to `warnings`.
// Empty with `error` naming the bad argument; no record file is read.
std::optional<SummaryRequest> ParseSummaryArguments(const QStringList& args, QString* error,
                                                    QStringList* warnings = nullptr);

// The survey summary of the command line. FROM and TO are dates yyyy/mm/dd, both included. Each
// day counts its second record file of the port, or else its minute record file (a row as 60
// seconds of its averages); a day with neither is named on `err` and skipped. Without --port the
// one port found in the range is taken; several are a bad argument whose message lists them.
// The data folder is `defaultDataDir` unless --data-dir names one. Prints the summary as a table,
// or with --json as one JSON object, to `out`. Days are read on `workers` threads (0: one per
// core); the figures do not depend on it.
// Returns 0 on success, 1 when no row of the range could be read (or the port asked for has no
// second record file there while others have), 2 on bad arguments (with a usage line on `err`).
int RunSurveySummary(const QStringList& args, const QString& defaultDataDir, QTextStream& out, QTextStream& err,
                     int workers = 0);

// The usage line of the summary.
QString SurveySummaryUsage();

// The figures of the days from `from` to `to` in `folder`, second record files of `port` first
// (none with an empty port), every second counted. Days read from minute record files and days
// without any file are named on `err`. `filesRead` counts the files that could be read.
SurveySummary SummariseDays(const RecordFolder& folder, const QString& port, QDate from, QDate to, QTextStream& err,
                            int* filesRead = nullptr);

}  // namespace qemra
