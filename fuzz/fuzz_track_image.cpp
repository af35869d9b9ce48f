// Any bytes as one slot of the track store (read from the device or from
// "VR40_TRK_64KB.bin"), converted to NMEA as the track download does. The
// slot buffer is exactly as long as the store's slot, so a read past it is caught.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "device/TrackConversion.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const int maxPoints = data[0] % 2 ? kTrackConvertedPoints : kTrackSlotPoints;
    // The bytes not given read as an erased store.
    std::vector<uint8_t> slot(size_t(kTrackSlotPoints) * kTrackPointBytes, 0xFF);
    std::memcpy(slot.data(), data + 1, std::min(size - 1, slot.size()));

    std::string nmea;
    int points = -1;
    const size_t chars = TrackToNmea(slot.data(), maxPoints, nmea, points);
    if (points < 0 || points > maxPoints || chars != nmea.size() ||
        nmea.size() > size_t(points) * kTrackNmeaBytesPerPoint)
        std::abort();
    return 0;
}
