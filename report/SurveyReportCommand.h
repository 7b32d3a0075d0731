#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace qemra {

// True when the summary's arguments ask for a report ("--report FILE" or "--report=FILE").
bool WantsSurveyReport(const QStringList& args);

// The survey report of the command line:
//   --summary FROM TO [summary options] --report FILE.pdf [--tolerance PCT]
// The summary runs with all its options; its JSON object, the record files it counted and the
// tolerance (default 5 %, 0 to 100) make FILE.pdf and its sidecar FILE.json. A bad --report or
// --tolerance stops with a message and 2 before any record file is read. Prints the JSON object when
// --json is given, else the two files written. Returns the summary's status, 1 when the report
// cannot be written (with the reason on `err`). Needs a QGuiApplication for the fonts.
int RunSurveyReport(const QStringList& args, const QString& defaultDataDir, const QString& programVersion,
                    QTextStream& out, QTextStream& err);

}  // namespace qemra
