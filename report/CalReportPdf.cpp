#include "report/CalReportPdf.h"

#include "report/A4Page.h"

#include <QBuffer>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHash>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPolygonF>
#include <QRawFont>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace qemra {

namespace {

// Everything is laid out in millimetres from the page's top left corner; the device counts tenths
// of a point, fine enough that rounding never shows.
constexpr int kResolution = 720;
constexpr double kUnitsPerMm = kResolution / 25.4;
constexpr double kPageWidth = 210.0;
constexpr double kPageHeight = 297.0;
constexpr double kLeft = 14.0;
constexpr double kRight = kPageWidth - 14.0;
constexpr double kWidth = kRight - kLeft;
constexpr double kTop = 11.0;
constexpr double kBottom = kPageHeight - 9.0;
constexpr double kColumnGap = 6.0;
constexpr double kSectionGap = 4.0;

const QColor kInk(0x1E, 0x1E, 0x1E);
const QColor kMuted(0x5A, 0x5A, 0x5A);
const QColor kRule(0xB4, 0xB4, 0xB4);
const QColor kGrid(0xE0, 0xE0, 0xE0);
const QColor kHeaderFill(0xEC, 0xEC, 0xEC);
const QColor kConfirmedFill(0xE4, 0xF2, 0xE4);
const QColor kWindowFill(0xE8, 0xF5, 0xE8);
const QColor kPass(0x17, 0x7A, 0x2C);
const QColor kFail(0xC4, 0x12, 0x12);
const std::array<QColor, 6> kTraceColours = {QColor(0xD6, 0x27, 0x28), QColor(0x1F, 0x77, 0xB4),
                                             QColor(0x2C, 0xA0, 0x2C), QColor(0xFF, 0x7F, 0x0E),
                                             QColor(0x94, 0x67, 0xBD), QColor(0x17, 0xBE, 0xCF)};

// Latin letters and digits from DejaVu Sans, Japanese from Noto Sans CJK JP, as on the program's
// screens. Digits shaped by the CJK font inside Latin words reach the PDF as glyphs without text,
// which a reader could neither search nor copy.
QFont Font(double points, bool bold = false)
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

// A text's width in millimetres.
double WidthOf(const QString& text, const QFont& font, QPaintDevice* device)
{
    return QFontMetricsF(font, device).horizontalAdvance(text) / kUnitsPerMm;
}

// Drawing in millimetres on the one page.
class Sheet {
public:
    explicit Sheet(QPainter& painter) : p_(painter) {}

    double Width(const QString& text, const QFont& font) const { return WidthOf(text, font, p_.device()); }

    // The font made smaller, down to `smallest` points, until the text fits the width.
    QFont Fitting(const QString& text, QFont font, double width, double smallest = 5.0) const
    {
        while (Width(text, font) > width && font.pointSizeF() > smallest)
            font.setPointSizeF(font.pointSizeF() - 0.25);
        return font;
    }

    // One line in the box; a text too wide even in the smallest size is elided rather than run
    // into its neighbour.
    void Text(double x, double y, double w, double h, const QString& text, const QFont& font, int align,
              const QColor& colour = kInk)
    {
        const QFont fitted = Fitting(text, font, w);
        const QString shown = Width(text, fitted) > w
                                  ? QFontMetricsF(fitted, p_.device()).elidedText(text, Qt::ElideRight, w * kUnitsPerMm)
                                  : text;
        p_.setFont(fitted);
        p_.setPen(colour);
        p_.drawText(Box(x, y, w, h), align | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    }

    // Wrapped text from the box's top; returns the height it took.
    double Paragraph(double x, double y, double w, const QString& text, const QFont& font, const QColor& colour = kInk)
    {
        p_.setFont(font);
        p_.setPen(colour);
        const QRectF used = p_.boundingRect(Box(x, y, w, 100), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
        p_.drawText(used, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
        return used.height() / kUnitsPerMm;
    }

    void Fill(double x, double y, double w, double h, const QColor& colour) { p_.fillRect(Box(x, y, w, h), colour); }

    void Line(double x1, double y1, double x2, double y2, double width, const QColor& colour)
    {
        p_.setPen(QPen(colour, width * kUnitsPerMm, Qt::SolidLine, Qt::FlatCap));
        p_.drawLine(At(x1, y1), At(x2, y2));
    }

    void Frame(double x, double y, double w, double h, double width, const QColor& colour)
    {
        p_.setPen(QPen(colour, width * kUnitsPerMm));
        p_.setBrush(Qt::NoBrush);
        p_.drawRect(Box(x, y, w, h));
    }

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

// A value scale: whole steps outside the readings, and never narrower than `narrowest`, so a
// steady reading shows as the flat line it is rather than as magnified noise. The readings keep a
// margin from the limits, so a line exactly on a whole step is not drawn onto the frame.
Scale ValueScale(double lo, double hi, double narrowest)
{
    constexpr double kMargin = 0.08;
    if (!(lo <= hi)) {
        lo = 0;
        hi = 1;
    }
    if (hi - lo < narrowest) {
        const double centre = (lo + hi) / 2;
        lo = centre - narrowest / 2;
        hi = centre + narrowest / 2;
    }
    const double margin = (hi - lo) * kMargin;
    lo -= margin;
    hi += margin;
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

class ReportPainter {
public:
    ReportPainter(Sheet& sheet, const CalReport& report) : s_(sheet), r_(report) {}

    void Paint()
    {
        double y = Title(kTop);
        y = Header(y) + kSectionGap;
        y = std::max(Values(kLeft, y, 104), Conditions(kLeft + 104 + kColumnGap, y, kWidth - 104 - kColumnGap)) +
            kSectionGap;
        y = Statistics(y) + kSectionGap;
        const double signatures = kBottom - 5.0 - 15.5;
        Plots(y, signatures - 3.0);
        Signatures(signatures);
        Footer();
    }

private:
    double Heading(double x, double y, double w, const QString& text)
    {
        s_.Text(x, y, w, 5.0, text, Font(9.0, true), Qt::AlignLeft);
        s_.Line(x, y + 5.3, x + w, y + 5.3, 0.3, kInk);
        return y + 6.8;
    }

    double Title(double y)
    {
        s_.Text(kLeft, y, kWidth, 10.0, QStringLiteral("校正成績書"), Font(19.0, true), Qt::AlignHCenter);
        s_.Line(kLeft, y + 11.5, kRight, y + 11.5, 0.5, kInk);
        s_.Line(kLeft, y + 12.3, kRight, y + 12.3, 0.15, kInk);
        return y + 14.5;
    }

    double Header(double y)
    {
        const double half = (kWidth - kColumnGap) / 2;
        const double label = 25.0;
        const double row = 5.8;
        const auto field = [&](double x, double top, const char16_t* name, const QString& value, bool strong) {
            s_.Text(x, top, label, row, QString::fromUtf16(name), Font(8.0), Qt::AlignLeft, kMuted);
            s_.Text(x + label, top, half - label, row, value.isEmpty() ? QStringLiteral("—") : value,
                    Font(strong ? 11.0 : 9.5, strong), Qt::AlignLeft);
            s_.Line(x, top + row, x + half, top + row, 0.15, kRule);
        };
        const double right = kLeft + half + kColumnGap;
        field(kLeft, y, u"シリアル番号", r_.SerialNo, true);
        field(kLeft, y + row, u"モデル番号 (S00)", r_.Model, false);
        field(kLeft, y + 2 * row, u"バージョン (S01)", r_.Version, false);
        field(right, y, u"校正開始", r_.Started, false);
        field(right, y + row, u"校正終了", r_.Finished, false);
        field(right, y + 2 * row, u"プログラム", r_.Program, false);
        return y + 3 * row;
    }

    // The written values, before and after.
    double Values(double x, double y, double w)
    {
        y = Heading(x, y, w, QStringLiteral("校正値（計器への書込値）"));
        struct Column {
            const char16_t* title;
            double width;
            int align;
        };
        const double value = 24.0;
        const std::array<Column, 5> columns = {{{u"キー", 11.0, Qt::AlignHCenter},
                                                {u"項目", w - 11.0 - 10.0 - 2 * value, Qt::AlignLeft},
                                                {u"単位", 10.0, Qt::AlignHCenter},
                                                {u"校正前", value, Qt::AlignRight},
                                                {u"校正後", value, Qt::AlignRight}}};
        const double headerHeight = 5.0;
        const double rowHeight = 4.6;
        const double pad = 1.5;
        s_.Fill(x, y, w, headerHeight, kHeaderFill);
        double cx = x;
        for (const Column& c : columns) {
            s_.Text(cx + pad, y, c.width - 2 * pad, headerHeight, QString::fromUtf16(c.title), Font(7.5, true),
                    c.align);
            cx += c.width;
        }
        y += headerHeight;
        for (const CalReportValue& v : r_.Values) {
            const std::array<QString, 5> cells = {v.Key, v.Label, v.Unit, Dash(v.Before), Dash(v.After)};
            cx = x;
            for (std::size_t i = 0; i < columns.size(); ++i) {
                s_.Text(cx + pad, y, columns[i].width - 2 * pad, rowHeight, cells[i], Font(7.5, i == 4),
                        columns[i].align);
                cx += columns[i].width;
            }
            y += rowHeight;
            s_.Line(x, y, x + w, y, 0.12, kRule);
        }
        s_.Line(x, y, x + w, y, 0.3, kInk);
        return y;
    }

    // The reference conditions and the wind check, in the right-hand column.
    double Conditions(double x, double y, double w)
    {
        y = Heading(x, y, w, QStringLiteral("基準条件"));
        const double label = 19.0;
        const auto field = [&](const char16_t* name, const QString& value) {
            s_.Text(x, y, label, 4.8, QString::fromUtf16(name), Font(7.5), Qt::AlignLeft, kMuted);
            const double used = s_.Paragraph(x + label, y + 0.7, w - label, Dash(value), Font(7.5));
            y += std::max(4.8, used + 1.4);
            s_.Line(x, y, x + w, y, 0.12, kRule);
        };
        field(u"基準温度", r_.ReferenceTemperature);
        field(u"基準風速", r_.ReferenceWindSpeed);
        field(u"許容差", r_.Tolerance);
        y += 3.0;

        y = Heading(x, y, w, QStringLiteral("風速確認"));
        const double first = 17.0;
        const double rest = (w - first) / 2;
        const double rowHeight = 4.8;
        s_.Fill(x, y, w, rowHeight, kHeaderFill);
        s_.Text(x + 1, y, first - 2, rowHeight, QStringLiteral("平均"), Font(7.5, true), Qt::AlignLeft);
        s_.Text(x + first, y, rest - 1.5, rowHeight, QStringLiteral("風速 [m/s]"), Font(7.5, true), Qt::AlignRight);
        s_.Text(x + first + rest, y, rest - 1.5, rowHeight, QStringLiteral("偏差 [%]"), Font(7.5, true),
                Qt::AlignRight);
        y += rowHeight;
        const auto row = [&](const char16_t* name, const QString& average, const QString& deviation) {
            s_.Text(x + 1, y, first - 2, rowHeight, QString::fromUtf16(name), Font(7.5), Qt::AlignLeft);
            s_.Text(x + first, y, rest - 1.5, rowHeight, Dash(average), Font(7.5), Qt::AlignRight);
            s_.Text(x + first + rest, y, rest - 1.5, rowHeight, Dash(deviation), Font(7.5), Qt::AlignRight);
            y += rowHeight;
            s_.Line(x, y, x + w, y, 0.12, kRule);
        };
        row(u"5秒", r_.Average5, r_.Deviation5);
        row(u"15秒", r_.Average15, r_.Deviation15);
        y += 2.5;

        const QColor verdict = r_.Passed ? kPass : kFail;
        const double boxHeight = 10.0;
        s_.Text(x, y, first, boxHeight, QStringLiteral("判定"), Font(8.0), Qt::AlignLeft, kMuted);
        s_.Frame(x + first, y, w - first, boxHeight, 0.5, verdict);
        s_.Text(x + first, y, w - first, boxHeight, r_.Passed ? QStringLiteral("合格") : QStringLiteral("不合格"),
                Font(15.0, true), Qt::AlignHCenter, verdict);
        y += boxHeight + 0.8;
        s_.Text(x + first, y, w - first, 3.5, QStringLiteral("15秒平均と許容差による"), Font(6.5), Qt::AlignHCenter,
                kMuted);
        return y + 3.5;
    }

    // Each stage's statistics at its confirmation, the stages side by side.
    double Statistics(double y)
    {
        y = Heading(kLeft, y, kWidth, QStringLiteral("段階別統計（確定時の直近30秒：Max / Avg. / Min / p-p）"));
        const double label = 16.0;
        const int stages = std::max<int>(1, int(r_.Stages.size()));
        const double group = (kWidth - label) / stages;
        const double cell = group / 4;
        const double pad = 0.8;
        const double titleHeight = 5.0;
        const double subHeight = 4.2;
        const double rowHeight = 4.1;

        // One size for every number, the largest that lets the widest one fit its cell.
        QFont numbers = Font(7.0);
        for (const CalReportStage& stage : r_.Stages) {
            for (const CalReportStatistics& row : stage.Rows) {
                for (const QString& text : {row.Max, row.Avg, row.Min, row.Spread})
                    numbers = s_.Fitting(text, numbers, cell - 2 * pad);
            }
        }

        s_.Fill(kLeft, y, kWidth, titleHeight + subHeight, kHeaderFill);
        for (int g = 0; g < int(r_.Stages.size()); ++g) {
            const CalReportStage& stage = r_.Stages[std::size_t(g)];
            const double gx = kLeft + label + g * group;
            const QString title = stage.ConfirmedAt.isEmpty() ? stage.Name + QStringLiteral("（未確定）")
                                                              : stage.Name + QStringLiteral("  ") + stage.ConfirmedAt;
            s_.Text(gx + pad, y, group - 2 * pad, titleHeight, title, Font(7.0, true), Qt::AlignHCenter);
            const std::array<const char*, 4> heads = {"Max", "Avg.", "Min", "p-p"};
            for (int c = 0; c < 4; ++c)
                s_.Text(gx + c * cell + pad, y + titleHeight, cell - 2 * pad, subHeight, QString::fromLatin1(heads[c]),
                        Font(6.5, true), Qt::AlignRight);
        }
        s_.Text(kLeft + pad, y + titleHeight, label - 2 * pad, subHeight, QStringLiteral("項目"), Font(6.5, true),
                Qt::AlignLeft);
        const double top = y;
        y += titleHeight + subHeight;

        for (int ch = 0; ch < int(r_.Channels.size()); ++ch) {
            s_.Text(kLeft + pad, y, label - 2 * pad, rowHeight, r_.Channels[ch], Font(7.0), Qt::AlignLeft);
            for (int g = 0; g < int(r_.Stages.size()); ++g) {
                const CalReportStage& stage = r_.Stages[std::size_t(g)];
                const double gx = kLeft + label + g * group;
                const bool confirms =
                    std::find(stage.Confirms.begin(), stage.Confirms.end(), ch) != stage.Confirms.end();
                if (confirms && !stage.Rows.empty())
                    s_.Fill(gx, y, group, rowHeight, kConfirmedFill);
                const bool known = ch < int(stage.Rows.size());
                const CalReportStatistics row = known ? stage.Rows[std::size_t(ch)] : CalReportStatistics{};
                const std::array<QString, 4> cells = {row.Max, row.Avg, row.Min, row.Spread};
                for (int c = 0; c < 4; ++c)
                    s_.Text(gx + c * cell + pad, y, cell - 2 * pad, rowHeight, Dash(cells[std::size_t(c)]), numbers,
                            Qt::AlignRight, known ? kInk : kMuted);
            }
            y += rowHeight;
            s_.Line(kLeft, y, kRight, y, 0.12, kRule);
        }
        for (int g = 0; g < int(r_.Stages.size()); ++g) {
            const double gx = kLeft + label + g * group;
            s_.Line(gx, top, gx, y, 0.25, kMuted);
        }
        s_.Line(kLeft, y, kRight, y, 0.3, kInk);
        return y;
    }

    void Plots(double y, double bottom)
    {
        y = Heading(kLeft, y, kWidth,
                    QStringLiteral("段階別の計測値推移（横軸：確定時刻からの秒数、最大1023秒。網掛け：統計の30秒）"));
        const int columns = 2;
        const int rows = std::max(1, (int(r_.Stages.size()) + columns - 1) / columns);
        const double gap = 4.0;
        const double w = (kWidth - gap * (columns - 1)) / columns;
        const double h = (bottom - y - gap * (rows - 1)) / rows;
        for (int i = 0; i < int(r_.Stages.size()); ++i) {
            const int row = i / columns;
            const int column = i % columns;
            Plot(kLeft + column * (w + gap), y + row * (h + gap), w, h, r_.Stages[std::size_t(i)]);
        }
    }

    void Plot(double x, double y, double w, double h, const CalReportStage& stage)
    {
        const double titleHeight = 4.5;
        s_.Text(x, y, w, titleHeight,
                stage.ConfirmedAt.isEmpty() ? stage.Name : stage.Name + QStringLiteral("  ") + stage.ConfirmedAt,
                Font(7.5, true), Qt::AlignLeft);
        const bool right =
            std::any_of(stage.Traces.begin(), stage.Traces.end(), [](const CalReportTrace& t) { return t.RightAxis; });
        const double axis = 9.5;
        const double left = x + axis;
        const double plotRight = x + w - (right ? axis : 2.0);
        const double legendTop = y + titleHeight;
        const double legendHeight = Legend(left, legendTop, plotRight - left, stage, false);
        const QFont tickFont = Font(6.0);
        // The units head the scales, in the legend's line.
        s_.Text(x, legendTop, axis - 1.0, 3.6, stage.LeftUnit, tickFont, Qt::AlignRight, kMuted);
        if (right)
            s_.Text(plotRight + 1.0, legendTop, axis - 1.0, 3.6, stage.RightUnit, tickFont, Qt::AlignLeft, kMuted);
        const double top = legendTop + legendHeight + 1.5;
        const double bottom = y + h - 3.8;
        const double plotWidth = plotRight - left;
        const double plotHeight = bottom - top;

        if (stage.ConfirmedAt.isEmpty()) {
            s_.Frame(left, top, plotWidth, plotHeight, 0.2, kRule);
            s_.Text(left, top, plotWidth, plotHeight, QStringLiteral("未確定"), Font(9.0), Qt::AlignHCenter, kMuted);
            return;
        }
        Legend(left, legendTop, plotRight - left, stage, true);

        constexpr double inf = std::numeric_limits<double>::infinity();
        double oldest = 0;
        std::array<double, 2> lo = {inf, inf};
        std::array<double, 2> hi = {-inf, -inf};
        for (const CalReportTrace& trace : stage.Traces) {
            const std::size_t side = trace.RightAxis ? 1 : 0;
            for (const QPointF& p : trace.Points) {
                if (!std::isfinite(p.x()) || !std::isfinite(p.y()))
                    continue;
                oldest = std::min(oldest, p.x());
                lo[side] = std::min(lo[side], p.y());
                hi[side] = std::max(hi[side], p.y());
            }
        }
        const std::array<Scale, 2> scales = {ValueScale(lo[0], hi[0], 0.1), ValueScale(lo[1], hi[1], 0.1)};
        const double span = std::max(30.0, -oldest);
        const double xStep = RoundStep(span / 5);
        const auto px = [&](double seconds) { return left + (seconds + span) / span * plotWidth; };
        const auto py = [&](const Scale& scale, double v) { return bottom - scale.Fraction(v) * plotHeight; };

        // The 30 seconds the statistics were taken over.
        s_.Fill(px(std::max(-30.0, -span)), top, px(0) - px(std::max(-30.0, -span)), plotHeight, kWindowFill);

        for (double t = 0; t >= -span - 1e-9; t -= xStep) {
            s_.Line(px(t), top, px(t), bottom, 0.1, kGrid);
            const QString text = t == 0 ? QStringLiteral("0 s") : TickText(t, DecimalsFor(xStep));
            // Kept between the plot's sides: beyond them stand the value scales' lowest labels.
            const double tw = std::min(s_.Width(text, tickFont) + 0.4, plotWidth);
            const double tx = std::clamp(px(t) - tw / 2, left, plotRight - tw);
            s_.Text(tx, bottom + 0.3, tw, 3.4, text, tickFont, Qt::AlignHCenter, kMuted);
        }
        for (std::size_t side = 0; side < (right ? 2u : 1u); ++side) {
            const Scale& scale = scales[side];
            const int ticks = int(std::lround((scale.Max - scale.Min) / scale.Step));
            for (int i = 0; i <= ticks; ++i) {
                const double v = scale.Min + i * scale.Step;
                const double ty = py(scale, v);
                if (side == 0)
                    s_.Line(left, ty, plotRight, ty, 0.1, kGrid);
                const double tx = side == 0 ? x : plotRight + 1.0;
                s_.Text(tx, ty - 1.7, axis - 1.0, 3.4, TickText(v, scale.Decimals), tickFont,
                        side == 0 ? Qt::AlignRight : Qt::AlignLeft, kMuted);
            }
        }

        QPainter& p = s_.Painter();
        p.save();
        p.setClipRect(Box(left, top, plotWidth, plotHeight));
        std::size_t colour = 0;
        for (const CalReportTrace& trace : stage.Traces) {
            const Scale& scale = scales[trace.RightAxis ? 1 : 0];
            p.setPen(QPen(kTraceColours[colour++ % kTraceColours.size()], 0.25 * kUnitsPerMm, Qt::SolidLine,
                          Qt::RoundCap, Qt::RoundJoin));
            QPolygonF line;
            double previous = -inf;
            // Seconds without a snapshot (a write held the polling) break the line.
            for (const QPointF& point : trace.Points) {
                if (!std::isfinite(point.x()) || !std::isfinite(point.y()))
                    continue;
                if (point.x() - previous > 2.5 && !line.isEmpty()) {
                    p.drawPolyline(line);
                    line.clear();
                }
                line << At(px(point.x()), py(scale, point.y()));
                previous = point.x();
            }
            if (line.size() == 1)
                p.drawPoint(line.front());
            else if (!line.isEmpty())
                p.drawPolyline(line);
        }
        p.restore();
        s_.Frame(left, top, plotWidth, plotHeight, 0.2, kMuted);
    }

    // The traces' colours and labels, flowing over as many lines as they need; returns the height.
    double Legend(double x, double y, double w, const CalReportStage& stage, bool draw)
    {
        const QFont font = Font(6.0);
        const double lineHeight = 3.6;
        const double swatch = 3.5;
        double cx = x;
        double cy = y;
        std::size_t colour = 0;
        for (const CalReportTrace& trace : stage.Traces) {
            const double item = swatch + 0.8 + s_.Width(trace.Label, font) + 2.5;
            if (cx > x && cx + item > x + w) {
                cx = x;
                cy += lineHeight;
            }
            if (draw) {
                s_.Line(cx, cy + lineHeight / 2, cx + swatch, cy + lineHeight / 2, 0.6,
                        kTraceColours[colour % kTraceColours.size()]);
                s_.Text(cx + swatch + 0.8, cy, item - swatch - 0.8, lineHeight, trace.Label, font, Qt::AlignLeft);
            }
            ++colour;
            cx += item;
        }
        return cy - y + lineHeight;
    }

    void Signatures(double y)
    {
        const double half = (kWidth - 2 * kColumnGap) / 2;
        const auto line = [&](double x, const char16_t* name) {
            s_.Text(x, y + 4.0, 16.0, 7.0, QString::fromUtf16(name), Font(9.5), Qt::AlignLeft);
            s_.Line(x + 16.0, y + 11.0, x + half - 9.0, y + 11.0, 0.25, kInk);
            s_.Text(x + half - 7.0, y + 4.0, 7.0, 7.0, QStringLiteral("印"), Font(8.0), Qt::AlignHCenter, kMuted);
            s_.Text(x + 16.0, y + 11.3, half - 25.0, 3.2, QStringLiteral("署名・日付"), Font(6.0), Qt::AlignLeft,
                    kMuted);
        };
        line(kLeft, u"校正者");
        line(kLeft + half + 2 * kColumnGap, u"確認者");
    }

    void Footer()
    {
        const double y = kBottom - 3.5;
        s_.Line(kLeft, y - 0.8, kRight, y - 0.8, 0.15, kRule);
        s_.Text(kLeft, y, kWidth * 0.7, 3.5, r_.FileName, Font(6.5), Qt::AlignLeft, kMuted);
        s_.Text(kLeft + kWidth * 0.7, y, kWidth * 0.3, 3.5, QStringLiteral("1 / 1"), Font(6.5), Qt::AlignRight, kMuted);
    }

    static QString Dash(const QString& text) { return text.isEmpty() ? QStringLiteral("—") : text; }

    Sheet& s_;
    const CalReport& r_;
};

// Qt maps each glyph of an embedded font back to the lowest code point the font draws with it. The
// CJK fonts draw a radical and its ideograph with one glyph, so "風速" would read back as "⾵速" and
// no search would find it. The text maps are plain text in the file; each radical that shares its
// glyph with an ideograph is rewritten in place as that ideograph, four hex digits for four, so no
// offset in the file moves.
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

}  // namespace

QByteArray CalReportPdf(const CalReport& report)
{
    QByteArray bytes = PaintA4Page(kResolution, QStringLiteral("校正成績書 ") + report.SerialNo, report.Program,
                                   [&report](QPainter& painter, QPdfWriter&) {
                                       Sheet sheet(painter);
                                       ReportPainter(sheet, report).Paint();
                                   });
    MapRadicalsToIdeographs(bytes);
    return bytes;
}

}  // namespace qemra
