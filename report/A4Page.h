#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

class QPainter;
class QPdfWriter;

namespace qemra {

// One A4 portrait PDF page without printer margins, at `resolution` dots per inch, painted by
// `paint` with an antialiasing painter; the whole file's bytes.
QByteArray PaintA4Page(int resolution, const QString& title, const QString& creator,
                       const std::function<void(QPainter&, QPdfWriter&)>& paint);

}  // namespace qemra
