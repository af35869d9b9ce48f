#include "analysis/SessionTrack.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "analysis/Geodesy.h"
#include "logdata/SbpRecord.h"

namespace {

constexpr uint32_t kClockBits = 17;   // second, minute and hour below the date

int64_t DaysSince1970(const SbpTime& t)
{
    using namespace std::chrono;
    // A day past the month's end (31 April) rolls into the next month.
    const year_month_day date{year{2000 + t.yearOffset}, month{t.month}, day{1}};
    return sys_days{date}.time_since_epoch().count() + (t.day - 1);
}

// Great-circle length of a step from its chord; the series is exact to
// double precision for steps under a kilometre.
double StepMetres(const SpherePoint& a, const SpherePoint& b)
{
    const double chord = std::sqrt(ChordSquared(a, b));
    if (chord < 1000)
        return chord * (1 + chord * chord / (24 * kEarthRadiusMetres * kEarthRadiusMetres));
    return 2 * kEarthRadiusMetres * std::asin(std::min(1.0, chord / (2 * kEarthRadiusMetres)));
}

} // namespace

SessionTrack BuildSessionTrack(const uint8_t* records, size_t count, const PointFilter& filter)
{
    SessionTrack track;
    track.records = count;
    track.points.reserve(count);
    track.speedIntegral.reserve(count);
    track.pathMetres.reserve(count);
    track.sphere.reserve(count);
    // HDOP is kept in steps of 0.2; compare in tenths so 3.0 is not lost to rounding.
    const long maxHdopTenths = std::lround(filter.maxHdop * 10);
    const int64_t maxGapMs = std::llround(filter.maxGapSeconds * 1000);
    uint32_t dateWord = ~0u;
    int64_t dateDays = 0;

    for (size_t i = 0; i < count; ++i) {
        const SbpRecord r = ReadSbpRecord(records + 32 * i);
        TrackPoint p;
        SbpTime t;
        if (r.hdop * 2L > maxHdopTenths || r.satellites < filter.minSatellites ||
            UnpackSbpTime(r.utc, t) != kSbpTimeValid) {
            ++track.filtered;
            continue;
        }
        // Consecutive points nearly always share their date.
        if (r.utc >> kClockBits != dateWord) {
            dateWord = r.utc >> kClockBits;
            dateDays = DaysSince1970(t);
        }
        p.timeMs = ((dateDays * 24 + t.hour) * 60 + t.minute) * 60000 + int64_t(t.second) * 1000 +
                   r.milliseconds % 1000;
        p.lat = r.latitude * 1e-7;
        p.lon = r.longitude * 1e-7;
        p.speed = r.speed / 100.0;

        bool newSegment = track.points.empty();
        if (!newSegment) {
            const TrackPoint& prev = track.points.back();
            const int64_t dtMs = p.timeMs - prev.timeMs;
            if (dtMs == 0) {   // the same instant twice
                ++track.filtered;
                continue;
            }
            newSegment = dtMs < 0 || dtMs > maxGapMs;
            // Measured from the last kept point, so one spike does not take its neighbour with it.
            // A run of rejected points soon becomes a gap, which starts afresh.
            if (!newSegment && filter.maxAcceleration > 0 &&
                std::fabs(p.speed - prev.speed) > filter.maxAcceleration * (dtMs * 1e-3)) {
                ++track.filtered;
                if (track.segmentStarts.back() + 1 != track.points.size())
                    continue;
                // The last kept point starts its segment and nothing vouches for it: it
                // may be the spike. Drop it instead, so a bad first point costs one point.
                track.points.pop_back();
                track.speedIntegral.pop_back();
                track.pathMetres.pop_back();
                track.sphere.pop_back();
                track.segmentStarts.pop_back();
                newSegment = true;
            }
        }
        const SpherePoint where = ToSphere(p.lat, p.lon);
        if (newSegment) {
            track.segmentStarts.push_back(track.points.size());
            track.speedIntegral.push_back(track.points.empty() ? 0 : track.speedIntegral.back());
            track.pathMetres.push_back(track.points.empty() ? 0 : track.pathMetres.back());
        } else {
            const TrackPoint& prev = track.points.back();
            const double dt = (p.timeMs - prev.timeMs) * 1e-3;
            // A speed holds until the next point: a stretch logged at one speed averages to it exactly.
            track.speedIntegral.push_back(track.speedIntegral.back() + prev.speed * dt);
            track.pathMetres.push_back(track.pathMetres.back() + StepMetres(track.sphere.back(), where));
        }
        track.points.push_back(p);
        track.sphere.push_back(where);
    }
    return track;
}
