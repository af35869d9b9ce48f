// compare: several logs of one session side by side.

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "CommandOptions.h"
#include "CtlCommand.h"
#include "analysis/LogCompare.h"
#include "analysis/SessionAnalysis.h"
#include "platform/ResultCode.h"

namespace {

std::string BaseName(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

int RunCompare(CtlContext&, const CommandOptions& options)
{
    RuleSet set = kDefaultRuleSet;
    if (const int bad = options.ruleSet(&set))
        return bad;
    const AnalysisRules rules = RulesOf(set);
    CompareOptions compare;
    if (options.isSet("max-lag")) {
        const std::string text = options.value("max-lag");
        char* end = nullptr;
        errno = 0;
        const double v = std::strtod(text.c_str(), &end);
        if (text.empty() || *end != '\0' || errno != 0 || !std::isfinite(v) || v < 0) {
            std::fprintf(stderr, "vr60ctl: compare: '%s' is not a valid value for --max-lag (seconds from 0)\n",
                         text.c_str());
            return kUsageError;
        }
        compare.maxPositionLag = v;
    }

    const Args& files = options.arguments();
    std::vector<std::unique_ptr<ComparedLog>> read;
    std::vector<const SessionAnalysis*> logs;
    std::vector<std::string> names;
    bool whole = true;
    for (const std::string& file : files) {
        auto a = std::make_unique<ComparedLog>(ReadComparedLog(file, rules));
        if (a->status != kOk) {
            std::fprintf(stderr, "vr60ctl: %s: %s; nothing compared\n", file.c_str(), a->problem.c_str());
            return a->status;
        }
        if (!a->problem.empty()) {
            std::fprintf(stderr, "vr60ctl: %s: %s; the points before are compared\n", file.c_str(), a->problem.c_str());
            whole = false;
        }
        logs.push_back(&a->analysis);
        names.push_back(BaseName(file) + (a->format == "SBP" ? "" : " (" + a->format + ")"));
        read.push_back(std::move(a));
    }

    const LogComparison c = CompareLogs(logs, compare);
    for (const std::string& line : CompareTableLines(names, logs, c, compare))
        std::printf("%s\n", line.c_str());
    bool aligned = true;
    for (const LogAlignment& a : c.alignment)
        aligned = aligned && a.found;
    return whole && aligned ? kOk : kIncomplete;
}
