// TrendChart.h: TrendChart, one trend strip of the main window.
#pragma once

#include <QChartView>
#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QRect>
#include <QString>
#include <QStringList>
#include <vector>

class QLineSeries;
class QValueAxis;

namespace qemra {

// One trend chart of the main window: line series over a time axis without legend or title.
// X values are local time in seconds since the date-time epoch (the snapshot stamp × 86400), so
// whole minutes are whole multiples of 60 and need no time-zone arithmetic. The bottom axis
// labels sit on those whole minutes ("hh:nn") and travel with the data instead of being
// re-spaced across the range on every refresh; the left axis follows the visible values.
// The plot area has the same fixed margins in every chart, so charts of the same width stack
// with their minute lines aligned whatever their value labels.
class TrendChart : public QChartView {
    Q_OBJECT

public:
    static constexpr double kSecondsPerDay = 86400.0;

    explicit TrendChart(const QString& name, QWidget* parent = nullptr);

    // Series are drawn in the order they are added (series 0, 1, 2).
    QLineSeries* AddSeries(const QString& code, const QColor& color);
    int SeriesCount() const { return static_cast<int>(series_.size()); }
    QLineSeries* Series(int index) const { return series_.at(static_cast<std::size_t>(index)); }

    // The visible time range in seconds; a label sits on each whole minute inside it, or with
    // adaptive time labels on each whole step that leaves room between labels (seconds to days).
    void SetTimeRange(double fromSeconds, double toSeconds);
    void SetAdaptiveTimeLabels(bool adaptive) { adaptiveTime_ = adaptive; }
    double TimeStep() const { return timeStep_; }
    double TimeFrom() const { return from_; }
    double TimeTo() const { return to_; }
    QStringList TimeLabels() const;

    // Dashed lines across the plot at fixed values, each with a short label below its right end,
    // kept in sight by the left axis whatever the data: the limits the values are judged by.
    struct LevelLine {
        double value = 0;
        QString label;
    };
    void SetLevelLines(std::vector<LevelLine> lines);
    const std::vector<LevelLine>& LevelLines() const { return levelLines_; }

    // New time range, the left axis fitted to the points inside it, and one replace() per series.
    void Refill(double fromSeconds, double toSeconds, const std::vector<QList<QPointF>>& points);

    // "hh:nn" of a whole-minute position.
    static QString MinuteLabel(double seconds);
    // The label of a tick `step` seconds from the next: "hh:nn:ss" below a minute, "MM/dd" from a
    // day on and, with adaptive labels, at midnight; "hh:nn" otherwise.
    QString TickLabel(double seconds) const;
    // The value labels drawn beside the plot, lowest first, and the text of one.
    QStringList ValueLabels() const;
    const QFont& LabelFont() const { return labelFont_; }
    static QString ValueLabel(double value);

    // Room around the plot area: value labels on the left, time labels below.
    static constexpr int kPlotLeft = 46;
    static constexpr int kPlotTop = 12;
    static constexpr int kPlotRight = 18;
    static constexpr int kPlotBottom = 22;
    QRectF PlotRect() const;

    // The points of one series (oldest first) that a plot `columns` pixels wide over [from, to]
    // can show: those in the range plus one neighbour outside each end, so the line still
    // reaches the edges; where several points share a pixel column only the first, the lowest,
    // the highest and the last of them are kept, which draws the same pixels.
    static QList<QPointF> VisiblePoints(const QList<QPointF>& points, double from, double to, int columns);
    // Drops the points (oldest first) that lie within half a pixel of the line drawn between the
    // points kept around them, at `yPixels` per value unit; the line stays where it was, every
    // bend and peak a user can see included, with far fewer segments to lay out.
    static QList<QPointF> WithoutHiddenPoints(const QList<QPointF>& points, double yPixels);

protected:
    void resizeEvent(QResizeEvent* event) override;
    // Grid lines, ticks and labels of both axes.
    void drawBackground(QPainter* painter, const QRectF& rect) override;
    // The series over the grid, then the axis lines.
    void drawForeground(QPainter* painter, const QRectF& rect) override;

private:
    void FitValueAxis(const std::vector<QList<QPointF>>& points);
    void DrawLevelLines(QPainter& painter, const QRect& plot) const;
    // Each series as a one-pixel line through its points, clipped to the plot.
    void DrawSeries(QPainter& painter, const QRect& plot) const;
    // The plot area in whole pixels of the view.
    QRect PlotPixels() const;
    // A label drawn into an image, its text's advance width and line height in pixels.
    struct Label {
        QImage image;
        double width = 0;
        double height = 0;
    };
    // The label's image, or on a page its text.
    void DrawLabel(QPainter& painter, const QPointF& topLeft, const Label& label, const QString& text) const;
    Label Prepared(const QString& text) const;
    // Each multiple of the step inside the value range.
    std::vector<double> ValueTicks() const;
    // From seconds and values to view pixels, the plot's left column and bottom row at the start of
    // the range and the bottom of the value range.
    struct PixelScale {
        double left = 0, from = 0, perSecond = 0;
        double bottom = 0, low = 0, perUnit = 0;
        double X(double seconds) const { return left + (seconds - from) * perSecond; }
        double Y(double value) const { return bottom - (value - low) * perUnit; }
    };
    PixelScale Scale(const QRect& plot) const;

    QFont labelFont_;
    // The labels drawn once each, the time labels by tick, the value labels by text.
    QHash<long long, Label> timeLabels_;
    QHash<QString, Label> valueLabels_;
    QColor gridColor_{220, 220, 220};
    QColor axisColor_{Qt::black};
    QColor labelColor_;
    QValueAxis* valueAxis_ = nullptr;
    std::vector<QLineSeries*> series_;
    std::vector<LevelLine> levelLines_;
    QColor levelColor_{200, 110, 0};
    double from_ = 0;
    double to_ = 0;
    // The ticks on the time axis, as multiples of the step.
    bool adaptiveTime_ = false;
    double timeStep_ = 60.0;
    long long firstTick_ = -1;
    long long lastTick_ = -1;
    // Three labels until the first data: five would not fit a 110-pixel strip.
    double low_ = 0;
    double high_ = 1;
    double step_ = 0.5;
};

}  // namespace qemra
