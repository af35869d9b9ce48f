#pragma once
// Firmware version and logger status (points logged, log area, serial number,
// user name), and their display.

#include "platform/ResultCode.h"

struct Program;

// kOk, or kNoAnswer when the device did not answer.
ResultCode QueryStatus(Program& p);
void ShowIdentity(Program& p);
