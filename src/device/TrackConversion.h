#pragma once
// Turns the four tracks of "VR40_TRK_64KB.bin" into NMEA files (a GGA and an
// RMC sentence per point, CR LF) and each non-empty one, through GPSBabel, into
// a GPX and a KML file whose track is named for the device's owner. Every
// converter run is waited for and checked; a file is reported created only
// once it exists.

#include <cstddef>
#include <cstdint>
#include <string>

struct Program;

inline constexpr int kTrackPointBytes = 16;
inline constexpr int kTrackSlotPoints = 1024;
inline constexpr int kTrackConvertedPoints = 1000;   // at most this many points of a slot are converted
inline constexpr size_t kTrackNmeaBytesPerPoint = 192;

// Converts up to maxPoints records from the slot start (stopping at a date-time of 0
// or 0xFFFFFFFF) into out; returns the characters written and sets pointCount.
size_t TrackToNmea(const uint8_t* slot, int maxPoints, std::string& out, int& pointCount);

// "TRK-->RMC". Results: 0, 2 or 140 the image cannot be read, 11 its size is wrong,
// 7 a converter run failed, 9 a file could not be written (the other slots go on).
int Button_TRK_TO_RMCClick(Program& p);

// The renaming test: shows the renaming command and names the track of "TRK.kml"
// "USER_SERIAL". 0, or 7 when the KML could not be named.
int BitBtn1Click(Program& p);
