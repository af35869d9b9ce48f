#pragma once
// Erasing the device log: the full clear (log, then the four track slots and
// the four waypoint slots) and the quick clear (log only).
// Results: kOk, kNoLink, kNoAck, kTimeOut (the clear did not complete),
// kIncomplete (the log was cleared but a track slot or waypoint was not), kInterrupted.

#include <cstdint>

#include "platform/ResultCode.h"

struct Program;

ResultCode ClearDeviceLog(Program& p);
ResultCode ClearWaypointSlot(Program& p, uint8_t slot);
// Erases track slot n (0..3): four 4096-byte sectors from n x 16384, each sent up to three times.
ResultCode EraseTrackSlot(Program& p, uint8_t slot);

// sender: the enabled flag of the clicked control, disabled while the clear runs (may be null).
ResultCode Button_clearlogClick(Program& p, bool* sender = nullptr);
ResultCode Button_QuickClearClick(Program& p, bool* sender = nullptr);
// The quick clear (message 11).
ResultCode Button_Clear_LogClick(Program& p);
