#pragma once
// What the last production self test found.

#include <cstdint>
#include <string>

// What the last run found.
struct SelfTestRecord {
    uint32_t selection = 0;     // items sent, plus kGpsSnrBit with the signal-strength check
    uint32_t result = 0;        // the device's verdicts with the program's own two bits
    uint16_t battery = 0;       // 0.01 V
    uint8_t maxSnr = 0;         // highest signal-to-noise value
    uint8_t maxSnrSatellite = 0;
    char tsVersion[8] = "";
    char gpsVersion[64] = "";
    bool versionsRead = false;
    std::string stopText;       // the box that ended the run before its verdict; empty otherwise
};
