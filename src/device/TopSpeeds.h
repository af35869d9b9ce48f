#pragma once
// The device's two top-10 speed tables ("Top 10 Speed" group): read and clear.
// Results: 0 success, 1 no link, 3 no acknowledgement, 4 no (usable) answer.

#include <cstdint>
#include <string>

struct Program;

int Button_TOP10_ReadClick(Program& p);
int Button_TOP10_ClearClick(Program& p);

// One raw speed (cm/s) in the display unit: "%3d.%02d" and the unit suffix,
// computed in 32-bit float and truncated as the device's unit table says.
std::string TopSpeedText(uint16_t raw, uint8_t unit);
