#pragma once
// The COM port list of the port drop-down: display names "COM%3d" sorted as
// text (which orders ports 1 to 999 by number), rebuilt from the system's port
// table, with a warning when a rescan finds a port that was not listed.

#include <cstdint>
#include <string>
#include <vector>

class Host;

inline constexpr size_t kPortTableEntries = 256;

struct PortScanState {
    std::vector<std::string> portList;   // the last scan's names, sorted
    uint8_t firstScan = 1;               // no scan has completed yet
    uint8_t rescanRequest = 1;           // a device change was seen
    uint8_t rescanGate = 1;              // 0 while the timer's rescan runs
};

// The port names ("COM3") of the system's table, at most kPortTableEntries; -1 when it cannot be read.
int ReadPortTable(std::vector<std::string>& table);
// Rebuilds items (the drop-down's list) from the port table.
void ScanPorts(Host& host, PortScanState& state, std::vector<std::string>& items);
