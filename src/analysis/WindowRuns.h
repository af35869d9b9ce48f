#pragma once
// Best runs over a minimum duration or path distance, found with two pointers
// over the running sums: for every end point the latest start that still gives
// the minimum is the only candidate, so each search is linear.

#include <cstdint>
#include <optional>
#include <vector>

#include "analysis/BestRun.h"
#include "analysis/SessionTrack.h"

// The best run of at least each of the given durations (or distances), in
// the order given, inside one segment or one stretch; all in one pass.
// `integral`: the running speed integral to rank by (the track's speedIntegral when null).
std::vector<std::optional<BestRun>> BestOverDurations(const SessionTrack& track, const std::vector<double>& seconds,
                                                      RunScope scope = RunScope::Segment,
                                                      const std::vector<double>* integral = nullptr);
std::vector<std::optional<BestRun>> BestOverDistances(const SessionTrack& track, const std::vector<double>& metres,
                                                      RunScope scope = RunScope::Segment,
                                                      DistanceMeasure measure = DistanceMeasure::Path);

// The `count` runs of at least `seconds`, each inside one segment, that do not overlap in time (they may
// touch) and have the highest sum of mean speeds, in time order; empty when
// fewer than `count` fit. O(n log n + count * n); the search runs on the windows
// fast enough to be in a best choice, which on a real session are few.
std::vector<BestRun> BestDisjointDurations(const SessionTrack& track, double seconds, int count);

// The best run of at least `seconds` lying inside each run (SessionRuns.h):
// element n - 1 for run n, empty where the run holds none.
std::vector<std::optional<BestRun>> BestDurationPerRun(const SessionTrack& track, const std::vector<uint32_t>& runOf,
                                                       size_t runCount, double seconds);
