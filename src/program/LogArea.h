#pragma once
// Where the device's log ring lies in its memory and how far it is filled, as
// the log-area query (message 0x4B) reports it. The download reads it before
// every transfer; a failed query leaves the previous values in place.

#include <cstdint>

struct LogAreaRecord {
    uint32_t areaStart = 0x10000;    // addr: first byte of the log area
    uint32_t areaSize = 0x400000;    // size: bytes in the log area
    uint32_t ringStart = 0x10000;    // cyc_start: the oldest logged record
    uint32_t ringBlank = 0x10000;    // cyc_blank: the first unwritten byte
};
