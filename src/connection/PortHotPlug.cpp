#include "connection/PortHotPlug.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "basics/Text.h"
#include "connection/ConnectionSequence.h"
#include "link/LinkBusyGuard.h"
#include "link/PortList.h"
#include "platform/LinkSettingsStore.h"
#include "platform/PortTable.h"
#include "program/Program.h"

namespace {

long SavedNumber(const char* name, long fallback)
{
    const std::optional<std::string> text = ReadLinkSetting(name);
    if (!text)
        return fallback;
    int32_t value = 0;
    return StrictInteger(*text, &value) ? value : fallback;
}

// The open port went away (cable pulled, simulator ended): its transport says so,
// or after a device change the system no longer lists it.
bool ConnectedPortGone(const Program& p, bool rescanned)
{
    const SerialLink* link = p.link.ActiveLink;
    if (p.connected != 1 || !link)
        return false;
    if (!link->port || link->port->hungUp())
        return true;
    return rescanned && ResolvePort(SelectedPortNumber(p), ListPorts(p.ports.commandLinePorts)).path.empty();
}

// The path of port n when it is a device path from the command line, else empty.
std::string CommandLinePath(const Program& p, int number)
{
    const PortRef port = ResolvePort(number, ListPorts(p.ports.commandLinePorts));
    return port.listed && port.kind == PortKind::CommandLine ? port.path : std::string();
}

} // namespace

void ComboBox_COMDropDown(Program& p)
{
    if (p.ports.rescanRequest == 1) {
        ScanPorts(p.host, p.ports, p.form.connection.comPortItems);
        p.form.connection.comPortText = p.form.connection.comPortItems.empty() ? std::string() : p.form.connection.comPortItems.front();
    }
    p.ports.rescanRequest = 0;
}

void Timer1Timer(Program& p)
{
    PortScanState& s = p.ports;
    const bool rescan = s.rescanRequest == 1 && s.rescanGate == 1;
    if (rescan) {
        s.rescanGate = 0;
        s.rescanRequest = 0;
        p.host.logLine("Device changed, com ports rescaned!!!\n");
        ScanPorts(p.host, s, p.form.connection.comPortItems);
        for (const std::string& item : p.form.connection.comPortItems)
            p.form.unseen.memo1Lines.push_back(item);
        s.rescanGate = 1;
    }
    s.rescanRequest = 0;

    // Left to the next tick while an operation is using the link: its waits end on the hang-up.
    if (p.link.busyDepth == 0 && ConnectedPortGone(p, rescan)) {
        p.host.logLine("COM" + std::to_string(SelectedPortNumber(p)) +
                       " is gone (device unplugged?): the connection is closed.");
        BitBtn_connectClick(p);
    }
}

void RequestPortRescan(Program& p)
{
    p.ports.rescanRequest = 1;
}

void RegisterSavedPortPath(Program& p)
{
    const std::optional<std::string> path = ReadLinkSetting("PortPath");
    std::error_code ignored;
    if (path && !path->empty() && std::filesystem::exists(*path, ignored))
        ResolveGivenPort(*path, p.ports.commandLinePorts);
}

void LoadLinkSettings(Program& p)
{
    p.form.connection.comBaudIndex = BaudIndexOf(SavedNumber("BAUD", 460800));
    const long port = SavedNumber("COM", 0);
    if (port <= 0)
        p.form.connection.comPortText = p.form.connection.comPortItems.empty() ? std::string() : p.form.connection.comPortItems.front();
    else
        p.form.connection.comPortText = "COM" + std::to_string(port);
    // A device path connected to last time comes first, as long as it is there.
    const std::optional<std::string> path = ReadLinkSetting("PortPath");
    const std::vector<PortEntry>& given = p.ports.commandLinePorts;
    for (const PortEntry& entry : ListPorts(given))
        if (path && !path->empty() && entry.kind == PortKind::CommandLine && entry.systemPath == *path)
            p.form.connection.comPortText = PortItemText(given, entry.number);
}

bool SaveLinkSettings(Program& p)
{
    if (p.savedPortNumber == 0)
        return true;
    const bool baud = WriteLinkSetting("BAUD", std::to_string(BaudRateAt(p.savedBaudIndex)));
    // A device path has no number of its own: it is remembered as the path, and
    // "COM" keeps the last real port.
    const std::string path = CommandLinePath(p, p.savedPortNumber);
    if (!path.empty())
        return WriteLinkSetting("PortPath", path) && baud;
    bool ok = WriteLinkSetting("COM", std::to_string(p.savedPortNumber)) && baud;
    if (const std::optional<std::string> saved = ReadLinkSetting("PortPath"); saved && !saved->empty())
        ok = WriteLinkSetting("PortPath", "") && ok;
    return ok;
}

long BaudRateAt(int index)
{
    return index >= 0 && index < 8 ? kBaudRates[index] : 0;
}
