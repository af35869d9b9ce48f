#pragma once
// Speed over time for a whole session, in knots, with runs marked as bands,
// the trace broken at gaps (shaded), and the points left out in their own colour.
// The session's runs (legs) are numbered along the top, a dotted line where each begins.

#include <vector>

#include <QWidget>

#include "analysis/BestRun.h"
#include "analysis/SessionAnalysis.h"
#include "analysisview/ChartColumns.h"

class QPainter;
struct SessionTrack;

class SpeedChart : public QWidget {
    Q_OBJECT
public:
    explicit SpeedChart(QWidget* parent = nullptr);

    // The track must outlive the chart (or the next setTrack).
    void setTrack(const SessionTrack* track);
    void setMarkedRuns(std::vector<BestRun> runs);
    const std::vector<BestRun>& markedRuns() const { return marked_; }
    void setSessionRuns(std::vector<RunSummary> runs);

    QSize sizeHint() const override { return {640, 220}; }
    // Where the trace is drawn; the legend lies above it.
    QRect plotArea() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    int topMargin() const;
    double topKnots() const;
    void drawLegend(QPainter& painter, const QRect& area) const;

    const SessionTrack* track_ = nullptr;
    std::vector<BestRun> marked_;
    std::vector<RunSummary> runs_;
    std::vector<ChartColumn> columns_;   // for plotArea().width(); rebuilt when it changes
    int columnsWidth_ = -1;
};
