#include "analysisview/TrackPlot.h"

#include <algorithm>
#include <array>
#include <cmath>

#include <QMouseEvent>
#include <QSet>
#include <QPainter>
#include <QWheelEvent>

#include "analysis/Geodesy.h"
#include "analysis/SessionAnalysis.h"
#include "analysisview/SpeedColours.h"
#include "analysisview/TrackGaps.h"

namespace {

constexpr int kColourSteps = 32;
constexpr double kMargin = 16;
constexpr double kMaxPixelsPerMetre = 200;

// Round scale-bar lengths in metres.
constexpr std::array<double, 13> kBarMetres = {1, 2, 5, 10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 10000};

} // namespace

TrackPlot::TrackPlot(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 150);
    setCursor(Qt::OpenHandCursor);
}

void TrackPlot::setTrack(const SessionTrack* track)
{
    track_ = track;
    plane_.clear();
    leftOutPlane_.clear();
    gaps_.clear();
    marked_.clear();
    topSpeed_ = 0;
    bounds_ = QRectF();
    if (track && !track->points.empty()) {
        double minLat = 90, maxLat = -90, minLon = 180, maxLon = -180;
        for (const TrackPoint& p : track->points) {
            minLat = std::min(minLat, p.lat), maxLat = std::max(maxLat, p.lat);
            minLon = std::min(minLon, p.lon), maxLon = std::max(maxLon, p.lon);
            topSpeed_ = std::max(topSpeed_, p.speed);
        }
        const PlaneProjection projection((minLat + maxLat) / 2, (minLon + maxLon) / 2);
        plane_.reserve(track->points.size());
        for (const TrackPoint& p : track->points)
            plane_.emplace_back(projection.east(p.lon), projection.north(p.lat));
        leftOutPlane_.reserve(track->leftOut.size());
        for (const LeftOutPoint& l : track->leftOut)
            leftOutPlane_.emplace_back(projection.east(l.point.lon), projection.north(l.point.lat));
        gaps_ = TrackGaps(*track);
        bounds_ = QRectF(QPointF(projection.east(minLon), projection.north(minLat)),
                         QPointF(projection.east(maxLon), projection.north(maxLat)));
    }
    autoFit_ = true;
    fitToView();
}

void TrackPlot::setMarkedRuns(std::vector<BestRun> runs)
{
    marked_ = std::move(runs);
    update();
}

void TrackPlot::fitToView()
{
    const QRectF view = QRectF(rect()).adjusted(kMargin, kMargin, -kMargin, -kMargin);
    const double w = std::max(bounds_.width(), 1.0), h = std::max(bounds_.height(), 1.0);
    scale_ = std::clamp(std::min(view.width() / w, view.height() / h), 1e-6, kMaxPixelsPerMetre);
    const QPointF middle = bounds_.center();
    offset_ = QPointF(view.center().x() - middle.x() * scale_, view.center().y() + middle.y() * scale_);
    update();
}

QPointF TrackPlot::toPixel(QPointF m) const
{
    return {offset_.x() + m.x() * scale_, offset_.y() - m.y() * scale_};
}

void TrackPlot::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (autoFit_)
        fitToView();
}

void TrackPlot::wheelEvent(QWheelEvent* event)
{
    const double steps = event->angleDelta().y() / 120.0;
    if (steps == 0 || plane_.empty())
        return;
    const double newScale = std::clamp(scale_ * std::pow(1.25, steps), 1e-6, kMaxPixelsPerMetre);
    // Keep the spot under the pointer where it is.
    const QPointF at = event->position();
    offset_ = at - (at - offset_) * (newScale / scale_);
    scale_ = newScale;
    autoFit_ = false;
    update();
    event->accept();
}

void TrackPlot::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    dragging_ = true;
    dragFrom_ = event->position();
    setCursor(Qt::ClosedHandCursor);
}

void TrackPlot::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragging_)
        return;
    offset_ += event->position() - dragFrom_;
    dragFrom_ = event->position();
    autoFit_ = false;
    update();
}

void TrackPlot::mouseReleaseEvent(QMouseEvent*)
{
    dragging_ = false;
    setCursor(Qt::OpenHandCursor);
}

void TrackPlot::mouseDoubleClickEvent(QMouseEvent*)
{
    autoFit_ = true;
    fitToView();
}

void TrackPlot::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(248, 248, 244));
    if (plane_.empty()) {
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(rect(), Qt::AlignCenter, tr("No points to show"));
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing, true);
    drawMarks(painter);
    drawTrack(painter);
    painter.setRenderHint(QPainter::Antialiasing, false);
    drawLegend(painter);
}

void TrackPlot::drawTrack(QPainter& painter) const
{
    // Steps shorter than a pixel are merged, so a long track costs about as
    // many lines as the pixels it covers; lines are batched per colour.
    std::array<QVector<QLineF>, kColourSteps> byColour;
    const QRectF visible = QRectF(rect()).adjusted(-2, -2, 2, 2);
    for (size_t s = 0; s < track_->segmentStarts.size(); ++s) {
        const size_t begin = track_->segmentStarts[s], end = track_->segmentEnd(s);
        QPointF from = toPixel(plane_[begin]);
        for (size_t i = begin + 1; i < end; ++i) {
            const QPointF to = toPixel(plane_[i]);
            if (std::abs(to.x() - from.x()) + std::abs(to.y() - from.y()) < 1.0 && i + 1 < end)
                continue;
            const bool outside = (from.x() < visible.left() && to.x() < visible.left()) ||
                                 (from.x() > visible.right() && to.x() > visible.right()) ||
                                 (from.y() < visible.top() && to.y() < visible.top()) ||
                                 (from.y() > visible.bottom() && to.y() > visible.bottom());
            if (!outside) {
                const double f = topSpeed_ > 0 ? track_->points[i].speed / topSpeed_ : 0;
                byColour[size_t(std::min(kColourSteps - 1, int(f * kColourSteps)))].append(QLineF(from, to));
            }
            from = to;
        }
    }
    for (int k = 0; k < kColourSteps; ++k) {
        if (byColour[size_t(k)].isEmpty())
            continue;
        painter.setPen(QPen(SpeedColour((k + 0.5) / kColourSteps), 2, Qt::SolidLine, Qt::RoundCap));
        painter.drawLines(byColour[size_t(k)]);
    }
    // A gap is a break in the line; one the long categories span, the straight
    // line they take, dashed.
    painter.setPen(QPen(QColor(90, 90, 90), 1.2, Qt::DashLine));
    for (const TrackGap& gap : gaps_)
        if (gap.spanned)
            painter.drawLine(toPixel(plane_[gap.before]), toPixel(plane_[gap.after]));
    // The points left out, on top, once per pixel.
    QVector<QPointF> left;
    QSet<quint64> taken;
    const QRectF inside = rect();
    for (const QPointF& m : leftOutPlane_) {
        const QPointF at = toPixel(m);
        if (!inside.contains(at))
            continue;
        const quint64 pixel = quint64(quint32(int(at.x()))) << 32 | quint32(int(at.y()));
        if (!taken.contains(pixel)) {
            taken.insert(pixel);
            left.append(at);
        }
    }
    painter.setPen(QPen(LeftOutColour(), 4, Qt::SolidLine, Qt::RoundCap));
    painter.drawPoints(left.data(), int(left.size()));

    // A lone point of a segment would draw nothing.
    painter.setPen(Qt::NoPen);
    for (size_t s = 0; s < track_->segmentStarts.size(); ++s)
        if (track_->segmentEnd(s) - track_->segmentStarts[s] == 1) {
            const size_t i = track_->segmentStarts[s];
            painter.setBrush(SpeedColour(topSpeed_ > 0 ? track_->points[i].speed / topSpeed_ : 0));
            painter.drawEllipse(toPixel(plane_[i]), 2, 2);
        }
}

void TrackPlot::drawMarks(QPainter& painter) const
{
    for (const BestRun& run : marked_) {
        if (run.last >= plane_.size() || run.first > run.last)
            continue;
        QPolygonF line;
        for (size_t i = run.first; i <= run.last; ++i)
            line.append(toPixel(plane_[i]));
        painter.setPen(QPen(QColor(255, 150, 0, 150), 10, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPolyline(line);
        painter.setPen(QPen(Qt::black, 1.5));
        painter.setBrush(QColor(40, 180, 60));
        painter.drawEllipse(line.front(), 5, 5);
        painter.setBrush(QColor(220, 40, 40));
        painter.drawRect(QRectF(line.back() - QPointF(4, 4), QSizeF(8, 8)));
    }
}

void TrackPlot::drawLegend(QPainter& painter) const
{
    const QColor text(40, 40, 40);
    painter.setPen(text);
    // Colour scale.
    const QRectF bar(10, height() - 24.0, 120, 8);
    for (int x = 0; x < int(bar.width()); ++x) {
        painter.setPen(SpeedColour(x / bar.width()));
        painter.drawLine(QPointF(bar.left() + x, bar.top()), QPointF(bar.left() + x, bar.bottom()));
    }
    painter.setPen(text);
    painter.drawText(QRectF(bar.left(), bar.top() - 16, bar.width(), 14), Qt::AlignLeft, QStringLiteral("0"));
    painter.drawText(QRectF(bar.left(), bar.top() - 16, bar.width(), 14), Qt::AlignRight,
                     QStringLiteral("%1 kn").arg(Knots(topSpeed_), 0, 'f', 1));
    if (!leftOutPlane_.empty()) {
        painter.setPen(QPen(LeftOutColour(), 4, Qt::SolidLine, Qt::RoundCap));
        painter.drawPoint(QPointF(bar.right() + 14, bar.center().y()));
        painter.setPen(text);
        painter.drawText(QPointF(bar.right() + 22, bar.bottom()), tr("left out"));
    }
    // Scale bar: the longest round length under 100 pixels.
    double metres = kBarMetres.front();
    for (const double m : kBarMetres)
        if (m * scale_ <= 100)
            metres = m;
    const double length = metres * scale_;
    const QPointF right(width() - 12.0, height() - 16.0), left = right - QPointF(length, 0);
    painter.drawLine(left, right);
    painter.drawLine(left, left - QPointF(0, 4));
    painter.drawLine(right, right - QPointF(0, 4));
    const QString label = metres >= 1000 ? QStringLiteral("%1 km").arg(metres / 1000) : QStringLiteral("%1 m").arg(metres);
    painter.drawText(QRectF(left.x() - 40, left.y() - 18, length + 40, 14), Qt::AlignRight, label);
}
