// Any bytes as an .oao file, through its reader and through the recogniser.

#include <cstddef>
#include <cstdint>

#include "FuzzPointLog.h"
#include "pointlog/Readers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzReader(&ReadOao, data, size, "input.oao");
    return 0;
}
