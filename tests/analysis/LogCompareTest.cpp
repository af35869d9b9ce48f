// Logs of one session compared: the clock offset found from the speeds, the
// per-category differences, and the position-lag flag.

#include <gtest/gtest.h>

#include <cmath>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QTableWidget>

#include "analysis/LogCompare.h"
#include "analysis/SyntheticLog.h"
#include "analysisview/CompareWindow.h"
#include "support/TestApplication.h"

namespace {

// Ten minutes of speeds that wander between 4 and 14 m/s, a 200 s reach at 16
// m/s (every category's best), then five minutes more of wandering.
SyntheticLog Session(int64_t clockShiftMs = 0, bool reach = true)
{
    SyntheticLog log(clockShiftMs);
    const auto wander = [&](double from, double seconds) {
        for (double t = from; t < from + seconds; t += 1)
            log.run(1, 9 + 3 * std::sin(t / 7) + 2 * std::sin(t / 2.3), 30 + 40 * std::sin(t / 50));
    };
    wander(0, 600);
    if (!reach)   // speeds that nearly repeat every 43.5 s, nothing else
        return log;
    log.run(200, 16, 80);
    wander(600, 300);
    return log;
}

AnalysisRules Rules()
{
    AnalysisRules rules = RulesOf(RuleSet::Gp3s);
    rules.filter.maxAcceleration = {};
    return rules;
}

SessionAnalysis Analyse(const SyntheticLog& log)
{
    return AnalyzeSbpImage(log.bytes(), Rules());
}

// The same session with its positions `steps` points late.
SyntheticLog LatePositions(SyntheticLog log, size_t steps)
{
    for (size_t i = log.size() - 1; i >= steps; --i) {
        log.point(i).latitude = log.point(i - steps).latitude;
        log.point(i).longitude = log.point(i - steps).longitude;
    }
    return log.drop(0, steps);
}

} // namespace

TEST(LogCompare, findsTheClockOffsetAndTheSpeedBiasPerCategory)
{
    const SessionAnalysis first = Analyse(Session());
    const struct {
        int64_t shiftMs;
        uint16_t biasCmPerS;
    } cases[] = {{7300, 10}, {-123450, 0}, {3602700, 25}, {40, 5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shiftMs);
        SyntheticLog other = Session(c.shiftMs);
        for (size_t i = 0; i < other.size(); ++i)
            other.point(i).speed = uint16_t(other.point(i).speed + c.biasCmPerS);
        const SessionAnalysis second = Analyse(other);
        const LogComparison cmp = CompareLogs({&first, &second});
        ASSERT_TRUE(cmp.alignment[1].found);
        EXPECT_NEAR(cmp.alignment[1].offsetSeconds, -c.shiftMs / 1000.0, 0.1);
        EXPECT_GT(cmp.alignment[1].correlation, 0.95);
        size_t compared = 0;
        for (const CategoryInfo& info : Categories()) {
            SCOPED_TRACE(info.label);
            const size_t k = size_t(info.category);
            ASSERT_EQ(first.results.best[k].has_value(), second.results.best[k].has_value());
            if (!first.results.best[k])
                continue;
            ASSERT_TRUE(cmp.difference[1][k]);
            EXPECT_NEAR(Knots(*cmp.difference[1][k]), Knots(c.biasCmPerS / 100.0), 0.01);
            EXPECT_EQ(cmp.difference[0][k], 0.0);
            ++compared;
        }
        EXPECT_GE(compared, 7u);
    }
    // A speed that nearly repeats itself lines up where it repeats exactly.
    const SessionAnalysis wandering = Analyse(Session(0, false)), shifted = Analyse(Session(7300, false));
    const LogComparison cmp = CompareLogs({&wandering, &shifted});
    EXPECT_NEAR(cmp.alignment[1].offsetSeconds, -7.3, 0.1);
}

TEST(LogCompare, flagsPositionsThatLagTheSpeedsAndTellsWhatItCouldNotMeasure)
{
    const SessionAnalysis onTime = Analyse(Session());
    const SessionAnalysis late = Analyse(LatePositions(Session(), 5));         // 1 s
    const SessionAnalysis slightlyLate = Analyse(LatePositions(Session(), 1)); // 0.2 s
    const SessionAnalysis still = Analyse(SyntheticLog().run(300, 3));
    const struct {
        const SessionAnalysis* log;
        bool measured;
        double seconds;   // the synthetic positions are half a step late already
        bool flagged;
    } cases[] = {
        {&onTime, true, 0.1, false},
        {&late, true, 1.1, true},
        {&slightlyLate, true, 0.3, false},
        {&still, false, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.seconds);
        const PositionLag lag = MeasurePositionLag(c.log->track, 0.5);
        EXPECT_EQ(lag.measured, c.measured);
        EXPECT_EQ(lag.flagged, c.flagged);
        if (c.measured) {
            EXPECT_NEAR(lag.seconds, c.seconds, 0.05);
        }
    }

    // The table says which log is late, and what could not be lined up.
    const std::vector<const SessionAnalysis*> logs = {&onTime, &late, &still};
    const CompareOptions options;
    const LogComparison cmp = CompareLogs(logs, options);
    EXPECT_TRUE(cmp.alignment[1].found);
    EXPECT_NEAR(cmp.alignment[1].offsetSeconds, 0, 0.1);
    EXPECT_FALSE(cmp.alignment[2].found);
    const std::vector<std::string> lines = CompareTableLines({"a.sbp", "b.sbp", "c.sbp"}, logs, cmp, options);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "A a.sbp: the reference; position lag 0.1 s");
    EXPECT_NE(lines[1].find("B b.sbp: offset +0.0 s"), std::string::npos) << lines[1];
    EXPECT_NE(lines[1].find("POSITIONS LAG THE SPEEDS BY 1.1 s"), std::string::npos) << lines[1];
    EXPECT_EQ(lines[2], "C c.sbp: offset not found (the speeds do not line up); position lag not measured");
    EXPECT_EQ(OffsetText(-0.04), "+0.0 s");
    EXPECT_EQ(OffsetText(-7.26), "-7.3 s");
}

TEST(CompareView, tableOffsetsAndOneCursorOnLinedUpLogs)
{
    EnsureApplication();
    SyntheticLog other = LatePositions(Session(7300), 5);
    for (size_t i = 0; i < other.size(); ++i)
        other.point(i).speed = uint16_t(other.point(i).speed + 10);
    std::vector<SessionAnalysis> logs;
    logs.push_back(Analyse(Session()));
    logs.push_back(Analyse(other));
    CompareWindow w({"a.sbp", "b.sbp"}, std::move(logs));
    w.resize(1000, 700);
    w.show();
    QApplication::processEvents();

    EXPECT_NE(w.summary()->text().indexOf("offset -7.3 s"), -1) << w.summary()->text().toStdString();
    EXPECT_NE(w.summary()->text().indexOf("POSITIONS LAG"), -1);
    QTableWidget* t = w.table();
    ASSERT_EQ(t->columnCount(), 2);
    EXPECT_EQ(t->horizontalHeaderItem(1)->text(), "b.sbp");
    EXPECT_EQ(t->verticalHeaderItem(0)->text(), "2 s");
    EXPECT_EQ(t->item(0, 0)->text(), QStringLiteral("31.10 \u00b1?"));
    EXPECT_EQ(t->item(0, 1)->text(), QStringLiteral("31.30 \u00b1?  (+0.19)"));

    // The pointer over the reach at 16 m/s puts the cursor there on both; the
    // logs lined up, their dots are in one place (the late positions a second behind).
    CompareChart* chart = w.chart();
    const double x = chart->xAt(SyntheticLog::At(700));
    QMouseEvent move(QEvent::MouseMove, QPointF(x, 50), chart->mapToGlobal(QPointF(x, 50)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(chart, &move);
    EXPECT_NEAR(double(chart->cursorTime() - SyntheticLog::At(700)), 0, 2000);
    const std::optional<QPointF> a = w.track()->cursorPixel(0), b = w.track()->cursorPixel(1);
    ASSERT_TRUE(a && b);
    w.setCursorTime(chart->cursorTime() + 7300);   // where the first log is when the clocks' difference is ignored
    const std::optional<QPointF> unaligned = w.track()->cursorPixel(0);
    ASSERT_TRUE(unaligned);
    EXPECT_LT(std::hypot(a->x() - b->x(), a->y() - b->y()) * 4,
              std::hypot(a->x() - unaligned->x(), a->y() - unaligned->y()));
    QImage image(w.size(), QImage::Format_ARGB32);
    w.render(&image);
    EXPECT_FALSE(image.isNull());
}
