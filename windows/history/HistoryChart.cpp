#include "windows/history/HistoryChart.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cmath>

namespace qemra {

namespace {

constexpr double kDegreesPerStep = 15.0;  // one notch of a common wheel
constexpr double kEighthsPerDegree = 8.0;

}  // namespace

HistoryChart::HistoryChart(const QString& name, QWidget* parent) : TrendChart(name, parent)
{
    SetAdaptiveTimeLabels(true);
    viewport()->setMouseTracking(true);
    setCursor(Qt::CrossCursor);
}

double HistoryChart::SecondsAtX(double x) const
{
    const QRectF plot = PlotRect();
    return TimeFrom() + (x - plot.left()) / plot.width() * (TimeTo() - TimeFrom());
}

double HistoryChart::XOfSeconds(double seconds) const
{
    const QRectF plot = PlotRect();
    return TimeTo() > TimeFrom() ? plot.left() + (seconds - TimeFrom()) / (TimeTo() - TimeFrom()) * plot.width()
                                 : plot.left();
}

void HistoryChart::SetCursorLine(std::optional<double> seconds)
{
    if (cursor_ == seconds)
        return;
    cursor_ = seconds;
    viewport()->update();
}

void HistoryChart::drawForeground(QPainter* painter, const QRectF& rect)
{
    TrendChart::drawForeground(painter, rect);
    if (!cursor_ || *cursor_ < TimeFrom() || *cursor_ > TimeTo())
        return;
    const QRectF plot = PlotRect();
    const int x = static_cast<int>(std::lround(XOfSeconds(*cursor_)));
    painter->fillRect(QRect(x, static_cast<int>(plot.top()), 1, static_cast<int>(plot.height())), QColor(90, 90, 90));
}

void HistoryChart::wheelEvent(QWheelEvent* event)
{
    const double steps = event->angleDelta().y() / kEighthsPerDegree / kDegreesPerStep;
    if (steps != 0)
        emit ZoomRequested(SecondsAtX(event->position().x()), steps);
    event->accept();
}

void HistoryChart::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        dragX_ = event->position().x();
    event->accept();
}

void HistoryChart::mouseMoveEvent(QMouseEvent* event)
{
    const double x = event->position().x();
    if (dragX_ && (event->buttons() & Qt::LeftButton)) {
        // The time under the mouse stays under it: the range moves against the drag.
        const double perPixel = (TimeTo() - TimeFrom()) / PlotRect().width();
        const double moved = *dragX_ - x;
        dragX_ = x;
        if (moved != 0)
            emit PanRequested(moved * perPixel);
    }
    emit CursorMoved(SecondsAtX(x));
    event->accept();
}

void HistoryChart::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        dragX_.reset();
    event->accept();
}

void HistoryChart::leaveEvent(QEvent* event)
{
    TrendChart::leaveEvent(event);
    emit CursorLeft();
}

void HistoryChart::resizeEvent(QResizeEvent* event)
{
    TrendChart::resizeEvent(event);
    emit PlotResized();
}

}  // namespace qemra
