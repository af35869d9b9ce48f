// Best runs, distance and time moving on synthetic logs with known answers.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <optional>

#include "analysis/AlphaRun.h"
#include "analysis/SessionAnalysis.h"
#include "analysis/WindowRuns.h"
#include "analysis/SyntheticLog.h"
#include "platform/ResultCode.h"
#include "support/Files.h"

namespace {

// Most logs here jump between speeds; the acceleration check has its own test.
PointFilter NoSpikeCheck()
{
    PointFilter f;
    f.maxAcceleration = {};
    return f;
}

SessionAnalysis Analyze(const SyntheticLog& log, const PointFilter& filter = NoSpikeCheck())
{
    return AnalyzeSbpImage(log.bytes(), filter);
}

std::optional<double> SpeedOf(const SessionResults& r, Category c)
{
    return r[c] ? std::optional<double>(r[c]->speed) : std::nullopt;
}

double PathOf(const SessionTrack& t, const BestRun& run)
{
    return t.pathMetres[run.last] - t.pathMetres[run.first];
}

// Haversine, independent of the chords the analysis measures with.
double GreatCircleMetres(const TrackPoint& a, const TrackPoint& b)
{
    const double r = std::numbers::pi / 180, p1 = a.lat * r, p2 = b.lat * r;
    const double s1 = std::sin((p2 - p1) / 2), s2 = std::sin((b.lon - a.lon) * r / 2);
    return 2 * kEarthRadiusMetres * std::asin(std::sqrt(s1 * s1 + std::cos(p1) * std::cos(p2) * s2 * s2));
}

double GateOf(const SessionTrack& t, const BestRun& run)
{
    return GreatCircleMetres(t.points[run.first], t.points[run.last]);
}

TEST(SessionAnalysis, constantSpeedIsTheResultInEveryCategory)
{
    // An hour and a second round a 400 m circle: every category, alpha included, is 10 m/s.
    SyntheticLog log;
    log.circle(3601, 10, 400);
    const SessionAnalysis a = Analyze(log);
    const SessionResults& r = a.results;
    for (const CategoryInfo& c : Categories()) {
        ASSERT_EQ(r[c.category].has_value(), r.reports(c.category)) << c.key;
        if (r[c.category]) {
            EXPECT_NEAR(r[c.category]->speed, 10, 1e-9) << c.key;
        }
    }
    EXPECT_EQ(r[Category::TwoSeconds]->endMs - r[Category::TwoSeconds]->startMs, 2000);
    EXPECT_EQ(r[Category::OneHour]->endMs - r[Category::OneHour]->startMs, 3600000);
    EXPECT_EQ(r[Category::FiveByTen]->runs.size(), 5u);
    EXPECT_GE(PathOf(a.track, r[Category::NauticalMile]->runs[0]), 1852);
    EXPECT_NEAR(r.distanceMetres, 36010, 36010 * 1e-3);
    EXPECT_NEAR(r.movingSeconds, 3601, 1e-6);
    EXPECT_EQ(r.pointsUsed, 18006u);
    EXPECT_EQ(r.pointsFiltered, 0u);
}

TEST(SessionAnalysis, aTwoSecondBurstIsExactOverTwoSecondsAndDilutedOverTen)
{
    // Each speed holds until the next point: 2 s logged at 15 m/s are 10 points, and
    // an 11th at 15 holds on for 0.2 s more.
    for (const double burst : {2.0, 2.2}) {
        SyntheticLog log;
        log.run(30, 5).run(burst, 15).run(30, 5);
        const SessionResults r = Analyze(log).results;
        ASSERT_TRUE(r[Category::TwoSeconds]) << burst;
        EXPECT_DOUBLE_EQ(r[Category::TwoSeconds]->speed, 15) << burst;
        EXPECT_EQ(r[Category::TwoSeconds]->startMs, SyntheticLog::At(30.2)) << burst;
        EXPECT_EQ(r[Category::TwoSeconds]->endMs, SyntheticLog::At(32.2)) << burst;
        EXPECT_NEAR(*SpeedOf(r, Category::TenSeconds), (burst * 15 + (10 - burst) * 5) / 10, 1e-9) << burst;
        EXPECT_FALSE(r[Category::OneHour]);
    }
}

TEST(SessionAnalysis, fiveByTenIsTheBestMeanOfFiveDisjointWindows)
{
    struct Case {
        const char* name;
        std::function<void(SyntheticLog&)> build;
        std::optional<double> expected;
        std::vector<double> runSpeeds;   // when given, the five runs in time order
    };
    const auto bursts = [](SyntheticLog& log, std::vector<double> speeds) {
        log.run(20, 5);
        for (const double v : speeds)   // 50 points at v hold it for exactly 10 s
            log.run(10, v).run(20, 5);
    };
    // A 20 s stretch at 18 with 19 around its middle: the best single window sits
    // on the bump and would spoil two windows; the best pair splits the stretch,
    // each half 9 s at 18 and 1 s at 19.
    const double halves = 2 * (9 * 18 + 19) / 10.0;
    const Case cases[] = {
        {"five separated bursts (and a slower sixth)", [&](SyntheticLog& l) { bursts(l, {17, 20, 15, 19, 16, 18}); },
         18, {17, 20, 19, 16, 18}},
        {"straddling bump", [&](SyntheticLog& l) {
             bursts(l, {20, 20, 20});
             l.run(9, 18).run(2, 19).run(9, 18).run(20, 5);
         }, (60 + halves) / 5, {}},
        {"50 s of log hold five touching windows", [](SyntheticLog& l) { l.run(50, 10); }, 10, {10, 10, 10, 10, 10}},
        {"45 s of log do not", [](SyntheticLog& l) { l.run(45, 10); }, std::nullopt, {}},
    };
    for (const Case& c : cases) {
        SyntheticLog log;
        c.build(log);
        const SessionResults r = Analyze(log).results;
        ASSERT_EQ(SpeedOf(r, Category::FiveByTen).has_value(), c.expected.has_value()) << c.name;
        if (!c.expected)
            continue;
        EXPECT_NEAR(*SpeedOf(r, Category::FiveByTen), *c.expected, 1e-9) << c.name;
        const std::vector<BestRun>& runs = r[Category::FiveByTen]->runs;
        ASSERT_EQ(runs.size(), 5u) << c.name;
        for (size_t k = 0; k < runs.size(); ++k) {
            EXPECT_EQ(runs[k].endMs - runs[k].startMs, 10000) << c.name;
            if (k > 0) {
                EXPECT_LE(runs[k - 1].endMs, runs[k].startMs) << c.name;
            }
            if (!c.runSpeeds.empty()) {
                EXPECT_NEAR(runs[k].speed, c.runSpeeds[k], 1e-9) << c.name << " run " << k;
            }
        }
        EXPECT_EQ(r[Category::FiveByTen]->startMs, runs.front().startMs);
        EXPECT_EQ(r[Category::FiveByTen]->endMs, runs.back().endMs);
    }
}

TEST(SessionAnalysis, alphaNeedsThreeToFiveHundredMetresEndingWithinFiftyOfTheStart)
{
    struct Case {
        const char* name;
        double leg;      // metres out and back at 10 m/s
        double offset;   // metres east between the legs
        bool found;
    };
    const Case cases[] = {
        {"out and back 20 m apart", 250, 20, true},
        {"ends 40 m apart", 250, 40, true},
        {"ends 60 m apart", 250, 60, false},
        {"longer legs: only the last 500 m of path count", 300, 20, true},
        {"turn under 300 m of path", 120, 20, false},
    };
    for (const Case& c : cases) {
        SyntheticLog log;   // a slow lead-in from the west, then the run with its jibe
        log.run(30, 5, 90).run(c.leg / 10, 10, 0).run(c.offset / 10, 10, 90).run(c.leg / 10, 10, 180);
        const SessionAnalysis a = Analyze(log);
        const std::optional<CategoryResult>& alpha = a.results[Category::Alpha500];
        ASSERT_EQ(alpha.has_value(), c.found) << c.name;
        if (!alpha)
            continue;
        EXPECT_NEAR(alpha->speed, 10, 1e-9) << c.name;
        EXPECT_GE(PathOf(a.track, alpha->runs[0]), 300) << c.name;
        EXPECT_LE(PathOf(a.track, alpha->runs[0]), 500) << c.name;
        EXPECT_LE(GateOf(a.track, alpha->runs[0]), 50) << c.name;
    }
}

TEST(SessionAnalysis, aGapOverTwoSecondsOrAClockSetBackEndsARun)
{
    struct Case {
        double gap;
        bool bridged;
    };
    for (const Case c : {Case{3.0, false}, Case{2.2, false}, Case{2.0, true}, Case{-5.0, false}}) {
        // 6 s at 20, the gap (jumping 1 km; a negative one is a clock set back), 12 s at 10.
        SyntheticLog log;
        log.run(6, 20).gap(c.gap, 1000).run(12, 10);
        const SessionAnalysis a = Analyze(log);
        const SessionResults& r = a.results;
        EXPECT_DOUBLE_EQ(*SpeedOf(r, Category::TwoSeconds), 20) << c.gap;
        EXPECT_EQ(a.track.segmentStarts.size(), c.bridged ? 1u : 2u) << c.gap;
        if (c.bridged) {
            EXPECT_GT(*SpeedOf(r, Category::TenSeconds), 10) << c.gap;
            EXPECT_NEAR(r.movingSeconds, 6 + c.gap + 11.8, 1e-9);
            EXPECT_GT(r.distanceMetres, 1000);
        } else {
            EXPECT_DOUBLE_EQ(*SpeedOf(r, Category::TenSeconds), 10) << c.gap;   // only after the gap
            EXPECT_NEAR(r.movingSeconds, 6 + 11.8, 1e-9) << c.gap;
            EXPECT_NEAR(r.distanceMetres, 120 + 118, 0.5) << c.gap;
            EXPECT_FALSE(r[Category::Metres250]) << c.gap;
        }
    }
}

TEST(SessionAnalysis, filtersLeaveOutSpikes)
{
    struct Case {
        const char* name;
        std::function<void(SyntheticLog&)> spoil;   // applied to a log of 20 s at 10 m/s
        size_t filtered;
        double twoSeconds;
    };
    const auto spike = [](size_t i, std::function<void(SbpFields&)> change) {
        return [=](SyntheticLog& l) {
            l.point(i).speed = 3000;
            change(l.point(i));
        };
    };
    const auto none = [](SbpFields&) {};
    const Case cases[] = {
        {"HDOP 3.2", spike(50, [](SbpFields& f) { f.hdop = 16; }), 1, 10},
        {"4 satellites", spike(50, [](SbpFields& f) { f.satellites = 4; }), 1, 10},
        {"invalid time", spike(50, [](SbpFields& f) { f.utc |= 63; }), 1, 10},
        {"100 m/s^2", spike(50, none), 1, 10},
        {"two points in a row", [&](SyntheticLog& l) {
             spike(50, none)(l);
             spike(51, none)(l);
         }, 2, 10},
        {"a spike first in the log", spike(0, none), 1, 10},
        // Kept: at the limits, or within 8 m/s^2.
        {"HDOP 3.0 and 5 satellites", [](SyntheticLog& l) {
             for (size_t i = 40; i <= 60; ++i) {
                 l.point(i).hdop = 15;
                 l.point(i).satellites = 5;
                 l.point(i).speed = 1100;
             }
         }, 0, 11},
        {"7 m/s^2 for two seconds", [](SyntheticLog& l) {
             for (size_t i = 40; i < 101; ++i)
                 l.point(i).speed = uint16_t(1000 + 140 * std::min<size_t>(i - 39, 10));
         }, 0, 24},
    };
    for (const Case& c : cases) {
        SyntheticLog log;
        log.run(20, 10);
        c.spoil(log);
        const SessionResults r = AnalyzeSbpImage(log.bytes(), PointFilter{}).results;
        EXPECT_EQ(r.pointsFiltered, c.filtered) << c.name;
        EXPECT_EQ(r.pointsUsed, log.size() - c.filtered) << c.name;
        EXPECT_NEAR(*SpeedOf(r, Category::TwoSeconds), c.twoSeconds, 1e-9) << c.name;
    }

    // A real, lasting jump beyond the limit is left out only until it becomes a gap.
    SyntheticLog jump;
    jump.run(10, 2).run(10, 20);
    const SessionAnalysis a = AnalyzeSbpImage(jump.bytes(), PointFilter{});
    EXPECT_EQ(a.results.pointsFiltered, 10u);   // 2 s of points, then a new segment
    EXPECT_EQ(a.track.segmentStarts.size(), 2u);
    EXPECT_DOUBLE_EQ(*SpeedOf(a.results, Category::TwoSeconds), 20);

    // Options change the limits.
    PointFilter loose;
    loose.maxHdop = 3.2;
    loose.minSatellites = 4;
    SyntheticLog log;
    log.run(20, 10);
    log.point(50).hdop = 16;
    log.point(60).satellites = 4;
    EXPECT_EQ(AnalyzeSbpImage(log.bytes(), loose).results.pointsFiltered, 0u);
}

TEST(SessionAnalysis, logsWithoutRunsGiveNoResults)
{
    SyntheticLog one;
    one.run(0, 10);
    std::vector<uint8_t> headed = SbpHeaderBlock();
    const std::vector<uint8_t> onePoint = one.bytes();
    headed.insert(headed.end(), onePoint.begin(), onePoint.end());
    headed.insert(headed.end(), 31, 0x55);   // a partial record at the end
    struct Case {
        const char* name;
        std::vector<uint8_t> image;
        size_t used;
    };
    const Case cases[] = {
        {"empty", {}, 0},
        {"header block only", SbpHeaderBlock(), 0},
        {"one point", onePoint, 1},
        {"header, one point and a partial record", headed, 1},
        {"blank flash", std::vector<uint8_t>(96, 0xFF), 0},
    };
    for (const Case& c : cases) {
        const SessionResults r = AnalyzeSbpImage(c.image, PointFilter{}).results;
        for (const CategoryInfo& k : Categories())
            EXPECT_FALSE(r[k.category]) << c.name << " " << k.key;
        EXPECT_EQ(r.pointsUsed, c.used) << c.name;
        EXPECT_EQ(r.distanceMetres, 0) << c.name;
        EXPECT_EQ(r.movingSeconds, 0) << c.name;
    }
}

// The searches against the plain definitions, on a track that wanders, loops
// and changes speed all the time (with two gaps).
TEST(SessionAnalysis, searchesAgreeWithBruteForceOnAWanderingTrack)
{
    SyntheticLog log;
    uint32_t seed = 12345;
    const auto next = [&]() { return (seed = seed * 1664525u + 1013904223u) >> 8 & 0xFFFF; };
    double heading = 0, speed = 8;
    for (int k = 0; k < 4000; ++k) {
        heading += (next() % 41) - 20.0 + (k / 300 % 2 ? 6 : -6);
        speed = std::clamp(speed + ((next() % 101) - 50) / 40.0, 0.5, 20.0);
        if (k == 1500 || k == 2900)
            log.gap(5);
        log.run(0.2, speed, heading);
    }
    const SessionTrack t = BuildSessionTrack(log.bytes().data(), log.size(), NoSpikeCheck());

    std::optional<double> alpha, hundred, tenSeconds, loggedAlpha;   // the last by the logged speeds' metres, from 250 m
    for (size_t s = 0; s < t.segmentStarts.size(); ++s)
        for (size_t j = t.segmentStarts[s]; j < t.segmentEnd(s); ++j) {
            bool hundredDone = false, tenDone = false;
            for (size_t i = j; i-- > t.segmentStarts[s];) {
                const double path = t.pathMetres[j] - t.pathMetres[i], v = t.meanSpeed(i, j);
                const double logged = t.endSpeedIntegral[j] - t.endSpeedIntegral[i];
                if (logged >= 250 && logged <= 500 && GreatCircleMetres(t.points[i], t.points[j]) <= 50)
                    loggedAlpha = std::max(loggedAlpha.value_or(0), logged / t.seconds(i, j));
                if (!hundredDone && path >= 100) {
                    hundred = std::max(hundred.value_or(0), v);
                    hundredDone = true;
                }
                if (!tenDone && t.points[j].timeMs - t.points[i].timeMs >= 10000) {
                    tenSeconds = std::max(tenSeconds.value_or(0), v);
                    tenDone = true;
                }
                if (path >= 300 && path <= 500 && GreatCircleMetres(t.points[i], t.points[j]) <= 50)
                    alpha = std::max(alpha.value_or(0), v);
                if (path > 500 && logged > 500 && hundredDone && tenDone)
                    break;
            }
        }
    ASSERT_TRUE(alpha && hundred && tenSeconds && loggedAlpha);
    const std::optional<BestRun> foundLoggedAlpha = BestAlpha(t, 250, 500, 50, DistanceMeasure::LoggedSpeed);
    ASSERT_TRUE(foundLoggedAlpha);
    EXPECT_DOUBLE_EQ(foundLoggedAlpha->speed, *loggedAlpha);
    const std::optional<BestRun> foundAlpha = BestAlpha(t, 300, 500, 50);
    const std::optional<BestRun> foundHundred = BestOverDistances(t, {100})[0];
    const std::optional<BestRun> foundTen = BestOverDurations(t, {10})[0];
    ASSERT_TRUE(foundAlpha && foundHundred && foundTen);
    EXPECT_DOUBLE_EQ(foundAlpha->speed, *alpha);
    EXPECT_DOUBLE_EQ(foundHundred->speed, *hundred);
    EXPECT_DOUBLE_EQ(foundTen->speed, *tenSeconds);
}

// A 67-minute session: reaches out and back of 40 s, joined by 20 m radius
// jibes, each pair at its own speed (ramped between at 5 m/s^2). One reach in
// the middle rises to 15.2 m/s and falls again: the session's fastest point.
struct Session {
    SyntheticLog log;
    size_t peak = 0;                 // the fastest point
    std::vector<size_t> reachStart;  // first point of each pair's outward reach
};

Session SixtySevenMinutes()
{
    Session s;
    SyntheticLog& log = s.log;
    const double speeds[] = {10, 12, 11, 13, 12, 14, 11, 13, 12, 10};
    const auto jibe = [&](double v, double heading) {
        const long steps = std::lround(std::numbers::pi * 20 / (v * 0.2));
        log.run(steps * 0.2, v, heading, 180.0 / double(steps));
    };
    double v = speeds[0];
    log.run(0.2, v, 0);
    for (int pair = 0; log.size() < 67 * 60 * 5; ++pair) {
        for (const double next = speeds[pair % 10]; std::fabs(next - v) > 1e-9;)
            log.run(0.2, v += std::clamp(next - v, -1.0, 1.0), 0);
        s.reachStart.push_back(log.size());
        if (pair == 22) {
            log.run(12, v, 0);
            for (int k = 1; k <= 40; ++k)
                log.run(0.2, v + k * 0.105, 0);
            s.peak = log.size() - 1;
            for (int k = 39; k >= 0; --k)
                log.run(0.2, v + k * 0.105, 0);
            log.run(12, v, 0);
        } else {
            log.run(40, v, 0);
        }
        jibe(v, 0);
        log.run(40, v, 180);
        jibe(v, 180);
    }
    return s;
}

TEST(SessionAnalysis, spoiltSessionsGiveTheResultsOfTheirCleanTwin)
{
    const Session clean = SixtySevenMinutes();
    const SessionResults twin = Analyze(clean.log, PointFilter{}).results;
    ASSERT_GT(clean.log.size(), 20000u);
    for (const CategoryInfo& c : Categories())
        ASSERT_EQ(twin[c.category].has_value(), twin.reports(c.category)) << c.key;
    const size_t peak = clean.peak, fast = clean.reachStart[25] + 100;   // a reach at 14 m/s
    const size_t slow = clean.reachStart[10] + 50, slow2 = clean.reachStart[30] + 50;   // at 10 m/s
    const auto hdop4 = [](SyntheticLog& l, size_t from) {
        for (size_t i = from; i < from + 15; ++i)
            l.point(i).hdop = 20;
    };
    struct Case {
        const char* name;
        std::function<void(SyntheticLog&)> spoil;
        size_t position, hdop;   // records left out for each reason
    };
    const Case cases[] = {
        {"one record 25 m sideways at the fastest point", [&](SyntheticLog& l) { l.displace(peak, 0, 25); }, 1, 0},
        {"one record 40 m back at the fastest point", [&](SyntheticLog& l) { l.displace(peak, -40, 0); }, 1, 0},
        {"two records 30 m sideways", [&](SyntheticLog& l) { l.displace(peak, 0, 30).displace(peak + 1, 0, 30); }, 2, 0},
        {"two records 25 and 40 m off", [&](SyntheticLog& l) { l.displace(peak, 0, -25).displace(peak + 1, 20, 35); }, 2, 0},
        {"a 5 s loss of fix", [&](SyntheticLog& l) { l.drop(slow, 25); }, 0, 0},
        {"3 s of HDOP 4.0", [&](SyntheticLog& l) { hdop4(l, slow); }, 0, 15},
        {"all of them", [&](SyntheticLog& l) {
             l.displace(peak, 0, 25).displace(fast, 0, 30).displace(fast + 1, 0, 30);
             hdop4(l, slow2);
             l.drop(slow, 25);
         }, 3, 15},
    };
    const auto near = [](double a, double b) { return std::fabs(a - b) <= 0.003 * std::fabs(b); };
    for (const Case& c : cases) {
        Session spoilt = SixtySevenMinutes();
        c.spoil(spoilt.log);
        const SessionResults r = Analyze(spoilt.log, PointFilter{}).results;
        for (const CategoryInfo& k : Categories()) {
            if (!twin[k.category])
                continue;
            ASSERT_TRUE(r[k.category]) << c.name << ": " << k.key;
            EXPECT_PRED2(near, r[k.category]->speed, twin[k.category]->speed) << c.name << ": " << k.key;
        }
        EXPECT_PRED2(near, r.distanceMetres, twin.distanceMetres) << c.name;
        EXPECT_PRED2(near, r.movingSeconds, twin.movingSeconds) << c.name;
        EXPECT_EQ(r.filteredBy[size_t(FilterReason::Position)], c.position) << c.name;
        EXPECT_EQ(r.filteredBy[size_t(FilterReason::Hdop)], c.hdop) << c.name;
        EXPECT_EQ(r.pointsFiltered, c.position + c.hdop) << c.name;
        EXPECT_EQ(r.pointsUsed + r.pointsFiltered, spoilt.log.size()) << c.name;
    }

    // Without the position check one spike is enough to spoil the 100 m.
    Session spiked = SixtySevenMinutes();
    spiked.log.displace(peak, 0, 25);
    PointFilter unchecked;
    unchecked.maxJumpMetres = 0;
    const SessionResults r = Analyze(spiked.log, unchecked).results;
    EXPECT_FALSE(near(r[Category::Metres100]->speed, twin[Category::Metres100]->speed));
}

TEST(SessionAnalysis, positionSpikesGoAndRealPathsStay)
{
    struct Case {
        const char* name;
        std::function<void(SyntheticLog&)> build;
        size_t position;   // records left out as position spikes
    };
    const auto reach = [](std::function<void(SyntheticLog&)> spoil) {
        return [=](SyntheticLog& l) {
            l.run(30, 10);
            spoil(l);
        };
    };
    const Case cases[] = {
        {"first record 30 m off", reach([](SyntheticLog& l) { l.displace(0, 0, 30); }), 1},
        {"first two records 30 m off", reach([](SyntheticLog& l) { l.displace(0, 0, 30).displace(1, 0, 30); }), 2},
        {"last record 30 m off", reach([](SyntheticLog& l) { l.displace(l.size() - 1, 0, 30); }), 1},
        {"first record after a 5 s loss of fix 30 m off", [](SyntheticLog& l) {
             l.run(30, 10).gap(5).run(30, 10);
             l.displace(151, 0, 30);
         }, 1},
        {"a record 8 m off: within the margin", reach([](SyntheticLog& l) { l.displace(70, 0, 8); }), 0},
        {"the path moves 25 m over for good", reach([](SyntheticLog& l) {
             for (size_t i = 70; i < l.size(); ++i)
                 l.displace(i, 0, 25);
         }), 0},
        {"a 20 m radius jibe at 15 m/s", [](SyntheticLog& l) {
             l.run(20, 15, 0).run(4.2, 15, 0, 180 / 21.0).run(20, 15, 180);
         }, 0},
        {"a tight circle at 15 m/s", [](SyntheticLog& l) { l.circle(60, 15, 2 * std::numbers::pi * 8); }, 0},
    };
    for (const Case& c : cases) {
        SyntheticLog log;
        c.build(log);
        const SessionAnalysis a = Analyze(log, PointFilter{});
        EXPECT_EQ(a.results.filteredBy[size_t(FilterReason::Position)], c.position) << c.name;
        EXPECT_EQ(a.results.pointsFiltered, c.position) << c.name;
        EXPECT_EQ(a.results.pointsUsed + c.position, log.size()) << c.name;
        ASSERT_EQ(a.track.leftOut.size(), c.position) << c.name;
        for (const LeftOutPoint& l : a.track.leftOut)
            EXPECT_EQ(l.reason, FilterReason::Position) << c.name;
    }
}

TEST(SessionAnalysis, longCategoriesSpanShortDropOutsShortOnesNever)
{
    struct Case {
        const char* name;
        std::function<void(SyntheticLog&)> build;   // about 3700 s at 10 m/s north, a loss of fix in the middle
        double maxDropout;
        bool spanned;
        double distance, moving;
    };
    // Points 9250.. are lost: a gap of (count + 1) * 0.2 s, 50 m of path at 5 s.
    const auto lossOf = [](size_t count, double jumpNorth = 0) {
        return [=](SyntheticLog& l) {
            l.run(3700, 10).drop(9250, count);
            for (size_t i = 9250; jumpNorth != 0 && i < l.size(); ++i)
                l.displace(i, jumpNorth, 0);
        };
    };
    const Case cases[] = {
        {"5 s", lossOf(24), 30, true, 37000, 3700},
        {"30 s", lossOf(149), 30, true, 37000, 3700},
        {"31 s: a long stop ends the run", lossOf(154), 30, false, 36690, 3669},
        {"5 s with the position 1 km on", lossOf(24, 1000), 30, false, 36950, 3695},
        {"5 s with no drop-out spanned", lossOf(24), 0, false, 36950, 3695},
        {"a clock set back 5 s", [](SyntheticLog& l) { l.run(1850, 10).gap(-5).run(1850, 10); }, 30, false, 36998, 3699.8},
    };
    for (const Case& c : cases) {
        SyntheticLog log;
        c.build(log);
        PointFilter filter;
        filter.maxDropoutSeconds = c.maxDropout;
        const SessionAnalysis a = Analyze(log, filter);
        const SessionResults& r = a.results;
        EXPECT_EQ(a.track.segmentStarts.size(), 2u) << c.name;
        EXPECT_EQ(a.track.stretchStarts.size(), c.spanned ? 1u : 2u) << c.name;
        ASSERT_EQ(r[Category::OneHour].has_value(), c.spanned) << c.name;
        if (c.spanned) {   // straight on at one speed: the line across the gap is the path not logged
            EXPECT_NEAR(r[Category::OneHour]->speed, 10, 1e-5) << c.name;
        }
        EXPECT_NEAR(r.distanceMetres, c.distance, 0.5) << c.name;
        EXPECT_NEAR(r.movingSeconds, c.moving, 1e-6) << c.name;
    }

    // The short categories stay inside a segment: 4 s at 20 m/s on either side
    // of a 3 s gap would make a 10 s at 20 if the line across counted.
    SyntheticLog log;
    log.run(60, 5).run(7, 20).run(60, 5).drop(311, 14);   // 20 m/s from 60.2 to 62.0 s and from 65.0 to 67.2 s
    const SessionAnalysis a = Analyze(log, NoSpikeCheck());
    ASSERT_EQ(a.track.segmentStarts.size(), 2u);
    EXPECT_EQ(a.track.stretchStarts.size(), 1u);
    const auto segmentOf = [&](size_t i) {
        return std::upper_bound(a.track.segmentStarts.begin(), a.track.segmentStarts.end(), i) - a.track.segmentStarts.begin();
    };
    for (const Category c : {Category::TwoSeconds, Category::TenSeconds, Category::FiveByTen, Category::Metres100,
                             Category::Metres250}) {
        ASSERT_TRUE(a.results[c]) << int(c);
        for (const BestRun& run : a.results[c]->runs)
            EXPECT_EQ(segmentOf(run.first), segmentOf(run.last)) << int(c);
    }
    EXPECT_DOUBLE_EQ(a.results[Category::TwoSeconds]->speed, 20);
    EXPECT_LT(a.results[Category::TenSeconds]->speed, 12.5);
}

TEST(SessionAnalysis, filesAreAnalysedWholeOrSayTheyWereNot)
{
    // 10 MiB of records after a header block, and a partial record: 18 hours at 5 Hz.
    SyntheticLog log;
    log.run(65535.8, 10, 60);
    ASSERT_EQ(log.size(), 327680u);
    std::vector<uint8_t> bytes = SbpHeaderBlock();
    const std::vector<uint8_t> records = log.bytes();
    bytes.insert(bytes.end(), records.begin(), records.end());
    bytes.insert(bytes.end(), 20, 0x55);
    ScratchDir dir;
    const std::string file = dir.file("long.sbp");
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));

    const SessionResults image = AnalyzeSbpImage(bytes, PointFilter{}).results;
    const SbpFileAnalysis whole = AnalyzeSbpFile(file, PointFilter{});
    ASSERT_EQ(whole.status, kOk);
    const SessionResults& r = whole.analysis.results;
    EXPECT_FALSE(r.truncated);
    EXPECT_EQ(r.records, 327680u);
    EXPECT_EQ(r.pointsUsed, 327680u);
    ASSERT_TRUE(r[Category::OneHour]);
    for (const CategoryInfo& c : Categories()) {
        ASSERT_EQ(r[c.category].has_value(), image[c.category].has_value()) << c.key;
        if (r[c.category]) {
            EXPECT_EQ(r[c.category]->speed, image[c.category]->speed) << c.key;
            EXPECT_EQ(r[c.category]->startMs, image[c.category]->startMs) << c.key;
        }
    }
    EXPECT_EQ(r.distanceMetres, image.distanceMetres);
    EXPECT_NEAR(r.movingSeconds, 65535.8, 1e-3);

    // A limit on the records read, at and across the stream's block boundaries.
    for (const size_t limit : {size_t(327679), size_t(2048), size_t(1000)}) {
        const SbpFileAnalysis part = AnalyzeSbpFile(file, PointFilter{}, limit);
        EXPECT_EQ(part.analysis.results.records, limit) << limit;
        EXPECT_EQ(part.analysis.results.pointsUsed, limit) << limit;
        EXPECT_TRUE(part.analysis.results.truncated) << limit;
        EXPECT_EQ(part.readError, 0) << limit;
    }
}

} // namespace
