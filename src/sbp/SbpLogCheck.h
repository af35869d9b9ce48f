#pragma once
// Whether a file holds a log at all. Any file read as 32-byte records gives
// numbers, and many of them even decode to a date: a renamed text or picture
// must be told apart by what a logger cannot write. A record is plausible when
//   - its date-time is valid and dated 2005 to 2069,
//   - it names at most 32 satellites (the satellite set has 32 bits),
//   - its latitude lies within 90 degrees and its longitude within 180,
//   - its speed is under 1000 km/h.
// Records that are all 0xFF (erased memory) or all zero count for nothing. A
// file looks like a log when half or more of its other records are plausible.

#include <cstddef>
#include <cstdint>
#include <string>

bool IsPlausibleSbpRecord(const uint8_t* record);

struct SbpLogTally {
    size_t records = 0;     // whole records seen (after any header block)
    size_t blank = 0;       // all 0xFF or all zero
    size_t plausible = 0;

    void add(const uint8_t* records, size_t count);
    // A file image: the header block is skipped, a partial record at the end ignored.
    void addImage(const uint8_t* image, size_t size);
    bool looksLikeLog() const;
};

// Tallies a whole file (the name is UTF-8); returns kOk, kEmptyFile or kCannotOpen.
int TallySbpFile(const std::string& name, SbpLogTally& tally);

// "FILE does not look like a VR60 log: ..." saying which of the rules it fails.
std::string NotALogText(const std::string& file, const SbpLogTally& tally);
