#pragma once
// The COM port list of the port drop-down: display names "COM%3d" sorted as
// text (which orders ports 1 to 999 by number), rebuilt from the system's port
// table, with a warning when a rescan finds a port that was not listed.

#include <cstdint>
#include <string>
#include <vector>

#include "link/PortScanState.h"

class Host;

inline constexpr size_t kPortTableEntries = 256;

// The port names ("COM3") of the system's table with the given device paths, at most kPortTableEntries; -1 when it cannot be read.
int ReadPortTable(const std::vector<PortEntry>& commandLinePorts, std::vector<std::string>& table);
// The drop-down's text for port n: "COM  7"; a port known to this process only
// (a device path given on the command line) shows that path: "COM  2 (/dev/pts/3)".
std::string PortItemText(const std::vector<PortEntry>& commandLinePorts, int number);
// Rebuilds items (the drop-down's list) from the port table.
void ScanPorts(Host& host, PortScanState& state, std::vector<std::string>& items);
