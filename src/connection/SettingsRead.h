#pragma once
// Reading the device settings into their record and the "Settings" page, as
// Connect does and "Read Config" does again.
// Results: kOk, kNoLink, kTimeOut (no usable answer), kInterrupted.

#include "platform/ResultCode.h"

struct Program;

ResultCode Button_Read_ConfigClick(Program& p);
