#include "analysis/ResultText.h"

#include <chrono>
#include <cinttypes>
#include <cstdio>

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
    char text[160];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

std::string Duration(double seconds)
{
    const int64_t s = int64_t(seconds + 0.5);
    return Format("%" PRId64 ":%02" PRId64 ":%02" PRId64, s / 3600, s / 60 % 60, s % 60);
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
    lines.push_back(Format("%-14s %8s %8s  %-23s  %s", "category", "knots", "km/h", "start (UTC)", "end (UTC)"));
    for (const CategoryInfo& c : Categories()) {
        const std::optional<CategoryResult>& best = r[c.category];
        if (!best) {
            lines.push_back(Format("%-14s %8s %8s", c.label, "-", "-"));
            continue;
        }
        lines.push_back(Format("%-14s %8.2f %8.2f  %s  %s", c.label, Knots(best->speed), Kmh(best->speed),
                               UtcTableText(best->startMs).c_str(), UtcTableText(best->endMs).c_str()));
        if (best->runs.size() > 1)
            for (size_t k = 0; k < best->runs.size(); ++k) {
                const BestRun& run = best->runs[k];
                lines.push_back(Format("  %-12zu %8.2f %8.2f  %s  %s", k + 1, Knots(run.speed), Kmh(run.speed),
                                       UtcTableText(run.startMs).c_str(), UtcTableText(run.endMs).c_str()));
            }
    }
    lines.push_back(Format("%-14s %8.3f km", "distance", r.distanceMetres / 1000));
    lines.push_back(Format("%-14s %8s (%.1f s)", "time moving", Duration(r.movingSeconds).c_str(), r.movingSeconds));
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

std::string ResultJson(const SessionResults& r, const std::vector<std::pair<std::string, std::string>>& extra)
{
    std::string out = "{\n";
    for (const CategoryInfo& c : Categories()) {
        const std::optional<CategoryResult>& best = r[c.category];
        out += "  " + JsonString(c.key) + ": ";
        if (best)
            out += Format("{\"knots\": %.3f, \"kmh\": %.3f, \"start\": \"%s\", \"end\": \"%s\"}", Knots(best->speed),
                          Kmh(best->speed), UtcIsoText(best->startMs).c_str(), UtcIsoText(best->endMs).c_str());
        else
            out += "null";
        out += ",\n";
    }
    out += Format("  \"distance_km\": %.3f,\n", r.distanceMetres / 1000);
    out += Format("  \"moving_s\": %.1f,\n", r.movingSeconds);
    out += Format("  \"points_used\": %zu,\n", r.pointsUsed);
    out += Format("  \"points_filtered\": %zu,\n", r.pointsFiltered);
    out += "  \"filtered\": {";
    for (const FilterReasonInfo& f : FilterReasons())
        out += Format("%s\"%s\": %zu", f.reason == FilterReasons().front().reason ? "" : ", ", f.key,
                      r.filteredBy[size_t(f.reason)]);
    out += "},\n";
    out += Format("  \"records\": %zu,\n", r.records);
    out += Format("  \"truncated\": %s", r.truncated ? "true" : "false");
    for (const auto& [key, value] : extra)
        out += ",\n  " + JsonString(key) + ": " + value;
    return out + "\n}\n";
}
