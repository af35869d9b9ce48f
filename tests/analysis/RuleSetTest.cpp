// The rule sets on sessions built with known answers: the speed error, limits
// by logging rate, runs and 5 x 10 s from different runs, drop-outs that cost
// only themselves, and alpha and distance windows by the logged speeds.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <optional>

#include "analysis/ResultText.h"
#include "analysis/SessionAnalysis.h"
#include "analysis/SyntheticLog.h"

namespace {

AnalysisRules Rules(RuleSet set, bool accelerationCheck = true)
{
    AnalysisRules r = RulesOf(set);
    if (!accelerationCheck)   // for logs that jump between speeds
        r.filter.maxAcceleration = {};
    return r;
}

SessionAnalysis Analyze(const SyntheticLog& log, const AnalysisRules& rules)
{
    return AnalyzeSbpImage(log.bytes(), rules);
}

// `seconds` of points `stepSeconds` apart at `speed`, heading north.
void AtRate(SyntheticLog& log, double seconds, double stepSeconds, double speed)
{
    for (double t = 0; t < seconds - 1e-9; t += stepSeconds)
        log.gap(stepSeconds).run(0.2, speed);
}

TEST(RuleSets, speedErrorAndAccelerationLimitsFollowTheLoggingRate)
{
    struct Case {
        const char* name;
        RuleSet rules;
        double step;          // seconds between points
        uint8_t error;        // EE_VEL of the middle point, 0.01 m/s
        double jump;          // m/s the middle point's speed is off
        FilterReason reason;  // what leaves it out
        size_t filtered;
    };
    const Case cases[] = {
        {"5 Hz, 2.0 m/s (3.9 kn) error: kept", RuleSet::Gp3s, 0.2, 200, 0, FilterReason::SpeedError, 0},
        {"5 Hz, 2.1 m/s (4.1 kn) error: out", RuleSet::Gp3s, 0.2, 210, 0, FilterReason::SpeedError, 1},
        {"1 Hz, 1.0 m/s (1.9 kn) error: kept", RuleSet::Gp3s, 1.0, 100, 0, FilterReason::SpeedError, 0},
        {"1 Hz, 1.1 m/s (2.1 kn) error: out", RuleSet::Gp3s, 1.0, 110, 0, FilterReason::SpeedError, 1},
        {"10 Hz, 2.1 m/s error: out", RuleSet::Gp3s, 0.1, 210, 0, FilterReason::SpeedError, 1},
        {"vr60 reads no error limit", RuleSet::Vr60, 0.2, 250, 0, FilterReason::SpeedError, 0},
        {"10 Hz, 12 m/s^2: kept under gp3s", RuleSet::Gp3s, 0.1, 0, 1.2, FilterReason::Acceleration, 0},
        {"10 Hz, 12 m/s^2: out under vr60", RuleSet::Vr60, 0.1, 0, 1.2, FilterReason::Acceleration, 1},
        {"1 Hz, 5 m/s^2: out under gp3s", RuleSet::Gp3s, 1.0, 0, 5, FilterReason::Acceleration, 1},
        {"1 Hz, 5 m/s^2: kept under vr60", RuleSet::Vr60, 1.0, 0, 5, FilterReason::Acceleration, 0},
        {"an error spike goes as speed error, not acceleration", RuleSet::Gp3s, 0.2, 255, 20,
         FilterReason::SpeedError, 1},
    };
    for (const Case& c : cases) {
        SyntheticLog log;
        log.speedError(20);
        AtRate(log, 60, c.step, 10);
        const size_t middle = log.size() / 2;
        log.point(middle).eeVel = c.error ? c.error : 20;
        log.point(middle).speed = uint16_t(std::lround((10 + c.jump) * 100));
        const SessionResults r = Analyze(log, Rules(c.rules)).results;
        EXPECT_EQ(r.filteredBy[size_t(c.reason)], c.filtered) << c.name;
        EXPECT_EQ(r.pointsFiltered, c.filtered) << c.name;
    }
}

TEST(RuleSets, everyResultCarriesItsPropagatedSpeedErrorOrNone)
{
    // 50 s at 10 m/s, every point logging 0.2 m/s, then 40 s slower logging none.
    SyntheticLog log;
    log.speedError(20).run(50, 10).speedError(0).run(40, 9);
    const SessionResults r = Analyze(log, Rules(RuleSet::Gp3s, false)).results;
    ASSERT_TRUE(r[Category::TwoSeconds] && r[Category::TenSeconds]);
    // 2 s at 5 Hz: 11 points of 0.2 m/s, sqrt(11 * 0.04) / 11.
    EXPECT_NEAR(*r[Category::TwoSeconds]->speedError, 0.2 / std::sqrt(11.0), 1e-6);
    EXPECT_NEAR(*r[Category::TwoSeconds]->meanSpeedError, 0.2, 1e-6);
    // Five windows of 51 points each: their errors propagate into the mean of five.
    const std::optional<CategoryResult>& five = r[Category::FiveByTenDisjoint];
    ASSERT_TRUE(five);
    EXPECT_NEAR(five->speed, 10, 1e-9);
    EXPECT_NEAR(*five->speedError, std::sqrt(5 * 0.04 / 51) / 5, 1e-6);
    // A window where only some points give an error counts those.
    const std::optional<CategoryResult>& hundred = r[Category::Metres100];
    ASSERT_TRUE(hundred);
    EXPECT_NEAR(*hundred->meanSpeedError, 0.2, 1e-6);

    SyntheticLog none;
    none.run(40, 10);
    const SessionResults n = Analyze(none, Rules(RuleSet::Gp3s)).results;
    ASSERT_TRUE(n[Category::TwoSeconds]);
    EXPECT_FALSE(n[Category::TwoSeconds]->speedError);
    EXPECT_NE(ResultJson(n).find("\"err_kn\": null"), std::string::npos);
    EXPECT_NE(ResultTableLines(n)[1].find("\u00b1?"), std::string::npos) << ResultTableLines(n)[1];
    EXPECT_NE(ResultTableLines(r)[1].find("\u00b10.12"), std::string::npos) << ResultTableLines(r)[1];
}

// Reaches north and south at the given speeds, joined by 6 s gybes of 180
// degrees; `lead` seconds at 3 m/s first.
SyntheticLog Reaches(const std::vector<double>& speeds, double reachSeconds = 30)
{
    SyntheticLog log;
    log.run(5, 3, 0);
    double heading = 0;
    for (size_t k = 0; k < speeds.size(); ++k) {
        if (k > 0) {
            log.run(6, 7, heading, 6);   // 30 steps of 6 degrees at 7 m/s
            heading = heading == 0 ? 180 : 0;
        }
        log.run(reachSeconds, speeds[k], heading);
    }
    return log;
}

TEST(RuleSets, runsEndAtGybesAndStops)
{
    const SessionResults r = Analyze(Reaches({10, 12}), Rules(RuleSet::Gp3s, false)).results;
    ASSERT_EQ(r.runs.size(), 2u);
    ASSERT_EQ(r.turns.size(), 1u);
    const TurnSummary& t = r.turns[0];
    EXPECT_EQ(t.toRun, 2u);
    EXPECT_DOUBLE_EQ(t.entry, 7);     // the old run's last point is in the turn's first degrees
    EXPECT_DOUBLE_EQ(t.minimum, 7);
    EXPECT_DOUBLE_EQ(t.exit, 12);
    // The turn passes 50 degrees off north at its ninth step (54 degrees), 35 s + 1.8 s in.
    EXPECT_EQ(r.runs[1].startMs, SyntheticLog::At(35 + 1.8));
    // The course settles 1.6 s after the turn's end: 168 degrees 2 s before is within 15.
    EXPECT_EQ(t.endMs, SyntheticLog::At(41 + 1.6));
    EXPECT_EQ(r[Category::TwoSeconds]->runs[0].run, 2u);
    EXPECT_EQ(r.runs[0].best10s->run, 1u);
    EXPECT_DOUBLE_EQ(r.runs[0].best10s->speed, 10);

    // A stop splits a reach held on one course; the turn list stays empty.
    SyntheticLog stop;
    stop.run(30, 10).run(10, 0.5).run(30, 10);
    const SessionResults s = Analyze(stop, Rules(RuleSet::Gp3s, false)).results;
    EXPECT_EQ(s.runs.size(), 2u);
    EXPECT_TRUE(s.turns.empty());
}

TEST(RuleSets, fiveByTenTakesFiveDifferentRuns)
{
    struct Case {
        const char* name;
        std::vector<double> speeds;
        std::optional<double> byRuns;   // m/s
        double disjoint;
    };
    const Case cases[] = {
        // The first reach holds five windows at 15 on its own; by runs it gives one.
        {"one fast run and four slower", {15, 10, 11, 12, 13}, (15 + 10 + 11 + 12 + 13) / 5.0, 15},
        {"five runs, six reaches: the slowest is left", {15, 10, 11, 12, 13, 9}, (15 + 10 + 11 + 12 + 13) / 5.0, 15},
        {"four runs are not enough", {15, 10, 11, 12}, std::nullopt, 15},
    };
    for (const Case& c : cases) {
        const SessionResults r = Analyze(Reaches(c.speeds, 55), Rules(RuleSet::Gp3s, false)).results;
        ASSERT_EQ(r.runs.size(), c.speeds.size()) << c.name;
        ASSERT_TRUE(r[Category::FiveByTenDisjoint]) << c.name;
        EXPECT_NEAR(r[Category::FiveByTenDisjoint]->speed, c.disjoint, 1e-9) << c.name;
        ASSERT_EQ(r[Category::FiveByTen].has_value(), c.byRuns.has_value()) << c.name;
        if (!c.byRuns) {
            EXPECT_NE(ResultTableLines(r)[3].find("fewer than 5 runs"), std::string::npos) << ResultTableLines(r)[3];
            continue;
        }
        EXPECT_NEAR(r[Category::FiveByTen]->speed, *c.byRuns, 1e-9) << c.name;
        std::vector<uint32_t> runs;
        for (const BestRun& b : r[Category::FiveByTen]->runs)
            runs.push_back(b.run);
        EXPECT_EQ(runs, (std::vector<uint32_t>{1, 2, 3, 4, 5})) << c.name;
    }
    // Under vr60, 5 x 10 s is the disjoint figure and there is no second key.
    const SessionResults old = Analyze(Reaches({15, 10, 11, 12, 13}, 55), Rules(RuleSet::Vr60, false)).results;
    EXPECT_NEAR(old[Category::FiveByTen]->speed, 15, 1e-9);
    EXPECT_FALSE(old.reports(Category::FiveByTenDisjoint));
}

TEST(RuleSets, aDropOutTheLineCannotExplainCostsOnlyItsOwnSeconds)
{
    // A fall in the middle of an hour and more at 10 m/s: 3 s at 4 m/s, 7.9 s
    // without a fix across which the position moves 84.8 m (more than the 57.4 m
    // the speeds allow), 3 s at 4 m/s.
    SyntheticLog log;
    log.run(1850, 10).run(3, 4).gap(7.9, 84).run(3, 4).run(1850, 10);
    const SessionAnalysis gp3s = Analyze(log, Rules(RuleSet::Gp3s, false));
    const SessionAnalysis vr60 = Analyze(log, Rules(RuleSet::Vr60, false));
    EXPECT_EQ(gp3s.track.stretchStarts.size(), 1u);
    EXPECT_EQ(vr60.track.stretchStarts.size(), 2u);
    EXPECT_FALSE(vr60.results[Category::OneHour]);
    ASSERT_TRUE(gp3s.results[Category::OneHour]);
    // Every hour holds the fall: 6 s and the 7.9 s gap at 4 m/s (held), the rest at 10.
    const double hour = gp3s.results[Category::OneHour]->speed;
    EXPECT_NEAR(hour, (3600 - 13.9) * 10 / 3600 + 13.9 * 4 / 3600, 0.002);
    // The distance spans the gap with the logged speed too.
    EXPECT_NEAR(gp3s.results.distanceMetres, 3700 * 10 + 13.9 * 4, 1);

    // A stop across the gap, or a gap beyond the limit, still ends the stretch.
    SyntheticLog stopped;
    stopped.run(1850, 10).run(3, 0.5).gap(7.9, 84).run(3, 0.5).run(1850, 10);
    EXPECT_EQ(Analyze(stopped, Rules(RuleSet::Gp3s, false)).track.stretchStarts.size(), 2u);
    SyntheticLog longGap;
    longGap.run(1850, 10).gap(31).run(1850, 10);
    EXPECT_EQ(Analyze(longGap, Rules(RuleSet::Gp3s, false)).track.stretchStarts.size(), 2u);
}

TEST(RuleSets, alphaAndDistanceCountTheLoggedSpeeds)
{
    // From the west, 120 m north, 20 m east and 120 m back: 260 m, ends 20 m
    // apart. Under vr60 even the lead-in cannot make it 300 m within the gate.
    SyntheticLog log;
    log.run(30, 5, 90).run(12, 10, 0).run(2, 10, 90).run(12, 10, 180);
    const SessionResults gp3s = Analyze(log, Rules(RuleSet::Gp3s, false)).results;
    const SessionResults vr60 = Analyze(log, Rules(RuleSet::Vr60, false)).results;
    EXPECT_FALSE(vr60[Category::Alpha500]);
    ASSERT_TRUE(gp3s[Category::Alpha500]);
    EXPECT_NEAR(gp3s[Category::Alpha500]->speed, 10, 1e-9);
    EXPECT_EQ(gp3s[Category::Alpha500]->startMs, SyntheticLog::At(30));

    // Distance counts the steps ending at 5 knots or more: not the 2 m/s.
    SyntheticLog slowMiddle;
    slowMiddle.run(30, 5).run(30, 2).run(30, 10);
    EXPECT_NEAR(Analyze(slowMiddle, Rules(RuleSet::Gp3s, false)).results.distanceMetres, 150 + 300, 1e-6);
    EXPECT_NEAR(Analyze(slowMiddle, Rules(RuleSet::Vr60, false)).results.distanceMetres, 150 + 60.6 + 298.4, 0.01);

    // A window bounded by distance counts each step's end speed: 100 m of a
    // step from 5 to 10 m/s is the 10 m/s points after the step.
    SyntheticLog step;
    step.run(30, 5).run(30, 10);
    const SessionResults s = Analyze(step, Rules(RuleSet::Gp3s, false)).results;
    EXPECT_DOUBLE_EQ(s[Category::Metres100]->speed, 10);

    // The hour floor leaves slow steps out of the hour.
    SyntheticLog slow;
    slow.run(1800, 10).run(1800, 2);
    AnalysisRules floor = Rules(RuleSet::Gp3s, false);
    floor.hourFloor = true;
    EXPECT_NEAR(Analyze(slow, floor).results[Category::OneHour]->speed, 5, 0.01);
    EXPECT_NEAR(Analyze(slow, Rules(RuleSet::Gp3s, false)).results[Category::OneHour]->speed, 6, 0.01);
}

TEST(RuleSets, gpstcReportsItsSixCategoriesAndTheJsonNamesTheRules)
{
    SyntheticLog log;
    log.circle(600, 10, 400);
    const SessionResults r = Analyze(log, Rules(RuleSet::Gpstc)).results;
    std::vector<std::string> keys;
    for (const CategoryInfo& c : Categories())
        if (r.reports(c.category))
            keys.push_back(c.key);
    EXPECT_EQ(keys, (std::vector<std::string>{"2s", "5x10s", "nm", "1h", "alpha500"}));
    const std::string json = ResultJson(r);
    EXPECT_EQ(json.find("\"10s\""), std::string::npos);
    EXPECT_NE(json.find("\"rules\": {\"name\": \"gpstc\", \"max_hdop\": 5, \"min_sats\": 5, "
                        "\"max_speed_error_kn\": [2, 4, 4], \"max_accel\": [4, 8, 16]"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"distance_km\""), std::string::npos);
}

} // namespace
