#pragma once
// The track drawn flat (metres east and north), coloured by speed, with runs
// highlighted, a break at each gap (a dashed line where the long categories
// span it) and the points left out in their own colour. The wheel zooms about the pointer, a drag pans, a double click
// fits the whole track again.

#include <vector>

#include <QPointF>
#include <QWidget>

#include "analysis/BestRun.h"
#include "analysisview/TrackGaps.h"

struct SessionTrack;

class TrackPlot : public QWidget {
    Q_OBJECT
public:
    explicit TrackPlot(QWidget* parent = nullptr);

    // The track must outlive the plot (or the next setTrack).
    void setTrack(const SessionTrack* track);
    void setMarkedRuns(std::vector<BestRun> runs);
    const std::vector<BestRun>& markedRuns() const { return marked_; }

    void fitToView();
    double pixelsPerMetre() const { return scale_; }
    // Where a point of the track (metres east, north) is drawn.
    QPointF toPixel(QPointF metres) const;

    QSize sizeHint() const override { return {640, 420}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void drawTrack(QPainter& painter) const;
    void drawMarks(QPainter& painter) const;
    void drawLegend(QPainter& painter) const;

    const SessionTrack* track_ = nullptr;
    std::vector<QPointF> plane_;   // metres east and north of the track's middle
    std::vector<QPointF> leftOutPlane_;
    std::vector<TrackGap> gaps_;
    QRectF bounds_;
    double topSpeed_ = 0;
    std::vector<BestRun> marked_;

    double scale_ = 1;      // pixels per metre
    QPointF offset_;        // pixel of the plane's origin
    bool autoFit_ = true;   // until the user zooms or pans, resizing fits the track again
    bool dragging_ = false;
    QPointF dragFrom_;
};
