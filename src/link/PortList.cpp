#include "link/PortList.h"

#include <algorithm>

#include "platform/Host.h"
#include "platform/PortTable.h"

int ReadPortTable(const std::vector<PortEntry>& commandLinePorts, std::vector<std::string>& table)
{
    table.clear();
    for (const PortEntry& port : ListPorts(commandLinePorts)) {
        if (table.size() == kPortTableEntries)
            break;
        table.push_back("COM" + std::to_string(port.number));
    }
    return int(table.size());
}

namespace {

std::string ItemText(const std::vector<PortEntry>& ports, int number)
{
    for (const PortEntry& port : ports)
        if (port.number == number && port.kind == PortKind::CommandLine)
            return PortDisplayName(number) + " (" + port.systemPath + ")";
    return PortDisplayName(number);
}

} // namespace

std::string PortItemText(const std::vector<PortEntry>& commandLinePorts, int number)
{
    return ItemText(ListPorts(commandLinePorts), number);
}

void ScanPorts(Host& host, PortScanState& state, std::vector<std::string>& items)
{
    std::vector<std::string> table;
    const int n = ReadPortTable(state.commandLinePorts, table);
    if (n >= 0) {
        state.portList.clear();
        const std::vector<PortEntry> ports = ListPorts(state.commandLinePorts);   // once per scan, not once per port
        for (int i = 0; i < n; ++i) {
            const std::string name = ItemText(ports, PortNumberOfName(table[size_t(i)]));
            state.portList.push_back(name);
            const bool known = std::find(items.begin(), items.end(), name) != items.end();
            if (!known && !state.firstScan && !items.empty() && size_t(n) >= items.size() + 1)
                host.messageBox("New device plugged in port " + name + "\rPlease check COM port again!");
        }
    }
    std::sort(state.portList.begin(), state.portList.end());
    items = state.portList;
    state.firstScan = 0;
}
