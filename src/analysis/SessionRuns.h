#pragma once
// Runs (legs): stretches sailed on one course. A run ends where the course
// turns away from its recent mean after a steady phase (a gybe or tack), at a
// stop, and where a stretch ends:
//   - steady: the courses of the run's last 15 s (at least 5 s of them) agree,
//     their mean unit vector being at least 0.9 long;
//   - a turn: a point whose course is more than 50 degrees off that mean
//     starts the next run;
//   - a stop: a point below 1 m/s belongs to no run; the next faster point
//     starts one.
// The turn between two runs lasts from the first point of the new run until
// its course settles (within 15 degrees of the course 2 s before); its entry
// speed is the old run's last point, its exit speed the point where it settles.

#include <cstddef>
#include <cstdint>
#include <vector>

struct SessionTrack;

inline constexpr double kRunMeanSeconds = 15;
inline constexpr double kRunSteadySeconds = 5;
inline constexpr double kRunSteadyLength = 0.9;
inline constexpr double kRunTurnDegrees = 50;
inline constexpr double kTurnSettleSeconds = 2;
inline constexpr double kTurnSettleDegrees = 15;

struct SessionRun {
    size_t first = 0, last = 0;   // points
};

struct Turn {
    size_t entry = 0;      // the old run's last point
    size_t exit = 0;       // where the new run's course settles
    double minimum = 0;    // the slowest logged speed from entry to exit, m/s
    uint32_t toRun = 0;    // the run it starts (1-based)
};

struct SessionRuns {
    std::vector<SessionRun> runs;   // run n is runs[n - 1]
    std::vector<Turn> turns;
    std::vector<uint32_t> runOf;    // per point: its run (1-based), 0 in a stop
};

SessionRuns FindRuns(const SessionTrack& track);
