// GPY: a compact log of frames, little-endian, each ending in a Fletcher-16
// check (u16: sum1 | sum2 << 8, both modulo 255, over the frame's bytes before
// it). The first byte names the frame:
//   0xF0 header: 1 u8 version, 2 u16 frame length (>= 40, check included),
//        4 char[16] serial, 20 char[16] user name (NUL padded), then fields not read
//   0xE0 full frame, 30 bytes:
//        1 u8  satellites         12 s32 latitude (1e-7 deg)   24 u16 course (0.01 deg)
//        2 u16 HDOP (0.01)        16 s32 longitude (1e-7 deg)  26 u16 speed accuracy (mm/s)
//        4 u64 UTC (ms since 1970) 20 u32 speed (mm/s)         28 u16 check
//   0xD0 delta frame, 18 bytes, against the point before it:
//        1 u8  satellites         6 s16 longitude change        12 u16 speed accuracy (mm/s)
//        2 u16 time change (ms)   8 s16 speed change (mm/s)     14 u16 HDOP (0.01)
//        4 s16 latitude change   10 s16 course change (0.01 deg) 16 u16 check
// A delta frame builds on the frame before it, so once a frame fails its check
// the deltas after it are skipped up to the next full frame. A one-byte frame
// type turns up inside other frames too: after a failed frame the reader looks
// for the next frame whose check holds, counting only the frame that failed.

#include <algorithm>
#include <string>

#include "platform/ResultCode.h"
#include "pointlog/FrameScan.h"
#include "pointlog/LogPoint.h"
#include "pointlog/Readers.h"

namespace {

constexpr uint8_t kHeader = 0xF0, kFull = 0xE0, kDelta = 0xD0;
constexpr size_t kHeaderMinBytes = 40, kFullBytes = 30, kDeltaBytes = 18;

uint16_t Fletcher16(const uint8_t* p, size_t n)
{
    // Reduced every 256 bytes, not every byte: b stays far below 2^32 meanwhile.
    uint32_t a = 0, b = 0;
    while (n > 0) {
        const size_t block = std::min<size_t>(n, 256);
        for (size_t i = 0; i < block; ++i) {
            a += p[i];
            b += a;
        }
        a %= 255;
        b %= 255;
        p += block;
        n -= block;
    }
    return uint16_t(a | b << 8);
}

Frame FrameAt(const uint8_t* p, size_t left, size_t& length)
{
    if (left < 1)
        return Frame::NotAFrame;
    if (p[0] == kFull)
        length = kFullBytes;
    else if (p[0] == kDelta)
        length = kDeltaBytes;
    else if (p[0] == kHeader) {
        if (left < 4)
            return Frame::Cut;
        length = size_t(LeN(p + 2, 2));
        if (length < kHeaderMinBytes)
            return Frame::NotAFrame;
    } else {
        return Frame::NotAFrame;
    }
    if (left < length)
        return Frame::Cut;
    return Fletcher16(p, length - 2) == LeN(p + length - 2, 2) ? Frame::Good : Frame::BadCheck;
}

} // namespace

bool LooksLikeGpy(const uint8_t* bytes, size_t size)
{
    size_t length = 0;
    const Frame f = FrameAt(bytes, size, length);
    return bytes && size > 0 && bytes[0] == kHeader && (f == Frame::Good || f == Frame::Cut);
}

void ReadGpy(const uint8_t* bytes, size_t size, PointLog& log)
{
    ReadTally tally;
    log.sbp.reserve(size / (kDeltaBytes) * 32);
    LogPoint last;
    bool haveLast = false;
    FrameRules rules;
    rules.frameAt = FrameAt;
    rules.onlyGoodOutOfStep = true;
    rules.onBadCheck = [&haveLast] { haveLast = false; };
    ScanFrames(bytes, size, rules, tally, [&](const uint8_t* p, size_t) {
        if (p[0] == kHeader) {
            log.serial = PrintableField(p + 4, 16);
            log.userName = PrintableField(p + 20, 16);
            return;
        }
        LogPoint pt;
        if (p[0] == kFull) {
            pt.satellites = p[1];
            pt.hdopCenti = int64_t(LeN(p + 2, 2));
            pt.timeMs = int64_t(LeN(p + 4, 8) & 0x7FFFFFFFFFFFFFFFull);
            pt.latitude = int32_t(uint32_t(LeN(p + 12, 4)));
            pt.longitude = int32_t(uint32_t(LeN(p + 16, 4)));
            pt.speedMmS = int64_t(LeN(p + 20, 4));
            pt.courseCentiDeg = int64_t(LeN(p + 24, 2));
            pt.speedErrorMmS = int64_t(LeN(p + 26, 2));
        } else {
            if (!haveLast) {
                ++tally.orphans;
                return;
            }
            pt = last;
            pt.satellites = p[1];
            pt.timeMs += int64_t(LeN(p + 2, 2));
            pt.latitude = int32_t(uint32_t(pt.latitude) + uint32_t(int16_t(LeN(p + 4, 2))));
            pt.longitude = int32_t(uint32_t(pt.longitude) + uint32_t(int16_t(LeN(p + 6, 2))));
            pt.speedMmS = std::max<int64_t>(0, pt.speedMmS + int16_t(LeN(p + 8, 2)));
            pt.courseCentiDeg = ((pt.courseCentiDeg + int16_t(LeN(p + 10, 2))) % 36000 + 36000) % 36000;
            pt.speedErrorMmS = int64_t(LeN(p + 12, 2));
            pt.hdopCenti = int64_t(LeN(p + 14, 2));
        }
        last = pt;
        haveLast = true;
        KeepPoint(log, tally, pt);
    });
    log.problem = tally.text();
}
