#pragma once
// Names the track(s) of a KML file written by GPSBabel from NMEA: the
// document's "GPS device" name and every unnamed track folder get the given
// name. The file is rewritten in place, atomically.

#include <string>

// False with *error set when the file cannot be read or rewritten, or holds no track to name.
bool NameKmlTrack(const std::string& kmlFile, const std::string& trackName, std::string* error);
