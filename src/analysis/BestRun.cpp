#include "analysis/BestRun.h"

#include "analysis/SessionTrack.h"

BestRun MakeRun(const SessionTrack& track, size_t first, size_t last, const std::vector<double>* integral)
{
    const std::vector<double>& sum = integral ? *integral : track.speedIntegral;
    return {first, last, track.points[first].timeMs, track.points[last].timeMs,
            (sum[last] - sum[first]) / track.seconds(first, last), 0};
}
