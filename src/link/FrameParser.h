#pragma once
// Byte-at-a-time recogniser for the frame A0 A2 len(2) payload checksum(2) B0 B3.
// Its state survives between waits: a frame cut short by a time-out goes on
// absorbing bytes at the next wait until it completes or fails its checksum.
// Rejected frames are dropped silently and counted in LinkStatistics.

#include <cstdint>

inline constexpr int kRxFrameSize = 32768;
inline constexpr int kMaxPayload = kRxFrameSize - 4;   // 32764

struct RxFrame {
    uint8_t bytes[kRxFrameSize] = {};   // A0 A2 lenLo lenHi, then the payload

    uint8_t* payload() { return bytes + 4; }
    const uint8_t* payload() const { return bytes + 4; }
    uint16_t lengthField() const { return uint16_t(bytes[2] | (bytes[3] << 8)); }
    // The data after the message id, and how many bytes of it the frame carried.
    const uint8_t* data() const { return bytes + 5; }
    int dataBytes() const { return lengthField() > 0 ? lengthField() - 1 : 0; }
};

struct LinkStatistics {
    uint16_t badSync = 0;
    uint16_t zeroLength = 0;
    uint16_t checksumError = 0;
    uint16_t checksumLowError = 0;
    uint16_t badEnd1 = 0;
    uint16_t badEnd2 = 0;
    uint16_t frames = 0;
    uint32_t payloadByteSum = 0;
};

// The transfer gauge CGauge_uart: armed while its tag is 0.
struct TransferGauge {
    int tag = 0;
    int64_t maximum = 100;
    int64_t position = 0;
};

class FrameParser {
public:
    FrameParser(RxFrame& frame, LinkStatistics& stats, TransferGauge& gauge)
        : frame_(frame), stats_(stats), gauge_(gauge) {}

    // Feeds one byte; returns the payload length L when it completed a valid frame, else 0.
    uint16_t ParseByte(uint8_t b);

    // Drops a partly received frame: the next byte is looked at as a frame start.
    void Restart() { state_ = 0; }

    // Counters (except the payload byte sum), remaining count and checksum to 0.
    void ResetLinkStatistics();

    int state() const { return state_; }

private:
    void ProgressHook() {
        if (gauge_.tag == 0 && gauge_.position < gauge_.maximum) ++gauge_.position;
    }

    RxFrame& frame_;
    LinkStatistics& stats_;
    TransferGauge& gauge_;
    int state_ = 0;
    uint16_t remaining_ = 0;
    uint16_t checksum_ = 0;
    uint16_t stored_ = 0;
};
