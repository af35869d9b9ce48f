#pragma once
// The rule sets a session can be ranked by: which points count, how windows
// bounded by distance are measured, how drop-outs are spanned and how 5 x 10 s
// is chosen. `gp3s` and `gpstc` follow the ranking sites; `vr60` keeps this
// utility's earlier definitions for comparison.

#include <cstdint>
#include <optional>
#include <string>

#include "analysis/BestRun.h"
#include "analysis/SessionTrack.h"

enum class RuleSet : uint8_t { Gp3s, Gpstc, Vr60 };
inline constexpr RuleSet kDefaultRuleSet = RuleSet::Gp3s;

inline constexpr double kFloorSpeed = 5 * 1852.0 / 3600;   // m/s: five knots

// Made by RulesOf (or Vr60Rules): the member defaults alone are no rule set.
struct AnalysisRules {
    RuleSet set = kDefaultRuleSet;
    PointFilter filter;
    double alphaMinMetres = 250;    // alpha 500: this much to 500 m, the end within 50 m of the start
    DistanceMeasure distanceMeasure = DistanceMeasure::LoggedSpeed;
    double distanceFloor = kFloorSpeed;   // m/s: the total distance counts steps ending this fast or faster
    bool hourFloor = false;         // the hour counts only steps at five knots or more (--hour-floor)
    bool fiveByTenByRuns = true;    // 5 x 10 s from five different runs (else five disjoint windows)
    uint32_t categories = ~0u;      // bit per Category that the rule set reports
};

AnalysisRules RulesOf(RuleSet set);
// The rules with only the point filter given; what tests and callers without a rule set use.
AnalysisRules Vr60Rules(const PointFilter& filter);

const char* RuleSetName(RuleSet set);
std::optional<RuleSet> RuleSetNamed(const std::string& name);
// "gp3s, gpstc or vr60", for messages.
const char* RuleSetNames();
