#include "analysis/ResultText.h"

#include <chrono>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <optional>

#include "analysis/SessionAnalysis.h"

namespace {

struct UtcFields {
    int year;
    unsigned month, day;
    int64_t hour, minute, second, millisecond;
};

UtcFields SplitUtc(int64_t timeMs)
{
    using namespace std::chrono;
    const sys_days days{floor<std::chrono::days>(milliseconds{timeMs})};
    const year_month_day date{days};
    const int64_t inDay = timeMs - duration_cast<milliseconds>(days.time_since_epoch()).count();
    return {int(date.year()), unsigned(date.month()), unsigned(date.day()),
            inDay / 3600000, inDay / 60000 % 60, inDay / 1000 % 60, inDay % 1000};
}

std::string Utc(int64_t timeMs, char separator, const char* suffix)
{
    const UtcFields f = SplitUtc(timeMs);
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u%c%02" PRId64 ":%02" PRId64 ":%02" PRId64 ".%03" PRId64 "%s",
                  f.year, f.month, f.day, separator, f.hour, f.minute, f.second, f.millisecond, suffix);
    return text;
}

std::string Format(const char* format, auto... values)
{
    char text[512];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

// "±0.12" (knots), or "±?" where the log gives no speed error: never a ±0 that was not measured.
std::string ErrorText(const std::optional<double>& error)
{
    return error ? Format("\u00b1%.2f", Knots(*error)) : std::string("\u00b1?");
}

std::string Duration(double seconds)
{
    const int64_t s = int64_t(seconds + 0.5);
    return Format("%" PRId64 ":%02" PRId64 ":%02" PRId64, s / 3600, s / 60 % 60, s % 60);
}

std::string KnotsOrNull(const std::optional<double>& metresPerSecond)
{
    return metresPerSecond ? Format("%.3f", Knots(*metresPerSecond)) : std::string("null");
}

std::string RunOrNull(uint32_t run)
{
    return run ? Format("%u", run) : std::string("null");
}

std::string RunJson(const BestRun& b)
{
    return Format("{\"run\": %s, \"knots\": %.3f, \"start\": \"%s\", \"end\": \"%s\"}", RunOrNull(b.run).c_str(),
                  Knots(b.speed), UtcIsoText(b.startMs).c_str(), UtcIsoText(b.endMs).c_str());
}

std::string LimitsJson(const RateLimits& limits)
{
    return Format("[%g, %g, %g]", limits[0], limits[1], limits[2]);
}

std::string RulesJson(const AnalysisRules& rules)
{
    const PointFilter& f = rules.filter;
    return Format("{\"name\": \"%s\", \"max_hdop\": %g, \"min_sats\": %d, ", RuleSetName(rules.set), f.maxHdop,
                  f.minSatellites) +
           "\"max_speed_error_kn\": " + LimitsJson(f.maxSpeedErrorKnots) +
           ", \"max_accel\": " + LimitsJson(f.maxAcceleration) +
           Format(", \"max_gap_s\": %g, \"max_jump_m\": %g, \"max_dropout_s\": %g, \"dropout\": \"%s\", "
                  "\"distance\": \"%s\", \"distance_floor_kn\": %g, \"alpha_min_m\": %g, \"hour_floor\": %s, "
                  "\"5x10s\": \"%s\"}",
                  f.maxGapSeconds, f.maxJumpMetres, f.maxDropoutSeconds,
                  f.dropoutSpan == DropoutSpan::LoggedSpeed ? "logged_speed" : "line",
                  rules.distanceMeasure == DistanceMeasure::LoggedSpeed ? "logged_speed" : "path",
                  std::round(Knots(rules.distanceFloor) * 1000) / 1000, rules.alphaMinMetres,
                  rules.hourFloor ? "true" : "false", rules.fiveByTenByRuns ? "runs" : "disjoint");
}

} // namespace

std::string UtcIsoText(int64_t timeMs)
{
    return Utc(timeMs, 'T', "Z");
}

std::string UtcTableText(int64_t timeMs)
{
    return Utc(timeMs, ' ', "");
}

std::vector<std::string> ResultTableLines(const SessionResults& r)
{
    std::vector<std::string> lines;
    // "\u00b1" is two bytes: a width one larger keeps its column.
    lines.push_back(Format("%-14s %8s %8s %8s %4s  %-23s  %s", "category", "knots", "km/h", "\u00b1kn", "run",
                           "start (UTC)", "end (UTC)"));
    for (const CategoryInfo& c : Categories()) {
        if (!r.reports(c.category))
            continue;
        const std::optional<CategoryResult>& best = r[c.category];
        if (!best) {
            const bool fewRuns = c.category == Category::FiveByTen && r.rules.fiveByTenByRuns;
            lines.push_back(Format("%-14s %8s %8s", c.label, "-", "-") +
                            (fewRuns ? Format("  fewer than 5 runs with 10 s (%zu)", r.runs.size()) : ""));
            continue;
        }
        const std::string run = best->runs.size() == 1 && best->runs[0].run ? Format("%u", best->runs[0].run) : "";
        lines.push_back(Format("%-14s %8.2f %8.2f %8s %4s  %s  %s", c.label, Knots(best->speed), Kmh(best->speed),
                               ErrorText(best->speedError).c_str(), run.c_str(), UtcTableText(best->startMs).c_str(),
                               UtcTableText(best->endMs).c_str()));
        if (best->runs.size() > 1)
            for (size_t k = 0; k < best->runs.size(); ++k) {
                const BestRun& b = best->runs[k];
                lines.push_back(Format("  %-12zu %8.2f %8.2f %7s %4s  %s  %s", k + 1, Knots(b.speed), Kmh(b.speed), "",
                                       b.run ? Format("%u", b.run).c_str() : "", UtcTableText(b.startMs).c_str(),
                                       UtcTableText(b.endMs).c_str()));
            }
    }
    lines.push_back(Format("%-14s %8.3f km", "distance", r.distanceMetres / 1000));
    lines.push_back(Format("%-14s %8s (%.1f s)", "time moving", Duration(r.movingSeconds).c_str(), r.movingSeconds));
    lines.push_back(Format("%-14s %zu, %zu turns between them", "runs", r.runs.size(), r.turns.size()));
    lines.push_back(Format("%-14s %s%s", "rules", RuleSetName(r.rules.set), r.rules.hourFloor ? ", hour floor 5 kn" : ""));
    lines.push_back(Format("%-14s %zu used, %zu filtered out", "points", r.pointsUsed, r.pointsFiltered));
    if (r.pointsFiltered > 0) {
        std::string reasons;
        for (const FilterReasonInfo& f : FilterReasons())
            if (const size_t n = r.filteredBy[size_t(f.reason)])
                reasons += (reasons.empty() ? "" : ", ") + Format("%s %zu", f.label, n);
        lines.push_back(Format("%-14s ", "left out") + reasons);
    }
    if (r.truncated)
        lines.push_back(Format("%-14s only the first %zu records were analysed", "truncated", r.records));
    return lines;
}

std::string JsonString(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            out += Format("\\u%04x", unsigned(c));
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string ResultJson(const SessionResults& r, const std::vector<std::pair<std::string, std::string>>& extra,
                       JsonNumbers numbers)
{
    const auto number = [&](const char* rounded, double value) {
        return Format(numbers == JsonNumbers::Exact ? "%.17g" : rounded, value);
    };
    std::string out = "{\n";
    for (const CategoryInfo& c : Categories()) {
        if (!r.reports(c.category))
            continue;
        const std::optional<CategoryResult>& best = r[c.category];
        out += "  " + JsonString(c.key) + ": ";
        if (!best) {
            out += "null,\n";
            continue;
        }
        out += "{\"knots\": " + number("%.3f", Knots(best->speed)) + ", \"kmh\": " + number("%.3f", Kmh(best->speed)) +
               Format(", \"err_kn\": %s, \"mean_err_kn\": %s, ", KnotsOrNull(best->speedError).c_str(),
                      KnotsOrNull(best->meanSpeedError).c_str());
        if (best->runs.size() <= 1) {
            out += "\"run\": " + RunOrNull(best->runs.empty() ? 0 : best->runs[0].run) + ", ";
        } else {
            out += "\"runs\": [";
            for (size_t k = 0; k < best->runs.size(); ++k)
                out += (k ? ", " : "") + RunJson(best->runs[k]);
            out += "], ";
        }
        out += Format("\"start\": \"%s\", \"end\": \"%s\"},\n", UtcIsoText(best->startMs).c_str(),
                      UtcIsoText(best->endMs).c_str());
    }
    out += "  \"distance_km\": " + number("%.3f", r.distanceMetres / 1000) + ",\n";
    out += "  \"moving_s\": " + number("%.1f", r.movingSeconds) + ",\n";
    out += Format("  \"points_used\": %zu,\n", r.pointsUsed);
    out += Format("  \"points_filtered\": %zu,\n", r.pointsFiltered);
    out += "  \"filtered\": {";
    for (const FilterReasonInfo& f : FilterReasons())
        out += Format("%s\"%s\": %zu", f.reason == FilterReasons().front().reason ? "" : ", ", f.key,
                      r.filteredBy[size_t(f.reason)]);
    out += "},\n";
    out += Format("  \"records\": %zu,\n", r.records);
    out += Format("  \"truncated\": %s,\n", r.truncated ? "true" : "false");
    out += "  \"rules\": " + RulesJson(r.rules) + ",\n";
    out += "  \"runs\": [";
    for (size_t k = 0; k < r.runs.size(); ++k) {
        const RunSummary& run = r.runs[k];
        out += Format("%s\n    {\"run\": %zu, \"start\": \"%s\", \"end\": \"%s\", \"best_10s\": ", k ? "," : "", k + 1,
                      UtcIsoText(run.startMs).c_str(), UtcIsoText(run.endMs).c_str()) +
               (run.best10s ? RunJson(*run.best10s) : "null") + "}";
    }
    out += r.runs.empty() ? "],\n" : "\n  ],\n";
    out += "  \"turns\": [";
    for (size_t k = 0; k < r.turns.size(); ++k) {
        const TurnSummary& t = r.turns[k];
        out += Format("%s\n    {\"to_run\": %u, \"start\": \"%s\", \"end\": \"%s\", \"entry_knots\": %.3f, "
                      "\"min_knots\": %.3f, \"exit_knots\": %.3f}",
                      k ? "," : "", t.toRun, UtcIsoText(t.startMs).c_str(), UtcIsoText(t.endMs).c_str(),
                      Knots(t.entry), Knots(t.minimum), Knots(t.exit));
    }
    out += r.turns.empty() ? "]" : "\n  ]";
    for (const auto& [key, value] : extra)
        out += ",\n  " + JsonString(key) + ": " + value;
    return out + "\n}\n";
}
