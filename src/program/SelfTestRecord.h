#pragma once
// What the last production self test found.

#include <cstdint>
#include <string>

// What became of a follow-up of the run (the auto clear, the auto power-off).
enum class FollowUpStep {
    NotDue,    // neither configured nor asked for, or the run was stopped before its verdict
    Done,      // sent and completed
    Failed,    // sent, and it failed
    Stopped,   // sent, then stopped
    Skipped,   // due, but not sent: a stop came first, or the port went away
};

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
    std::string serialShown;    // the serial number shown when the run began: the follow-ups change it
    bool started = false;       // the start request went out: the unit was tested
    FollowUpStep clear = FollowUpStep::NotDue;
    FollowUpStep powerOff = FollowUpStep::NotDue;
    std::string stopText;       // the box that ended the run before its verdict; empty otherwise
};
