#pragma once

#include "report/SurveyReportPdf.h"
#include "survey/ComfortOptions.h"
#include "survey/RecordFolder.h"
#include "survey/ReportDistributions.h"

namespace qemra {

// What the report shows beyond the summary: the files the analysis counted with their sizes, the
// days read from minute files or missing, and the distributions of the counted seconds. The
// analysis itself feeds the distributions, so their seconds, occupied hours and draught rate are
// the summary's own.
struct SurveyReportSources {
    SurveyReportInputs inputs;
    ReportDistributions distributions;
};
SurveyReportSources ReadSurveyReportSources(const RecordFolder& folder, const QString& port, QDate from, QDate to,
                                            const ComfortOptions& options);

}  // namespace qemra
