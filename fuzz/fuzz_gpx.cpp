// Any bytes as an .gpx file, through its reader and through the recogniser.

#include <cstddef>
#include <cstdint>

#include "FuzzPointLog.h"
#include "pointlog/Readers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzReader(&ReadGpx, data, size, "input.gpx");
    return 0;
}
