// The session window offscreen: chart columns, selecting a result, zoom and pan.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QWheelEvent>

#include "analysis/SyntheticLog.h"
#include "analysisview/ChartColumns.h"
#include "analysisview/SessionWindow.h"
#include "analysisview/SpeedChart.h"
#include "analysisview/SpeedColours.h"
#include "analysisview/TimeTicks.h"
#include "analysisview/TrackPlot.h"
#include "logdata/DownloadRig.h"
#include "platform/ResultCode.h"
#include "support/NotLogs.h"
#include "support/TestApplication.h"

namespace {

SessionAnalysis FiveBursts()
{
    SyntheticLog log;
    log.run(20, 5, 45);
    for (const double v : {17, 20, 15, 19, 16, 18})
        log.run(10.2, v, 45 + v * 10).run(20, 5, 90 + v * 10);
    PointFilter f;
    f.maxAcceleration = {};
    return AnalyzeSbpImage(log.bytes(), f);
}

void Send(QWidget* to, QEvent::Type type, QPointF at, Qt::MouseButtons held)
{
    QMouseEvent e(type, at, to->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(to, &e);
}

bool SameRuns(const std::vector<BestRun>& a, const std::vector<BestRun>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const BestRun& x, const BestRun& y) { return x.first == y.first && x.last == y.last; });
}

TEST(SessionView, chartColumnsKeepTheExtremesAndBreakAtGaps)
{
    SyntheticLog log;
    log.run(0.6, 5).gap(3).run(0.8, 5);   // points at 0 0.2 0.4 0.6 | 3.6 3.8 4.0 4.2
    const uint16_t speeds[] = {100, 900, 200, 800, 300, 700, 400, 600};
    for (size_t i = 0; i < 8; ++i)
        log.point(i).speed = speeds[i];
    const SessionTrack t = BuildSessionTrack(log.bytes().data(), log.size(), PointFilter{.maxAcceleration = {}});
    const std::vector<ChartColumn> c = MinMaxColumns(t, SyntheticLog::At(0), SyntheticLog::At(4.2), 3);
    ASSERT_EQ(c.size(), 3u);
    EXPECT_TRUE(c[0].any && !c[1].any && c[2].any);
    EXPECT_EQ((std::vector<float>{c[0].low, c[0].high, c[0].first, c[0].last}), (std::vector<float>{1, 9, 1, 8}));
    EXPECT_EQ((std::vector<float>{c[2].low, c[2].high, c[2].first, c[2].last}), (std::vector<float>{3, 7, 3, 6}));
    EXPECT_EQ(c[0].lastSegment, 0u);
    EXPECT_EQ(c[2].firstSegment, 1u);
    EXPECT_TRUE(MinMaxColumns(t, 0, 1, 0).empty());
}

TEST(SessionView, clickingAResultMarksItsRunsOnChartAndTrack)
{
    EnsureApplication();
    SessionWindow w(FiveBursts());
    w.show();
    const SessionResults& r = w.analysis().results;
    EXPECT_EQ(w.selectedCategory(), Category::TwoSeconds);
    EXPECT_TRUE(SameRuns(w.chart()->markedRuns(), r[Category::TwoSeconds]->runs));

    QTableWidget* table = w.resultsTable();
    const auto click = [&](Category c) {
        const QPoint at = table->visualItemRect(table->item(int(c), 1)).center();
        Send(table->viewport(), QEvent::MouseButtonPress, at, Qt::LeftButton);
        Send(table->viewport(), QEvent::MouseButtonRelease, at, Qt::NoButton);
    };
    click(Category::FiveByTen);
    EXPECT_EQ(w.selectedCategory(), Category::FiveByTen);
    ASSERT_EQ(w.chart()->markedRuns().size(), 5u);
    EXPECT_TRUE(SameRuns(w.chart()->markedRuns(), r[Category::FiveByTen]->runs));
    EXPECT_TRUE(SameRuns(w.trackPlot()->markedRuns(), r[Category::FiveByTen]->runs));
    EXPECT_EQ(table->item(int(Category::FiveByTen), 1)->text(), QString::number(Knots(18), 'f', 2));

    click(Category::OneHour);   // no such run in this log
    EXPECT_TRUE(w.chart()->markedRuns().empty());
    EXPECT_TRUE(w.trackPlot()->markedRuns().empty());
    EXPECT_EQ(table->item(int(Category::OneHour), 1)->text(), "-");
}

TEST(SessionView, theChartMarksWhereEachLegBegins)
{
    EnsureApplication();
    // Three reaches joined by gybes: two dotted lines inside the plot, none for a single reach.
    const auto dottedColumns = [](const SyntheticLog& log) {
        SessionWindow w(AnalyzeSbpImage(log.bytes(), RulesOf(RuleSet::Gp3s)));
        w.resize(1000, 700);
        w.show();
        QImage chart(w.chart()->size(), QImage::Format_RGB32);
        w.chart()->render(&chart);
        int columns = 0;
        for (int x = 60; x < chart.width() - 20; ++x) {
            int dots = 0;
            for (int y = 0; y < chart.height(); ++y)
                dots += chart.pixel(x, y) == qRgb(90, 110, 130);
            columns += dots > 20;
        }
        return std::make_pair(columns, w.analysis().results.runs.size());
    };
    SyntheticLog reaches;
    reaches.run(60, 10, 0).run(6, 8, 0, 6).run(60, 10, 180).run(6, 8, 180, 6).run(60, 10, 0);
    EXPECT_EQ(dottedColumns(reaches), std::make_pair(2, size_t(3)));
    SyntheticLog one;
    one.run(180, 10, 0);
    EXPECT_EQ(dottedColumns(one), std::make_pair(0, size_t(1)));
}

TEST(SessionView, trackZoomsAboutThePointerPansAndFitsAgain)
{
    EnsureApplication();
    const SessionAnalysis a = FiveBursts();
    TrackPlot plot;
    plot.resize(600, 400);
    plot.setTrack(&a.track);
    const double fitted = plot.pixelsPerMetre();
    const QPointF pointer(150, 120), m(100, -40);
    const QPointF before = plot.toPixel(m);

    QWheelEvent wheel(pointer, plot.mapToGlobal(pointer), {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&plot, &wheel);
    EXPECT_NEAR(plot.pixelsPerMetre(), fitted * 1.25, 1e-9);
    const QPointF zoomed = plot.toPixel(m);
    EXPECT_NEAR(zoomed.x(), pointer.x() + (before.x() - pointer.x()) * 1.25, 1e-6);
    EXPECT_NEAR(zoomed.y(), pointer.y() + (before.y() - pointer.y()) * 1.25, 1e-6);

    Send(&plot, QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton);
    Send(&plot, QEvent::MouseMove, {40, 30}, Qt::LeftButton);
    Send(&plot, QEvent::MouseButtonRelease, {40, 30}, Qt::NoButton);
    EXPECT_NEAR(plot.toPixel(m).x(), zoomed.x() + 30, 1e-6);
    EXPECT_NEAR(plot.toPixel(m).y(), zoomed.y() + 20, 1e-6);

    Send(&plot, QEvent::MouseButtonDblClick, {40, 30}, Qt::LeftButton);
    EXPECT_NEAR(plot.pixelsPerMetre(), fitted, 1e-9);
    EXPECT_NEAR(plot.toPixel(m).x(), before.x(), 1e-6);
}

TEST(SessionView, opensFilesDrawsTheTraceAndRefusesWhatItCannotRead)
{
    EnsureApplication();
    ScratchDir dir;
    SyntheticLog log;
    log.run(120, 8, 30);
    const std::vector<uint8_t> bytes = log.bytes();
    const std::string file = dir.file("s.sbp");
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    std::ofstream(dir.file("empty.sbp"));

    QString error;
    std::unique_ptr<SessionWindow> w = OpenSessionWindow(QString::fromStdString(file), error);
    ASSERT_TRUE(w) << error.toStdString();
    EXPECT_EQ(w->windowTitle(), "s.sbp - VR60 session");
    // "Post…" writes the ranking site's form of this session; not under the earlier definitions.
    EXPECT_TRUE(w->postButton()->isEnabled());
    const std::string page = dir.file("post.html");
    ASSERT_TRUE(w->writePostPage(QString::fromStdString(page), error)) << error.toStdString();
    EXPECT_NE(ReadText(page).find("<input id=\"2s\" name=\"2s\" value=\"15.551\">"), std::string::npos) << ReadText(page);
    EXPECT_FALSE(w->writePostPage(QString::fromStdString(dir.file("no/such/folder.html")), error));
    EXPECT_TRUE(error.contains("Cannot write")) << error.toStdString();
    EXPECT_FALSE(OpenSessionWindow(QString::fromStdString(file), error, RuleSet::Vr60)->postButton()->isEnabled());
    w->resize(1000, 700);
    QImage chart(w->chart()->size(), QImage::Format_RGB32);
    w->chart()->render(&chart);
    int trace = 0;
    for (int y = 0; y < chart.height(); ++y)
        for (int x = 0; x < chart.width(); ++x)
            trace += chart.pixel(x, y) == qRgb(20, 70, 160);
    EXPECT_GT(trace, 100);

    // A name that is not UTF-8 (Latin-1 here) opens as the bytes it is.
    std::filesystem::copy_file(file, dir.file("r\xE9gate.sbp"));
    EXPECT_TRUE(OpenSessionWindow(dir.file("r\xE9gate.sbp"), error)) << error.toStdString();

    EXPECT_FALSE(OpenSessionWindow(QString::fromStdString(dir.file("missing.sbp")), error));
    EXPECT_TRUE(error.contains("Cannot open")) << error.toStdString();
    EXPECT_FALSE(OpenSessionWindow(QString::fromStdString(dir.file("empty.sbp")), error));
    EXPECT_TRUE(error.contains("is empty")) << error.toStdString();

    // A log with no usable point still opens and draws.
    SessionWindow nothing(AnalyzeSbpImage(std::vector<uint8_t>(64, 0xFF), PointFilter{}));
    nothing.show();
    EXPECT_FALSE(nothing.selectedCategory());
    EXPECT_FALSE(nothing.grab().isNull());
}

TEST(SessionView, aLogOverSeveralDaysShowsItsDatesOnTheAxisAndInTheTable)
{
    const int64_t day = 86400000, noon = 16411 * day + day / 2;   // 2014-12-07 12:00
    struct Case {
        const char* name;
        int64_t from, to;
        std::vector<QString> firstLabels;
    };
    const Case cases[] = {
        {"an afternoon", noon, noon + 3 * 3600000, {"12:00:00", "12:30:00"}},
        {"past midnight", noon + 9 * 3600000, noon + 15 * 3600000, {"12-07 21:00", "12-07 22:00"}},
        {"a minute at midnight", noon + day / 2 - 30000, noon + day / 2 + 30000, {"12-07 23:59:30", "12-07 23:59:40"}},
        {"twelve days", noon, noon + 12 * day, {"2014-12-08", "2014-12-11"}},
    };
    for (const Case& c : cases) {
        const std::vector<TimeTick> ticks = TimeTicks(c.from, c.to, 6);
        ASSERT_GE(ticks.size(), 2u) << c.name;
        EXPECT_LE(ticks.size(), 7u) << c.name;
        EXPECT_EQ(ticks[0].label, c.firstLabels[0]) << c.name;
        EXPECT_EQ(ticks[1].label, c.firstLabels[1]) << c.name;
        EXPECT_NE(ticks.front().label, ticks.back().label) << c.name;
        EXPECT_TRUE(ticks.front().ms >= c.from && ticks.back().ms <= c.to) << c.name;
    }

    // Sailed from 08:00 to 08:01, then again from 04:12 to 04:13 the next day, faster.
    EnsureApplication();
    SyntheticLog log;
    log.run(60, 6).gap(20 * 3600 + 11 * 60).run(60, 9);
    PointFilter f;
    f.maxAcceleration = {};
    SessionWindow w(AnalyzeSbpImage(log.bytes(), f));
    const QTableWidget* table = w.resultsTable();
    EXPECT_TRUE(table->item(int(Category::FiveByTen), 5)->text().startsWith("2014-12-08 04:1"));
    EXPECT_TRUE(table->item(int(Category::TwoSeconds), 6)->text().startsWith("2014-12-08 04:1"));
    EXPECT_TRUE(w.summary()->text().contains("UTC dates 2014-12-07 to 2014-12-08")) << w.summary()->text().toStdString();
    SessionWindow oneDay(FiveBursts());
    EXPECT_EQ(oneDay.resultsTable()->item(int(Category::TwoSeconds), 5)->text().size(), 10);   // "HH:MM:SS.m"
}

TEST(SessionView, theSummaryReadsLongTimesInHoursAndNamesALeftOverPartialRecord)
{
    const struct {
        double seconds;
        const char* text;
    } times[] = {{0, "0.0 min"}, {2550, "42.5 min"}, {3569, "59.5 min"}, {3570, "1 h 0 min"}, {419196, "116 h 27 min"}};
    for (const auto& t : times)
        EXPECT_EQ(MovingTimeText(t.seconds), t.text) << t.seconds;

    EnsureApplication();
    ScratchDir dir;
    SyntheticLog log;
    log.run(60, 8);
    std::vector<uint8_t> bytes = log.bytes();
    bytes.resize(bytes.size() + 20, 0x33);
    const std::string file = dir.file("cut.sbp");
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    QString error;
    std::unique_ptr<SessionWindow> w = OpenSessionWindow(QString::fromStdString(file), error);
    ASSERT_TRUE(w) << error.toStdString();
    EXPECT_TRUE(w->summary()->text().contains("The file ends in a partial record: its last 20 bytes were left over."))
        << w->summary()->text().toStdString();
    EXPECT_TRUE(w->summary()->text().contains("moving 1.0 min")) << w->summary()->text().toStdString();
}

TEST(SessionView, theLegendLeavesTheTraceUncovered)
{
    // The fastest run at the end: the trace runs along the top of its last sixth.
    EnsureApplication();
    SyntheticLog log;
    log.run(50, 4).run(10, 12);
    PointFilter f;
    f.maxAcceleration = {};
    const SessionAnalysis a = AnalyzeSbpImage(log.bytes(), f);
    SpeedChart chart;
    chart.resize(700, 240);
    chart.setTrack(&a.track);
    QImage image(chart.size(), QImage::Format_RGB32);
    chart.render(&image);
    const QRect area = chart.plotArea();
    int trace = 0;
    for (int y = area.top(); y < area.top() + area.height() / 4; ++y)
        for (int x = area.right() - area.width() / 10; x < area.right(); ++x)
            trace += image.pixel(x, y) == qRgb(20, 70, 160);
    EXPECT_GT(trace, 20);
}

TEST(SessionView, aFileThatIsNotALogIsRefusedWithStatus12)
{
    EnsureApplication();
    ScratchDir dir;
    for (const NotALog& n : FilesThatAreNotLogs()) {
        const std::string file = dir.file(n.name);
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(n.bytes.data()), std::streamsize(n.bytes.size()));
        QString error;
        int status = 0;
        EXPECT_FALSE(OpenSessionWindow(QString::fromStdString(file), error, kDefaultRuleSet, &status)) << n.name;
        EXPECT_EQ(status, kNotALog) << n.name;
        EXPECT_TRUE(error.contains(QString::fromStdString(file) + " does not look like a VR60 log: only "))
            << error.toStdString();
    }
}

TEST(SessionView, pointsLeftOutAreShownAndCountedByReason)
{
    EnsureApplication();
    const auto pixelsOf = [](QWidget* widget, QColor colour) {
        QImage image(widget->size(), QImage::Format_RGB32);
        widget->render(&image);
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += image.pixel(x, y) == colour.rgb();
        return n;
    };
    SyntheticLog clean;
    clean.run(60, 8, 30);
    SyntheticLog spoilt = clean;
    spoilt.displace(100, 0, 30).displace(150, 30, 0).drop(200, 24);   // two spikes and a 5 s loss of fix
    SessionWindow a(AnalyzeSbpImage(clean.bytes(), PointFilter{})), b(AnalyzeSbpImage(spoilt.bytes(), PointFilter{}));
    for (SessionWindow* w : {&a, &b}) {
        w->resize(1000, 700);
        w->show();
    }
    EXPECT_GT(pixelsOf(b.chart(), LeftOutColour()), pixelsOf(a.chart(), LeftOutColour()));
    EXPECT_GT(pixelsOf(b.trackPlot(), LeftOutColour()), 0);
    EXPECT_EQ(pixelsOf(a.trackPlot(), LeftOutColour()), 0);

    QTableWidget* table = b.resultsTable();
    ASSERT_EQ(table->rowCount(), int(kCategoryCount + kFilterReasonCount));
    const int position = int(kCategoryCount) + int(FilterReason::Position);
    EXPECT_EQ(table->item(position, 0)->text(), "left out: position spike");
    EXPECT_EQ(table->item(position, 1)->text(), "2 points");
    EXPECT_EQ(table->item(int(kCategoryCount) + int(FilterReason::Hdop), 1)->text(), "0 points");
    // Choosing a count leaves the chosen result marked.
    const std::vector<BestRun> marked = b.chart()->markedRuns();
    ASSERT_FALSE(marked.empty());
    table->setCurrentCell(position, 0);
    EXPECT_TRUE(SameRuns(b.chart()->markedRuns(), marked));
    EXPECT_FALSE(b.selectedCategory());
}

} // namespace
