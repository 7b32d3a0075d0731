#include "report/PdfSheet.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHash>
#include <QPaintDevice>
#include <QPen>
#include <QRawFont>

#include <algorithm>
#include <cmath>

namespace qemra::pdf {

QFont Font(double points, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans CJK JP")});
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QRectF Box(double x, double y, double w, double h)
{
    return {x * kUnitsPerMm, y * kUnitsPerMm, w * kUnitsPerMm, h * kUnitsPerMm};
}

QPointF At(double x, double y) { return {x * kUnitsPerMm, y * kUnitsPerMm}; }

double Sheet::Width(const QString& text, const QFont& font) const
{
    return QFontMetricsF(font, p_.device()).horizontalAdvance(text) / kUnitsPerMm;
}

QFont Sheet::Fitting(const QString& text, QFont font, double width, double smallest) const
{
    while (Width(text, font) > width && font.pointSizeF() > smallest)
        font.setPointSizeF(font.pointSizeF() - 0.25);
    return font;
}

void Sheet::Text(double x, double y, double w, double h, const QString& text, const QFont& font, int align,
                 const QColor& colour)
{
    const QFont fitted = Fitting(text, font, w);
    const QString shown = Width(text, fitted) > w
                              ? QFontMetricsF(fitted, p_.device()).elidedText(text, Qt::ElideRight, w * kUnitsPerMm)
                              : text;
    p_.setFont(fitted);
    p_.setPen(colour);
    p_.drawText(Box(x, y, w, h), align | Qt::AlignVCenter | Qt::TextSingleLine, shown);
}

double Sheet::Paragraph(double x, double y, double w, const QString& text, const QFont& font, const QColor& colour)
{
    p_.setFont(font);
    p_.setPen(colour);
    const QRectF used = p_.boundingRect(Box(x, y, w, 100), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
    p_.drawText(used, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
    return used.height() / kUnitsPerMm;
}

double Sheet::ParagraphHeight(double w, const QString& text, const QFont& font) const
{
    const QFontMetricsF metrics(font, p_.device());
    return metrics.boundingRect(Box(0, 0, w, 100), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text).height() /
           kUnitsPerMm;
}

void Sheet::Fill(double x, double y, double w, double h, const QColor& colour) { p_.fillRect(Box(x, y, w, h), colour); }

void Sheet::Line(double x1, double y1, double x2, double y2, double width, const QColor& colour)
{
    p_.setPen(QPen(colour, width * kUnitsPerMm, Qt::SolidLine, Qt::FlatCap));
    p_.drawLine(At(x1, y1), At(x2, y2));
}

void Sheet::Frame(double x, double y, double w, double h, double width, const QColor& colour)
{
    p_.setPen(QPen(colour, width * kUnitsPerMm));
    p_.setBrush(Qt::NoBrush);
    p_.drawRect(Box(x, y, w, h));
}

double RoundStep(double rough)
{
    const double magnitude = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double m : {1.0, 2.0, 5.0}) {
        if (m * magnitude >= rough)
            return m * magnitude;
    }
    return 10.0 * magnitude;
}

int DecimalsFor(double step) { return std::max(0, int(std::ceil(-std::log10(step) - 1e-9))); }

Scale ValueScale(double lo, double hi, double narrowest, double margin)
{
    if (!(lo <= hi)) {
        lo = 0;
        hi = 1;
    }
    if (hi - lo < narrowest) {
        const double centre = (lo + hi) / 2;
        lo = centre - narrowest / 2;
        hi = centre + narrowest / 2;
    }
    const double room = (hi - lo) * margin;
    lo -= room;
    hi += room;
    Scale scale;
    scale.Step = RoundStep((hi - lo) / 4);
    scale.Min = std::floor(lo / scale.Step + 1e-9) * scale.Step;
    scale.Max = std::ceil(hi / scale.Step - 1e-9) * scale.Step;
    if (scale.Max <= scale.Min)
        scale.Max = scale.Min + scale.Step;
    scale.Decimals = DecimalsFor(scale.Step);
    return scale;
}

QString TickText(double value, int decimals)
{
    if (std::fabs(value) < 1e-9)
        value = 0;  // no "-0"
    return QString::number(value, 'f', decimals);
}

void MapRadicalsToIdeographs(QByteArray& pdf)
{
    QFont cjk;
    cjk.setFamilies({QStringLiteral("Noto Sans CJK JP")});
    const QRawFont font = QRawFont::fromFont(cjk, QFontDatabase::Japanese);
    if (!font.isValid())
        return;
    const auto glyphs = [&font](char16_t first, char16_t last) {
        QString text;
        for (char16_t c = first; c <= last; ++c)
            text += QChar(c);
        return font.glyphIndexesForString(text);
    };
    constexpr char16_t kRadicalsFirst = 0x2E80, kRadicalsLast = 0x2FDF;
    constexpr char16_t kIdeographsFirst = 0x4E00, kIdeographsLast = 0x9FFF;
    QHash<quint32, char16_t> ideographOfGlyph;
    const QList<quint32> ideographs = glyphs(kIdeographsFirst, kIdeographsLast);
    for (qsizetype i = ideographs.size() - 1; i >= 0; --i) {
        if (ideographs[i] != 0)
            ideographOfGlyph.insert(ideographs[i], char16_t(kIdeographsFirst + i));
    }
    QHash<uint, char16_t> ideographOf;
    const QList<quint32> radicals = glyphs(kRadicalsFirst, kRadicalsLast);
    for (qsizetype i = 0; i < radicals.size(); ++i) {
        if (radicals[i] != 0 && ideographOfGlyph.contains(radicals[i]))
            ideographOf.insert(uint(kRadicalsFirst + i), ideographOfGlyph.value(radicals[i]));
    }

    // Rewrites the code point of the hex string "<XXXX>" at `at` when it is such a radical.
    const auto rewrite = [&](qsizetype at) {
        bool ok = false;
        const uint code = QByteArray(pdf.constData() + at + 1, 4).toUInt(&ok, 16);
        if (ok && ideographOf.contains(code)) {
            const QByteArray hex =
                QByteArray::number(uint(ideographOf.value(code)), 16).toUpper().rightJustified(4, '0');
            std::copy(hex.begin(), hex.end(), pdf.begin() + at + 1);
        }
    };
    for (qsizetype from = 0;;) {
        const qsizetype begin = pdf.indexOf("beginbfrange\n", from);
        if (begin < 0)
            return;
        const qsizetype end = pdf.indexOf("endbfrange", begin);
        if (end < 0)
            return;
        // Each line maps source codes to code points: "<s> <e> <u>" or "<s> <e> [<u> <u> ...]". A line
        // "<s> <e> <u>" with e after s is a run of consecutive code points, which is left alone.
        for (qsizetype line = pdf.indexOf('\n', begin) + 1; line > 0 && line < end;) {
            const qsizetype next = pdf.indexOf('\n', line);
            const QByteArray text = pdf.mid(line, next - line);
            QList<qsizetype> strings;
            for (qsizetype i = text.indexOf('<'); i >= 0 && i + 5 < text.size(); i = text.indexOf('<', i + 1)) {
                if (text[i + 5] == '>')
                    strings.append(i);
            }
            if (text.contains('[')) {
                for (qsizetype i = 2; i < strings.size(); ++i)
                    rewrite(line + strings[i]);
            } else if (strings.size() == 3 && text.mid(strings[0], 6) == text.mid(strings[1], 6)) {
                rewrite(line + strings[2]);
            }
            line = next + 1;
        }
        from = end;
    }
}

}  // namespace qemra::pdf
