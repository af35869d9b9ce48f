#include "analysisview/TimeTicks.h"

#include <algorithm>

#include <QDateTime>

namespace {

constexpr int64_t kDayMs = 86400000;

// A step a clock reads well (10 s, 5 min, 2 h, whole days) for at most about `wanted` ticks over `rangeMs`.
int64_t ClockStepMs(int64_t rangeMs, int wanted)
{
    static const int64_t kSteps[] = {1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600, 7200, 10800, 21600, 43200, 86400};
    for (const int64_t s : kSteps)
        if (rangeMs / (s * 1000) <= wanted)
            return s * 1000;
    return kDayMs * (rangeMs / kDayMs / std::max(1, wanted) + 1);
}

int64_t FloorDiv(int64_t a, int64_t b)
{
    return a >= 0 ? a / b : (a - b + 1) / b;
}

// The first multiple of `grain` at or after `ms`.
int64_t FirstMultipleFrom(int64_t ms, int64_t grain)
{
    return -FloorDiv(-ms, grain) * grain;
}

} // namespace

bool OnDifferentUtcDays(int64_t aMs, int64_t bMs)
{
    return FloorDiv(aMs, kDayMs) != FloorDiv(bMs, kDayMs);
}

std::vector<TimeTick> TimeTicks(int64_t startMs, int64_t endMs, int wanted)
{
    const int64_t stepMs = ClockStepMs(endMs - startMs, std::max(1, wanted));
    QString format = QStringLiteral("HH:mm:ss");
    if (stepMs >= kDayMs)
        format = QStringLiteral("yyyy-MM-dd");
    else if (OnDifferentUtcDays(startMs, endMs))
        format = stepMs >= 60000 ? QStringLiteral("MM-dd HH:mm") : QStringLiteral("MM-dd HH:mm:ss");
    // Every step under a day divides a day; longer ones start at the first midnight.
    const int64_t grain = std::min(stepMs, kDayMs);
    std::vector<TimeTick> ticks;
    for (int64_t ms = FirstMultipleFrom(startMs, grain); ms <= endMs; ms += stepMs)
        ticks.push_back({ms, QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC).toString(format)});
    return ticks;
}
