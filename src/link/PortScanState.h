#pragma once
// Where the port list's scans stand: the last scan's names, the rescan flags and the
// device paths given to the program.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/PortTable.h"

struct PortScanState {
    std::vector<std::string> portList;   // the last scan's names, sorted
    uint8_t firstScan = 1;               // no scan has completed yet
    uint8_t rescanRequest = 1;           // a device change was seen
    uint8_t rescanGate = 1;              // 0 while the timer's rescan runs
    // Device paths this program was given (command line, the saved path), each under the
    // number it was lent; the port table lists them beside its own ports.
    std::vector<PortEntry> commandLinePorts;
};
