#include "analysisview/LogbookChart.h"

#include <algorithm>

#include <QPainter>
#include <QPainterPath>

LogbookChart::LogbookChart(QWidget* parent) : QWidget(parent)
{
    setMinimumHeight(160);
}

void LogbookChart::setPoints(std::vector<Point> points)
{
    std::sort(points.begin(), points.end(), [](const Point& a, const Point& b) { return a.timeMs < b.timeMs; });
    points_ = std::move(points);
    update();
}

void LogbookChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    const QRect area = rect().adjusted(48, 12, -12, -24);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(area);
    if (points_.empty()) {
        painter.drawText(area, Qt::AlignCenter, tr("No session has this category"));
        return;
    }
    const auto [low, high] = std::minmax_element(points_.begin(), points_.end(),
                                                 [](const Point& a, const Point& b) { return a.knots < b.knots; });
    const double top = high->knots * 1.1 + 0.5;
    const double bottom = std::max(0.0, low->knots * 0.9 - 0.5);
    const int64_t first = points_.front().timeMs, last = points_.back().timeMs;
    const auto at = [&](const Point& p) {
        const double x = last > first ? double(p.timeMs - first) / double(last - first) : 0.5;
        const double y = (p.knots - bottom) / (top - bottom);
        return QPointF(area.left() + x * area.width(), area.bottom() - y * area.height());
    };
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(QRect(0, area.top() - 6, 44, 14), Qt::AlignRight, QString::number(top, 'f', 1));
    painter.drawText(QRect(0, area.bottom() - 8, 44, 14), Qt::AlignRight, QString::number(bottom, 'f', 1));
    painter.drawText(QRect(area.left(), area.bottom() + 4, area.width(), 16), Qt::AlignCenter, tr("knots, by session date"));

    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath line;
    line.moveTo(at(points_.front()));
    for (const Point& p : points_)
        line.lineTo(at(p));
    painter.setPen(QPen(QColor(30, 100, 200), 1.5));
    painter.drawPath(line);
    painter.setBrush(QColor(30, 100, 200));
    for (const Point& p : points_)
        painter.drawEllipse(at(p), 2.5, 2.5);
    painter.setBrush(QColor(230, 150, 0));
    painter.drawEllipse(at(*high), 5, 5);
}
