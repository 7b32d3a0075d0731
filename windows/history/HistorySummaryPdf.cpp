#include "windows/history/HistorySummaryPdf.h"

#include "report/A4Page.h"

#include <QBuffer>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace qemra {

namespace {

constexpr int kResolution = 300;  // dots per inch of the page's coordinates
constexpr double kMarginMm = 15.0;
constexpr double kDotsPerMm = kResolution / 25.4;

}  // namespace

QByteArray HistorySummaryPdf(const QString& heading, const QStringList& lines, const QImage& strips)
{
    return PaintA4Page(kResolution, heading, QString(), [&](QPainter& painter, QPdfWriter& writer) {
        const double margin = kMarginMm * kDotsPerMm;
        const double width = writer.width() - 2 * margin;
        double y = margin;

        QFont title;
        title.setFamilies({QStringLiteral("Noto Sans CJK JP"), QStringLiteral("DejaVu Sans")});
        title.setPointSizeF(14);
        painter.setFont(title);
        const QFontMetricsF titleMetrics(title, &writer);
        painter.drawText(QPointF(margin, y + titleMetrics.ascent()), heading);
        y += titleMetrics.height() * 1.6;

        QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        fixed.setPointSizeF(9);
        painter.setFont(fixed);
        const QFontMetricsF metrics(fixed, &writer);
        for (const QString& line : lines) {
            painter.drawText(QPointF(margin, y + metrics.ascent()), line);
            y += metrics.height();
        }
        y += metrics.height();

        if (!strips.isNull()) {
            // The strips fill the width below the text, as much of the page as is left.
            const double room = writer.height() - margin - y;
            double drawWidth = width;
            double drawHeight = drawWidth * strips.height() / strips.width();
            if (drawHeight > room) {
                drawHeight = room;
                drawWidth = drawHeight * strips.width() / strips.height();
            }
            if (drawHeight > 0)
                painter.drawImage(QRectF(margin, y, drawWidth, drawHeight), strips);
        }
    });
}

}  // namespace qemra
