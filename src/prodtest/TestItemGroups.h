#pragma once
// The two caption labels of the Test page that check or uncheck a group of
// test items with one click; each keeps an on/off state of its own.

struct Program;

// RTC, SFM ID, M-sensor ID, G-sensor ID, Battery, GPS RMC; the state starts on.
void Label_PCBA_TestClick(Program& p);
// BUZZER, LCD+BK Lite, VIBRATOR, Touch Keys; the state starts off.
void Label_VIS_TESTClick(Program& p);
