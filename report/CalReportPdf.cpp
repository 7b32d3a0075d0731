#include "report/CalReportPdf.h"

#include "report/A4Page.h"
#include "report/PdfSheet.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QPolygonF>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace qemra {

namespace {

using namespace pdf;

// The traces keep this share of their span from the plot's frame.
constexpr double kValueMargin = 0.08;

class ReportPainter {
    Q_DECLARE_TR_FUNCTIONS(CalReportPdf)

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
        s_.Text(kLeft, y, kWidth, 10.0, tr("校正成績書"), Font(19.0, true), Qt::AlignHCenter);
        s_.Line(kLeft, y + 11.5, kRight, y + 11.5, 0.5, kInk);
        s_.Line(kLeft, y + 12.3, kRight, y + 12.3, 0.15, kInk);
        return y + 14.5;
    }

    double Header(double y)
    {
        const double half = (kWidth - kColumnGap) / 2;
        const double label = 25.0;
        const double row = 5.8;
        const auto field = [&](double x, double top, const QString& name, const QString& value, bool strong) {
            s_.Text(x, top, label, row, name, Font(8.0), Qt::AlignLeft, kMuted);
            s_.Text(x + label, top, half - label, row, value.isEmpty() ? QStringLiteral("—") : value,
                    Font(strong ? 11.0 : 9.5, strong), Qt::AlignLeft);
            s_.Line(x, top + row, x + half, top + row, 0.15, kRule);
        };
        const double right = kLeft + half + kColumnGap;
        field(kLeft, y, tr("シリアル番号"), r_.SerialNo, true);
        field(kLeft, y + row, tr("モデル番号 (S00)"), r_.Model, false);
        field(kLeft, y + 2 * row, tr("バージョン (S01)"), r_.Version, false);
        field(right, y, tr("校正開始"), r_.Started, false);
        field(right, y + row, tr("校正終了"), r_.Finished, false);
        field(right, y + 2 * row, tr("プログラム"), r_.Program, false);
        return y + 3 * row;
    }

    // The written values, before and after.
    double Values(double x, double y, double w)
    {
        y = Heading(x, y, w, tr("校正値（計器への書込値）"));
        struct Column {
            QString title;
            double width;
            int align;
        };
        const double value = 24.0;
        const std::array<Column, 5> columns = {{{tr("キー"), 11.0, Qt::AlignHCenter},
                                                {tr("項目"), w - 11.0 - 10.0 - 2 * value, Qt::AlignLeft},
                                                {tr("単位"), 10.0, Qt::AlignHCenter},
                                                {tr("校正前"), value, Qt::AlignRight},
                                                {tr("校正後"), value, Qt::AlignRight}}};
        const double headerHeight = 5.0;
        const double rowHeight = 4.6;
        const double pad = 1.5;
        s_.Fill(x, y, w, headerHeight, kHeaderFill);
        double cx = x;
        for (const Column& c : columns) {
            s_.Text(cx + pad, y, c.width - 2 * pad, headerHeight, c.title, Font(7.5, true), c.align);
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
        y = Heading(x, y, w, tr("基準条件"));
        const double label = 19.0;
        const auto field = [&](const QString& name, const QString& value) {
            s_.Text(x, y, label, 4.8, name, Font(7.5), Qt::AlignLeft, kMuted);
            const double used = s_.Paragraph(x + label, y + 0.7, w - label, Dash(value), Font(7.5));
            y += std::max(4.8, used + 1.4);
            s_.Line(x, y, x + w, y, 0.12, kRule);
        };
        field(tr("基準温度"), r_.ReferenceTemperature);
        field(tr("基準風速"), r_.ReferenceWindSpeed);
        field(tr("許容差"), r_.Tolerance);
        y += 3.0;

        y = Heading(x, y, w, tr("風速確認"));
        const double first = 17.0;
        const double rest = (w - first) / 2;
        const double rowHeight = 4.8;
        s_.Fill(x, y, w, rowHeight, kHeaderFill);
        s_.Text(x + 1, y, first - 2, rowHeight, tr("平均"), Font(7.5, true), Qt::AlignLeft);
        s_.Text(x + first, y, rest - 1.5, rowHeight, tr("風速 [m/s]"), Font(7.5, true), Qt::AlignRight);
        s_.Text(x + first + rest, y, rest - 1.5, rowHeight, tr("偏差 [%]"), Font(7.5, true), Qt::AlignRight);
        y += rowHeight;
        const auto row = [&](const QString& name, const QString& average, const QString& deviation) {
            s_.Text(x + 1, y, first - 2, rowHeight, name, Font(7.5), Qt::AlignLeft);
            s_.Text(x + first, y, rest - 1.5, rowHeight, Dash(average), Font(7.5), Qt::AlignRight);
            s_.Text(x + first + rest, y, rest - 1.5, rowHeight, Dash(deviation), Font(7.5), Qt::AlignRight);
            y += rowHeight;
            s_.Line(x, y, x + w, y, 0.12, kRule);
        };
        row(tr("5秒"), r_.Average5, r_.Deviation5);
        row(tr("15秒"), r_.Average15, r_.Deviation15);
        y += 2.5;

        const QColor verdict = r_.Passed ? kPass : kFail;
        const double boxHeight = 10.0;
        s_.Text(x, y, first, boxHeight, tr("判定"), Font(8.0), Qt::AlignLeft, kMuted);
        s_.Frame(x + first, y, w - first, boxHeight, 0.5, verdict);
        s_.Text(x + first, y, w - first, boxHeight, r_.Passed ? tr("合格") : tr("不合格"), Font(15.0, true),
                Qt::AlignHCenter, verdict);
        y += boxHeight + 0.8;
        s_.Text(x + first, y, w - first, 3.5, tr("15秒平均と許容差による"), Font(6.5), Qt::AlignHCenter, kMuted);
        return y + 3.5;
    }

    // Each stage's statistics at its confirmation, the stages side by side.
    double Statistics(double y)
    {
        y = Heading(kLeft, y, kWidth, tr("段階別統計（確定時の直近30秒：Max / Avg. / Min / p-p）"));
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
            const QString title = stage.ConfirmedAt.isEmpty() ? tr("%1（未確定）").arg(stage.Name)
                                                              : stage.Name + QStringLiteral("  ") + stage.ConfirmedAt;
            s_.Text(gx + pad, y, group - 2 * pad, titleHeight, title, Font(7.0, true), Qt::AlignHCenter);
            const std::array<const char*, 4> heads = {"Max", "Avg.", "Min", "p-p"};
            for (int c = 0; c < 4; ++c)
                s_.Text(gx + c * cell + pad, y + titleHeight, cell - 2 * pad, subHeight, QString::fromLatin1(heads[c]),
                        Font(6.5, true), Qt::AlignRight);
        }
        s_.Text(kLeft + pad, y + titleHeight, label - 2 * pad, subHeight, tr("項目"), Font(6.5, true), Qt::AlignLeft);
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
                    tr("段階別の計測値推移（横軸：確定時刻からの秒数、最大1023秒。網掛け：統計の30秒）"));
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
            s_.Text(left, top, plotWidth, plotHeight, tr("未確定"), Font(9.0), Qt::AlignHCenter, kMuted);
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
        const std::array<Scale, 2> scales = {ValueScale(lo[0], hi[0], 0.1, kValueMargin), ValueScale(lo[1], hi[1], 0.1, kValueMargin)};
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
        const auto line = [&](double x, const QString& name) {
            s_.Text(x, y + 4.0, 16.0, 7.0, name, Font(9.5), Qt::AlignLeft);
            s_.Line(x + 16.0, y + 11.0, x + half - 9.0, y + 11.0, 0.25, kInk);
            s_.Text(x + half - 7.0, y + 4.0, 7.0, 7.0, tr("印"), Font(8.0), Qt::AlignHCenter, kMuted);
            s_.Text(x + 16.0, y + 11.3, half - 25.0, 3.2, tr("署名・日付"), Font(6.0), Qt::AlignLeft, kMuted);
        };
        line(kLeft, tr("校正者"));
        line(kLeft + half + 2 * kColumnGap, tr("確認者"));
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

}  // namespace

QByteArray CalReportPdf(const CalReport& report)
{
    QByteArray bytes =
        PaintA4Page(kResolution, QCoreApplication::translate("CalReportPdf", "校正成績書 %1").arg(report.SerialNo),
                    report.Program, [&report](QPainter& painter, QPdfWriter&) {
                        Sheet sheet(painter);
                        ReportPainter(sheet, report).Paint();
                    });
    MapRadicalsToIdeographs(bytes);
    return bytes;
}

}  // namespace qemra
