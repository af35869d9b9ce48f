#include "analysis/BestRun.h"

#include "analysis/SessionTrack.h"

BestRun MakeRun(const SessionTrack& track, size_t first, size_t last)
{
    return {first, last, track.points[first].timeMs, track.points[last].timeMs, track.meanSpeed(first, last)};
}
