#pragma once
// Reading, writing and factory-resetting the device settings (the "Settings" page).
// Results: kOk, kNoLink, kNoAck, kTimeOut (no usable answer).

#include "program/DeviceSettings.h"

#include "platform/ResultCode.h"

struct Program;

ResultCode Button_Set_languageClick(Program& p);
ResultCode Button_Factory_ResetClick(Program& p);
// Selects the UTC offset item for the PC's standard time-zone bias (nothing is sent).
void Button_utc_offset_testClick(Program& p);
// The item index for a bias in minutes (UTC = local time + bias).
int UtcOffsetIndexForBias(int biasMinutes);

// Item texts of the settings combo boxes, as the window shows them.
namespace SettingsItems {
extern const char* const kLanguages[10];
extern const char* const kLog[2];
extern const char* const kUnit[3];
extern const char* const kActionSpeed[2];
extern const char* const kSpeedFont[2];
// "-12:00" .. "+13:00"
const char* UtcOffset(int index);
// "1 ", "2 ", "3" .. "60"
const char* SpeedAvg(int index);
}
