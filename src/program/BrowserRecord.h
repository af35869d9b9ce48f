#pragma once
// What the log browser and the converters remember between operations.

#include <cstddef>
#include <cstdint>
#include <string>

struct BrowserRecord {
    size_t loadedSize = 0;        // bytes of the last file loaded by "Load SBP file"
    size_t selectedRow = 0;       // row last selected in StringGrid1
    std::string mapLink;          // web address of the selected point
    uint32_t convertTotal = 0;    // statistics line: Total, No Fix, Bad
    uint32_t convertNoFix = 0;
    uint32_t convertBad = 0;
};
