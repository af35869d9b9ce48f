#pragma once
// The device's two top-10 speed tables ("Top 10 Speed" group): read and clear.
// Results: kOk, kNoLink, kNoAck, kTimeOut (no usable answer).

#include <cstdint>
#include <string>

#include "platform/ResultCode.h"

struct Program;

ResultCode Button_TOP10_ReadClick(Program& p);
ResultCode Button_TOP10_ClearClick(Program& p);

// One raw speed (cm/s) in the display unit: "%3d.%02d" and the unit suffix,
// computed in 32-bit float and truncated as the device's unit table says.
std::string TopSpeedText(uint16_t raw, uint8_t unit);
