#pragma once
// "Log Convert": an .sbp log to NMEA and PLT written here from the raw
// records, the file's points as CSV, and GPX and KML made from the NMEA file
// by GPSBabel.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ResultCode.h"

struct Program;

// "[Total:%u,No Fix:%u,Bad:%u]".
std::string ConvertStatisticText(uint32_t total, uint32_t noFix, uint32_t bad);

// The input name without folder and extension, and its extension with the dot (empty when none).
std::string SbpBaseName(const std::string& input);
std::string SbpExtension(const std::string& input);

// Header skip, Total / No Fix / Bad, then base.NMEA and base.plt from a file image: kOk or kWriteFailed.
ResultCode WriteSbpExports(Program& p, const std::vector<uint8_t>& image, const std::string& base);
// Reads the file, writes NMEA and PLT, runs the converter: kOk, kCannotOpen, kEmptyFile, kWriteFailed or kConverterFailed.
ResultCode ExportSbpTracks(Program& p, const std::string& input, const std::string& base);
// The whole conversion with its messages and statistics line; returns kOk or the failing step's code.
ResultCode ConvertSbpFile(Program& p);
// "Log Convert": checks Edit_Filename, copies it to Edit_StringGrid, converts.
ResultCode BitBtn_offline_convertClick(Program& p);
