#pragma once
// Several logs of one session side by side: how each lines up with the first,
// a table of each category's results, and the speeds and tracks overlaid in
// one colour per log, lined up in time. Moving the pointer over the speeds
// moves one cursor, shown on both.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QColor>
#include <QPointF>
#include <QString>
#include <QWidget>

#include "analysis/LogCompare.h"
#include "analysis/SessionAnalysis.h"

class QLabel;
class QTableWidget;

// A log's colour in the comparison.
QColor CompareColour(size_t log);

// The logs' speeds, each shifted by its offset; a vertical cursor.
class CompareChart : public QWidget {
    Q_OBJECT
public:
    explicit CompareChart(QWidget* parent = nullptr);
    // The logs and their offsets (ms, added to their times) must outlive the chart.
    void setLogs(std::vector<const SessionTrack*> tracks, std::vector<int64_t> offsetsMs);
    void setCursorTime(int64_t ms);
    int64_t cursorTime() const { return cursorMs_; }
    int64_t timeAt(double x) const;
    double xAt(int64_t ms) const;
    QSize sizeHint() const override { return {720, 240}; }

Q_SIGNALS:
    void cursorMoved(qint64 ms);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QRect plotArea() const;
    std::vector<const SessionTrack*> tracks_;
    std::vector<int64_t> offsets_;
    int64_t t0_ = 0, t1_ = 1;
    double topKnots_ = 5;
    int64_t cursorMs_ = 0;
};

// The logs' tracks on one plane, a dot where each log is at the cursor.
class CompareTrack : public QWidget {
    Q_OBJECT
public:
    explicit CompareTrack(QWidget* parent = nullptr);
    void setLogs(std::vector<const SessionTrack*> tracks, std::vector<int64_t> offsetsMs);
    void setCursorTime(int64_t ms);
    // Where log k is at the cursor, in pixels; empty when it has no point within 2 s.
    std::optional<QPointF> cursorPixel(size_t log) const;
    QSize sizeHint() const override { return {480, 420}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPointF toPixel(QPointF metres) const;
    std::vector<const SessionTrack*> tracks_;
    std::vector<int64_t> offsets_;
    std::vector<std::vector<QPointF>> plane_;
    QRectF bounds_;
    int64_t cursorMs_ = 0;
};

class CompareWindow : public QWidget {
    Q_OBJECT
public:
    CompareWindow(std::vector<std::string> names, std::vector<SessionAnalysis> logs,
                  const CompareOptions& options = {}, QWidget* parent = nullptr);

    const LogComparison& comparison() const { return comparison_; }
    QTableWidget* table() const { return table_; }
    QLabel* summary() const { return summary_; }
    CompareChart* chart() const { return chart_; }
    CompareTrack* track() const { return track_; }
    void setCursorTime(int64_t ms);

private:
    std::vector<std::string> names_;
    std::vector<SessionAnalysis> logs_;
    LogComparison comparison_;
    QLabel* summary_;
    QTableWidget* table_;
    CompareChart* chart_;
    CompareTrack* track_;
};

// Reads and analyses the files and builds their window; on failure returns
// null and sets `error` to a sentence for the user and `status` to the
// failing file's ResultCode. Names are bytes as the system gives them.
std::unique_ptr<CompareWindow> OpenCompareWindow(const std::vector<std::string>& files, QString& error,
                                                 RuleSet rules = kDefaultRuleSet, int* status = nullptr);
