#pragma once
// Builds SBP records and files for the log-data tests.

#include <cstdint>
#include <string>
#include <vector>

struct SbpFields {
    uint8_t hdop = 7;
    uint8_t satellites = 9;
    uint16_t milliseconds = 250;
    uint32_t utc = 0;
    uint32_t svidList = 0x00012345;
    int32_t latitude = 0;
    int32_t longitude = 0;
    int32_t altitude = 0;
    uint16_t speed = 0;
    uint16_t course = 0;
    int16_t climbRate = 0;
    uint8_t eeVel = 0;
    uint8_t eeCr = 0;
};

inline uint32_t PackSbpTime(int year, int month, int day, int hour, int minute, int second)
{
    const uint32_t v = uint32_t((year - 2000) * 12 + month);
    return v << 22 | uint32_t(day) << 17 | uint32_t(hour) << 12 | uint32_t(minute) << 6 | uint32_t(second);
}

inline void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(uint8_t(value >> (8 * i)));
}

inline void AppendSbpRecord(std::vector<uint8_t>& out, const SbpFields& f)
{
    out.push_back(f.hdop);
    out.push_back(f.satellites);
    PutLe(out, f.milliseconds, 2);
    PutLe(out, f.utc, 4);
    PutLe(out, f.svidList, 4);
    PutLe(out, uint32_t(f.latitude), 4);
    PutLe(out, uint32_t(f.longitude), 4);
    PutLe(out, uint32_t(f.altitude), 4);
    PutLe(out, f.speed, 2);
    PutLe(out, f.course, 2);
    PutLe(out, uint16_t(f.climbRate), 2);
    out.push_back(f.eeVel);
    out.push_back(f.eeCr);
}

// A plausible track: count points one second apart moving north-east from
// 22.5N 114.0E, a new segment every 50 points.
inline std::vector<uint8_t> SampleTrack(int count)
{
    std::vector<uint8_t> out;
    for (int i = 0; i < count; ++i) {
        SbpFields f;
        const int s = i % 60, m = (i / 60) % 60, h = 8 + i / 3600;
        f.utc = PackSbpTime(2014, 12, 7, h, m, s);
        f.milliseconds = uint16_t((i * 200) % 1000);
        f.latitude = 225000000 + i * 1234;
        f.longitude = 1140000000 + i * 2345;
        f.altitude = 1200 + (i % 37) * 10;
        f.speed = uint16_t(500 + i % 700);
        f.course = uint16_t((i * 137) % 36000);
        f.climbRate = int16_t(i % 11 - 5);
        f.hdop = uint8_t(5 + i % 9);
        f.satellites = uint8_t(4 + i % 8);
        f.eeVel = i % 50 == 0 ? 8 : 0;
        f.eeCr = uint8_t(i % 3);
        AppendSbpRecord(out, f);
    }
    return out;
}

// The 64-byte header block some files start with.
inline std::vector<uint8_t> SbpHeaderBlock()
{
    std::vector<uint8_t> h(64, 0x11);
    h[2] = 0xA0;
    h[3] = 0xA2;
    h[6] = 0xFD;
    return h;
}
