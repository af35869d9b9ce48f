#pragma once
// The production self test of the Test page ("Start "): the device's own
// verdicts for the selected items, the program's battery window, GPS signal
// strength and version checks, the result picture, and then, as configured,
// the log clear and the power-off; what each of those did goes into the record.

#include <cstdint>

#include "platform/ResultCode.h"
#include "program/SelfTestRecord.h"

struct Program;

inline constexpr uint32_t kBatteryBit = 0x04000000;   // replaced by the battery window's verdict
inline constexpr uint32_t kGpsSnrBit = 0x80000000;    // the signal-strength check's verdict
inline constexpr int kMinResultWaitSeconds = 6;
inline constexpr int kMaxResultWaitSeconds = 600;
inline constexpr int kSnrMeasurementMs = 15000;

// kOk every selected item passed, kTestFailed an item failed, kNoLink no link (or busy) or the
// port went away during the run, kNoAck the start was not acknowledged, kTimeOut no result
// within the budget, kRefused nothing selected or a box that is not an integer, kInterrupted
// a stop. After a pass, a failed auto clear or power-off gives that step's code. The record
// (Program::records) is written once the follow-ups are done, and not at all for a run
// stopped before its start request went out.
ResultCode BitBtn_TestClick(Program& p);
