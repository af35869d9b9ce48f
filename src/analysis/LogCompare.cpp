#include "analysis/LogCompare.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "analysis/Geodesy.h"
#include "pointlog/PointLog.h"

namespace {

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
constexpr int64_t kCoarseStepMs = 2000;
constexpr int64_t kFineStepMs = 100;
constexpr long kFineReach = 30;           // fine steps either side of the coarse offset, and of no position lag
constexpr double kMinCorrelation = 0.5;   // weaker: the speeds do not tell the offset
constexpr double kMinSpread = 0.2;
constexpr size_t kCoarsePeaks = 6;        // m/s: the speeds must vary at least this much to line up

// Values on a grid of times that are multiples of the step, NaN where the log has none.
struct Series {
    int64_t startMs = 0;
    int64_t stepMs = 1;
    std::vector<double> v;
    size_t valid = 0;
    double spread = 0;   // standard deviation of the valid values
};

struct Sample {
    int64_t timeMs;
    double value;
    uint32_t segment;
};

int64_t FloorDiv(int64_t a, int64_t b)
{
    return a / b - (a % b != 0 && (a < 0) != (b < 0));
}

void Summarise(Series& s)
{
    double sum = 0, squares = 0;
    s.valid = 0;
    for (const double x : s.v)
        if (!std::isnan(x))
            ++s.valid, sum += x, squares += x * x;
    if (s.valid > 1) {
        const double mean = sum / double(s.valid);
        s.spread = std::sqrt(std::max(0.0, squares / double(s.valid) - mean * mean));
    }
}

// `mean`: each grid slot holds the mean of the samples in it; else the value
// interpolated between neighbours of one segment.
Series Resample(const std::vector<Sample>& samples, int64_t stepMs, bool mean)
{
    Series s;
    s.stepMs = stepMs;
    if (samples.empty())
        return s;
    s.startMs = FloorDiv(samples.front().timeMs, stepMs) * stepMs;
    const int64_t endMs = samples.back().timeMs;
    s.v.assign(size_t((endMs - s.startMs) / stepMs + 1), kNone);
    if (mean) {
        std::vector<uint32_t> counts(s.v.size());
        for (const Sample& x : samples) {
            const size_t k = size_t((x.timeMs - s.startMs) / stepMs);
            s.v[k] = counts[k] ? s.v[k] + x.value : x.value;
            ++counts[k];
        }
        for (size_t k = 0; k < s.v.size(); ++k)
            if (counts[k])
                s.v[k] /= counts[k];
    } else {
        for (size_t i = 0; i + 1 < samples.size(); ++i) {
            const Sample &a = samples[i], &b = samples[i + 1];
            if (a.segment != b.segment || b.timeMs <= a.timeMs)
                continue;
            for (int64_t k = (a.timeMs - s.startMs + stepMs - 1) / stepMs; s.startMs + k * stepMs <= b.timeMs; ++k) {
                const double f = double(s.startMs + k * stepMs - a.timeMs) / double(b.timeMs - a.timeMs);
                s.v[size_t(k)] = a.value + (b.value - a.value) * f;
            }
        }
    }
    Summarise(s);
    return s;
}

std::vector<Sample> SpeedSamples(const SessionTrack& t)
{
    std::vector<Sample> out;
    out.reserve(t.points.size());
    for (size_t s = 0; s < t.segmentStarts.size(); ++s)
        for (size_t i = t.segmentStarts[s]; i < t.segmentEnd(s); ++i)
            out.push_back({t.points[i].timeMs, t.points[i].speed, uint32_t(s)});
    return out;
}

// The speed from the positions either side of each point, placed at the point.
std::vector<Sample> PositionSpeedSamples(const SessionTrack& t)
{
    std::vector<Sample> out;
    out.reserve(t.points.size());
    for (size_t s = 0; s < t.segmentStarts.size(); ++s)
        for (size_t i = t.segmentStarts[s] + 1; i + 1 < t.segmentEnd(s); ++i) {
            const double seconds = t.seconds(i - 1, i + 1);
            if (seconds > 0)
                out.push_back({t.points[i].timeMs, std::sqrt(ChordSquared(t.sphere[i - 1], t.sphere[i + 1])) / seconds,
                               uint32_t(s)});
        }
    return out;
}

struct Correlation {
    double r = -2;
    size_t pairs = 0;
};

// Pearson's r of x[i] against y[i + shift] over the slots both have.
Correlation Correlate(const std::vector<double>& x, const std::vector<double>& y, int64_t shift)
{
    const int64_t from = std::max<int64_t>(0, -shift), to = std::min<int64_t>(int64_t(x.size()), int64_t(y.size()) - shift);
    double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
    size_t n = 0;
    for (int64_t i = from; i < to; ++i) {
        const double a = x[size_t(i)], b = y[size_t(i + shift)];
        if (std::isnan(a) || std::isnan(b))
            continue;
        ++n;
        sx += a, sy += b, sxx += a * a, syy += b * b, sxy += a * b;
    }
    Correlation c;
    c.pairs = n;
    if (n < 2)
        return c;
    const double cov = sxy - sx * sy / double(n), vx = sxx - sx * sx / double(n), vy = syy - sy * sy / double(n);
    if (vx <= 1e-12 || vy <= 1e-12)
        return c;
    c.r = cov / std::sqrt(vx * vy);
    return c;
}

// The best lag in [from, to], pairing x[i] with y[i + base + lag], over at
// least `minPairs` pairs; refined between slots by a parabola through its neighbours.
struct Peak {
    bool found = false;
    double lag = 0;
    Correlation at;
};

Peak BestLag(const std::vector<double>& x, const std::vector<double>& y, int64_t base, long from, long to,
             size_t minPairs)
{
    std::vector<double> r(size_t(to - from + 1), -2);
    Peak p;
    long best = 0;
    for (long lag = from; lag <= to; ++lag) {
        const Correlation c = Correlate(x, y, base + lag);
        if (c.pairs < minPairs || c.r <= -2)
            continue;
        r[size_t(lag - from)] = c.r;
        if (!p.found || c.r > p.at.r) {
            p.found = true;
            p.at = c;
            best = lag;
        }
    }
    p.lag = double(best);
    if (p.found && best > from && best < to) {
        const double a = r[size_t(best - 1 - from)], b = r[size_t(best - from)], c = r[size_t(best + 1 - from)];
        const double curve = a - 2 * b + c;
        if (a > -2 && c > -2 && curve < 0)
            p.lag += std::clamp(0.5 * (a - c) / curve, -0.5, 0.5);
    }
    return p;
}

std::string Format(const char* format, auto... values)
{
    char text[256];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

} // namespace

LogAlignment AlignSpeeds(const SessionTrack& reference, const SessionTrack& other, double maxOffsetSeconds)
{
    LogAlignment a;
    const std::vector<Sample> rs = SpeedSamples(reference), os = SpeedSamples(other);
    const Series rc = Resample(rs, kCoarseStepMs, true), oc = Resample(os, kCoarseStepMs, true);
    if (rc.valid < 2 || oc.valid < 2 || rc.spread < kMinSpread || oc.spread < kMinSpread)
        return a;
    // y(t - offset) lines up with x(t): slot i + base - lag of y, lag = offset / step.
    const auto baseOf = [](const Series& x, const Series& y) { return (x.startMs - y.startMs) / x.stepMs; };
    const long reach = long(maxOffsetSeconds * 1000 / kCoarseStepMs);
    // Half the shorter log must overlap, so a lucky match of a few minutes' ends cannot win.
    const size_t minPairs = std::max<size_t>(30, std::min(rc.valid, oc.valid) / 2);
    // The lags that overlap at all.
    const int64_t base = baseOf(rc, oc);
    const long lo = long(std::max<int64_t>(-reach, base - int64_t(oc.v.size()))),
               hi = long(std::min<int64_t>(reach, base + int64_t(rc.v.size())));
    if (lo > hi)
        return a;
    // m = -lag: y's slot i + base + m. A speed that repeats itself (steady
    // gusts, a course sailed in laps) gives several coarse peaks of nearly one
    // height, and 2 s means blur the true one: the best few are looked at closely.
    std::vector<double> r(size_t(hi - lo + 1), -2);
    for (long m = -hi; m <= -lo; ++m) {
        const Correlation c = Correlate(rc.v, oc.v, base + m);
        if (c.pairs >= minPairs)
            r[size_t(m + hi)] = c.r;
    }
    std::vector<long> peaks;
    for (size_t k = 0; k < r.size(); ++k)
        if (r[k] > -2 && (k == 0 || r[k] >= r[k - 1]) && (k + 1 == r.size() || r[k] > r[k + 1]))
            peaks.push_back(long(k) - hi);
    if (peaks.empty())
        return a;
    const size_t kept = std::min<size_t>(peaks.size(), kCoarsePeaks);
    std::partial_sort(peaks.begin(), peaks.begin() + long(kept), peaks.end(),
                      [&](long x, long y) { return r[size_t(x + hi)] > r[size_t(y + hi)]; });
    peaks.resize(kept);

    const Series rf = Resample(rs, kFineStepMs, false), of = Resample(os, kFineStepMs, false);
    const size_t fineMinPairs = std::max<size_t>(30, std::min(rf.valid, of.valid) / 2);
    Peak best;
    long bestCentre = 0;
    for (const long m : peaks) {
        const long centre = m * long(kCoarseStepMs / kFineStepMs);
        const Peak fine = BestLag(rf.v, of.v, baseOf(rf, of) + centre, -kFineReach, kFineReach, fineMinPairs);
        if (fine.found && (!best.found || fine.at.r > best.at.r))
            best = fine, bestCentre = centre;
    }
    if (!best.found)
        return a;
    a.offsetSeconds = -(double(bestCentre) + best.lag) * double(kFineStepMs) / 1000;
    a.correlation = best.at.r;
    a.overlapSeconds = double(best.at.pairs) * double(kFineStepMs) / 1000;
    a.found = a.correlation >= kMinCorrelation;
    return a;
}

PositionLag MeasurePositionLag(const SessionTrack& track, double maxLag)
{
    PositionLag lag;
    const Series doppler = Resample(SpeedSamples(track), kFineStepMs, false);
    const Series position = Resample(PositionSpeedSamples(track), kFineStepMs, false);
    if (doppler.valid < 100 || position.valid < 100 || doppler.spread < kMinSpread)
        return lag;
    // position(t + lag) against doppler(t).
    const Peak p = BestLag(doppler.v, position.v, (doppler.startMs - position.startMs) / kFineStepMs, -kFineReach,
                           kFineReach, std::min(doppler.valid, position.valid) / 2);
    if (!p.found || p.at.r < kMinCorrelation)
        return lag;
    lag.measured = true;
    lag.seconds = p.lag * double(kFineStepMs) / 1000;
    lag.flagged = lag.seconds > maxLag;
    return lag;
}

LogComparison CompareLogs(const std::vector<const SessionAnalysis*>& logs, const CompareOptions& options)
{
    LogComparison c;
    c.alignment.resize(logs.size());
    c.positionLag.resize(logs.size());
    c.difference.resize(logs.size());
    for (size_t k = 0; k < logs.size(); ++k) {
        if (k == 0)
            c.alignment[0] = {.found = true, .correlation = 1,
                              .overlapSeconds = logs[0]->track.points.empty()
                                                    ? 0
                                                    : logs[0]->track.seconds(0, logs[0]->track.points.size() - 1)};
        else
            c.alignment[k] = AlignSpeeds(logs[0]->track, logs[k]->track, options.maxOffsetSeconds);
        c.positionLag[k] = MeasurePositionLag(logs[k]->track, options.maxPositionLag);
        for (const CategoryInfo& info : Categories()) {
            const std::optional<CategoryResult>&r0 = logs[0]->results[info.category], &r = logs[k]->results[info.category];
            if (r0 && r)
                c.difference[k][size_t(info.category)] = r->speed - r0->speed;
        }
    }
    return c;
}

ComparedLog ReadComparedLog(const std::string& name, const AnalysisRules& rules)
{
    ComparedLog c;
    PointLog log = ReadPointLog(name);
    c.status = log.status;
    c.problem = log.problem;
    c.format = LogFormatName(log.format);
    c.serial = log.serial;
    c.userName = log.userName;
    if (log.status == 0)
        c.analysis = AnalyzeSbpImage(log.sbp, rules);
    return c;
}

std::string OffsetText(double seconds)
{
    const double tenths = std::round(seconds * 10) / 10;
    return Format("%+.1f s", tenths == 0 ? 0.0 : tenths);
}

std::vector<std::string> CompareTableLines(const std::vector<std::string>& names,
                                           const std::vector<const SessionAnalysis*>& logs,
                                           const LogComparison& comparison, const CompareOptions& options)
{
    std::vector<std::string> lines;
    for (size_t k = 0; k < logs.size(); ++k) {
        std::string line = Format("%c %s", char('A' + k), names[k].c_str());
        const LogAlignment& a = comparison.alignment[k];
        if (k == 0)
            line += ": the reference";
        else if (a.found)
            line += Format(": offset %s (r %.3f over %.0f s)", OffsetText(a.offsetSeconds).c_str(), a.correlation,
                           a.overlapSeconds);
        else
            line += ": offset not found (the speeds do not line up)";
        const PositionLag& lag = comparison.positionLag[k];
        if (!lag.measured)
            line += "; position lag not measured";
        else if (lag.flagged)
            line += Format("; POSITIONS LAG THE SPEEDS BY %.1f s (over %.1f s)", lag.seconds, options.maxPositionLag);
        else
            line += Format("; position lag %.1f s", lag.seconds);
        lines.push_back(line);
    }
    std::string header = Format("%-18s", "knots");
    for (size_t k = 0; k < logs.size(); ++k)
        header += Format(k ? "  %-20c" : "  %-13c", char('A' + k));
    while (header.back() == ' ')
        header.pop_back();
    lines.push_back(header);
    const SessionResults& first = logs[0]->results;
    for (const CategoryInfo& info : Categories()) {
        if (!first.reports(info.category))
            continue;
        std::string row = Format("%-18s", info.label);
        for (size_t k = 0; k < logs.size(); ++k) {
            const std::optional<CategoryResult>& r = logs[k]->results[info.category];
            std::string cell = "-";
            if (r) {
                cell = Format("%.2f ", Knots(r->speed)) +
                       (r->speedError ? Format("\u00b1%.2f", Knots(*r->speedError)) : std::string("\u00b1?"));
                const std::optional<double>& d = comparison.difference[k][size_t(info.category)];
                if (k > 0)
                    cell += d ? Format(" %+.2f", Knots(*d)) : std::string(" ?");
            }
            // Width by characters: ± takes two bytes.
            const size_t shown = cell.size() - (cell.find("\u00b1") != std::string::npos ? 1 : 0);
            const size_t width = k ? 20 : 13;
            row += "  " + cell + std::string(shown < width ? width - shown : 0, ' ');
        }
        while (!row.empty() && row.back() == ' ')
            row.pop_back();
        lines.push_back(row);
    }
    return lines;
}
