// TrendChart.cpp: TrendChart, one trend strip of the main window.
#include "windows/main/TrendChart.h"

#include <QChart>
#include <QDate>
#include <QFontMetrics>
#include <QGraphicsLayout>
#include <QLineSeries>
#include <QPaintEngine>
#include <QPainter>
#include <QPen>
#include <QResizeEvent>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

namespace qemra {

namespace {

constexpr double kSecondsPerMinute = 60.0;
constexpr double kMinTickSpacing = 22.0;  // pixels between value labels
// The data keeps this share of its span free above and below, so no line runs along an edge.
constexpr double kValueMargin = 0.08;
constexpr int kTickLength = 4;     // pixels outside the plot
constexpr int kLabelGap = 2;       // from a value tick to its label
constexpr double kLabelTop = 5.0;  // from the plot's bottom edge to the top of a time label

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

    // The chart's own background would cover what drawBackground() draws.
    chart->setBackgroundVisible(false);

    // The view draws grid, ticks, labels and series itself; the chart keeps only the value range,
    // on a hidden axis. Laid out by the chart, every label would be shaped afresh as rich text and
    // every grid line stroked a pixel at a time on each repaint.
    valueAxis_ = new QValueAxis();
    valueAxis_->setVisible(false);
    valueAxis_->setTickType(QValueAxis::TicksDynamic);
    valueAxis_->setTickAnchor(0);
    valueAxis_->setTickInterval(step_);
    valueAxis_->setRange(low_, high_);
    chart->addAxis(valueAxis_, Qt::AlignLeft);
    // The labels keep the colour the chart's theme gives its axis labels.
    labelColor_ = valueAxis_->labelsBrush().color();

    setRenderHint(QPainter::Antialiasing, false);
    // Everything in the chart changes together once a second; Refill() and SetTimeRange() repaint
    // the whole view once. Left to the scene, each changed series would be repainted a second
    // time after the window has already shown it.
    setViewportUpdateMode(QGraphicsView::NoViewportUpdate);
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
    const QRect plot = PlotPixels();
    const PixelScale scale = Scale(plot);
    // Grid lines and ticks are filled one-pixel rectangles: a cosmetic line is laid out a pixel
    // at a time, a filled rectangle a row at a time.
    painter->fillRect(QRect(plot.left(), plot.top(), 1, plot.height()), gridColor_);
    painter->fillRect(QRect(plot.right(), plot.top(), 1, plot.height()), gridColor_);
    // A line, a tick and a label on each whole step.
    for (long long tick = firstTick_; to_ > from_ && tick <= lastTick_; ++tick) {
        const double at = static_cast<double>(tick) * timeStep_;
        const int x = static_cast<int>(std::lround(scale.X(at)));
        painter->fillRect(QRect(x, plot.top(), 1, plot.height()), gridColor_);
        painter->fillRect(QRect(x, plot.bottom() + 1, 1, kTickLength), axisColor_);
        auto label = timeLabels_.find(tick);
        if (label == timeLabels_.end())
            label = timeLabels_.insert(tick, Prepared(TickLabel(at)));
        DrawLabel(*painter, QPointF(std::round(x - label->width / 2.0), plot.bottom() + kLabelTop), *label,
                  TickLabel(at));
    }
    // A line, a tick and a label on each value step, the label right-aligned to the tick.
    const std::vector<double> values = ValueTicks();
    for (const double value : values) {
        const int y = static_cast<int>(std::lround(scale.Y(value)));
        painter->fillRect(QRect(plot.left(), y, plot.width(), 1), gridColor_);
        painter->fillRect(QRect(plot.left() - kTickLength, y, kTickLength, 1), axisColor_);
        const QString text = ValueLabel(value);
        auto label = valueLabels_.find(text);
        if (label == valueLabels_.end())
            label = valueLabels_.insert(text, Prepared(text));
        DrawLabel(*painter,
                  QPointF(std::round(plot.left() - kTickLength - kLabelGap - label->width),
                          std::round(y - label->height / 2.0)),
                  *label, text);
    }
    DrawLevelLines(*painter, plot);
}

void TrendChart::SetLevelLines(std::vector<LevelLine> lines)
{
    levelLines_ = std::move(lines);
    viewport()->update();
}

void TrendChart::DrawLevelLines(QPainter& painter, const QRect& plot) const
{
    if (levelLines_.empty() || !(high_ > low_))
        return;
    const PixelScale scale = Scale(plot);
    painter.save();
    painter.setClipRect(plot);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(levelColor_, 1, Qt::DashLine));
    painter.setFont(labelFont_);
    const QFontMetrics metrics(labelFont_);
    for (const LevelLine& line : levelLines_) {
        const int y = static_cast<int>(std::lround(scale.Y(line.value)));
        painter.drawLine(plot.left(), y, plot.right(), y);
        const int width = metrics.horizontalAdvance(line.label);
        painter.drawText(QPoint(plot.right() - width - 2, y + metrics.ascent() + 1), line.label);
    }
    painter.restore();
}

void TrendChart::drawForeground(QPainter* painter, const QRectF& rect)
{
    QChartView::drawForeground(painter, rect);
    const QRect plot = PlotPixels();
    DrawSeries(*painter, plot);
    // The axis lines lie over the lowest grid line and over a series that runs along an edge.
    painter->fillRect(QRect(plot.left(), plot.bottom(), plot.width() + 1, 1), axisColor_);
    painter->fillRect(QRect(plot.left(), plot.top(), 1, plot.height() + 1), axisColor_);
}

void TrendChart::DrawSeries(QPainter& painter, const QRect& plot) const
{
    if (!(to_ > from_) || !(high_ > low_))
        return;
    const PixelScale scale = Scale(plot);
    painter.save();
    painter.setClipRect(plot);
    painter.setRenderHint(QPainter::Antialiasing, false);
    QList<QPointF> line;
    const auto drawLine = [&] {
        if (line.size() > 1)
            painter.drawPolyline(line.constData(), static_cast<int>(line.size()));
        else if (line.size() == 1)
            painter.drawPoint(line.front());
        line.clear();
    };
    for (const QLineSeries* series : series_) {
        painter.setPen(series->pen());
        const QList<QPointF> points = series->points();
        line.reserve(points.size());
        for (const QPointF& p : points) {
            // A value that cannot be scaled breaks the line rather than bending it off the plot.
            if (!std::isfinite(p.y())) {
                drawLine();
                continue;
            }
            line.append(QPointF(scale.X(p.x()), scale.Y(p.y())));
        }
        drawLine();
    }
    painter.restore();
}

QRect TrendChart::PlotPixels() const
{
    const QRectF area = chart()->mapToScene(chart()->plotArea()).boundingRect();
    const int left = static_cast<int>(std::lround(area.left()));
    const int top = static_cast<int>(std::lround(area.top()));
    // QRect's right() and bottom() are the last pixel column and row inside it.
    return QRect(QPoint(left, top),
                 QPoint(static_cast<int>(std::lround(area.right())), static_cast<int>(std::lround(area.bottom()))));
}

void TrendChart::DrawLabel(QPainter& painter, const QPointF& topLeft, const Label& label, const QString& text) const
{
    // A page (PDF, printer) keeps the text as text, sharp at any size.
    const QPaintEngine* engine = painter.paintEngine();
    if (engine != nullptr && (engine->type() == QPaintEngine::Pdf || engine->type() == QPaintEngine::Picture)) {
        painter.save();
        painter.setFont(labelFont_);
        painter.setPen(labelColor_);
        painter.drawText(topLeft + QPointF(0, QFontMetricsF(labelFont_).ascent()), text);
        painter.restore();
        return;
    }
    painter.drawImage(topLeft, label.image);
}

TrendChart::Label TrendChart::Prepared(const QString& text) const
{
    // Drawn once into an image: blending a ready image costs far less than laying out its glyphs
    // again on every repaint.
    const QFontMetricsF metrics(labelFont_);
    Label label;
    label.width = metrics.horizontalAdvance(text);
    label.height = metrics.height();
    const qreal ratio = devicePixelRatioF();
    // A pixel to spare on the right for a glyph that reaches past its advance.
    label.image = QImage(static_cast<int>(std::ceil((label.width + 1) * ratio)),
                         static_cast<int>(std::ceil(label.height * ratio)), QImage::Format_ARGB32_Premultiplied);
    label.image.setDevicePixelRatio(ratio);
    label.image.fill(Qt::transparent);
    QPainter painter(&label.image);
    painter.setFont(labelFont_);
    painter.setPen(labelColor_);
    painter.drawText(QPointF(0, metrics.ascent()), text);
    return label;
}

std::vector<double> TrendChart::ValueTicks() const
{
    std::vector<double> values;
    if (!(step_ > 0) || !(high_ > low_))
        return values;
    const auto first = static_cast<long long>(std::ceil(low_ / step_ - 1e-6));
    const auto last = static_cast<long long>(std::floor(high_ / step_ + 1e-6));
    for (long long k = first; k <= last; ++k)
        values.push_back(static_cast<double>(k) * step_);
    return values;
}

TrendChart::PixelScale TrendChart::Scale(const QRect& plot) const
{
    PixelScale scale;
    scale.left = plot.left();
    scale.from = from_;
    scale.perSecond = to_ > from_ ? (plot.right() - plot.left()) / (to_ - from_) : 0.0;
    scale.bottom = plot.bottom();
    scale.low = low_;
    scale.perUnit = high_ > low_ ? (plot.bottom() - plot.top()) / (high_ - low_) : 0.0;
    return scale;
}

QString TrendChart::ValueLabel(double value)
{
    // Six significant digits, as "%g" prints them; a step that lands on zero is shown as "0".
    return QString::number(value == 0.0 ? 0.0 : value, 'g', 6);
}

QStringList TrendChart::ValueLabels() const
{
    QStringList labels;
    for (const double value : ValueTicks())
        labels.append(ValueLabel(value));
    return labels;
}

QLineSeries* TrendChart::AddSeries(const QString& code, const QColor& color)
{
    // The series holds the points the view draws itself: a series in the chart would have the
    // outline of its whole line stroked again on every refill to find its shape.
    auto* series = new QLineSeries(this);
    series->setName(code);
    // A cosmetic one-pixel pen is drawn as plain pixel lines, without the joins of a wide pen.
    QPen pen(color, 1);
    pen.setCosmetic(true);
    series->setPen(pen);
    series_.push_back(series);
    return series;
}

QString TrendChart::MinuteLabel(double seconds)
{
    const long long minutes = std::llround(seconds / kSecondsPerMinute);
    const long long ofDay = ((minutes % 1440) + 1440) % 1440;
    return QStringLiteral("%1:%2").arg(ofDay / 60, 2, 10, QLatin1Char('0')).arg(ofDay % 60, 2, 10, QLatin1Char('0'));
}

QString TrendChart::TickLabel(double seconds) const
{
    constexpr double kDay = 86400.0;
    const long long whole = std::llround(seconds);
    const long long ofDay = ((whole % 86400) + 86400) % 86400;
    if (timeStep_ >= kDay || (adaptiveTime_ && ofDay == 0)) {
        // The x counts days from 1899-12-30, as the date-time values do.
        const QDate day = QDate(1899, 12, 30).addDays((whole - ofDay) / 86400);
        return day.toString(QStringLiteral("MM/dd"));
    }
    if (timeStep_ < kSecondsPerMinute)
        return QStringLiteral("%1:%2:%3")
            .arg(ofDay / 3600, 2, 10, QLatin1Char('0'))
            .arg(ofDay / 60 % 60, 2, 10, QLatin1Char('0'))
            .arg(ofDay % 60, 2, 10, QLatin1Char('0'));
    return MinuteLabel(seconds);
}

void TrendChart::SetTimeRange(double fromSeconds, double toSeconds)
{
    from_ = fromSeconds;
    to_ = toSeconds;
    double step = kSecondsPerMinute;
    if (adaptiveTime_ && toSeconds > fromSeconds) {
        // The smallest step that leaves room for a label between ticks.
        constexpr double kSteps[] = {1,   2,    5,    10,   15,    30,    60,    120,   300,    600,
                                     900, 1800, 3600, 7200, 10800, 21600, 43200, 86400, 172800, 604800};
        constexpr double kMinLabelSpacing = 64.0;
        const double perSecond = PlotRect().width() / (toSeconds - fromSeconds);
        step = kSteps[std::size(kSteps) - 1];
        for (const double candidate : kSteps) {
            if (candidate * perSecond >= kMinLabelSpacing) {
                step = candidate;
                break;
            }
        }
    }
    if (step != timeStep_)
        timeLabels_.clear();
    timeStep_ = step;
    firstTick_ = static_cast<long long>(std::ceil(fromSeconds / step));
    lastTick_ = static_cast<long long>(std::floor(toSeconds / step));
    timeLabels_.removeIf([this](const auto& entry) { return entry.key() < firstTick_ || entry.key() > lastTick_; });
    // The minute lines, the labels and the series move with the range: one repaint shows them all.
    viewport()->update();
}

QStringList TrendChart::TimeLabels() const
{
    QStringList labels;
    for (long long tick = firstTick_; tick <= lastTick_; ++tick)
        labels.append(TickLabel(static_cast<double>(tick) * timeStep_));
    return labels;
}

void TrendChart::Refill(double fromSeconds, double toSeconds, const std::vector<QList<QPointF>>& points)
{
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
    // The level lines stay in sight, so a value is always seen against them.
    for (const LevelLine& line : levelLines_) {
        low = std::min(low, line.value);
        high = std::max(high, line.value);
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
    valueLabels_.clear();
    valueAxis_->setRange(low, high);
    valueAxis_->setTickInterval(step);
}

}  // namespace qemra
