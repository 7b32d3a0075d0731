#pragma once

#include "windows/main/TrendChart.h"

#include <optional>

namespace qemra {

// A trend chart of the history window: the live window's chart with time labels that follow the
// range, a cursor line, and the mouse turned into requests the window applies to all strips
// alike: the wheel zooms around the time under the mouse, a drag pans, a move places the cursor.
class HistoryChart : public TrendChart {
    Q_OBJECT

public:
    explicit HistoryChart(const QString& name, QWidget* parent = nullptr);

    // The vertical line at `seconds`; none hides it.
    void SetCursorLine(std::optional<double> seconds);
    std::optional<double> CursorLine() const { return cursor_; }

    // Between view x and time over the plot area.
    double SecondsAtX(double x) const;
    double XOfSeconds(double seconds) const;

signals:
    // Positive steps zoom in (one wheel notch is one step).
    void ZoomRequested(double atSeconds, double steps);
    // The range moves by this many seconds (negative: earlier).
    void PanRequested(double seconds);
    void CursorMoved(double seconds);
    void CursorLeft();
    // The plot's width changed: the reduction must be made again.
    void PlotResized();

protected:
    void drawForeground(QPainter* painter, const QRectF& rect) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::optional<double> cursor_;
    std::optional<double> dragX_;
};

}  // namespace qemra
