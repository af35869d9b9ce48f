#pragma once
// One point as the readers find it, in whole units, and its SBP record.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct LogPoint {
    int64_t timeMs = 0;           // UTC, milliseconds since 1970
    int32_t latitude = 0;         // 1e-7 degrees
    int32_t longitude = 0;
    int32_t altitudeCm = 0;
    int64_t speedMmS = 0;         // Doppler speed over ground
    int64_t courseCentiDeg = 0;   // any value; wrapped into 0..35999
    int64_t hdopCenti = 0;        // 0.01; 0 when not given
    int satellites = 0;
    uint32_t satelliteSet = 0;    // bit n: satellite n + 1 used (SBN gives it)
    int64_t speedErrorMmS = 0;    // 0: none given
};

// Appends the point's SBP record; false (nothing appended) when its time has
// no SBP date (before 2000 or after 2084).
bool AppendSbpPoint(std::vector<uint8_t>& sbp, const LogPoint& p);

// Milliseconds since 1970 of a UTC calendar time (proleptic Gregorian).
int64_t UnixMs(int year, int month, int day, int hour, int minute, int second, int64_t ms);

// Little- and big-endian fields of any width up to 8 bytes.
uint64_t LeN(const uint8_t* p, int bytes);
uint64_t BeN(const uint8_t* p, int bytes);

// What a reader met besides points, turned into the `problem` sentence.
struct ReadTally {
    size_t badFrames = 0;      // failed their check: skipped
    size_t undated = 0;        // no usable time (or none SBP can hold): skipped
    size_t orphans = 0;        // delta frames without the full frame they build on: skipped
    size_t badPoints = 0;      // points whose position or numbers do not read: skipped
    std::string stop;          // what ended the reading early ("" when it read to the end)

    std::string text() const;
};
