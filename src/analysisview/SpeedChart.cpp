#include "analysisview/SpeedChart.h"

#include <algorithm>
#include <cmath>

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include "analysis/SessionAnalysis.h"
#include "analysisview/SpeedColours.h"
#include "analysisview/TimeTicks.h"
#include "analysisview/TrackGaps.h"

namespace {

const QColor kRunStartColour(90, 110, 130);
constexpr int kLeftMargin = 44, kRightMargin = 12, kBottomMargin = 24;
constexpr int kTickSpacing = 110;   // pixels per time label, room for "12-07 13:20:10"
const QColor kGapColour(120, 120, 120, 90);
const QColor kSpannedGapColour(120, 120, 120, 40);

// A round step for about `wanted` grid lines over `range`.
double NiceStep(double range, int wanted)
{
    const double raw = range / std::max(1, wanted);
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 5.0})
        if (raw <= m * magnitude)
            return m * magnitude;
    return 10 * magnitude;
}

} // namespace

SpeedChart::SpeedChart(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 120);
}

void SpeedChart::setTrack(const SessionTrack* track)
{
    track_ = track;
    columnsWidth_ = -1;
    marked_.clear();
    update();
}

void SpeedChart::setMarkedRuns(std::vector<BestRun> runs)
{
    marked_ = std::move(runs);
    update();
}

void SpeedChart::resizeEvent(QResizeEvent* event)
{
    columnsWidth_ = -1;
    QWidget::resizeEvent(event);
}

int SpeedChart::topMargin() const
{
    return fontMetrics().height() + 6;   // the legend's line, above the trace
}

QRect SpeedChart::plotArea() const
{
    return rect().adjusted(kLeftMargin, topMargin(), -kRightMargin, -kBottomMargin);
}

double SpeedChart::topKnots() const
{
    double top = 0;
    for (const TrackPoint& p : track_->points)
        top = std::max(top, p.speed);
    return std::max(5.0, Knots(top) * 1.05);
}

void SpeedChart::setSessionRuns(std::vector<RunSummary> runs)
{
    runs_ = std::move(runs);
    update();
}

void SpeedChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    const QRect area = plotArea();
    if (!track_ || track_->points.empty() || area.width() < 2 || area.height() < 2) {
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(rect(), Qt::AlignCenter, tr("No points to show"));
        return;
    }
    const int64_t t0 = track_->points.front().timeMs, t1 = std::max(track_->points.back().timeMs, t0 + 1);
    if (columnsWidth_ != area.width()) {
        columns_ = MinMaxColumns(*track_, t0, t1, area.width());
        columnsWidth_ = area.width();
    }
    const double top = topKnots();
    const auto xAt = [&](int64_t ms) { return area.left() + double(ms - t0) * area.width() / double(t1 - t0); };
    const auto yAt = [&](double metresPerSecond) { return area.bottom() - Knots(metresPerSecond) / top * area.height(); };

    // Grid and labels.
    const QColor gridColour = palette().color(QPalette::Mid);
    const QColor textColour = palette().color(QPalette::Text);
    painter.setFont(font());
    const double speedStep = NiceStep(top, 5);
    for (double k = 0; k <= top; k += speedStep) {
        const double y = area.bottom() - k / top * area.height();
        painter.setPen(gridColour);
        painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
        painter.setPen(textColour);
        painter.drawText(QRectF(0, y - 8, kLeftMargin - 4, 16), Qt::AlignRight | Qt::AlignVCenter, QString::number(k));
    }
    painter.drawText(QRectF(2, 0, kLeftMargin, topMargin()), Qt::AlignLeft | Qt::AlignVCenter, tr("kn"));
    for (const TimeTick& tick : TimeTicks(t0, t1, std::max(1, area.width() / kTickSpacing))) {
        const double x = xAt(tick.ms);
        painter.setPen(gridColour);
        painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
        painter.setPen(textColour);
        painter.drawText(QRectF(x - kTickSpacing / 2, area.bottom() + 2, kTickSpacing, kBottomMargin - 2),
                         Qt::AlignHCenter | Qt::AlignTop, tick.label);
    }

    // The legs: where each begins, and its number over its middle where there is room.
    painter.setPen(QPen(kRunStartColour, 1, Qt::DotLine));
    for (size_t k = 0; k < runs_.size(); ++k) {
        const double x0 = std::floor(xAt(runs_[k].startMs)) + 0.5, x1 = xAt(runs_[k].endMs);   // on one pixel column
        painter.drawLine(QPointF(x0, area.top()), QPointF(x0, area.bottom()));
        if (x1 - x0 >= 16)
            painter.drawText(QRectF(x0, area.top(), x1 - x0, 14), Qt::AlignHCenter | Qt::AlignTop, QString::number(k + 1));
    }

    // The marked runs behind the trace.
    for (const BestRun& run : marked_) {
        const double x0 = xAt(run.startMs), x1 = std::max(xAt(run.endMs), x0 + 2);
        painter.fillRect(QRectF(x0, area.top(), x1 - x0, area.height()), QColor(255, 160, 0, 90));
        painter.setPen(QPen(QColor(230, 120, 0), 1));
        painter.drawLine(QPointF(x0, area.top()), QPointF(x0, area.bottom()));
        painter.drawLine(QPointF(x1, area.top()), QPointF(x1, area.bottom()));
        painter.setPen(QPen(QColor(200, 60, 0), 2));
        const double y = yAt(run.speed);
        painter.drawLine(QPointF(x0, y), QPointF(x1, y));
    }

    // Gaps: the trace breaks there; a band shows how long each lasted, lighter
    // where the long categories span it.
    for (const TrackGap& gap : TrackGaps(*track_)) {
        const int64_t from = track_->points[gap.before].timeMs, to = track_->points[gap.after].timeMs;
        if (to <= from)
            continue;
        const double x0 = xAt(from), x1 = std::max(xAt(to), x0 + 1);
        painter.fillRect(QRectF(x0, area.top(), x1 - x0, area.height()), gap.spanned ? kSpannedGapColour : kGapColour);
    }

    // The trace: a line from low to high in each column, joined to the
    // previous column with points when both lie in one segment.
    QVector<QLineF> lines;
    lines.reserve(int(columns_.size()) * 2);
    const ChartColumn* previous = nullptr;
    double previousX = 0;
    for (size_t c = 0; c < columns_.size(); ++c) {
        const ChartColumn& col = columns_[c];
        if (!col.any)
            continue;
        const double x = area.left() + double(c) + 0.5;
        lines.append(QLineF(x, yAt(col.low), x, yAt(col.high) - 0.01));
        if (previous && previous->lastSegment == col.firstSegment)
            lines.append(QLineF(previousX, yAt(previous->last), x, yAt(col.first)));
        previous = &col;
        previousX = x;
    }
    painter.setPen(QPen(QColor(20, 70, 160), 1));
    painter.drawLines(lines);

    // The points left out, once per pixel; faster ones at the top edge.
    QVector<QPointF> left;
    std::vector<bool> taken(size_t(area.width() + 1) * size_t(area.height() + 1));
    for (const LeftOutPoint& l : track_->leftOut) {
        if (l.point.timeMs < t0 || l.point.timeMs > t1)
            continue;
        const int x = int(xAt(l.point.timeMs)), y = int(std::max(yAt(l.point.speed), double(area.top())));
        const size_t at = size_t(y - area.top()) * size_t(area.width() + 1) + size_t(x - area.left());
        if (at < taken.size() && !taken[at]) {
            taken[at] = true;
            left.append(QPointF(x + 0.5, y + 0.5));
        }
    }
    painter.setPen(QPen(LeftOutColour(), 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawPoints(left.data(), int(left.size()));

    painter.setPen(textColour);
    painter.drawRect(area);
    drawLegend(painter, area);
}

void SpeedChart::drawLegend(QPainter& painter, const QRect& area) const
{
    const QFontMetrics metrics = painter.fontMetrics();
    const QString leftOut = tr("left out"), gap = tr("gap"), spanned = tr("gap spanned by 1 h, nm");
    double x = area.right() - 12.0 - metrics.horizontalAdvance(leftOut) - metrics.horizontalAdvance(gap) -
               metrics.horizontalAdvance(spanned) - 3 * 16 - 2 * 10;
    const double h = metrics.height(), y = area.top() - h - 3;
    const auto entry = [&](const QString& text, auto drawSwatch) {
        drawSwatch(QRectF(x, y + h / 2 - 5, 12, 10));
        x += 16;
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(QPointF(x, y + metrics.ascent()), text);
        x += metrics.horizontalAdvance(text) + 10;
    };
    entry(leftOut, [&](const QRectF& r) {
        painter.setPen(QPen(LeftOutColour(), 3, Qt::SolidLine, Qt::RoundCap));
        painter.drawPoint(r.center());
    });
    entry(gap, [&](const QRectF& r) { painter.fillRect(r, kGapColour); });
    entry(spanned, [&](const QRectF& r) { painter.fillRect(r, kSpannedGapColour); });
}
