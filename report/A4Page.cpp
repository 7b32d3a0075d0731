#include "report/A4Page.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

namespace qemra {

QByteArray PaintA4Page(int resolution, const QString& title, const QString& creator,
                       const std::function<void(QPainter&, QPdfWriter&)>& paint)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(resolution);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                                         QPageLayout::Millimeter));
        writer.setTitle(title);
        if (!creator.isEmpty())
            writer.setCreator(creator);
        QPainter painter(&writer);
        painter.setRenderHint(QPainter::Antialiasing);
        paint(painter, writer);
        painter.end();
    }
    return bytes;
}

}  // namespace qemra
