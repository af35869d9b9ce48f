#pragma once
// The track store's own requests: write block (0x1D), the extended write
// buffer probe (0x35) and slot tag invalidation (0x37). The store itself is
// the first 64 KB of the data memory (SimLogArea), read with message 4 and
// erased with 0x1E like the rest of it. Writes program flash: they only clear
// bits, so a block written without an erase first comes back ANDed.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class SimDevice;

struct SimTrackStore {
    static constexpr uint32_t kSlotBytes = 16384;
    static constexpr uint32_t kPointBytes = 16;
    static constexpr uint32_t kSlotPoints = kSlotBytes / kPointBytes;
    static constexpr uint32_t kExtendedChunk = 240;
    static constexpr uint32_t kPlainChunk = 48;

    // Whether 0x35 is acknowledged; without it, blocks longer than 48 bytes go unanswered.
    bool extendedBuffer = true;

    // Requests that reached the store, for tests.
    std::array<int, 4> tagInvalidations{};
    int blocksWritten = 0;

    uint32_t largestBlock() const { return extendedBuffer ? kExtendedChunk : kPlainChunk; }

    static void install(SimDevice& device);
};

// A 64 KB store image whose slot n holds pointCounts[n] track points (at most 1024),
// plausible and the same on every call; the rest is blank (0xFF).
std::vector<uint8_t> GenerateTrackImage(const std::array<uint32_t, 4>& pointCounts);
