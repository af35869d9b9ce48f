// UBX: the receiver's binary protocol as logged, each message in a frame
//   B5 62, u8 class, u8 id, u16 length (little-endian), payload, u8 CK_A, u8 CK_B
// where CK_A/CK_B is the 8-bit Fletcher sum over class, id, length and payload.
// Points come from NAV-PVT (class 01, id 07, 92 bytes, little-endian):
//    0 u32 iTOW (ms)       20 u8  fixType            48 s32 velN, 52 velE, 56 velD (mm/s)
//    4 u16 year            21 x8  flags (bit 0: fix OK)  60 s32 gSpeed (mm/s)
//    6 u8  month           23 u8  numSV              64 s32 headMot (1e-5 deg)
//    7 u8  day             24 s32 lon (1e-7 deg)     68 u32 sAcc (mm/s)
//    8 u8  hour, 9 min     28 s32 lat (1e-7 deg)     72 u32 headAcc (1e-5 deg)
//   10 u8  sec             32 s32 height, 36 hMSL (mm)  76 u16 pDOP (0.01)
//   11 x8  valid (bits 0, 1: date, time valid)   40 u32 hAcc, 44 vAcc (mm)
//   12 u32 tAcc (ns)       16 s32 nano (ns, -1e9..1e9: added to the second)
// NAV-DOP (class 01, id 04: 4 u16 gDOP, 6 pDOP, 8 tDOP, 10 vDOP, 12 hDOP, 0.01)
// of the same iTOW gives the HDOP; without it the point keeps PVT's pDOP.
// Points without a fix (fixType 0 or 5, or fix-OK clear) or a valid time are skipped.

#include <algorithm>

#include "platform/ResultCode.h"
#include "pointlog/FrameScan.h"
#include "pointlog/LogPoint.h"
#include "pointlog/Readers.h"

namespace {

constexpr size_t kFrameOverhead = 8;
constexpr size_t kPvtBytes = 92;
constexpr size_t kDopBytes = 18;

Frame FrameAt(const uint8_t* p, size_t left, size_t& length)
{
    if (left < 2 || p[0] != 0xB5 || p[1] != 0x62)
        return Frame::NotAFrame;
    if (left < 6)
        return Frame::Cut;
    const size_t payload = size_t(LeN(p + 4, 2));
    length = payload + kFrameOverhead;
    if (left < length)
        return Frame::Cut;
    uint8_t a = 0, b = 0;
    for (size_t i = 2; i < payload + 6; ++i) {
        a = uint8_t(a + p[i]);
        b = uint8_t(b + a);
    }
    return a == p[payload + 6] && b == p[payload + 7] ? Frame::Good : Frame::BadCheck;
}

} // namespace

bool LooksLikeUbx(const uint8_t* bytes, size_t size)
{
    return HoldsFrame(bytes, size, FrameAt);
}

void ReadUbx(const uint8_t* bytes, size_t size, PointLog& log)
{
    ReadTally tally;
    log.sbp.reserve(size / (kPvtBytes + kFrameOverhead) * 32);
    uint32_t lastPvtTow = 0, lastDopTow = 0;
    bool havePvt = false, haveDop = false;
    int64_t lastHdop = 0;
    FrameRules rules;
    rules.frameAt = FrameAt;
    rules.skipAfterBadCheck = 2;
    ScanFrames(bytes, size, rules, tally, [&](const uint8_t* frame, size_t whole) {
        const uint8_t* p = frame + 6;
        const uint8_t cls = frame[2], id = frame[3];
        const size_t length = whole - kFrameOverhead;
        if (cls != 0x01)
            return;
        if (id == 0x04 && length >= kDopBytes) {
            lastDopTow = uint32_t(LeN(p, 4));
            lastHdop = int64_t(LeN(p + 12, 2));
            haveDop = true;
            // An epoch may send its DOP after its PVT: the point just written takes it.
            if (havePvt && lastPvtTow == lastDopTow && log.sbp.size() >= 32)
                log.sbp[log.sbp.size() - 32] = uint8_t(std::min<int64_t>(255, (lastHdop * 5 + 50) / 100));
            return;
        }
        if (id != 0x07 || length < kPvtBytes)
            return;
        const uint32_t tow = uint32_t(LeN(p, 4));
        const uint8_t valid = p[11], fixType = p[20], flags = p[21];
        havePvt = false;
        if ((valid & 0x03) != 0x03 || fixType == 0 || fixType == 5 || !(flags & 0x01)) {
            ++tally.undated;
            return;
        }
        const int64_t nano = int32_t(uint32_t(LeN(p + 16, 4)));
        LogPoint pt;
        // nano is rounded to the millisecond, half away from zero.
        pt.timeMs = UnixMs(int(LeN(p + 4, 2)), p[6], p[7], p[8], p[9], p[10], 0) +
                    (nano >= 0 ? (nano + 500000) / 1000000 : -((-nano + 500000) / 1000000));
        pt.longitude = int32_t(uint32_t(LeN(p + 24, 4)));
        pt.latitude = int32_t(uint32_t(LeN(p + 28, 4)));
        pt.altitudeCm = int32_t(uint32_t(LeN(p + 36, 4))) / 10;
        pt.speedMmS = int32_t(uint32_t(LeN(p + 60, 4)));
        pt.courseCentiDeg = int32_t(uint32_t(LeN(p + 64, 4))) / 1000;
        pt.speedErrorMmS = int64_t(LeN(p + 68, 4));
        pt.satellites = p[23];
        pt.hdopCenti = haveDop && lastDopTow == tow ? lastHdop : int64_t(LeN(p + 76, 2));
        if (!KeepPoint(log, tally, pt))
            return;
        havePvt = true;
        lastPvtTow = tow;
    });
    log.problem = tally.text();
}
