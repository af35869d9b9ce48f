#pragma once
// The web-map link of a point.

#include <string>

// The web map service in front of "/maps?q=...".
inline constexpr const char* kMapServiceAddress = "https://maps.google.com";

// The map link for a point given as the grid's Lat and Lon texts (1e-7 degrees);
// empty when either is not an integer.
std::string MapLinkFor(const std::string& latText, const std::string& lonText);
