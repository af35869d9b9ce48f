#pragma once
// The points of a log that the analysis trusts, in gap-free segments that are
// joined into stretches across short drop-outs, with the running sums every
// best-run search is built on; and the records left out, each with its reason.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "analysis/Geodesy.h"

inline constexpr double kStopSpeed = 1.0;   // m/s: slower at both ends of a drop-out, or within a run, is a stop

// Limits that depend on the logging rate, read off the step from the record
// before: up to 1 Hz (steps over 0.5 s), up to 5 Hz (over 0.15 s), faster.
inline constexpr size_t kRateClasses = 3;
using RateLimits = std::array<double, kRateClasses>;
size_t RateClassOf(int64_t stepMs);

// How a drop-out the long categories span is counted.
enum class DropoutSpan : uint8_t {
    Line,          // the straight line between its ends; a line the logged speeds cannot explain ends the stretch
    LoggedSpeed,   // the logged speeds times its time, whatever the line; only a stop ends the stretch
};

// Which records are left out, and how far a run may reach across a gap. A
// record with an invalid date-time is always left out: it cannot be placed in time.
struct PointFilter {
    double maxHdop = 3.0;             // HDOP above this (as the HDOP text reads)
    int minSatellites = 5;
    RateLimits maxAcceleration{8, 8, 8};      // m/s^2 from the previous kept point; 0 or less: no check
    RateLimits maxSpeedErrorKnots{0, 0, 0};   // the logged speed error (EE_VEL); 0 or less: no check
    double maxGapSeconds = 2.0;       // a longer step in time ends a segment
    double maxJumpMetres = 10.0;      // margin of the position-spike check (PositionSpikes.h); 0 or less: no check
    double maxDropoutSeconds = 30.0;  // the longest gap a stretch spans (the long categories); 0: none
    DropoutSpan dropoutSpan = DropoutSpan::Line;
};

// Why a record was left out, in the order of the JSON members. A record is
// counted once, under the first check it fails: time, HDOP, satellites, speed
// error, same time, acceleration, position.
enum class FilterReason : uint8_t { Hdop, Satellites, SpeedError, Time, SameTime, Acceleration, Position };
inline constexpr size_t kFilterReasonCount = 7;

struct FilterReasonInfo {
    FilterReason reason;
    const char* key;     // JSON key
    const char* label;   // for people
};
const std::array<FilterReasonInfo, kFilterReasonCount>& FilterReasons();

struct TrackPoint {
    int64_t timeMs = 0;   // UTC, milliseconds since 1970-01-01
    double lat = 0;       // degrees
    double lon = 0;
    double speed = 0;     // speed over ground, m/s
    float speedError = 0; // 1-sigma error of `speed`, m/s; 0: the log gives none
    float course = 0;     // degrees from north
};

struct LeftOutPoint {
    TrackPoint point;
    FilterReason reason;
};

// Where a run may lie: inside one segment (the short categories never span a
// gap), or inside one stretch (the long categories span short drop-outs).
enum class RunScope { Segment, Stretch };

struct SessionTrack {
    std::vector<TrackPoint> points;      // kept points, in log order
    // Metres: each speed held until the next point, integrated since the first
    // point. Across a spanned drop-out (DropoutSpan) the straight line between
    // its ends, or the speed before it times its time.
    std::vector<double> speedIntegral;
    // Metres as the ranking rules count them: each step's end speed times its
    // time (across a spanned drop-out its line, or the speed after it times its time).
    std::vector<double> endSpeedIntegral;
    std::vector<double> pathMetres;      // great-circle path length since the first point (spanned drop-outs included)
    std::vector<SpherePoint> sphere;     // each point's position on the sphere
    // First point of each gap-free segment. Nothing is integrated or measured
    // across a segment boundary, except a spanned drop-out.
    std::vector<size_t> segmentStarts;
    // First point of each stretch: segments joined across drop-outs of at most
    // PointFilter::maxDropoutSeconds whose ends agree with the logged speed.
    std::vector<size_t> stretchStarts;
    std::vector<LeftOutPoint> leftOut;   // the records left out that have a valid time
    std::array<size_t, kFilterReasonCount> filteredBy{};
    size_t records = 0;    // records read
    size_t filtered = 0;   // records left out

    size_t segmentEnd(size_t segment) const
    {
        return segment + 1 < segmentStarts.size() ? segmentStarts[segment + 1] : points.size();
    }
    const std::vector<size_t>& runStarts(RunScope scope) const
    {
        return scope == RunScope::Segment ? segmentStarts : stretchStarts;
    }
    size_t runEnd(RunScope scope, size_t k) const
    {
        const std::vector<size_t>& s = runStarts(scope);
        return k + 1 < s.size() ? s[k + 1] : points.size();
    }
    double seconds(size_t from, size_t to) const { return (points[to].timeMs - points[from].timeMs) * 1e-3; }
    // Time-weighted mean speed from point `from` to point `to` of one segment or stretch.
    double meanSpeed(size_t from, size_t to) const
    {
        return (speedIntegral[to] - speedIntegral[from]) / seconds(from, to);
    }
};

// A track built from 32-byte SBP records (any header block already dropped)
// given in blocks, in log order, so a file never needs to be held whole.
class SessionTrackBuilder {
public:
    // `expectedRecords`: a hint for reserving (0 when unknown).
    explicit SessionTrackBuilder(const PointFilter& filter, size_t expectedRecords = 0);
    void add(const uint8_t* records, size_t count);
    // Drops the position spikes, then sums up the segments and stretches.
    SessionTrack finish();

private:
    void leaveOut(const TrackPoint& p, FilterReason reason);
    void count(FilterReason reason);

    PointFilter filter_;
    long maxHdopTenths_;
    int64_t maxGapMs_;
    int64_t lastRecordMs_ = 0;   // the last record with a valid time, kept or not
    size_t rateClass_ = 1;       // until two records tell, 5 Hz
    uint32_t dateWord_ = ~0u;
    int64_t dateDays_ = 0;
    SessionTrack track_;
};

SessionTrack BuildSessionTrack(const uint8_t* records, size_t count, const PointFilter& filter);
