#pragma once
// The gaps of a track as the views draw them: where one segment ends and the
// next begins, and whether the long categories span it.

#include <cstddef>
#include <vector>

struct SessionTrack;

struct TrackGap {
    size_t before = 0;     // the last point before the gap and the first after it
    size_t after = 0;
    bool spanned = false;  // inside a stretch: the straight line across it counts for the long categories
};

std::vector<TrackGap> TrackGaps(const SessionTrack& track);
