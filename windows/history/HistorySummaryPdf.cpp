#include "windows/history/HistorySummaryPdf.h"

#include "report/A4Page.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>

namespace qemra {

namespace {

constexpr int kResolution = 300;  // dots per inch of the page's coordinates
constexpr double kMarginMm = 15.0;
constexpr double kDotsPerMm = kResolution / 25.4;

QFont PageFont(double points)
{
    QFont font;
    font.setFamilies({QStringLiteral("Noto Sans CJK JP"), QStringLiteral("DejaVu Sans")});
    font.setPointSizeF(points);
    return font;
}

// Draws the table from `y` on and returns the height it took.
double DrawTable(QPainter& painter, const QPaintDevice& device, const PdfTable& table, double left, double y)
{
    const QFont font = PageFont(8.5);
    QFont bold = font;
    bold.setBold(true);
    painter.setFont(font);
    const QFontMetricsF metrics(font, &device);
    const QFontMetricsF boldMetrics(bold, &device);
    const double padding = metrics.horizontalAdvance(QStringLiteral("00"));
    std::vector<double> widths(static_cast<std::size_t>(table.columns.size()), 0.0);
    for (qsizetype c = 0; c < table.columns.size(); ++c)
        widths[static_cast<std::size_t>(c)] = boldMetrics.horizontalAdvance(table.columns[c]);
    for (const QStringList& row : table.rows)
        for (qsizetype c = 0; c < std::min(row.size(), table.columns.size()); ++c)
            widths[static_cast<std::size_t>(c)] =
                std::max(widths[static_cast<std::size_t>(c)], metrics.horizontalAdvance(row[c]));
    const double line = metrics.height() * 1.15;
    const auto drawRow = [&](const QStringList& cells, double top) {
        double x = left;
        for (qsizetype c = 0; c < std::min(cells.size(), table.columns.size()); ++c) {
            const double width = widths[static_cast<std::size_t>(c)];
            const QRectF cell(x, top, width, line);
            painter.drawText(cell, (c == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter, cells[c]);
            x += width + padding;
        }
        return x - padding;
    };
    painter.setFont(bold);
    const double right = drawRow(table.columns, y);
    painter.setFont(font);
    painter.drawLine(QPointF(left, y + line), QPointF(right, y + line));
    double top = y + line * 1.1;
    for (const QStringList& row : table.rows) {
        drawRow(row, top);
        top += line;
    }
    return top - y;
}

}  // namespace

QByteArray HistorySummaryPdf(const QString& heading, const QStringList& notes, const QList<PdfTable>& tables,
                             const PdfStrips& strips)
{
    return PaintA4Page(kResolution, heading, QString(), [&](QPainter& painter, QPdfWriter& writer) {
        const double margin = kMarginMm * kDotsPerMm;
        const double width = writer.width() - 2 * margin;
        double y = margin;

        const QFont title = PageFont(14);
        painter.setFont(title);
        const QFontMetricsF titleMetrics(title, &writer);
        painter.drawText(QPointF(margin, y + titleMetrics.ascent()), heading);
        y += titleMetrics.height() * 1.6;

        const QFont text = PageFont(9);
        painter.setFont(text);
        const QFontMetricsF metrics(text, &writer);
        for (const QString& note : notes) {
            painter.drawText(QPointF(margin, y + metrics.ascent()), note);
            y += metrics.height();
        }
        y += metrics.height() * 0.5;

        // The tables side by side while they fit, else one below the other.
        double x = margin;
        double rowTop = y;
        double rowBottom = y;
        for (const PdfTable& table : tables) {
            const double used = DrawTable(painter, writer, table, x, rowTop);
            rowBottom = std::max(rowBottom, rowTop + used);
            x += width / 2;
            if (x >= margin + width - 1) {
                x = margin;
                rowTop = rowBottom + metrics.height();
            }
        }
        y = rowBottom + metrics.height();

        if (strips.paint && strips.size.width() > 0 && strips.size.height() > 0) {
            // The strips fill the width below the text, as much of the page as is left.
            const double room = writer.height() - margin - y;
            double drawWidth = width;
            double drawHeight = drawWidth * strips.size.height() / strips.size.width();
            if (drawHeight > room) {
                drawHeight = room;
                drawWidth = drawHeight * strips.size.width() / strips.size.height();
            }
            if (drawHeight > 0) {
                painter.save();
                strips.paint(painter, QRectF(margin, y, drawWidth, drawHeight));
                painter.restore();
            }
        }
    });
}

}  // namespace qemra
