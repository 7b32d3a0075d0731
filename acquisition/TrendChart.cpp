#include "acquisition/TrendChart.h"

#include <QChart>
#include <QFontMetrics>
#include <QGraphicsLayout>
#include <QLineSeries>
#include <QPainter>
#include <QPen>
#include <QResizeEvent>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <limits>

namespace qemra {

namespace {

constexpr double kSecondsPerMinute = 60.0;
constexpr double kMinTickSpacing = 22.0;  // pixels between value labels
// The data keeps this share of its span free above and below, so no line runs along an edge.
constexpr double kValueMargin = 0.08;
constexpr double kTickLength = 4.0;  // pixels below the plot
constexpr double kLabelTop = 5.0;    // from the plot's bottom edge to the top of a time label

// The smallest of 1, 2, 2.5 and 5 times a power of ten that is at least `rough`.
double NiceStep(double rough)
{
    const double magnitude = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double factor : {1.0, 2.0, 2.5, 5.0}) {
        if (factor * magnitude >= rough)
            return factor * magnitude;
    }
    return 10.0 * magnitude;
}

}  // namespace

// The view is built around its chart: a view made without one makes a default chart that
// setChart() would leave behind undeleted.
TrendChart::TrendChart(const QString& name, QWidget* parent) : QChartView(new QChart(), parent)
{
    setObjectName(name);
    QChart* chart = this->chart();
    chart->legend()->hide();
    chart->setTitle(QString());
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(2, 4, 18, 2));
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    chart->setAnimationOptions(QChart::NoAnimation);

    QFont labels = font();
    labels.setPixelSize(10);
    labelFont_ = labels;

    // The time axis only scales the series; it is hidden, and drawBackground() draws what it shows.
    timeAxis_ = new QValueAxis();
    timeAxis_->setVisible(false);
    chart->addAxis(timeAxis_, Qt::AlignBottom);
    // The chart's own background would cover what drawBackground() draws.
    chart->setBackgroundVisible(false);

    // Zero-width pens are drawn one pixel wide; a grid line or tick with a wider pen has its
    // outline stroked to find its extent every time the axis moves.
    const QPen gridPen(gridColor_, 0);
    const QPen axisPen(axisColor_, 0);

    valueAxis_ = new QValueAxis();
    valueAxis_->setLabelsFont(labels);
    valueAxis_->setLabelFormat(QStringLiteral("%g"));
    valueAxis_->setGridLinePen(gridPen);
    valueAxis_->setLinePen(axisPen);
    valueAxis_->setTickType(QValueAxis::TicksDynamic);
    valueAxis_->setTickAnchor(0);
    // Three labels until the first data: five would not fit a 110-pixel strip and show as "...".
    valueAxis_->setTickInterval(0.5);
    valueAxis_->setRange(0, 1);
    chart->addAxis(valueAxis_, Qt::AlignLeft);
    labelColor_ = valueAxis_->labelsBrush().color();

    setRenderHint(QPainter::Antialiasing, false);
    setFrameShape(QFrame::NoFrame);
    setMinimumHeight(40);
    chart->setPlotArea(PlotRect());
}

QRectF TrendChart::PlotRect() const
{
    const QSize area = size();
    return QRectF(kPlotLeft, kPlotTop, std::max(1, area.width() - kPlotLeft - kPlotRight),
                  std::max(1, area.height() - kPlotTop - kPlotBottom));
}

void TrendChart::resizeEvent(QResizeEvent* event)
{
    QChartView::resizeEvent(event);
    chart()->setPlotArea(PlotRect());
}

void TrendChart::drawBackground(QPainter* painter, const QRectF& rect)
{
    QChartView::drawBackground(painter, rect);
    const QRectF plot = chart()->mapToScene(chart()->plotArea()).boundingRect();
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    const double bottom = plot.bottom();
    painter->setFont(labelFont_);
    // The plot's left and right edges, then a line, a tick and a label on each whole minute.
    painter->setPen(QPen(gridColor_, 0));
    painter->drawLine(QPointF(plot.left(), plot.top()), QPointF(plot.left(), bottom));
    painter->drawLine(QPointF(plot.right(), plot.top()), QPointF(plot.right(), bottom));
    for (long long minute = firstMinute_; to_ > from_ && minute <= lastMinute_; ++minute) {
        const double at = static_cast<double>(minute) * kSecondsPerMinute;
        const double x = plot.left() + (at - from_) * plot.width() / (to_ - from_);
        painter->setPen(QPen(gridColor_, 0));
        painter->drawLine(QPointF(x, plot.top()), QPointF(x, bottom));
        painter->setPen(QPen(axisColor_, 0));
        painter->drawLine(QPointF(x, bottom + 1), QPointF(x, bottom + kTickLength));
        auto label = timeLabels_.find(minute);
        if (label == timeLabels_.end()) {
            label = timeLabels_.insert(minute, QStaticText(MinuteLabel(at)));
            label->setTextFormat(Qt::PlainText);
            label->prepare(QTransform(), labelFont_);
        }
        painter->setPen(labelColor_);
        painter->drawStaticText(QPointF(x - label->size().width() / 2.0, bottom + kLabelTop), *label);
    }
    painter->restore();
}

void TrendChart::drawForeground(QPainter* painter, const QRectF& rect)
{
    QChartView::drawForeground(painter, rect);
    // Over the value axis's lowest grid line, as an axis line is.
    const QRectF plot = chart()->mapToScene(chart()->plotArea()).boundingRect();
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(QPen(axisColor_, 0));
    painter->drawLine(QPointF(plot.left(), plot.bottom()), QPointF(plot.right(), plot.bottom()));
    painter->restore();
}

QLineSeries* TrendChart::AddSeries(const QString& code, const QColor& color)
{
    auto* series = new QLineSeries();
    series->setName(code);
    // A cosmetic one-pixel pen is drawn as plain pixel lines, without the joins of a wide pen.
    QPen pen(color, 1);
    pen.setCosmetic(true);
    series->setPen(pen);
    series->setPointsVisible(false);
    chart()->addSeries(series);
    series->attachAxis(timeAxis_);
    series->attachAxis(valueAxis_);
    series_.push_back(series);
    return series;
}

QString TrendChart::MinuteLabel(double seconds)
{
    const long long minutes = std::llround(seconds / kSecondsPerMinute);
    const long long ofDay = ((minutes % 1440) + 1440) % 1440;
    return QStringLiteral("%1:%2").arg(ofDay / 60, 2, 10, QLatin1Char('0')).arg(ofDay % 60, 2, 10, QLatin1Char('0'));
}

void TrendChart::SetTimeRange(double fromSeconds, double toSeconds)
{
    from_ = fromSeconds;
    to_ = toSeconds;
    firstMinute_ = static_cast<long long>(std::ceil(fromSeconds / kSecondsPerMinute));
    lastMinute_ = static_cast<long long>(std::floor(toSeconds / kSecondsPerMinute));
    timeLabels_.removeIf([this](const auto& entry) { return entry.key() < firstMinute_ || entry.key() > lastMinute_; });
    timeAxis_->setRange(fromSeconds, toSeconds);
    // The minute lines and labels move with the range.
    viewport()->update();
}

QStringList TrendChart::TimeLabels() const
{
    QStringList labels;
    for (long long minute = firstMinute_; minute <= lastMinute_; ++minute)
        labels.append(MinuteLabel(static_cast<double>(minute) * kSecondsPerMinute));
    return labels;
}

void TrendChart::Refill(double fromSeconds, double toSeconds, const std::vector<QList<QPointF>>& points)
{
    // Emptied first, so the new ranges lay out no points; then each series is laid out once.
    for (QLineSeries* series : series_)
        series->clear();
    SetTimeRange(fromSeconds, toSeconds);
    FitValueAxis(points);
    const QRectF plot = PlotRect();
    const int columns = static_cast<int>(plot.width());
    const double yPixels = high_ > low_ ? plot.height() / (high_ - low_) : 0.0;
    for (std::size_t i = 0; i < series_.size() && i < points.size(); ++i) {
        const QList<QPointF> visible = VisiblePoints(points[i], fromSeconds, toSeconds, columns);
        series_[i]->replace(yPixels > 0 ? WithoutHiddenPoints(visible, yPixels) : visible);
    }
}

QList<QPointF> TrendChart::WithoutHiddenPoints(const QList<QPointF>& points, double yPixels)
{
    // How far a left-out point may lie from the drawn line, and how many may be left out in a row
    // (which bounds the work per point).
    constexpr double kTolerance = 0.5;
    constexpr qsizetype kMaxRun = 32;
    const qsizetype n = points.size();
    if (n <= 2)
        return points;
    const auto hidden = [&](qsizetype anchor, qsizetype end) {
        const QPointF a = points[anchor];
        const QPointF b = points[end];
        const double dx = b.x() - a.x();
        for (qsizetype k = anchor + 1; k < end; ++k) {
            const QPointF p = points[k];
            if (!std::isfinite(p.y()))
                return false;
            const double onLine = dx > 0 ? a.y() + (b.y() - a.y()) * (p.x() - a.x()) / dx : a.y();
            // Off the line in either direction, or beyond the x of its ends.
            if (!(std::abs(p.y() - onLine) * yPixels <= kTolerance) || p.x() < a.x() || p.x() > b.x())
                return false;
        }
        return true;
    };
    QList<QPointF> kept;
    kept.append(points.front());
    qsizetype anchor = 0;
    for (qsizetype i = 2; i < n; ++i) {
        if (i - anchor > kMaxRun || !hidden(anchor, i)) {
            anchor = i - 1;
            kept.append(points[anchor]);
        }
    }
    kept.append(points.back());
    return kept;
}

QList<QPointF> TrendChart::VisiblePoints(const QList<QPointF>& points, double from, double to, int columns)
{
    const auto first =
        std::lower_bound(points.begin(), points.end(), from, [](const QPointF& p, double x) { return p.x() < x; });
    const auto last = std::upper_bound(first, points.end(), to, [](double x, const QPointF& p) { return x < p.x(); });
    const auto begin = first == points.begin() ? first : first - 1;
    const auto end = last == points.end() ? last : last + 1;
    if (columns < 1 || !(to > from) || (last - first) <= 4 * static_cast<qsizetype>(columns))
        return QList<QPointF>(begin, end);

    QList<QPointF> kept;
    kept.reserve(4 * columns + 2);
    if (begin != first)
        kept.append(*begin);
    const double perColumn = columns / (to - from);
    for (auto it = first; it != last;) {
        const auto column = static_cast<long long>((it->x() - from) * perColumn);
        auto low = it;
        auto high = it;
        auto next = it + 1;
        for (; next != last && static_cast<long long>((next->x() - from) * perColumn) == column; ++next) {
            if (next->y() < low->y())
                low = next;
            if (next->y() > high->y())
                high = next;
        }
        const auto tail = next - 1;
        // In time order, each point once.
        kept.append(*it);
        const auto middle1 = std::min(low, high);
        const auto middle2 = std::max(low, high);
        if (middle1 != it && middle1 != tail)
            kept.append(*middle1);
        if (middle2 != middle1 && middle2 != it && middle2 != tail)
            kept.append(*middle2);
        if (tail != it)
            kept.append(*tail);
        it = next;
    }
    if (end != last)
        kept.append(*last);
    return kept;
}

void TrendChart::FitValueAxis(const std::vector<QList<QPointF>>& points)
{
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < series_.size() && i < points.size(); ++i) {
        for (const QPointF& p : points[i]) {
            // A reported value beyond single precision is stored as infinity; it cannot be scaled.
            if (p.x() < from_ || p.x() > to_ || !std::isfinite(p.y()))
                continue;
            low = std::min(low, p.y());
            high = std::max(high, p.y());
        }
    }
    if (!(low <= high))
        return;  // nothing visible: keep the last scale
    // Room above and below the data, a flat line included.
    const double margin = std::max((high - low) * kValueMargin, std::max(std::abs(high) * 0.001, 0.01));
    low -= margin;
    high += margin;
    // The range ends on round values with a label at each end and at least one between them,
    // but never more labels than the strip's height has room for: a strip only 110 pixels high
    // cannot show five labels without the chart eliding them.
    const int maxIntervals = std::max(2, static_cast<int>(PlotRect().height() / kMinTickSpacing));
    const auto intervals = [&](double s) { return std::ceil(high / s - 1e-9) - std::floor(low / s + 1e-9); };
    double step = NiceStep((high - low) / maxIntervals);
    while (intervals(step) > maxIntervals)
        step = NiceStep(step * 1.01);
    while (intervals(step) < 2.0)
        step = NiceStep(step * 0.99 / 2.0);
    low = std::floor(low / step + 1e-9) * step;
    high = std::ceil(high / step - 1e-9) * step;
    if (low == low_ && high == high_ && step == step_)
        return;
    low_ = low;
    high_ = high;
    step_ = step;
    valueAxis_->setRange(low, high);
    valueAxis_->setTickAnchor(0);
    valueAxis_->setTickInterval(step);
}

}  // namespace qemra
