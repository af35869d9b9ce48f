#pragma once
// One category's best speed over the sessions of the logbook, in knots, oldest
// session on the left; the personal best is drawn larger.

#include <cstdint>
#include <vector>

#include <QWidget>

class LogbookChart : public QWidget {
    Q_OBJECT
public:
    struct Point {
        int64_t timeMs;   // the session's start
        double knots;
    };
    explicit LogbookChart(QWidget* parent = nullptr);

    void setPoints(std::vector<Point> points);   // any order
    const std::vector<Point>& points() const { return points_; }

    QSize sizeHint() const override { return {640, 220}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<Point> points_;
};
