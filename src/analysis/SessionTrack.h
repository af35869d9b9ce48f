#pragma once
// The points of a log that the analysis trusts, in gap-free segments, with the
// running sums every best-run search is built on.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "analysis/Geodesy.h"

// Which records are left out. A record with an invalid date-time is always
// left out: it cannot be placed in time.
struct PointFilter {
    double maxHdop = 3.0;           // HDOP above this (as the HDOP text reads)
    int minSatellites = 5;
    double maxAcceleration = 8.0;   // m/s^2 from the previous kept point; 0 or less: no check
    double maxGapSeconds = 2.0;     // a longer step in time ends a segment
};

struct TrackPoint {
    int64_t timeMs = 0;   // UTC, milliseconds since 1970-01-01
    double lat = 0;       // degrees
    double lon = 0;
    double speed = 0;     // speed over ground, m/s
};

struct SessionTrack {
    std::vector<TrackPoint> points;      // kept points, in log order
    std::vector<double> speedIntegral;   // metres: each speed held until the next point, integrated since the first point
    std::vector<double> pathMetres;      // great-circle path length since the first point
    std::vector<SpherePoint> sphere;     // each point's position on the sphere
    // First point of each gap-free segment. Nothing is integrated or measured
    // across a segment boundary.
    std::vector<size_t> segmentStarts;
    size_t records = 0;    // records read
    size_t filtered = 0;   // records left out

    size_t segmentEnd(size_t segment) const
    {
        return segment + 1 < segmentStarts.size() ? segmentStarts[segment + 1] : points.size();
    }
    double seconds(size_t from, size_t to) const { return (points[to].timeMs - points[from].timeMs) * 1e-3; }
    // Time-weighted mean speed from point `from` to point `to` of one segment.
    double meanSpeed(size_t from, size_t to) const
    {
        return (speedIntegral[to] - speedIntegral[from]) / seconds(from, to);
    }
};

// Records are 32-byte SBP records (any header block already dropped).
SessionTrack BuildSessionTrack(const uint8_t* records, size_t count, const PointFilter& filter);

