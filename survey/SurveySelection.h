#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

namespace qemra {

// What a survey's figures count and judge against, as a person chooses it beside the history:
// each text as the summary's option takes it, empty for the option's default.
struct SurveySelection {
    QString hours;        // "08:00-18:00"
    QString days;         // "mon-fri"
    QString category;     // "A", "B" or "C"
    QString outdoorFile;  // daily mean outdoor temperatures
};

// The summary's arguments (without the program name) for the days from `from` to `to` of `port`
// (any when empty) in `dataDir`, with the selection's options.
QStringList SurveySummaryArguments(QDate from, QDate to, const QString& dataDir, const QString& port,
                                   const SurveySelection& selection);

}  // namespace qemra
