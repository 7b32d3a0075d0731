#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

namespace qemra {

// The survey summary of a history range as one A4 page of PDF: a heading, the summary's lines in a
// fixed-width font so its columns stay aligned, and below them the strips as they were shown.
// Needs a QGuiApplication for its fonts.
QByteArray HistorySummaryPdf(const QString& heading, const QStringList& lines, const QImage& strips);

}  // namespace qemra
