#include "analysis/AlphaRun.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/Geodesy.h"
#include "analysis/SessionTrack.h"
#include "analysis/WindowMaxSlope.h"

namespace {

constexpr double kPathSlack = 1e-6;   // metres; rounding in the running path sums

struct OpenStart {
    size_t first, lo, hi;   // admissible ends lo..hi
    double bound;           // the best mean speed of any end, inside the gate or not
};

} // namespace

std::optional<BestRun> BestAlpha(const SessionTrack& t, double minPath, double maxPath, double gate,
                                 DistanceMeasure measure)
{
    const bool logged = measure == DistanceMeasure::LoggedSpeed;
    const std::vector<double>& length = logged ? t.endSpeedIntegral : t.pathMetres;   // what min and max bound
    const std::vector<double>& integral = logged ? t.endSpeedIntegral : t.speedIntegral;
    const std::vector<double>& path = t.pathMetres;
    const auto meanSpeed = [&](size_t a, size_t b) { return (integral[b] - integral[a]) / t.seconds(a, b); };
    std::vector<double> seconds(t.points.size());
    for (size_t i = 0; i < seconds.size(); ++i)
        seconds[i] = (t.points[i].timeMs - t.points.front().timeMs) * 1e-3;
    const std::vector<SpherePoint>& sphere = t.sphere;
    const double gateChord = 2 * kEarthRadiusMetres * std::sin(gate / (2 * kEarthRadiusMetres));
    const auto inGate = [&](size_t a, size_t b) { return ChordSquared(sphere[a], sphere[b]) <= gateChord * gateChord; };

    std::optional<BestRun> best;
    const auto offer = [&](size_t first, size_t last) {
        const double speed = meanSpeed(first, last);
        if (!best || speed > best->speed)
            best = MakeRun(t, first, last, &integral);
    };

    // The first end from `from` to `to` inside the gate of `first`, or to + 1. The
    // straight distance cannot shrink faster than the path grows: an end farther
    // out skips ahead by the path the track needs to come back.
    const auto nextInGate = [&](size_t first, size_t from, size_t to) {
        for (size_t last = from; last <= to;) {
            const double chordSquared = ChordSquared(sphere[first], sphere[last]);
            if (chordSquared <= gateChord * gateChord)
                return last;
            const double needed = path[last] + (std::sqrt(chordSquared) - gateChord) - kPathSlack;
            last = size_t(std::lower_bound(path.begin() + long(last) + 1, path.begin() + long(to) + 1, needed) -
                          path.begin());
        }
        return to + 1;
    };

    // Pass 1: each start's steepest end; kept when inside the gate.
    std::vector<OpenStart> open;
    WindowMaxSlope window(seconds.data(), integral.data());
    for (size_t s = 0; s < t.segmentStarts.size(); ++s) {
        const size_t begin = t.segmentStarts[s], end = t.segmentEnd(s);
        size_t lo = begin, hiEnd = begin;   // ends lo..hiEnd-1 are admissible
        window.clear(begin);
        for (size_t first = begin; first < end; ++first) {
            lo = std::max(lo, first + 1);
            while (lo < end && length[lo] - length[first] < minPath)
                ++lo;
            if (lo >= end)
                break;   // later starts have even less path ahead
            hiEnd = std::max(hiEnd, lo);
            while (hiEnd < end && length[hiEnd] - length[first] <= maxPath)
                ++hiEnd;
            if (lo == hiEnd)
                continue;
            // Most starts, all along a straight reach, have no end back inside the gate.
            if (nextInGate(first, lo, hiEnd - 1) >= hiEnd)
                continue;
            if (window.end() < lo)
                window.clear(lo);
            while (window.end() < hiEnd)
                window.pushBack();
            while (window.begin() < lo)
                window.popFront();
            const size_t steepest = window.steepestFrom(seconds[first], integral[first]);
            if (inGate(first, steepest))
                offer(first, steepest);
            else
                open.push_back({first, lo, hiEnd - 1, meanSpeed(first, steepest)});
        }
    }

    // Pass 2: the starts whose best end lies outside the gate, while they can still win.
    for (const OpenStart& o : open) {
        if (best && o.bound <= best->speed)
            continue;
        for (size_t last = nextInGate(o.first, o.lo, o.hi); last <= o.hi; last = nextInGate(o.first, last + 1, o.hi))
            offer(o.first, last);
    }
    return best;
}
