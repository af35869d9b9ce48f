// SBN: the receiver's binary messages as logged, each in a frame
//   A0 A2, u16 length (big-endian, 15 bits), payload, u16 check, B0 B3
// where the check is the sum of the payload bytes, modulo 2^15. The first
// payload byte is the message id; only message 41 (geodetic navigation data,
// 91 bytes, big-endian) holds points:
//    0 u8  id (41)              19 u32 satellites used (bit n: id n+1)
//    1 u16 navigation valid     23 s32 latitude (1e-7 deg)
//    3 u16 navigation type      27 s32 longitude (1e-7 deg)
//    5 u16 extended week        31 s32 altitude above the ellipsoid (cm)
//    7 u32 time of week (ms)    35 s32 altitude above sea level (cm)
//   11 u16 UTC year             39 u8  map datum
//   13 u8  UTC month            40 u16 speed over ground (cm/s)
//   14 u8  UTC day              42 u16 course over ground (0.01 deg)
//   15 u8  UTC hour             44 s16 magnetic variation, 46 s16 climb rate,
//   16 u8  UTC minute           48 s16 heading rate, 50 u32 EHPE, 54 u32 EVPE,
//   17 u16 UTC second (ms)      58 u32 time error, 62 u16 speed error (SDOP, cm/s; 0 none),
//   64.. clock fields, 80 u32 distance, 84 u16 distance error, 86 u16 heading error,
//   88 u8 satellites in the fix, 89 u8 HDOP (x0.2), 90 u8 mode info.
// Other messages, and bytes between frames, are passed over.

#include "platform/ResultCode.h"
#include "pointlog/FrameScan.h"
#include "pointlog/LogPoint.h"
#include "pointlog/Readers.h"

namespace {

constexpr size_t kFrameOverhead = 8;    // sync, length, check, end
constexpr size_t kGeodeticBytes = 91;
constexpr uint8_t kGeodeticId = 41;

// The frame at p and its whole length; the payload starts at p + 4.
Frame FrameAt(const uint8_t* p, size_t left, size_t& whole)
{
    if (left < 4 || p[0] != 0xA0 || p[1] != 0xA2)
        return Frame::NotAFrame;
    const size_t length = size_t(BeN(p + 2, 2));
    if (length & 0x8000)
        return Frame::NotAFrame;
    whole = length + kFrameOverhead;
    if (left < whole)
        return Frame::Cut;
    if (p[whole - 2] != 0xB0 || p[whole - 1] != 0xB3)
        return Frame::NotAFrame;
    const uint8_t* payload = p + 4;
    unsigned sum = 0;
    for (size_t i = 0; i < length; ++i)
        sum += payload[i];
    return (sum & 0x7FFF) == BeN(p + 4 + length, 2) ? Frame::Good : Frame::BadCheck;
}

} // namespace

bool LooksLikeSbn(const uint8_t* bytes, size_t size)
{
    return HoldsFrame(bytes, size, FrameAt);
}

void ReadSbn(const uint8_t* bytes, size_t size, PointLog& log)
{
    ReadTally tally;
    log.sbp.reserve(size / (kGeodeticBytes + kFrameOverhead) * 32);
    FrameRules rules;
    rules.frameAt = FrameAt;
    rules.skipAfterBadCheck = 2;   // the frame's length is not to be trusted: look for the next sync
    ScanFrames(bytes, size, rules, tally, [&](const uint8_t* frame, size_t whole) {
        const uint8_t* p = frame + 4;
        if (whole - kFrameOverhead < kGeodeticBytes || p[0] != kGeodeticId)
            return;
        const int year = int(BeN(p + 11, 2)), month = p[13], day = p[14], hour = p[15], minute = p[16];
        const int ms = int(BeN(p + 17, 2));
        if (year == 0 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || ms > 60999) {
            ++tally.undated;
            return;
        }
        LogPoint pt;
        pt.timeMs = UnixMs(year, month, day, hour, minute, 0, ms);
        pt.satelliteSet = uint32_t(BeN(p + 19, 4));
        pt.latitude = int32_t(uint32_t(BeN(p + 23, 4)));
        pt.longitude = int32_t(uint32_t(BeN(p + 27, 4)));
        pt.altitudeCm = int32_t(uint32_t(BeN(p + 35, 4)));
        pt.speedMmS = int64_t(BeN(p + 40, 2)) * 10;
        pt.courseCentiDeg = int64_t(BeN(p + 42, 2));
        pt.speedErrorMmS = int64_t(BeN(p + 62, 2)) * 10;
        pt.satellites = p[88];
        pt.hdopCenti = int64_t(p[89]) * 20;
        KeepPoint(log, tally, pt);
    });
    log.problem = tally.text();
}
