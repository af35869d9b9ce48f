#pragma once
// Firmware version and logger status (points logged, log area, serial number,
// user name), and their display.

struct Program;

// 0 on success, 5 on failure.
int QueryStatus(Program& p);
void ShowIdentity(Program& p);
