#include "link/FrameParser.h"

// States: 0 wait A0, 1 wait A2, 2 length low, 3 length high, 4 payload,
// 5 checksum low, 6 checksum high, 7 wait B0 (junk skipped), 8 wait B3.
uint16_t FrameParser::ParseByte(uint8_t b)
{
    switch (state_) {
    case 0:
        if (b == 0xA0) state_ = 1;
        return 0;
    case 1:
        // A wrong second byte is not re-examined as a start byte.
        if (b == 0xA2) {
            state_ = 2;
        } else {
            ++stats_.badSync;
            state_ = 0;
        }
        return 0;
    case 2:
        remaining_ = b;
        frame_.bytes[0] = 0xA0;
        frame_.bytes[1] = 0xA2;
        frame_.bytes[2] = b;
        state_ = 3;
        return 0;
    case 3:
        frame_.bytes[3] = b;
        remaining_ = uint16_t(remaining_ + b * 256);
        if (remaining_ == 0) {
            ++stats_.zeroLength;
            state_ = 0;
        } else {
            checksum_ = 0;
            stored_ = 0;
            state_ = 4;
        }
        return 0;
    case 4:
        if (stored_ >= kMaxPayload) {
            state_ = 0;   // oversize frame: dropped without a counter
            return 0;
        }
        ProgressHook();
        --remaining_;
        checksum_ = uint16_t(checksum_ + b);
        stats_.payloadByteSum += b;
        frame_.payload()[stored_++] = b;
        if (remaining_ == 0) {
            checksum_ &= 0x7FFF;
            state_ = 5;
        }
        return 0;
    case 5:
        if (b == (checksum_ & 0xFF)) {
            state_ = 6;
        } else {
            ++stats_.checksumError;
            ++stats_.checksumLowError;
            state_ = 0;
        }
        return 0;
    case 6:
        if (b == (checksum_ >> 8)) {
            state_ = 7;
        } else {
            ++stats_.checksumError;
            state_ = 0;
        }
        return 0;
    case 7:
        if (b == 0xB0)
            state_ = 8;
        else
            ++stats_.badEnd1;   // keep waiting for B0
        return 0;
    case 8:
        state_ = 0;
        if (b == 0xB3) {
            ++stats_.frames;
            return stored_;
        }
        ++stats_.badEnd2;
        return 0;
    default:
        state_ = 0;
        return 0;
    }
}

void FrameParser::ResetLinkStatistics()
{
    const uint32_t sum = stats_.payloadByteSum;
    stats_ = LinkStatistics{};
    stats_.payloadByteSum = sum;
    remaining_ = 0;
    checksum_ = 0;
}
