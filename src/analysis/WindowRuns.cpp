#include "analysis/WindowRuns.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

#include "analysis/SessionTrack.h"

namespace {

// Calls visit(first, last) for every end point `last` with the latest start
// `first` of its segment for which span(first, last) >= minimum.
template <typename Span, typename Visit>
void ForEachShortestWindow(const SessionTrack& track, Span span, double minimum, Visit visit)
{
    for (size_t s = 0; s < track.segmentStarts.size(); ++s) {
        const size_t begin = track.segmentStarts[s], end = track.segmentEnd(s);
        size_t first = begin;
        for (size_t last = begin + 1; last < end; ++last) {
            while (first + 1 < last && span(first + 1, last) >= minimum)
                ++first;
            if (span(first, last) >= minimum)
                visit(first, last);
        }
    }
}

template <typename Span>
std::vector<std::optional<BestRun>> BestWindows(const SessionTrack& track, Span span, const std::vector<double>& minimums,
                                                RunScope scope, const std::vector<double>& speedIntegral)
{
    const size_t m = minimums.size();
    // Best mean speed as integral over seconds; compared without dividing.
    std::vector<double> bestIntegral(m, -1), bestSeconds(m, 1);
    std::vector<size_t> bestFirst(m), bestLast(m), first(m);
    for (size_t s = 0; s < track.runStarts(scope).size(); ++s) {
        const size_t begin = track.runStarts(scope)[s], end = track.runEnd(scope, s);
        std::fill(first.begin(), first.end(), begin);
        for (size_t last = begin + 1; last < end; ++last)
            for (size_t k = 0; k < m; ++k) {
                while (first[k] + 1 < last && span(first[k] + 1, last) >= minimums[k])
                    ++first[k];
                if (span(first[k], last) < minimums[k])
                    continue;
                const double integral = speedIntegral[last] - speedIntegral[first[k]];
                const double seconds = track.seconds(first[k], last);
                if (integral * bestSeconds[k] > bestIntegral[k] * seconds) {
                    bestIntegral[k] = integral;
                    bestSeconds[k] = seconds;
                    bestFirst[k] = first[k];
                    bestLast[k] = last;
                }
            }
    }
    std::vector<std::optional<BestRun>> best(m);
    for (size_t k = 0; k < m; ++k)
        if (bestIntegral[k] >= 0)
            best[k] = MakeRun(track, bestFirst[k], bestLast[k], &speedIntegral);
    return best;
}

int64_t DurationMs(double seconds)
{
    return std::llround(seconds * 1000);
}

// The slowest window that can be one of the best `count` disjoint windows of at
// least `minimumMs`: any choice of `count` disjoint windows (greedy here, fastest
// first) totals at most the best total, and the other windows of a best choice
// add at most the `count` - 1 fastest speeds; a window slower than the
// difference is in no best choice. Minus infinity when greedy finds no choice.
double SlowestUsefulWindow(const SessionTrack& track, double minimumMs, int count)
{
    const auto span = [&](size_t a, size_t b) { return double(track.points[b].timeMs - track.points[a].timeMs); };
    std::vector<std::pair<int64_t, int64_t>> chosen;   // start and end times
    std::vector<double> fastest;                       // the count - 1 fastest speeds, fastest first
    double total = 0;
    for (int k = 0; k < count; ++k) {
        bool found = false;
        double best = 0;
        std::pair<int64_t, int64_t> bestTimes;
        ForEachShortestWindow(track, span, minimumMs, [&](size_t first, size_t last) {
            const double speed = track.meanSpeed(first, last);
            if (k == 0 && (fastest.size() < size_t(count - 1) || (!fastest.empty() && speed > fastest.back()))) {
                fastest.insert(std::upper_bound(fastest.begin(), fastest.end(), speed, std::greater<double>()), speed);
                if (fastest.size() > size_t(count - 1))
                    fastest.pop_back();
            }
            if (found && speed <= best)
                return;
            const int64_t start = track.points[first].timeMs, end = track.points[last].timeMs;
            for (const auto& [s, e] : chosen)
                if (start < e && s < end)
                    return;
            found = true;
            best = speed;
            bestTimes = {start, end};
        });
        if (!found)
            return -std::numeric_limits<double>::infinity();
        chosen.push_back(bestTimes);
        total += best;
    }
    double others = 0;
    for (const double v : fastest)
        others += v;
    return total - others - 1e-9 * std::fabs(total);   // a rounding margin
}

} // namespace

std::vector<std::optional<BestRun>> BestOverDurations(const SessionTrack& track, const std::vector<double>& seconds,
                                                      RunScope scope, const std::vector<double>* integral)
{
    std::vector<double> minimums;
    for (const double s : seconds)
        minimums.push_back(double(DurationMs(s)));
    const auto span = [&](size_t a, size_t b) { return double(track.points[b].timeMs - track.points[a].timeMs); };
    return BestWindows(track, span, minimums, scope, integral ? *integral : track.speedIntegral);
}

std::vector<std::optional<BestRun>> BestOverDistances(const SessionTrack& track, const std::vector<double>& metres,
                                                      RunScope scope, DistanceMeasure measure)
{
    const bool logged = measure == DistanceMeasure::LoggedSpeed;
    const std::vector<double>& distance = logged ? track.endSpeedIntegral : track.pathMetres;
    const auto span = [&](size_t a, size_t b) { return distance[b] - distance[a]; };
    return BestWindows(track, span, metres, scope, logged ? track.endSpeedIntegral : track.speedIntegral);
}

std::vector<BestRun> BestDisjointDurations(const SessionTrack& track, double seconds, int count)
{
    struct Window {
        uint32_t first, last;
        double speed;
    };
    if (count <= 0)
        return {};
    // Only the windows that can be in a best choice enter the search below.
    const double minimumMs = double(DurationMs(seconds));
    const double slowest = SlowestUsefulWindow(track, minimumMs, count);
    std::vector<Window> windows;
    const auto span = [&](size_t a, size_t b) { return double(track.points[b].timeMs - track.points[a].timeMs); };
    ForEachShortestWindow(track, span, minimumMs, [&](size_t first, size_t last) {
        const double speed = track.meanSpeed(first, last);
        if (speed >= slowest)
            windows.push_back({uint32_t(first), uint32_t(last), speed});
    });
    if (windows.size() < size_t(count))
        return {};
    const auto startOf = [&](const Window& w) { return track.points[w.first].timeMs; };
    const auto endOf = [&](const Window& w) { return track.points[w.last].timeMs; };
    // In log order already, unless the clock ran backwards somewhere.
    if (!std::is_sorted(windows.begin(), windows.end(),
                        [&](const Window& a, const Window& b) { return endOf(a) < endOf(b); }))
        std::stable_sort(windows.begin(), windows.end(),
                         [&](const Window& a, const Window& b) { return endOf(a) < endOf(b); });

    // fits[c]: how many windows (in end order) end no later than window c starts.
    const size_t n = windows.size();
    std::vector<uint32_t> fits(n);
    size_t ended = 0;
    for (size_t c = 0; c < n; ++c) {
        const int64_t start = startOf(windows[c]);
        if (c > 0 && start < startOf(windows[c - 1]))   // the clock ran backwards: search afresh
            ended = size_t(std::partition_point(windows.begin(), windows.end(),
                                                [&](const Window& w) { return endOf(w) <= start; }) -
                           windows.begin());
        while (ended < n && endOf(windows[ended]) <= start)
            ++ended;
        fits[c] = uint32_t(ended);
    }

    // Layer k: the best sum of k disjoint windows among the first c, and
    // whether that best takes window c - 1.
    constexpr double kNone = -std::numeric_limits<double>::infinity();
    std::vector<double> previous(n + 1, 0.0), current(n + 1);
    std::vector<uint8_t> takes(size_t(count) * (n + 1), 0);
    const auto took = [&](size_t k, size_t c) -> uint8_t& { return takes[k * (n + 1) + c]; };
    for (size_t k = 0; k < size_t(count); ++k) {
        current[0] = kNone;
        for (size_t c = 1; c <= n; ++c) {
            const double with = previous[fits[c - 1]] + windows[c - 1].speed;
            took(k, c) = with > current[c - 1];
            current[c] = took(k, c) ? with : current[c - 1];
        }
        std::swap(previous, current);
    }
    if (previous[n] == kNone)
        return {};

    std::vector<BestRun> chosen;
    for (size_t k = size_t(count), c = n; k > 0;) {
        if (took(k - 1, c)) {
            chosen.push_back(MakeRun(track, windows[c - 1].first, windows[c - 1].last));
            c = fits[c - 1];
            --k;
        } else {
            --c;
        }
    }
    std::reverse(chosen.begin(), chosen.end());
    return chosen;
}

std::vector<std::optional<BestRun>> BestDurationPerRun(const SessionTrack& track, const std::vector<uint32_t>& runOf,
                                                       size_t runCount, double seconds)
{
    std::vector<std::optional<BestRun>> best(runCount);
    const auto span = [&](size_t a, size_t b) { return double(track.points[b].timeMs - track.points[a].timeMs); };
    ForEachShortestWindow(track, span, double(DurationMs(seconds)), [&](size_t first, size_t last) {
        // A later start would be too short, so no window ending here lies in one run when this one does not.
        const uint32_t run = runOf[first];
        if (run == 0 || runOf[last] != run)
            return;
        std::optional<BestRun>& b = best[run - 1];
        if (!b || track.meanSpeed(first, last) > b->speed)
            b = MakeRun(track, first, last);
    });
    return best;
}
