#pragma once

#include <QImage>
#include <QRectF>
#include <QString>
#include <vector>

// A PDF read back the way a customer's tools read it, through poppler's command-line programs
// (poppler-utils): its text, its words with their boxes, and its first page as an image.

// The text of every page; with `layout`, each printed line stays one line. Empty when pdftotext
// fails or is missing.
QString PdfText(const QString& path, bool layout = true);

struct PdfWord {
    QString Text;
    QRectF Box;  // in points, from the page's top left corner
};
struct PdfPage {
    QSizeF Size;  // in points
    std::vector<PdfWord> Words;
};
// The size and words of one page (the first unless told).
PdfPage PdfWords(const QString& path, int page = 1);

// The words of the line that begins with the word `first`, up to `width` points to its right,
// joined by single spaces; empty when no word is `first`.
QString PdfLineFrom(const PdfPage& page, const QString& first, double width);

// The first page rendered by pdftoppm at the given resolution; a null image when it fails.
QImage PdfImage(const QString& path, int dpi);
