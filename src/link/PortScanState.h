#pragma once
// Where the port list's scans stand: the last scan's names and the rescan flags.

#include <cstdint>
#include <string>
#include <vector>

struct PortScanState {
    std::vector<std::string> portList;   // the last scan's names, sorted
    uint8_t firstScan = 1;               // no scan has completed yet
    uint8_t rescanRequest = 1;           // a device change was seen
    uint8_t rescanGate = 1;              // 0 while the timer's rescan runs
};
