#include "analysis/PositionSpikes.h"

#include <algorithm>
#include <cmath>

#include "analysis/SessionTrack.h"

bool IsJump(const SessionTrack& t, size_t a, size_t b, double marginMetres)
{
    const double speed = std::max(t.points[a].speed, t.points[b].speed);
    const double reach = marginMetres + kJumpSpeedFactor * speed * std::fabs(t.seconds(a, b));
    return ChordSquared(t.sphere[a], t.sphere[b]) > reach * reach;
}

void DropPositionSpikes(SessionTrack& t, double marginMetres)
{
    if (marginMetres <= 0)
        return;
    const auto jump = [&](size_t a, size_t b) { return IsJump(t, a, b, marginMetres); };
    // Kept records move down to `out`; a kept record's index is always below
    // the next record looked at, so both can be compared in place.
    size_t out = 0;
    std::vector<size_t> starts;
    starts.reserve(t.segmentStarts.size());
    for (size_t s = 0; s < t.segmentStarts.size(); ++s) {
        const size_t begin = t.segmentStarts[s], end = t.segmentEnd(s), first = out;
        starts.push_back(first);
        for (size_t i = begin; i < end;) {
            size_t spike = 0;
            if (out > first) {
                const size_t g = out - 1;
                if (jump(g, i)) {
                    if (i + 1 < end && jump(i, i + 1) && !jump(g, i + 1))
                        spike = 1;
                    else if (i + 2 < end && jump(i + 1, i + 2) && !jump(g, i + 2))
                        spike = 2;
                    else if (i + 1 == end && g > first && !jump(g - 1, g))
                        spike = 1;
                }
            } else if (i + 2 < end && jump(i, i + 1) && !jump(i + 1, i + 2)) {
                spike = 1;
            } else if (i + 3 < end && jump(i, i + 2) && jump(i + 1, i + 2) && !jump(i + 2, i + 3)) {
                spike = 2;
            }
            if (spike == 0) {
                t.points[out] = t.points[i];
                t.sphere[out] = t.sphere[i];
                ++out;
                ++i;
                continue;
            }
            for (size_t k = 0; k < spike; ++k, ++i) {
                t.leftOut.push_back({t.points[i], FilterReason::Position});
                ++t.filteredBy[size_t(FilterReason::Position)];
                ++t.filtered;
            }
        }
    }
    t.points.resize(out);
    t.sphere.resize(out);
    t.segmentStarts = std::move(starts);
}
