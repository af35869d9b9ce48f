#include "pointlog/FrameScan.h"

void ScanFrames(const uint8_t* bytes, size_t size, const FrameRules& rules, ReadTally& tally,
                const std::function<void(const uint8_t* frame, size_t length)>& onFrame)
{
    bool inStep = true;   // i is where the frame before it ended
    size_t i = 0;
    while (i < size) {
        size_t length = 0;
        const Frame f = rules.frameAt(bytes + i, size - i, length);
        if (f == Frame::NotAFrame || (rules.onlyGoodOutOfStep && !inStep && f != Frame::Good)) {
            ++i;
            inStep = false;
            continue;
        }
        if (f == Frame::Cut) {
            tally.stop = "the file ends inside a frame at byte " + std::to_string(i);
            break;
        }
        if (f == Frame::BadCheck) {
            ++tally.badFrames;
            if (rules.onBadCheck)
                rules.onBadCheck();
            inStep = false;
            i += rules.skipAfterBadCheck;
            continue;
        }
        inStep = true;
        onFrame(bytes + i, length);
        i += length;
    }
}

bool HoldsFrame(const uint8_t* bytes, size_t size, Frame (*frameAt)(const uint8_t* p, size_t left, size_t& length))
{
    for (size_t i = 0; i + 1 < size; ++i) {
        size_t length = 0;
        const Frame f = frameAt(bytes + i, size - i, length);
        if (f == Frame::Good || (f == Frame::Cut && i == 0))
            return true;
    }
    return false;
}

bool KeepPoint(PointLog& log, ReadTally& tally, const LogPoint& pt)
{
    if (AppendSbpPoint(log.sbp, pt))
        return true;
    ++tally.undated;
    return false;
}

std::string PrintableField(const uint8_t* p, size_t n)
{
    size_t len = 0;
    while (len < n && p[len] >= 0x20 && p[len] < 0x7F)
        ++len;
    return std::string(reinterpret_cast<const char*>(p), len);
}
