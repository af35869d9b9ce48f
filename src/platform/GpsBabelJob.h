#pragma once
// One GPSBabel conversion as data: an input file and its format, optional
// filter words, an output format with its options and the output file. Run
// through ExternalTool with TZ set (without it the converter runs several
// times slower), a time limit that grows with the input, and the output
// checked to exist and not be empty.

#include <functional>
#include <string>
#include <vector>

#include "platform/ExternalTool.h"

inline constexpr const char* kGpxFormat = "gpx";
// One red line per track, no point markers, clamped to the ground.
inline constexpr const char* kKmlLineFormat = "kml,lines=1,points=0,line_width=5,line_color=A00000A0,floating=0";

struct GpsBabelJob {
    std::string input;
    std::string inputFormat = "nmea";
    std::vector<std::string> filterWords;   // e.g. {"-x", "track,split=1h"}
    std::string outputFormat;
    std::string output;
};

// " -x track,split=1h,title=\"VR40LOG#%c\"" when "Split Log" is ticked, else empty.
std::string SplitLogOptionText(bool splitTrack);
// The option text as the argument words a command line would give the converter.
std::vector<std::string> CommandLineWords(const std::string& text);

// "-t -i FORMAT -f INPUT [filter words] -o FORMAT -F OUTPUT".
std::vector<std::string> GpsBabelArguments(const GpsBabelJob& job);

// Runs the job; the tool's own environment is kept, TZ added when it has none.
ExternalTool::Result RunGpsBabel(const ExternalTool& tool, const GpsBabelJob& job, const std::function<void()>& pump);
