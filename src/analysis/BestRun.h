#pragma once
// A stretch of a session's track and its time-weighted mean speed.

#include <cstddef>
#include <cstdint>

struct SessionTrack;

struct BestRun {
    size_t first = 0;    // index of the first and last point in SessionTrack::points
    size_t last = 0;
    int64_t startMs = 0;
    int64_t endMs = 0;
    double speed = 0;    // m/s
};

BestRun MakeRun(const SessionTrack& track, size_t first, size_t last);
