#pragma once

#include <cstdint>

inline constexpr int kUserNameChars = 18;
inline constexpr int kFirmwareVersionChars = 32;

struct DeviceIdentity {
    char userName[kUserNameChars + 1] = "username";
    int32_t serialNumber = 0;
};
