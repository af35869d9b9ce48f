#pragma once
// The four points of interest: read (0x30, answered 0xB0 with latitude and
// longitude; an empty slot is not answered), write (0x31) and delete (0x32).

#include <array>
#include <cstdint>
#include <optional>
#include <string>

class SimDevice;

struct SimPoiPoint {
    int32_t latitude;    // degrees x 10^7, north positive
    int32_t longitude;   // degrees x 10^7, east positive
    bool operator==(const SimPoiPoint&) const = default;
};

struct SimPoi {
    std::array<std::optional<SimPoiPoint>, 4> slots{SimPoiPoint{523702157, 48951679},
                                                    SimPoiPoint{-338567844, 1512152967}};

    static void install(SimDevice& device);
};

// "lat,lon" as the program reads a POI box (ParsePoiPair), so both accept the same texts.
bool ParsePoiText(const std::string& text, SimPoiPoint* point);
