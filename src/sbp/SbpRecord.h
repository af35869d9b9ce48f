#pragma once
// SBP: the logger's point record, 32 bytes, little-endian, stored oldest first
// with no header, trailer or checksum. A file may start with a 64-byte header
// block, recognised by A0 A2 at offsets 2 and 3 (its contents are not read).
//
//   0 u8  HDOP (x0.2)        12 s32 latitude (1e-7 deg)    26 u16 course (0.01 deg)
//   1 u8  satellites         16 s32 longitude (1e-7 deg)   28 s16 climb rate (raw)
//   2 u16 milliseconds       20 s32 altitude (cm)          30 u8  EE_VEL
//   4 u32 packed UTC         24 u16 speed (cm/s)           31 u8  EE_CR
//   8 u32 satellite bit set
//
// EE_VEL is the receiver's speed error in 0.01 m/s (0: none given); the PLT
// export reads its bit 3 as the start of a new segment.
//
// Packed UTC: second bits 0-5, minute 6-11, hour 12-16, day 17-21, and
// (year - 2000) * 12 + month in bits 22-31, where month 0 means December of the
// year before.

#include <cstddef>
#include <cstdint>

inline constexpr size_t kSbpHeaderBytes = 64;

struct SbpRecord {
    uint8_t hdop = 0;
    uint8_t satellites = 0;
    uint16_t milliseconds = 0;
    uint32_t utc = 0;
    uint32_t svidList = 0;
    int32_t latitude = 0;
    int32_t longitude = 0;
    int32_t altitude = 0;
    uint16_t speed = 0;
    uint16_t course = 0;
    int16_t climbRate = 0;
    uint8_t eeVel = 0;
    uint8_t eeCr = 0;
};

SbpRecord ReadSbpRecord(const uint8_t* bytes);

struct SbpTime {
    uint8_t yearOffset = 0;   // calendar year 2000 + yearOffset
    uint8_t month = 0;
    uint8_t day = 0;
    uint8_t hour = 0;
    uint8_t minute = 0;
    uint8_t second = 0;
};

// Validity codes of UnpackSbpTime.
inline constexpr int kSbpTimeValid = 0;
inline constexpr int kSbpTimeBadClock = 1;   // second, minute or hour out of range
inline constexpr int kSbpTimeBadDate = 2;    // day or month out of range

// Unpacks the packed UTC word; returns the validity code. A month field of 0
// becomes December of the year before (the year offset wraps as an 8-bit value).
int UnpackSbpTime(uint32_t word, SbpTime& time);

// True when an image starts with the 64-byte header block.
bool HasSbpHeader(const uint8_t* image, size_t size);

// A coordinate split for NMEA: whole degrees (truncated toward zero) and the
// absolute minutes, with the hemisphere letter.
struct SbpDegrees {
    double value = 0;
    int degrees = 0;      // signed; sentences print its absolute value
    double minutes = 0;   // |(value - degrees) * 60|
    char hemisphere = 'N';
};

SbpDegrees SplitLatitude(int32_t raw);
SbpDegrees SplitLongitude(int32_t raw);

// Speed in knots as the grid shows it (km/h over 1.8519648) and as the NMEA export writes it (over 1.852).
double GridKnots(uint16_t raw);
double NmeaKnots(uint16_t raw);
