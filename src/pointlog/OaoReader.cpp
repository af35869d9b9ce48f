// OAO: fixed-length frames, little-endian, each starting with
//   u16 mode, u8 CK_A, u8 CK_B
// where CK_A/CK_B is the 8-bit Fletcher sum over every byte of the frame but
// the two check bytes. The file may start with a header frame:
//   mode 0x0AD0, 512 bytes: 4 u16 (not read), 6 char[10] user name (NUL padded), ...
// Points come from the GNSS frames, taken from the receiver's NAV-PVT, mode
// 0x0AD4 (aligned on the second) and 0x0AD5, 52 bytes:
//    4 s32 latitude (1e-7 deg)    24 u64 UTC (ms since 1970)   38 u32 horizontal accuracy (mm)
//    8 s32 longitude (1e-7 deg)   32 u8  fix (NAV-PVT fixType)  42 u32 vertical accuracy (mm)
//   12 s32 altitude MSL (mm)      33 u8  satellites             46 u32 heading accuracy (1e-3 deg)
//   16 u32 speed (mm/s)           34 u32 speed accuracy (mm/s)  50 u16 HDOP (0.01; some units write PDOP)
//   20 u32 course (1e-3 deg)
// Frames of other modes have lengths this reader does not know: it looks for
// the next frame it knows whose check holds, as it does after a frame that
// failed its check (only that frame is counted, not mode-like bytes met on the
// way). Points without a fix (0 or 5) are skipped.

#include <string>

#include "platform/ResultCode.h"
#include "pointlog/FrameScan.h"
#include "pointlog/LogPoint.h"
#include "pointlog/Readers.h"

namespace {

constexpr uint16_t kHeaderMode = 0x0AD0, kGnssMode = 0x0AD4, kGnssOffSecondMode = 0x0AD5;
constexpr size_t kHeaderBytes = 512, kGnssBytes = 52;

Frame FrameAt(const uint8_t* p, size_t left, size_t& length)
{
    if (left < 2)
        return Frame::NotAFrame;
    const uint16_t mode = uint16_t(LeN(p, 2));
    if (mode == kHeaderMode)
        length = kHeaderBytes;
    else if (mode == kGnssMode || mode == kGnssOffSecondMode)
        length = kGnssBytes;
    else
        return Frame::NotAFrame;
    if (left < length)
        return Frame::Cut;
    uint8_t a = 0, b = 0;
    for (size_t i = 0; i < length; ++i) {
        if (i == 2)
            i = 4;
        a = uint8_t(a + p[i]);
        b = uint8_t(b + a);
    }
    return a == p[2] && b == p[3] ? Frame::Good : Frame::BadCheck;
}

} // namespace

bool LooksLikeOao(const uint8_t* bytes, size_t size)
{
    size_t length = 0;
    for (size_t i = 0; i + 1 < size; ++i) {
        const Frame f = FrameAt(bytes + i, size - i, length);
        if (f == Frame::Good || (i == 0 && f == Frame::Cut && LeN(bytes, 2) == kHeaderMode))
            return true;
    }
    return false;
}

void ReadOao(const uint8_t* bytes, size_t size, PointLog& log)
{
    ReadTally tally;
    log.sbp.reserve(size / (kGnssBytes) * 32);
    FrameRules rules;
    rules.frameAt = FrameAt;
    rules.onlyGoodOutOfStep = true;
    ScanFrames(bytes, size, rules, tally, [&](const uint8_t* p, size_t) {
        if (LeN(p, 2) == kHeaderMode) {
            log.userName = PrintableField(p + 6, 10);
            return;
        }
        const uint8_t fix = p[32];
        if (fix == 0 || fix == 5) {
            ++tally.undated;
            return;
        }
        LogPoint pt;
        pt.latitude = int32_t(uint32_t(LeN(p + 4, 4)));
        pt.longitude = int32_t(uint32_t(LeN(p + 8, 4)));
        pt.altitudeCm = int32_t(uint32_t(LeN(p + 12, 4))) / 10;
        pt.speedMmS = int64_t(LeN(p + 16, 4));
        pt.courseCentiDeg = int64_t(LeN(p + 20, 4) / 10);
        pt.timeMs = int64_t(LeN(p + 24, 8) & 0x7FFFFFFFFFFFFFFFull);
        pt.satellites = p[33];
        pt.speedErrorMmS = int64_t(LeN(p + 34, 4));
        pt.hdopCenti = int64_t(LeN(p + 50, 2));
        KeepPoint(log, tally, pt);
    });
    log.problem = tally.text();
}
