#pragma once
// The time axis of the speed chart: ticks at steps a clock reads well, and
// labels that carry the date when the session runs past a UTC midnight (a
// week-long log would otherwise read 00:00:00 at every tick).

#include <cstdint>
#include <vector>

#include <QString>

struct TimeTick {
    int64_t ms;       // UTC
    QString label;
};

// At most about `wanted` ticks over [startMs, endMs].
std::vector<TimeTick> TimeTicks(int64_t startMs, int64_t endMs, int wanted);

// True when the two instants fall on different UTC days.
bool OnDifferentUtcDays(int64_t aMs, int64_t bMs);
