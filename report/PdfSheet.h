#pragma once

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <array>

// The drawing kit of the program's A4 reports: a page laid out in millimetres, its fonts and
// colours, number scales for plots, and the fix-up that keeps their Japanese text searchable.
namespace qemra::pdf {

// Everything is laid out in millimetres from the page's top left corner; the device counts tenths
// of a point, fine enough that rounding never shows.
inline constexpr int kResolution = 720;
inline constexpr double kUnitsPerMm = kResolution / 25.4;
inline constexpr double kPageWidth = 210.0;
inline constexpr double kPageHeight = 297.0;
inline constexpr double kLeft = 14.0;
inline constexpr double kRight = kPageWidth - 14.0;
inline constexpr double kWidth = kRight - kLeft;
inline constexpr double kTop = 11.0;
inline constexpr double kBottom = kPageHeight - 9.0;
inline constexpr double kColumnGap = 6.0;
inline constexpr double kSectionGap = 4.0;

inline const QColor kInk(0x1E, 0x1E, 0x1E);
inline const QColor kMuted(0x5A, 0x5A, 0x5A);
inline const QColor kRule(0xB4, 0xB4, 0xB4);
inline const QColor kGrid(0xE0, 0xE0, 0xE0);
inline const QColor kHeaderFill(0xEC, 0xEC, 0xEC);
inline const QColor kConfirmedFill(0xE4, 0xF2, 0xE4);
inline const QColor kWindowFill(0xE8, 0xF5, 0xE8);
inline const QColor kPass(0x17, 0x7A, 0x2C);
inline const QColor kFail(0xC4, 0x12, 0x12);
inline const std::array<QColor, 6> kTraceColours = {QColor(0xD6, 0x27, 0x28), QColor(0x1F, 0x77, 0xB4),
                                                    QColor(0x2C, 0xA0, 0x2C), QColor(0xFF, 0x7F, 0x0E),
                                                    QColor(0x94, 0x67, 0xBD), QColor(0x17, 0xBE, 0xCF)};

// Latin letters and digits from DejaVu Sans, Japanese from Noto Sans CJK JP, as on the program's
// screens. Digits shaped by the CJK font inside Latin words reach the PDF as glyphs without text,
// which a reader could neither search nor copy.
QFont Font(double points, bool bold = false);

QRectF Box(double x, double y, double w, double h);
QPointF At(double x, double y);

// Drawing in millimetres on one page.
class Sheet {
public:
    explicit Sheet(QPainter& painter) : p_(painter) {}

    // A text's width in millimetres.
    double Width(const QString& text, const QFont& font) const;

    // The font made smaller, down to `smallest` points, until the text fits the width.
    QFont Fitting(const QString& text, QFont font, double width, double smallest = 5.0) const;

    // One line in the box; a text too wide even in the smallest size is elided rather than run
    // into its neighbour.
    void Text(double x, double y, double w, double h, const QString& text, const QFont& font, int align,
              const QColor& colour = kInk);

    // Wrapped text from the box's top; returns the height it took.
    double Paragraph(double x, double y, double w, const QString& text, const QFont& font, const QColor& colour = kInk);
    // The height the wrapped text would take.
    double ParagraphHeight(double w, const QString& text, const QFont& font) const;

    void Fill(double x, double y, double w, double h, const QColor& colour);
    void Line(double x1, double y1, double x2, double y2, double width, const QColor& colour);
    void Frame(double x, double y, double w, double h, double width, const QColor& colour);

    QPainter& Painter() { return p_; }

private:
    QPainter& p_;
};

// A scale with round tick steps covering lo to hi.
struct Scale {
    double Min = 0;
    double Max = 1;
    double Step = 0.5;
    int Decimals = 1;

    double Fraction(double v) const { return (v - Min) / (Max - Min); }
};

double RoundStep(double rough);
int DecimalsFor(double step);

// A value scale: whole steps outside the readings, and never narrower than `narrowest`, so a
// steady reading shows as the flat line it is rather than as magnified noise. `margin` (a share of
// the span) keeps the readings off the limits, so a line exactly on a whole step is not drawn onto
// the frame.
Scale ValueScale(double lo, double hi, double narrowest, double margin = 0.0);

QString TickText(double value, int decimals);

// Qt maps each glyph of an embedded font back to the lowest code point the font draws with it. The
// CJK fonts draw a radical and its ideograph with one glyph, so "風速" would read back as "⾵速" and
// no search would find it. The text maps are plain text in the file; each radical that shares its
// glyph with an ideograph is rewritten in place as that ideograph, four hex digits for four, so no
// offset in the file moves.
void MapRadicalsToIdeographs(QByteArray& pdf);

}  // namespace qemra::pdf
