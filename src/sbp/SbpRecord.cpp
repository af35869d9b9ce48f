#include "sbp/SbpRecord.h"

#include <cmath>

namespace {

uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

SbpDegrees Split(int32_t raw, char positive, char negative)
{
    SbpDegrees d;
    d.value = raw * 1e-7;
    d.degrees = static_cast<int>(d.value);
    d.minutes = std::fabs((d.value - d.degrees) * 60);
    d.hemisphere = d.value >= 0 ? positive : negative;
    return d;
}

} // namespace

SbpRecord ReadSbpRecord(const uint8_t* b)
{
    SbpRecord r;
    r.hdop = b[0];
    r.satellites = b[1];
    r.milliseconds = U16(b + 2);
    r.utc = U32(b + 4);
    r.svidList = U32(b + 8);
    r.latitude = static_cast<int32_t>(U32(b + 12));
    r.longitude = static_cast<int32_t>(U32(b + 16));
    r.altitude = static_cast<int32_t>(U32(b + 20));
    r.speed = U16(b + 24);
    r.course = U16(b + 26);
    r.climbRate = static_cast<int16_t>(U16(b + 28));
    r.eeVel = b[30];
    r.eeCr = b[31];
    return r;
}

int UnpackSbpTime(uint32_t word, SbpTime& t)
{
    t.second = word & 0x3F;
    t.minute = (word >> 6) & 0x3F;
    t.hour = (word >> 12) & 0x1F;
    t.day = (word >> 17) & 0x1F;
    const unsigned v = word >> 22;
    t.yearOffset = static_cast<uint8_t>(v / 12);
    t.month = static_cast<uint8_t>(v % 12);
    if (t.month == 0) {
        t.month = 12;
        t.yearOffset = static_cast<uint8_t>(t.yearOffset - 1);
    }
    if (t.day == 0 || t.day > 31 || t.month == 0 || t.month > 12)
        return kSbpTimeBadDate;
    if (t.second >= 60 || t.minute >= 60 || t.hour >= 24)
        return kSbpTimeBadClock;
    return kSbpTimeValid;
}

bool HasSbpHeader(const uint8_t* image, size_t size)
{
    return size >= 4 && image[2] == 0xA0 && image[3] == 0xA2;
}

SbpDegrees SplitLatitude(int32_t raw) { return Split(raw, 'N', 'S'); }
SbpDegrees SplitLongitude(int32_t raw) { return Split(raw, 'E', 'W'); }

double GridKnots(uint16_t raw) { return raw * 36 * (1 / 1851.9648); }
double NmeaKnots(uint16_t raw) { return raw * 36 / 1852.0; }
