#pragma once
// The built-in self test and the test station's readings: signal-strength
// measurement start (0x42, ACK), self test (0x13 with the selection mask: ACK,
// then after resultDelayMs 0x93 with the selection AND passMask), battery
// (0x34 -> 0xB4), signal strength (0x41 -> 0xC1). The version texts (0x43)
// are answered with the model's text.

#include <cstdint>
#include <vector>

class SimDevice;

struct SimSelfTest {
    uint16_t batteryCentivolts = 423;   // 0.01 V
    uint8_t snr = 42;                   // highest signal-to-noise value
    uint8_t snrSatellite = 17;          // the satellite that has it
    uint32_t passMask = 0xFFFFFFFF;     // items that pass when tested
    int64_t resultDelayMs = 3000;

    // Requests that reached the device, for tests.
    std::vector<uint32_t> selections;
    int64_t measurementStartMs = -1;

    static void install(SimDevice& device);
};
