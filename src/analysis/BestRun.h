#pragma once
// A stretch of a session's track and its time-weighted mean speed.

#include <cstddef>
#include <cstdint>
#include <vector>

struct SessionTrack;

struct BestRun {
    size_t first = 0;    // index of the first and last point in SessionTrack::points
    size_t last = 0;
    int64_t startMs = 0;
    int64_t endMs = 0;
    double speed = 0;    // m/s
    uint32_t run = 0;    // the run (SessionRuns.h) its first point lies in; 0: none
};

// How a window bounded by distance measures its metres and its speed.
enum class DistanceMeasure : uint8_t {
    Path,          // great-circle path; speed from the logged speeds, each held until the next point
    LoggedSpeed,   // the logged speeds times time, each step counting its end speed, for both
};

// `integral`: the running speed integral the speed comes from (the track's speedIntegral when null).
BestRun MakeRun(const SessionTrack& track, size_t first, size_t last, const std::vector<double>* integral = nullptr);
