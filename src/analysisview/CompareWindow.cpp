#include "analysisview/CompareWindow.h"

#include <algorithm>
#include <cmath>

#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "analysis/Geodesy.h"
#include "analysisview/TimeTicks.h"
#include "platform/ResultCode.h"

namespace {

constexpr int kLeft = 44, kRight = 12, kTop = 16, kBottom = 24;
constexpr int64_t kNearMs = 2000;   // a log further than this from the cursor has no place there

// The index of the last point at or before `ms` (log time), or of the first one.
size_t PointAt(const SessionTrack& t, int64_t ms)
{
    const auto it = std::upper_bound(t.points.begin(), t.points.end(), ms,
                                     [](int64_t v, const TrackPoint& p) { return v < p.timeMs; });
    return it == t.points.begin() ? 0 : size_t(it - t.points.begin() - 1);
}

} // namespace

QColor CompareColour(size_t log)
{
    static const QColor colours[] = {QColor(20, 70, 160), QColor(210, 60, 30), QColor(30, 150, 60),
                                     QColor(150, 60, 170), QColor(200, 140, 0), QColor(0, 150, 160)};
    return colours[log % std::size(colours)];
}

CompareChart::CompareChart(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setMinimumSize(240, 140);
}

void CompareChart::setLogs(std::vector<const SessionTrack*> tracks, std::vector<int64_t> offsetsMs)
{
    tracks_ = std::move(tracks);
    offsets_ = std::move(offsetsMs);
    bool any = false;
    double top = 0;
    for (size_t k = 0; k < tracks_.size(); ++k) {
        const std::vector<TrackPoint>& p = tracks_[k]->points;
        if (p.empty())
            continue;
        const int64_t a = p.front().timeMs + offsets_[k], b = p.back().timeMs + offsets_[k];
        t0_ = any ? std::min(t0_, a) : a;
        t1_ = any ? std::max(t1_, b) : b;
        any = true;
        for (const TrackPoint& q : p)
            top = std::max(top, q.speed);
    }
    t1_ = std::max(t1_, t0_ + 1);
    topKnots_ = std::max(5.0, Knots(top) * 1.05);
    cursorMs_ = t0_;
    update();
}

QRect CompareChart::plotArea() const
{
    return rect().adjusted(kLeft, kTop, -kRight, -kBottom);
}

double CompareChart::xAt(int64_t ms) const
{
    const QRect a = plotArea();
    return a.left() + double(ms - t0_) * a.width() / double(t1_ - t0_);
}

int64_t CompareChart::timeAt(double x) const
{
    const QRect a = plotArea();
    return t0_ + int64_t(std::llround((x - a.left()) / std::max(1, a.width()) * double(t1_ - t0_)));
}

void CompareChart::setCursorTime(int64_t ms)
{
    cursorMs_ = std::clamp(ms, t0_, t1_);
    update();
}

void CompareChart::mouseMoveEvent(QMouseEvent* event)
{
    setCursorTime(timeAt(event->position().x()));
    Q_EMIT cursorMoved(cursorMs_);
}

void CompareChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    const QRect area = plotArea();
    if (tracks_.empty() || area.width() < 2 || area.height() < 2)
        return;
    const auto yAt = [&](double metresPerSecond) { return area.bottom() - Knots(metresPerSecond) / topKnots_ * area.height(); };
    const QColor grid = palette().color(QPalette::Mid), text = palette().color(QPalette::Text);
    for (int k = 0; k <= int(topKnots_); k += topKnots_ > 40 ? 10 : 5) {
        const double y = area.bottom() - k / topKnots_ * area.height();
        painter.setPen(grid);
        painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
        painter.setPen(text);
        painter.drawText(QRectF(0, y - 8, kLeft - 4, 16), Qt::AlignRight | Qt::AlignVCenter, QString::number(k));
    }
    painter.drawText(QRectF(2, 0, kLeft, kTop + 12), Qt::AlignLeft | Qt::AlignTop, tr("kn"));
    for (const TimeTick& tick : TimeTicks(t0_, t1_, std::max(1, area.width() / 110))) {
        const double x = xAt(tick.ms);
        painter.setPen(text);
        painter.drawText(QRectF(x - 55, area.bottom() + 2, 110, kBottom - 2), Qt::AlignHCenter | Qt::AlignTop, tick.label);
    }
    // Each log as the low and high of each pixel column, joined within a segment.
    for (size_t k = 0; k < tracks_.size(); ++k) {
        const SessionTrack& t = *tracks_[k];
        QVector<QLineF> lines;
        for (size_t s = 0; s < t.segmentStarts.size(); ++s) {
            const size_t begin = t.segmentStarts[s], end = t.segmentEnd(s);
            int column = -1;
            double low = 0, high = 0;
            QPointF last;
            for (size_t i = begin; i < end; ++i) {
                const double x = xAt(t.points[i].timeMs + offsets_[k]), y = yAt(t.points[i].speed);
                const int c = int(x);
                if (c != column) {
                    if (column >= 0)
                        lines.append(QLineF(column + 0.5, low, column + 0.5, high - 0.01));
                    if (i > begin)
                        lines.append(QLineF(last, QPointF(c + 0.5, y)));
                    column = c, low = high = y;
                } else {
                    low = std::max(low, y), high = std::min(high, y);
                }
                last = QPointF(c + 0.5, y);
            }
            if (column >= 0)
                lines.append(QLineF(column + 0.5, low, column + 0.5, high - 0.01));
        }
        painter.setPen(QPen(CompareColour(k), 1));
        painter.drawLines(lines);
    }
    painter.setPen(text);
    painter.drawRect(area);
    painter.setPen(QPen(QColor(0, 0, 0, 160), 1, Qt::DashLine));
    const double x = xAt(cursorMs_);
    painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
}

CompareTrack::CompareTrack(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 150);
}

void CompareTrack::setLogs(std::vector<const SessionTrack*> tracks, std::vector<int64_t> offsetsMs)
{
    tracks_ = std::move(tracks);
    offsets_ = std::move(offsetsMs);
    plane_.assign(tracks_.size(), {});
    double minLat = 90, maxLat = -90, minLon = 180, maxLon = -180;
    for (const SessionTrack* t : tracks_)
        for (const TrackPoint& p : t->points) {
            minLat = std::min(minLat, p.lat), maxLat = std::max(maxLat, p.lat);
            minLon = std::min(minLon, p.lon), maxLon = std::max(maxLon, p.lon);
        }
    bounds_ = QRectF();
    if (minLat > maxLat)
        return;
    const PlaneProjection projection((minLat + maxLat) / 2, (minLon + maxLon) / 2);
    for (size_t k = 0; k < tracks_.size(); ++k) {
        plane_[k].reserve(tracks_[k]->points.size());
        for (const TrackPoint& p : tracks_[k]->points)
            plane_[k].emplace_back(projection.east(p.lon), projection.north(p.lat));
    }
    bounds_ = QRectF(QPointF(projection.east(minLon), projection.north(minLat)),
                     QPointF(projection.east(maxLon), projection.north(maxLat)));
    update();
}

void CompareTrack::setCursorTime(int64_t ms)
{
    cursorMs_ = ms;
    update();
}

QPointF CompareTrack::toPixel(QPointF m) const
{
    const QRectF view = QRectF(rect()).adjusted(16, 16, -16, -16);
    const double w = std::max(bounds_.width(), 1.0), h = std::max(bounds_.height(), 1.0);
    const double scale = std::min(view.width() / w, view.height() / h);
    const QPointF middle = bounds_.center();
    return {view.center().x() + (m.x() - middle.x()) * scale, view.center().y() - (m.y() - middle.y()) * scale};
}

std::optional<QPointF> CompareTrack::cursorPixel(size_t log) const
{
    if (log >= tracks_.size() || tracks_[log]->points.empty())
        return std::nullopt;
    const int64_t ms = cursorMs_ - offsets_[log];
    const size_t i = PointAt(*tracks_[log], ms);
    if (std::llabs(tracks_[log]->points[i].timeMs - ms) > kNearMs)
        return std::nullopt;
    return toPixel(plane_[log][i]);
}

void CompareTrack::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(248, 248, 244));
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (size_t k = 0; k < tracks_.size(); ++k) {
        const SessionTrack& t = *tracks_[k];
        QVector<QLineF> lines;
        for (size_t s = 0; s < t.segmentStarts.size(); ++s) {
            const size_t begin = t.segmentStarts[s], end = t.segmentEnd(s);
            QPointF from = toPixel(plane_[k][begin]);
            for (size_t i = begin + 1; i < end; ++i) {
                const QPointF to = toPixel(plane_[k][i]);
                if (std::abs(to.x() - from.x()) + std::abs(to.y() - from.y()) < 1.0 && i + 1 < end)
                    continue;
                lines.append(QLineF(from, to));
                from = to;
            }
        }
        QColor c = CompareColour(k);
        c.setAlpha(170);
        painter.setPen(QPen(c, 1.5));
        painter.drawLines(lines);
    }
    for (size_t k = 0; k < tracks_.size(); ++k)
        if (const std::optional<QPointF> at = cursorPixel(k)) {
            painter.setPen(QPen(Qt::black, 1.2));
            painter.setBrush(CompareColour(k));
            painter.drawEllipse(*at, 5, 5);
        }
}

CompareWindow::CompareWindow(std::vector<std::string> names, std::vector<SessionAnalysis> logs,
                             const CompareOptions& options, QWidget* parent)
    : QWidget(parent), names_(std::move(names)), logs_(std::move(logs)), summary_(new QLabel(this)),
      table_(new QTableWidget(this)), chart_(new CompareChart(this)), track_(new CompareTrack(this))
{
    std::vector<const SessionAnalysis*> pointers;
    std::vector<const SessionTrack*> tracks;
    for (const SessionAnalysis& a : logs_) {
        pointers.push_back(&a);
        tracks.push_back(&a.track);
    }
    comparison_ = CompareLogs(pointers, options);
    std::vector<int64_t> offsets;
    for (const LogAlignment& a : comparison_.alignment)
        offsets.push_back(a.found ? std::llround(a.offsetSeconds * 1000) : 0);

    // The lines above the table: each log's offset and position lag.
    const std::vector<std::string> lines = CompareTableLines(names_, pointers, comparison_, options);
    QStringList head;
    for (size_t k = 0; k < logs_.size(); ++k)
        head << QStringLiteral("<span style=\"color:%1\">&#9632;</span> %2")
                    .arg(CompareColour(k).name(), QString::fromStdString(lines[k]).toHtmlEscaped());
    summary_->setText(head.join(QStringLiteral("<br>")));
    summary_->setTextFormat(Qt::RichText);

    const SessionResults& first = logs_[0].results;
    std::vector<const CategoryInfo*> rows;
    for (const CategoryInfo& info : Categories())
        if (first.reports(info.category))
            rows.push_back(&info);
    table_->setColumnCount(int(logs_.size()));
    table_->setRowCount(int(rows.size()));
    for (size_t k = 0; k < logs_.size(); ++k) {
        auto* header = new QTableWidgetItem(QString::fromStdString(names_[k]));
        header->setForeground(CompareColour(k));
        table_->setHorizontalHeaderItem(int(k), header);
    }
    for (size_t r = 0; r < rows.size(); ++r) {
        table_->setVerticalHeaderItem(int(r), new QTableWidgetItem(QString::fromUtf8(rows[r]->label)));
        for (size_t k = 0; k < logs_.size(); ++k) {
            const std::optional<CategoryResult>& res = logs_[k].results[rows[r]->category];
            QString cell = QStringLiteral("-");
            if (res) {
                cell = QStringLiteral("%1 \u00b1%2").arg(Knots(res->speed), 0, 'f', 2)
                           .arg(res->speedError ? QString::number(Knots(*res->speedError), 'f', 2) : QStringLiteral("?"));
                const std::optional<double>& d = comparison_.difference[k][size_t(rows[r]->category)];
                if (k > 0)
                    cell += d ? QStringLiteral("  (%1%2)").arg(*d >= 0 ? "+" : "").arg(Knots(*d), 0, 'f', 2)
                              : QStringLiteral("  (?)");
            }
            auto* item = new QTableWidgetItem(cell);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(int(r), int(k), item);
        }
    }
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->resizeColumnsToContents();

    chart_->setLogs(tracks, offsets);
    track_->setLogs(tracks, offsets);
    connect(chart_, &CompareChart::cursorMoved, this, [this](qint64 ms) { track_->setCursorTime(ms); });

    auto* lower = new QSplitter(Qt::Horizontal, this);
    lower->addWidget(chart_);
    lower->addWidget(track_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addWidget(table_, 1);
    layout->addWidget(lower, 2);
    setCursorTime(chart_->cursorTime());
    resize(1200, 800);
}

void CompareWindow::setCursorTime(int64_t ms)
{
    chart_->setCursorTime(ms);
    track_->setCursorTime(chart_->cursorTime());
}

std::unique_ptr<CompareWindow> OpenCompareWindow(const std::vector<std::string>& files, QString& error, RuleSet rules,
                                                 int* status)
{
    std::vector<std::string> names;
    std::vector<SessionAnalysis> logs;
    QStringList titles;
    for (const std::string& file : files) {
        const QString shown = QString::fromLocal8Bit(file.c_str());
        ComparedLog f = ReadComparedLog(file, RulesOf(rules));
        if (status)
            *status = f.status;
        if (f.status != kOk) {
            error = shown + QObject::tr(": ") + QString::fromLocal8Bit(f.problem.c_str()) + QObject::tr(".");
            return nullptr;
        }
        titles << QFileInfo(shown).fileName();
        names.push_back(QFileInfo(shown).fileName().toStdString());
        logs.push_back(std::move(f.analysis));
    }
    auto window = std::make_unique<CompareWindow>(std::move(names), std::move(logs));
    window->setWindowTitle(titles.join(QStringLiteral(", ")) + QObject::tr(" - VR60 compare"));
    return window;
}
