#pragma once
// Erasing the device log: the full clear (log, then the four track slots and
// the four waypoint slots) and the quick clear (log only).
// Results: 0 success, 1 no link, 3 no acknowledgement, 4 the clear did not complete,
// 10 the log was cleared but a track slot or waypoint was not.

#include <cstdint>

struct Program;

int ClearDeviceLog(Program& p);
int ClearWaypointSlot(Program& p, uint8_t slot);
// Erases track slot n (0..3): four 4096-byte sectors from n x 16384, each sent up to three times.
int EraseTrackSlot(Program& p, uint8_t slot);

// sender: the enabled flag of the clicked control, disabled while the clear runs (may be null).
int Button_clearlogClick(Program& p, bool* sender = nullptr);
int Button_QuickClearClick(Program& p, bool* sender = nullptr);
// The quick clear (message 11).
int Button_Clear_LogClick(Program& p);
