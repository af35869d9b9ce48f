#pragma once
// The best run with a turn in it: path length within [minPath, maxPath] and
// the end point within `gate` metres of the start point.
//
// For each start the admissible ends form one contiguous range (two pointers
// over the path length). A sliding upper hull of (time, speed integral) gives,
// in O(log n), the end in that range with the highest mean speed; when that end
// lies inside the gate it is the start's answer. Otherwise, and only while the
// start could still beat the best found, its range is scanned; an end farther
// than the gate from the start skips ahead by the path the track needs to come
// back. O(n log n) for the hull pass; the scans add O(k) per start that needs
// one (k: points in maxPath - minPath of path), which real tracks keep few.
// Starts with no admissible end back inside the gate (every start along a
// straight reach), found by the same skipping ahead, are passed over at once.

#include <optional>

#include "analysis/BestRun.h"

struct SessionTrack;

// With DistanceMeasure::LoggedSpeed the length is the logged speeds' distance;
// the great-circle path still bounds how fast the track can come back.
std::optional<BestRun> BestAlpha(const SessionTrack& track, double minPath, double maxPath, double gate,
                                 DistanceMeasure measure = DistanceMeasure::Path);
