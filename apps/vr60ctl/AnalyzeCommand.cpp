// analyze: the best speeds of a log file, optionally beside the device's top-10 tables.


#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "CommandOptions.h"
#include "CtlCommand.h"
#include "CtlHost.h"
#include "analysis/ResultText.h"
#include "analysis/SessionAnalysis.h"
#include "program/Program.h"
#include "device/TopSpeeds.h"
#include "platform/ResultCode.h"
#include "platform/SystemTransport.h"
#include "platform/TracingTransport.h"

namespace {

struct AnalyzeArgs {
    std::string file;
    bool json = false;
    bool device = false;
    AnalysisRules rules = RulesOf(kDefaultRuleSet);
};

std::string Number(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

// "8", or "2/4/4" for limits that differ at 1, 5 and 10 Hz.
std::string PerRate(const RateLimits& limits)
{
    std::string text = Number(limits[0]);
    if (limits[1] != limits[0] || limits[2] != limits[0])
        for (size_t i = 1; i < limits.size(); ++i)
            text += "/" + Number(limits[i]);
    return text;
}

bool ParseNumber(const std::string& text, double minimum, double& value)
{
    errno = 0;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || errno != 0 || !std::isfinite(v) || v < minimum)
        return false;
    value = v;
    return true;
}

// The point filter's options: what a value must be beyond a number from 0, where it goes
// and where a rule set keeps it.
const struct {
    const char* name;
    const char* value;
    const char* help;
    bool (*valid)(double);
    void (*set)(PointFilter&, double);
    std::string (*get)(const PointFilter&);
} kFilterOptions[] = {
    {"max-hdop", "X", "leave out points with HDOP above X", nullptr,
     [](PointFilter& f, double v) { f.maxHdop = v; }, [](const PointFilter& f) { return Number(f.maxHdop); }},
    {"min-sats", "N", "leave out points with fewer than N satellites",
     [](double v) { return v == std::floor(v) && v <= 255; }, [](PointFilter& f, double v) { f.minSatellites = int(v); },
     [](const PointFilter& f) { return std::to_string(f.minSatellites); }},
    {"max-accel", "A", "leave out points more than A m/s^2 from the point kept before (0: no check; a/b/c: at 1, 5, 10 Hz)", nullptr,
     [](PointFilter& f, double v) { f.maxAcceleration = {v, v, v}; },
     [](const PointFilter& f) { return PerRate(f.maxAcceleration); }},
    {"max-speed-error", "K", "leave out points with a logged speed error above K knots (0: no check; a/b/c: at 1, 5, 10 Hz)", nullptr,
     [](PointFilter& f, double v) { f.maxSpeedErrorKnots = {v, v, v}; },
     [](const PointFilter& f) { return PerRate(f.maxSpeedErrorKnots); }},
    {"max-gap", "S", "a gap over S seconds ends a run", [](double v) { return v > 0; },
     [](PointFilter& f, double v) { f.maxGapSeconds = v; }, [](const PointFilter& f) { return Number(f.maxGapSeconds); }},
    {"max-jump", "M", "the margin in metres of the position-spike check (0: no check)", nullptr,
     [](PointFilter& f, double v) { f.maxJumpMetres = v; }, [](const PointFilter& f) { return Number(f.maxJumpMetres); }},
    {"max-dropout", "D", "1 h, nautical mile and distance span gaps of up to D seconds (0: none)", nullptr,
     [](PointFilter& f, double v) { f.maxDropoutSeconds = v; },
     [](const PointFilter& f) { return Number(f.maxDropoutSeconds); }},
};

// Returns 0, or 2 after saying what is wrong.
int ParseArgs(const CommandOptions& options, AnalyzeArgs& out)
{
    out.json = options.isSet("json");
    out.device = options.isSet("device");
    // The rule set first: the limits given beside it change its own.
    RuleSet set = kDefaultRuleSet;
    if (const int bad = options.ruleSet(&set))
        return bad;
    out.rules = RulesOf(set);
    out.rules.hourFloor = options.isSet("hour-floor");
    for (const auto& o : kFilterOptions) {
        if (!options.isSet(o.name))
            continue;
        const std::string text = options.value(o.name);
        double v = 0;
        if (!ParseNumber(text, 0, v) || (o.valid && !o.valid(v))) {
            std::fprintf(stderr, "vr60ctl: analyze: '%s' is not a valid value for --%s\n", text.c_str(), o.name);
            return kUsageError;
        }
        o.set(out.rules.filter, v);
    }
    out.file = options.arguments()[0];
    return 0;
}

struct DeviceTables {
    std::vector<std::string> maxSpeed, maxAvgSpeed;
};

// Connects, reads the two top-10 tables and disconnects; 0 or the failing step's code.
int ReadDeviceTables(CtlContext& ctx, DeviceTables& tables)
{
    const int result = WithDevice(ctx, [&](Program& p) {
        const int read = Button_TOP10_ReadClick(p);
        tables.maxSpeed = p.form.logData.top10MaxSpeed;
        tables.maxAvgSpeed = p.form.logData.top10MaxAvgSpeed;
        return read;
    });
    if (result != 0)
        std::fprintf(stderr, "vr60ctl: the device's top-10 tables could not be read\n");
    return result;
}

int ReadDeviceTablesLoggingToStderr(CtlContext& ctx, DeviceTables& tables)
{
    ctx.host.setLogToStderr(true);
    const int result = ReadDeviceTables(ctx, tables);
    ctx.host.setLogToStderr(false);
    return result;
}

std::string JsonList(const std::vector<std::string>& items)
{
    std::string out = "[";
    for (size_t i = 0; i < items.size(); ++i)
        out += (i ? ", " : "") + JsonString(items[i]);
    return out + "]";
}

void PrintBeside(const std::vector<std::string>& left, const DeviceTables& device)
{
    std::vector<std::string> right;
    right.push_back("device top 10: max speed    max avg speed");
    for (size_t k = 0; k < std::max(device.maxSpeed.size(), device.maxAvgSpeed.size()); ++k) {
        char line[96];
        std::snprintf(line, sizeof line, "               %-16s %s", k < device.maxSpeed.size() ? device.maxSpeed[k].c_str() : "",
                      k < device.maxAvgSpeed.size() ? device.maxAvgSpeed[k].c_str() : "");
        right.push_back(line);
    }
    size_t width = 0;
    for (const std::string& l : left)
        width = std::max(width, l.size());
    for (size_t i = 0; i < std::max(left.size(), right.size()); ++i) {
        const std::string l = i < left.size() ? left[i] : "";
        if (i < right.size())
            std::printf("%-*s  |  %s\n", int(width), l.c_str(), right[i].c_str());
        else
            std::printf("%s\n", l.c_str());
    }
}

} // namespace

std::vector<CommandOption> AnalyzeOptions()
{
    std::vector<CommandOption> options = {
        {"json", nullptr, nullptr, "print one JSON object (docs/analysis.md lists its keys)"},
        {"device", nullptr, nullptr, "read the device's top-10 tables and show them beside"},
        {"rules", "a rule set", "R", std::string("the rule set every limit comes from: ") + RuleSetNames(),
         RuleSetName(kDefaultRuleSet)},
        {"hour-floor", nullptr, nullptr, "the hour counts only steps at 5 knots or more"},
    };
    constexpr RuleSet kSets[] = {RuleSet::Gp3s, RuleSet::Gpstc, RuleSet::Vr60};
    for (const auto& o : kFilterOptions) {
        // The rule sets' own limits; at 1/5/10 Hz where they differ by the logging rate.
        std::string limits;
        for (RuleSet set : kSets)
            limits += (limits.empty() ? "" : ", ") + std::string(RuleSetName(set)) + " " + o.get(RulesOf(set).filter);
        options.push_back({o.name, "a value", o.value, o.help, limits});
    }
    return options;
}

int RunAnalyze(CtlContext& ctx, const CommandOptions& options)
{
    AnalyzeArgs a;
    if (const int bad = ParseArgs(options, a))
        return bad;

    const SbpFileAnalysis file = AnalyzeSbpFile(a.file, a.rules);
    if (file.status == kCannotOpen) {
        std::fprintf(stderr, "vr60ctl: cannot open %s\n", a.file.c_str());
        return file.status;
    }
    if (file.notALog) {
        std::fprintf(stderr, "vr60ctl: %s; nothing analysed\n", NotALogText(a.file, file.tally).c_str());
        return kNotALog;
    }
    if (file.status == kEmptyFile && !file.problem.empty()) {
        std::fprintf(stderr, "vr60ctl: %s (%s): %s; nothing analysed\n", a.file.c_str(), LogFormatName(file.format),
                     file.problem.c_str());
        return kNotALog;
    }
    if (file.status == kEmptyFile) {
        std::fprintf(stderr, "vr60ctl: %s is empty\n", a.file.c_str());
        return file.status;
    }
    const SessionResults& results = file.analysis.results;
    if (!file.problem.empty())
        std::fprintf(stderr, "vr60ctl: %s (%s): %s; the %zu points before it were analysed\n", a.file.c_str(),
                     LogFormatName(file.format), file.problem.c_str(), results.records);
    // The results of part of a file are printed, but never as a success.
    if (file.readError != 0)
        std::fprintf(stderr, "vr60ctl: reading %s failed after %zu records (%s); only those were analysed\n",
                     a.file.c_str(), results.records, std::strerror(file.readError));
    else if (results.truncated)
        std::fprintf(stderr, "vr60ctl: %s holds more than %zu records; only the first %zu were analysed\n",
                     a.file.c_str(), kMaxAnalysedRecords, results.records);
    if (results.trailingBytes > 0)
        std::fprintf(stderr, "vr60ctl: %s ends in a partial record: its last %zu bytes were left over and not analysed\n",
                     a.file.c_str(), results.trailingBytes);

    DeviceTables device;
    int deviceResult = 0;
    if (a.device)
        deviceResult = a.json ? ReadDeviceTablesLoggingToStderr(ctx, device) : ReadDeviceTables(ctx, device);

    if (a.json) {
        std::vector<std::pair<std::string, std::string>> extra;
        if (a.device && deviceResult == 0)
            extra.emplace_back("device_top10", "{\"max_speed\": " + JsonList(device.maxSpeed) +
                                                   ", \"max_avg_speed\": " + JsonList(device.maxAvgSpeed) + "}");
        std::fputs(ResultJson(results, extra).c_str(), stdout);
    } else if (a.device && deviceResult == 0) {
        PrintBeside(ResultTableLines(results), device);
    } else {
        for (const std::string& line : ResultTableLines(results))
            std::printf("%s\n", line.c_str());
    }
    if (deviceResult != 0)
        return deviceResult;
    return results.truncated ? kIncomplete : kOk;
}
