#include "analysis/SessionTrack.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "analysis/Geodesy.h"
#include "analysis/PositionSpikes.h"
#include "sbp/SbpRecord.h"

namespace {

constexpr uint32_t kClockBits = 17;   // second, minute and hour below the date
// A drop-out is spanned only when its ends agree with the logged speed by the
// jump rule with this margin: a position that jumped across it ends the stretch.
constexpr double kDropoutMarginMetres = 10;

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

size_t RateClassOf(int64_t stepMs)
{
    return stepMs > 500 ? 0 : stepMs > 150 ? 1 : 2;
}

const std::array<FilterReasonInfo, kFilterReasonCount>& FilterReasons()
{
    static const std::array<FilterReasonInfo, kFilterReasonCount> kReasons = {{
        {FilterReason::Hdop, "hdop", "HDOP"},
        {FilterReason::Satellites, "sats", "satellites"},
        {FilterReason::SpeedError, "speed_error", "speed error"},
        {FilterReason::Time, "time", "invalid time"},
        {FilterReason::SameTime, "same_time", "same time"},
        {FilterReason::Acceleration, "accel", "acceleration"},
        {FilterReason::Position, "position", "position spike"},
    }};
    return kReasons;
}

SessionTrackBuilder::SessionTrackBuilder(const PointFilter& filter, size_t expectedRecords)
    // HDOP is kept in steps of 0.2; compare in tenths so 3.0 is not lost to rounding.
    : filter_(filter), maxHdopTenths_(std::lround(filter.maxHdop * 10)),
      maxGapMs_(std::llround(filter.maxGapSeconds * 1000))
{
    track_.points.reserve(expectedRecords);
    track_.sphere.reserve(expectedRecords);
}

void SessionTrackBuilder::count(FilterReason reason)
{
    ++track_.filteredBy[size_t(reason)];
    ++track_.filtered;
}

void SessionTrackBuilder::leaveOut(const TrackPoint& p, FilterReason reason)
{
    track_.leftOut.push_back({p, reason});
    count(reason);
}

void SessionTrackBuilder::add(const uint8_t* records, size_t count)
{
    SessionTrack& track = track_;
    track.records += count;
    for (size_t i = 0; i < count; ++i) {
        const SbpRecord r = ReadSbpRecord(records + 32 * i);
        SbpTime t;
        if (UnpackSbpTime(r.utc, t) != kSbpTimeValid) {
            this->count(FilterReason::Time);
            continue;
        }
        // Consecutive points nearly always share their date.
        if (r.utc >> kClockBits != dateWord_) {
            dateWord_ = r.utc >> kClockBits;
            dateDays_ = DaysSince1970(t);
        }
        TrackPoint p;
        p.timeMs = ((dateDays_ * 24 + t.hour) * 60 + t.minute) * 60000 + int64_t(t.second) * 1000 +
                   r.milliseconds % 1000;
        p.lat = r.latitude * 1e-7;
        p.lon = r.longitude * 1e-7;
        p.speed = r.speed / 100.0;
        // The whole byte is the error: the segment mark some exports read in its bit 3 is not used here.
        p.speedError = float(r.eeVel / 100.0);
        p.course = float(r.course / 100.0);
        const int64_t stepMs = p.timeMs - lastRecordMs_;
        if (lastRecordMs_ != 0 && stepMs > 0 && stepMs <= maxGapMs_)
            rateClass_ = RateClassOf(stepMs);
        lastRecordMs_ = p.timeMs;
        if (r.hdop * 2L > maxHdopTenths_) {
            leaveOut(p, FilterReason::Hdop);
            continue;
        }
        if (r.satellites < filter_.minSatellites) {
            leaveOut(p, FilterReason::Satellites);
            continue;
        }
        const double maxError = filter_.maxSpeedErrorKnots[rateClass_] * 1852 / 3600;
        if (maxError > 0 && p.speedError > maxError) {
            leaveOut(p, FilterReason::SpeedError);
            continue;
        }

        bool newSegment = track.points.empty();
        if (!newSegment) {
            const TrackPoint& prev = track.points.back();
            const int64_t dtMs = p.timeMs - prev.timeMs;
            if (dtMs == 0) {   // the same instant twice
                leaveOut(p, FilterReason::SameTime);
                continue;
            }
            newSegment = dtMs < 0 || dtMs > maxGapMs_;
            // Measured from the last kept point, so one spike does not take its neighbour with it.
            // A run of rejected points soon becomes a gap, which starts afresh.
            const double maxAcceleration = filter_.maxAcceleration[rateClass_];
            if (!newSegment && maxAcceleration > 0 &&
                std::fabs(p.speed - prev.speed) > maxAcceleration * (dtMs * 1e-3)) {
                if (track.segmentStarts.back() + 1 != track.points.size()) {
                    leaveOut(p, FilterReason::Acceleration);
                    continue;
                }
                // The last kept point starts its segment and nothing vouches for it: it
                // may be the spike. Drop it instead, so a bad first point costs one point.
                leaveOut(prev, FilterReason::Acceleration);
                track.points.pop_back();
                track.sphere.pop_back();
                track.segmentStarts.pop_back();
                newSegment = true;
            }
        }
        if (newSegment)
            track.segmentStarts.push_back(track.points.size());
        track.points.push_back(p);
        track.sphere.push_back(ToSphere(p.lat, p.lon));
    }
}

SessionTrack SessionTrackBuilder::finish()
{
    SessionTrack t = std::move(track_);
    track_ = SessionTrack();
    DropPositionSpikes(t, filter_.maxJumpMetres);

    t.speedIntegral.reserve(t.points.size());
    t.endSpeedIntegral.reserve(t.points.size());
    t.pathMetres.reserve(t.points.size());
    const int64_t maxDropoutMs = std::llround(filter_.maxDropoutSeconds * 1000);
    for (size_t s = 0; s < t.segmentStarts.size(); ++s) {
        const size_t begin = t.segmentStarts[s], end = t.segmentEnd(s);
        if (s == 0) {
            t.stretchStarts.push_back(begin);
            t.speedIntegral.push_back(0);
            t.endSpeedIntegral.push_back(0);
            t.pathMetres.push_back(0);
        } else {
            const size_t prev = begin - 1;
            const int64_t dtMs = t.points[begin].timeMs - t.points[prev].timeMs;
            const double line = StepMetres(t.sphere[prev], t.sphere[begin]);
            double held = 0, ended = 0;   // what the two speed integrals add across the drop-out
            bool spanned = dtMs > 0 && dtMs <= maxDropoutMs;
            if (spanned && filter_.dropoutSpan == DropoutSpan::LoggedSpeed) {
                spanned = std::max(t.points[prev].speed, t.points[begin].speed) >= kStopSpeed;
                held = t.points[prev].speed * dtMs * 1e-3;
                ended = t.points[begin].speed * dtMs * 1e-3;
            } else if (spanned) {
                spanned = !IsJump(t, prev, begin, kDropoutMarginMetres);
                held = ended = line;
            }
            if (!spanned)
                held = ended = 0;
            t.speedIntegral.push_back(t.speedIntegral[prev] + held);
            t.endSpeedIntegral.push_back(t.endSpeedIntegral[prev] + ended);
            t.pathMetres.push_back(t.pathMetres[prev] + (spanned ? line : 0));
            if (!spanned)
                t.stretchStarts.push_back(begin);
        }
        for (size_t i = begin + 1; i < end; ++i) {
            // A speed holds until the next point: a stretch logged at one speed averages to it exactly.
            const double dt = t.seconds(i - 1, i);
            t.speedIntegral.push_back(t.speedIntegral[i - 1] + t.points[i - 1].speed * dt);
            t.endSpeedIntegral.push_back(t.endSpeedIntegral[i - 1] + t.points[i].speed * dt);
            t.pathMetres.push_back(t.pathMetres[i - 1] + StepMetres(t.sphere[i - 1], t.sphere[i]));
        }
    }
    return t;
}

SessionTrack BuildSessionTrack(const uint8_t* records, size_t count, const PointFilter& filter)
{
    SessionTrackBuilder builder(filter, count);
    builder.add(records, count);
    return builder.finish();
}
