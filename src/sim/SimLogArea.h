#pragma once
// The simulated device's data memory and log ring: the 64 KB track store at
// address 0, the log area above it (from 0x10000), the ring of 32-byte records
// in that area, the top-10 speed tables and the waypoint slots. It answers the
// read-block, log-area, clear, erase and top-10 requests and keeps the logger
// status (points logged, log-area size) in step with the ring.
//
// The ring is built on first use from the model's point count and a seed, or
// taken from an .sbp file; it may start anywhere in the area and wraps at the
// area's end back to its start.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class SimDevice;

class SimLogArea {
public:
    static constexpr uint32_t kTrackStoreBytes = 0x10000;
    static constexpr uint32_t kAreaStart = 0x10000;
    static constexpr uint32_t kSectorBytes = 4096;

    // Ring contents: records generated from this seed unless a file was given.
    uint32_t seed = 1;
    // Where the oldest record lies (an offset into the area); the ring wraps past the end.
    uint32_t ringOffset = 0;
    // Time from the full clear's acknowledgement to its completion answer.
    int64_t clearDelayMs = 1500;
    // Firmware on which message 11 is the quick clear (answered ACK) instead of the settings read.
    bool quickClearOn11 = false;
    // cm/s: ten maximum speeds, then ten maximum averaged speeds.
    std::array<uint16_t, 20> top10{};
    // Requests that reached the memory, for tests.
    std::vector<uint32_t> erasedSectors;
    std::array<int, 4> waypointDeletes{};

    SimLogArea();

    // Takes the ring's records from an .sbp file (whole records; a remainder is ignored).
    bool loadFile(const std::string& path, std::string* error);
    // Sets the ring's records directly (whole records).
    void setRecords(std::vector<uint8_t> records);

    // Builds the ring when it is not built yet (the model's point count and area size decide).
    void ensure(SimDevice& device);
    // The logged bytes, oldest first: what a complete download must produce.
    std::vector<uint8_t> loggedBytes(SimDevice& device);
    uint32_t ringStart() const { return ringStart_; }
    uint32_t ringBlank() const { return ringBlank_; }
    uint32_t areaSize() const { return areaSize_; }
    uint8_t byteAt(uint32_t address) const;
    // Erases the log: the whole area blank, the ring empty at the area start.
    void eraseLog(SimDevice& device);
    // Programs bytes as flash does: each is ANDed into the memory, only an erase sets bits again.
    // False (nothing written) when the range runs past the memory.
    bool program(uint32_t address, const uint8_t* data, uint32_t count);
    // Takes the track store from a file of exactly kTrackStoreBytes bytes.
    bool loadTrackStore(const std::string& path, std::string* error);
    // Replaces the whole track store (kTrackStoreBytes bytes; a shorter image leaves the rest blank).
    void setTrackStore(const std::vector<uint8_t>& image);

    // Registers the handlers of the requests this model answers.
    static void install(SimDevice& device);

private:
    void build(SimDevice& device);

    bool built_ = false;
    bool fromFile_ = false;
    std::vector<uint8_t> fileRecords_;
    std::vector<uint8_t> memory_;   // track store, then the log area (once built); 0xFF where erased
    uint32_t areaSize_ = 0;
    uint32_t ringStart_ = kAreaStart;
    uint32_t ringBlank_ = kAreaStart;
};

// count plausible 32-byte log records (a moving 5 Hz track), the same for the same seed.
std::vector<uint8_t> GenerateSbpRecords(uint32_t count, uint32_t seed);
