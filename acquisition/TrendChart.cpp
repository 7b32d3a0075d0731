#include "acquisition/TrendChart.h"

#include <QCategoryAxis>
#include <QChart>
#include <QGraphicsLayout>
#include <QLineSeries>
#include <QPen>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <limits>

namespace qemra {

namespace {

constexpr double kSecondsPerMinute = 60.0;
constexpr double kMinTickSpacing = 22.0;  // pixels between value labels

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
    chart->setBackgroundBrush(Qt::white);
    chart->setMargins(QMargins(2, 4, 18, 2));
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    chart->setAnimationOptions(QChart::NoAnimation);

    QFont labels = font();
    labels.setPixelSize(10);

    timeAxis_ = new QCategoryAxis();
    timeAxis_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    timeAxis_->setLabelsFont(labels);
    timeAxis_->setGridLineColor(QColor(220, 220, 220));
    chart->addAxis(timeAxis_, Qt::AlignBottom);

    valueAxis_ = new QValueAxis();
    valueAxis_->setLabelsFont(labels);
    valueAxis_->setLabelFormat(QStringLiteral("%g"));
    valueAxis_->setGridLineColor(QColor(220, 220, 220));
    valueAxis_->setTickType(QValueAxis::TicksDynamic);
    valueAxis_->setTickAnchor(0);
    // Three labels until the first data: five would not fit a 110-pixel strip and show as "...".
    valueAxis_->setTickInterval(0.5);
    valueAxis_->setRange(0, 1);
    chart->addAxis(valueAxis_, Qt::AlignLeft);

    setRenderHint(QPainter::Antialiasing, false);
    setFrameShape(QFrame::NoFrame);
    setMinimumHeight(40);
}

QLineSeries* TrendChart::AddSeries(const QString& code, const QColor& color)
{
    auto* series = new QLineSeries();
    series->setName(code);
    series->setPen(QPen(color, 1));
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
    return QStringLiteral("%1:%2")
        .arg(ofDay / 60, 2, 10, QLatin1Char('0'))
        .arg(ofDay % 60, 2, 10, QLatin1Char('0'));
}

void TrendChart::SetTimeRange(double fromSeconds, double toSeconds)
{
    from_ = fromSeconds;
    to_ = toSeconds;
    const auto first = static_cast<long long>(std::ceil(fromSeconds / kSecondsPerMinute));
    const auto last = static_cast<long long>(std::floor(toSeconds / kSecondsPerMinute));
    if (first != firstMinute_ || last != lastMinute_) {
        firstMinute_ = first;
        lastMinute_ = last;
        for (const QString& label : timeAxis_->categoriesLabels())
            timeAxis_->remove(label);
        timeAxis_->setStartValue(static_cast<double>(first - 1) * kSecondsPerMinute);
        for (long long minute = first; minute <= last; ++minute) {
            const double at = static_cast<double>(minute) * kSecondsPerMinute;
            timeAxis_->append(MinuteLabel(at), at);
        }
    }
    timeAxis_->setRange(fromSeconds, toSeconds);
}

QStringList TrendChart::TimeLabels() const
{
    return timeAxis_->categoriesLabels();
}

void TrendChart::Refill(double fromSeconds, double toSeconds, const std::vector<QList<QPointF>>& points)
{
    // Emptied first, so the new ranges lay out no points; then each series is laid out once.
    for (QLineSeries* series : series_)
        series->clear();
    SetTimeRange(fromSeconds, toSeconds);
    FitValueAxis(points);
    for (std::size_t i = 0; i < series_.size() && i < points.size(); ++i)
        series_[i]->replace(points[i]);
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
    // A flat line still gets a little room above and below.
    const double pad = std::max((high - low) * 0.05, std::max(std::abs(high) * 0.001, 0.01));
    low -= pad;
    high += pad;
    // Labels on round values, as many as the strip's height has room for: a strip only 110 pixels
    // high cannot show five labels without the chart eliding them.
    const double plotHeight = chart()->plotArea().height();
    const int maxTicks = std::clamp(static_cast<int>(plotHeight / kMinTickSpacing), 2, 6);
    double step = NiceStep((high - low) / maxTicks);
    // A narrow range still shows at least two labels.
    while (std::floor(high / step) - std::ceil(low / step) < 1.0)
        step = NiceStep(step * 0.99 / 2.0);
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
