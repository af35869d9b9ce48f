#pragma once
// Turns the four tracks of "VR40_TRK_64KB.bin" into NMEA files (a GGA and an
// RMC sentence per point, CR LF) and each non-empty one, through GPSBabel, into
// a GPX and a KML file whose track is named for the device's owner. Every
// converter run is waited for and checked; a file is reported created only
// once it exists.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/ResultCode.h"

struct Program;

inline constexpr int kTrackPointBytes = 16;
inline constexpr int kTrackSlotPoints = 1024;
inline constexpr int kTrackConvertedPoints = 1000;   // at most this many points of a slot are converted
inline constexpr size_t kTrackNmeaBytesPerPoint = 192;

// Converts up to maxPoints records from the slot start (stopping at a date-time of 0
// or 0xFFFFFFFF) into out; returns the characters written and sets pointCount.
size_t TrackToNmea(const uint8_t* slot, int maxPoints, std::string& out, int& pointCount);

// "TRK-->RMC". Results: kOk, kEmptyFile or kCannotOpen the image cannot be read, kRefused its size is wrong,
// kConverterFailed a converter run failed, kWriteFailed a file could not be written (the other slots go on).
ResultCode Button_TRK_TO_RMCClick(Program& p);

// The renaming test: shows the renaming command and names the track of "TRK.kml"
// "USER_SERIAL". kOk, or kConverterFailed when the KML could not be named.
ResultCode BitBtn1Click(Program& p);
