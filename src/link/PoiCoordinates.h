#pragma once
// A point of interest's coordinates as the device stores them, degrees x 10^7,
// and their text. The program and the simulated device read pairs with this
// one parser.

#include <cstdint>
#include <string>

// Degrees with seven decimals: -123456789 is "-12.3456789", 5 is "0.0000005".
std::string PoiCoordinateText(int32_t value);
// "lat,lon" in degrees with at most seven decimals, latitude within ±90 and
// longitude within ±180; blanks around either number are allowed.
bool ParsePoiPair(const std::string& text, int32_t* latitude, int32_t* longitude);
