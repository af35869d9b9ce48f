// Connecting for a device command: the port named by --port, else the one a user
// most likely means; every failure names the port tried as the user gave it and
// the system path it leads to.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "CtlCommand.h"
#include "CtlHost.h"
#include "basics/Text.h"
#include "connection/ConnectionSequence.h"
#include "connection/PortHotPlug.h"
#include "platform/LinkSettingsStore.h"
#include "platform/PortTable.h"
#include "platform/ResultCode.h"
#include "program/Program.h"

namespace {

struct PortChoice {
    int number = -1;
    std::string label;       // as given (or chosen), with its system path
    std::string why;         // how it was chosen when --port was not given
    bool remember = false;   // a listed port: kept as the last good one after a connection
};

const PortEntry* Listed(const std::vector<PortEntry>& ports, int number)
{
    const auto it = std::find_if(ports.begin(), ports.end(), [number](const PortEntry& p) { return p.number == number; });
    return it == ports.end() ? nullptr : &*it;
}

std::string DeviceOf(const std::string& path)
{
    std::error_code ec;
    const std::filesystem::path device = std::filesystem::canonical(path, ec);
    return ec ? std::string() : device.string();
}

// The port of --port; number -1 with a message when it cannot be used. A path not listed
// joins the program's command-line ports, under the number it is lent.
PortChoice GivenPort(const std::string& given, std::vector<PortEntry>& commandLinePorts)
{
    PortChoice c;
    const PortRef port = ResolveGivenPort(given, commandLinePorts);
    if (port.named && !PortNumberUsable(port.number)) {
        std::fprintf(stderr, "vr60ctl: %s cannot be used: port numbers go up to COM%d\n", given.c_str(),
                     kHighestPortNumber);
        return c;
    }
    if (!port.named && port.number <= 0) {
        std::fprintf(stderr, "vr60ctl: %s cannot be used: every port number up to COM%d is taken\n", given.c_str(),
                     kHighestPortNumber);
        return c;
    }
    c.number = port.number;
    // Kept as the last good port only while a listed port of the system's own stands behind it.
    c.remember = port.listed && port.kind != PortKind::CommandLine;
    if (port.named) {
        c.label = given + " (" + (port.listed ? port.path : "not present") + ")";
    } else {
        const std::string device = DeviceOf(given);
        c.label = device.empty() || device == given ? given : given + " (" + device + ")";
    }
    return c;
}

std::optional<int> SavedPortNumber()
{
    const std::optional<std::string> text = ReadLinkSetting("COM");
    int32_t value = 0;
    if (!text || !StrictInteger(*text, &value))
        return std::nullopt;
    return value;
}

// Without --port: the port of the last successful connection, else the first USB serial
// device or alias (a legacy ttyS port is seldom the logger), else the first port.
PortChoice DefaultPort(const std::vector<PortEntry>& ports)
{
    PortChoice c;
    const PortEntry* entry = nullptr;
    if (const std::optional<int> saved = SavedPortNumber(); saved && *saved > 0)
        entry = Listed(ports, *saved);
    if (entry) {
        c.why = "the port of the last successful connection";
    } else {
        const auto it = std::find_if(ports.begin(), ports.end(), [](const PortEntry& p) {
            return p.kind == PortKind::Usb || p.kind == PortKind::Alias;
        });
        if (it != ports.end()) {
            entry = &*it;
            c.why = entry->kind == PortKind::Usb ? "the first USB serial device" : "the first port alias";
        } else if (!ports.empty()) {
            entry = &ports.front();
            c.why = "the first listed port";
        }
    }
    if (!entry)
        return c;
    c.number = entry->number;
    c.label = "COM" + std::to_string(entry->number) + " (" + entry->systemPath + ")";
    c.remember = true;
    return c;
}

int CtlConnect(CtlContext& ctx)
{
    Program& p = ctx.program;
    // BaudIndexOf also takes a rate in hundreds and gives 0 for an unknown one: only the rate itself is taken.
    const int baudIndex = BaudIndexOf(ctx.options.baud);
    if (kBaudRates[baudIndex] != ctx.options.baud) {
        std::fprintf(stderr, "vr60ctl: %ld is not one of the eight baud rates (see --help)\n", ctx.options.baud);
        return kUsageError;
    }

    const std::vector<PortEntry> ports = ListPorts(p.ports.commandLinePorts);
    for (const PortEntry& entry : ports)
        p.form.connection.comPortItems.push_back(PortDisplayName(entry.number));
    const PortChoice port =
        ctx.options.port.empty() ? DefaultPort(ports) : GivenPort(ctx.options.port, p.ports.commandLinePorts);
    if (port.number <= 0) {
        if (!ctx.options.port.empty())
            return kUsageError;
        std::fprintf(stderr, "vr60ctl: no serial port found (aliases are read from %s); give one with --port\n",
                     PortAliasFolder().c_str());
        return 1;
    }
    ctx.portLabel = port.label;
    p.form.connection.comPortText = PortDisplayName(port.number);
    p.form.connection.comBaudIndex = baudIndex;

    int result = BitBtn_connectClick(p);
    if (p.connected != 1 || result != 0) {
        result = result ? result : kNoAnswer;
        if (result == kInterrupted)
            return result;
        if (port.why.empty())
            std::fprintf(stderr, "vr60ctl: no connection through %s\n", port.label.c_str());
        else
            std::fprintf(stderr, "vr60ctl: no connection through %s, %s (no --port given)\n", port.label.c_str(),
                         port.why.c_str());
        return result;
    }
    if (port.remember)
        SaveLinkSettings(p);
    return 0;
}

void CtlDisconnect(CtlContext& ctx)
{
    if (ctx.program.connected == 1)
        BitBtn_connectClick(ctx.program);
}

} // namespace

int DefaultPortNumber(std::string* why)
{
    const PortChoice c = DefaultPort(ListPorts({}));
    *why = c.why;
    return c.number;
}

int WithDevice(CtlContext& ctx, const std::function<int(Program&)>& operation)
{
    int result = CtlConnect(ctx);
    if (result == 0)
        result = operation(ctx.program);
    // Whichever step noticed it, a port that went away is why the command failed (the
    // connection steps may have closed the link already; the hang-up stays noted on it).
    if (result != kOk && result != kInterrupted && ctx.program.link.staticLink.hangUpReported)
        result = kNoLink;
    CtlDisconnect(ctx);
    return result;
}
