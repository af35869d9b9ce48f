#pragma once
// GPX 1.0 written straight from SBP records, keeping what a conversion through
// NMEA loses: the time to the millisecond, the speed (m/s) and course, the
// satellites and HDOP, and the speed error as an element of our own namespace
// (its schema: packaging/xml/vr60-gpx-speed-1.xsd). One track, one segment;
// records without a valid time or a position are left out.

#include <cstddef>
#include <cstdint>
#include <string>

inline constexpr const char* kSpeedGpxNamespace = "http://vr60.org/xmlns/gpx-speed/1";
inline constexpr const char* kSpeedGpxSchemaFile = "vr60-gpx-speed-1.xsd";

struct SpeedGpxHeader {
    std::string name;       // the track's name (the log's file name)
    std::string serial;     // the unit's, when the log tells it
    std::string userName;
};

// The document's start, up to the first point.
std::string SpeedGpxStart(const SpeedGpxHeader& header);
// Appends a trkpt per usable record of `count` 32-byte records; returns how many.
size_t AppendSpeedGpxPoints(const uint8_t* records, size_t count, std::string& out);
// The document's end.
std::string SpeedGpxEnd(const SpeedGpxHeader& header);

// Text with & < > " ' escaped for XML; control characters XML cannot carry become '?'.
std::string XmlEscaped(const std::string& text);
