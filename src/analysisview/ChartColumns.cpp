#include "analysisview/ChartColumns.h"

#include <algorithm>

#include "analysis/SessionTrack.h"

std::vector<ChartColumn> MinMaxColumns(const SessionTrack& track, int64_t startMs, int64_t endMs, int width)
{
    std::vector<ChartColumn> columns(size_t(std::max(width, 0)));
    if (width <= 0 || endMs < startMs)
        return columns;
    const double perMs = endMs > startMs ? double(width) / double(endMs - startMs) : 0;
    for (size_t s = 0; s < track.segmentStarts.size(); ++s) {
        for (size_t i = track.segmentStarts[s]; i < track.segmentEnd(s); ++i) {
            const TrackPoint& p = track.points[i];
            if (p.timeMs < startMs || p.timeMs > endMs)
                continue;
            const int x = std::min(width - 1, int(double(p.timeMs - startMs) * perMs));
            ChartColumn& c = columns[size_t(x)];
            const float v = float(p.speed);
            if (!c.any) {
                c = {true, v, v, v, v, uint32_t(s), uint32_t(s)};
            } else {
                c.low = std::min(c.low, v);
                c.high = std::max(c.high, v);
                c.last = v;
                c.lastSegment = uint32_t(s);
            }
        }
    }
    return columns;
}
