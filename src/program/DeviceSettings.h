#pragma once
// The device settings record: 4 bytes, or 7 with the extended block.

#include <cstdint>

struct DeviceSettings {
    uint8_t language = 0;
    int8_t utcOffset = 0;      // half hours
    uint8_t unit = 0;
    uint8_t logMode = 0;       // high nibble of byte 3
    uint8_t minSpeed = 0;      // low nibble of byte 3
    uint8_t speedGenie = 0;
    uint8_t speedAvgTime = 0;
    uint8_t speedFont = 0;
    uint8_t actionSpeed = 0;
};

inline constexpr int kSettingsBytes = 4;
inline constexpr int kExtendedSettingsBytes = 7;

// How many items each settings box offers.
namespace SettingsItems {
inline constexpr int kUtcOffsetCount = 51;
inline constexpr int kSpeedAvgCount = 60;
inline constexpr int kSpeedGenieCount = 32;
inline constexpr int kMinSpeedCount = 16;
}
