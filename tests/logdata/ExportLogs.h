#pragma once
// The logs the exporter tests convert, and a line counter for their CR LF output.

#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "SbpTestRecords.h"

// The worked records: 12.5S 0.25W at 1000 cm/s, course 123.45, -15.5 m; a seconds field of 60;
// 31 April; every field at its maximum; then an ordinary track.
inline std::vector<uint8_t> WorkedLog()
{
    std::vector<uint8_t> bytes;
    SbpFields f;
    f.hdop = 13;
    f.satellites = 8;
    f.milliseconds = 1250;
    f.utc = PackSbpTime(2014, 12, 7, 12, 34, 56);
    f.latitude = -125000000;
    f.longitude = -2500000;
    f.altitude = -1550;
    f.speed = 1000;
    f.course = 12345;
    f.eeVel = 8;
    AppendSbpRecord(bytes, f);
    f.utc = PackSbpTime(2014, 12, 7, 12, 34, 60);
    AppendSbpRecord(bytes, f);
    f.utc = PackSbpTime(2015, 4, 31, 1, 2, 3);
    AppendSbpRecord(bytes, f);
    SbpFields max;
    max.hdop = max.satellites = max.eeVel = max.eeCr = 255;
    max.milliseconds = max.speed = max.course = 65535;
    max.utc = max.svidList = 0xFFFFFFFF;
    max.latitude = INT32_MIN;
    max.longitude = INT32_MAX;
    max.altitude = INT32_MIN;
    max.climbRate = INT16_MIN;
    AppendSbpRecord(bytes, max);
    const std::vector<uint8_t> track = SampleTrack(20);
    bytes.insert(bytes.end(), track.begin(), track.end());
    return bytes;
}

inline size_t CountLines(const std::string& text, const std::string& prefix = "")
{
    size_t n = 0;
    for (size_t at = 0; at < text.size();) {
        const size_t end = text.find("\r\n", at);
        if (end == std::string::npos)
            break;
        if (text.compare(at, prefix.size(), prefix) == 0)
            ++n;
        at = end + 2;
    }
    return n;
}

