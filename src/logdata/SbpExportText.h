#pragma once
// The text exports of raw .sbp records: NMEA (a GGA and an RMC sentence per
// point) and OziExplorer PLT lines. Pure: records in, characters out, written
// a chunk at a time into a caller's buffer. Line ends are CR LF.

#include <cstddef>
#include <cstdint>

inline constexpr size_t kSbpChunkRecords = 4096;
inline constexpr size_t kSbpTextBytesPerRecord = 180;
inline constexpr size_t kSbpPltHeaderRoom = 256;
inline constexpr size_t kSbpWorkBufferBytes = kSbpChunkRecords * kSbpTextBytesPerRecord + kSbpPltHeaderRoom;   // one chunk's text

// The work buffer for writing `records` records: one chunk's text at most, less for a shorter file.
constexpr size_t SbpWorkBufferBytes(size_t records)
{
    return (records < kSbpChunkRecords ? records : kSbpChunkRecords) * kSbpTextBytesPerRecord + kSbpPltHeaderRoom;
}

// count records as GGA and RMC lines into buffer (count * kSbpTextBytesPerRecord bytes); returns the characters.
size_t WriteSbpNmea(const uint8_t* records, size_t count, char* buffer);
// count records as PLT lines, the header first when firstChunk; returns the characters.
size_t WriteSbpPlt(const uint8_t* records, size_t count, char* buffer, bool firstChunk);
