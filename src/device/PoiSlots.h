#pragma once
// The device's four points of interest (GroupBox_WPT "POI"): read into
// Edit_POI1..4, deleted, or written from those boxes, for the slots whose
// CheckBox_POI1..4 is ticked, slot 1 first. A coordinate is degrees x 10^7.
// Results: kOk every checked slot done, kNoLink (or busy), kIncomplete some slots failed
// (an empty slot reads as failed, a box without a valid pair is not written), kInterrupted.

#include <cstdint>
#include <string>

#include "platform/ResultCode.h"

struct Program;

ResultCode Button_POI_downloadClick(Program& p);
ResultCode Button_POI_deleteClick(Program& p);
ResultCode Button_POI_uploadClick(Program& p);
// Opens the web map at the fixed default coordinate; kCannotOpen when nothing could open it.
ResultCode CheckBox_POI2Click(Program& p);

// The default coordinate of the web map (Greenwich, degrees x 10^7).
inline constexpr const char* kPoiMapLatitude = "514778000";
inline constexpr const char* kPoiMapLongitude = "-15000";
