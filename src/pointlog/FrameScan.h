#pragma once
// The walk through a binary log that the framed readers (SBN, UBX, OAO, GPY)
// share: a good frame goes to the reader, a failed check is counted, bytes that
// start no frame are passed over one at a time, and a frame the file cuts off
// stops the walk. What differs between the formats comes in as FrameRules.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "pointlog/LogPoint.h"
#include "pointlog/PointLog.h"

enum class Frame { Good, BadCheck, Cut, NotAFrame };

struct FrameRules {
    // The frame at p with `left` bytes to the end of the file; sets `length`
    // (the whole frame's) when it returns Good.
    Frame (*frameAt)(const uint8_t* p, size_t left, size_t& length) = nullptr;
    // Bytes passed over after a frame that failed its check.
    size_t skipAfterBadCheck = 1;
    // Formats whose frame type is a byte or two that turns up inside frames:
    // once out of step (after a failed check or a byte that starts no frame),
    // only a good frame counts; a cut or failed one there is passed over unseen.
    bool onlyGoodOutOfStep = false;
    // Called after each counted failed check (e.g. to forget a delta base).
    std::function<void()> onBadCheck;
};

// Calls onFrame(frame, length) for each good frame in order; counts failed
// checks and sets the stop sentence in `tally`.
void ScanFrames(const uint8_t* bytes, size_t size, const FrameRules& rules, ReadTally& tally,
                const std::function<void(const uint8_t* frame, size_t length)>& onFrame);

// Whether a good frame stands anywhere in the bytes, or one the file cuts
// off at its very start: how a framed log is recognised.
bool HoldsFrame(const uint8_t* bytes, size_t size, Frame (*frameAt)(const uint8_t* p, size_t left, size_t& length));

// Appends the point; counts it as undated when SBP cannot hold its time.
bool KeepPoint(PointLog& log, ReadTally& tally, const LogPoint& pt);

// A fixed-width text field up to its first NUL or other unprintable byte.
std::string PrintableField(const uint8_t* p, size_t n);
