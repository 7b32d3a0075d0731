#pragma once

#include <QByteArray>
#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <functional>

class QPainter;

namespace qemra {

// A table of text: a heading per column and rows of cells; the first column is read left to
// right, the others are figures and stand right-aligned.
struct PdfTable {
    QStringList columns;
    QList<QStringList> rows;
};

// Paints the strips into `target` of a page; `size` is the strips' own size, whose shape is kept.
struct PdfStrips {
    QSizeF size;
    std::function<void(QPainter& painter, const QRectF& target)> paint;
};

// The survey summary of a history range as one A4 page of PDF: a heading, the notes, the tables,
// and below them the strips as they were shown, painted onto the page (lines stay lines).
// Needs a QGuiApplication for its fonts.
QByteArray HistorySummaryPdf(const QString& heading, const QStringList& notes, const QList<PdfTable>& tables,
                             const PdfStrips& strips);

}  // namespace qemra
