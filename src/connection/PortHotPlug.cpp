#include "connection/PortHotPlug.h"

#include <optional>

#include "connection/ConnectionSequence.h"
#include "connection/TextFields.h"
#include "link/PortList.h"
#include "program/Program.h"
#include "link/LinkBusyGuard.h"
#include "platform/LinkSettingsStore.h"
#include "platform/PortTable.h"

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
    return rescanned && ResolvePortNumber(SelectedPortNumber(p)).empty();
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

void LoadLinkSettings(Program& p)
{
    p.form.connection.comBaudIndex = BaudIndexOf(SavedNumber("BAUD", 460800));
    const long port = SavedNumber("COM", 0);
    if (port <= 0)
        p.form.connection.comPortText = p.form.connection.comPortItems.empty() ? std::string() : p.form.connection.comPortItems.front();
    else
        p.form.connection.comPortText = "COM" + std::to_string(port);
}

bool SaveLinkSettings(Program& p)
{
    if (p.savedPortNumber == 0)
        return true;
    return WriteLinkSetting("COM", std::to_string(p.savedPortNumber)) &&
           WriteLinkSetting("BAUD", std::to_string(BaudRateAt(p.savedBaudIndex)));
}

long BaudRateAt(int index)
{
    return index >= 0 && index < 8 ? kBaudRates[index] : 0;
}
