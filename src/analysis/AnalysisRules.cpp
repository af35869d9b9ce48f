#include "analysis/AnalysisRules.h"

#include <initializer_list>

#include "analysis/SessionAnalysis.h"

namespace {

constexpr struct {
    RuleSet set;
    const char* name;
} kNames[] = {{RuleSet::Gp3s, "gp3s"}, {RuleSet::Gpstc, "gpstc"}, {RuleSet::Vr60, "vr60"}};

uint32_t Mask(std::initializer_list<Category> categories)
{
    uint32_t mask = 0;
    for (const Category c : categories)
        mask |= 1u << unsigned(c);
    return mask;
}

} // namespace

AnalysisRules RulesOf(RuleSet set)
{
    AnalysisRules r;
    r.set = set;
    if (set == RuleSet::Vr60) {
        r.alphaMinMetres = 300;
        r.distanceMeasure = DistanceMeasure::Path;
        r.distanceFloor = 0;
        r.fiveByTenByRuns = false;
        r.categories = ~Mask({Category::FiveByTenDisjoint});
        return r;
    }
    r.filter.maxHdop = 5;
    r.filter.maxAcceleration = {4, 8, 16};
    r.filter.maxSpeedErrorKnots = {2, 4, 4};
    r.filter.dropoutSpan = DropoutSpan::LoggedSpeed;
    if (set == RuleSet::Gpstc)
        r.categories = Mask({Category::TwoSeconds, Category::FiveByTen, Category::OneHour, Category::Alpha500,
                             Category::NauticalMile});
    return r;
}

AnalysisRules Vr60Rules(const PointFilter& filter)
{
    AnalysisRules r = RulesOf(RuleSet::Vr60);
    r.filter = filter;
    return r;
}

const char* RuleSetName(RuleSet set)
{
    for (const auto& n : kNames)
        if (n.set == set)
            return n.name;
    return "?";
}

std::optional<RuleSet> RuleSetNamed(const std::string& name)
{
    for (const auto& n : kNames)
        if (name == n.name)
            return n.set;
    return std::nullopt;
}

const char* RuleSetNames()
{
    return "gp3s, gpstc or vr60";
}
