#pragma once

#include "report/CalReport.h"

#include <QByteArray>

namespace qemra {

// The certificate as one A4 page of PDF, in Japanese: the header, the written values before and
// after, the reference conditions and the wind check, each stage's statistics and readings, and
// two signature lines. Needs a QGuiApplication for its fonts.
QByteArray CalReportPdf(const CalReport& report);

}  // namespace qemra
