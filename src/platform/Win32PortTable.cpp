// The serial ports of the registry's SERIALCOMM table. Built only on Windows.
#ifdef _WIN32

#include "platform/PortTable.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "platform/WideText.h"

std::string PortAliasFolder()
{
    return {};
}

namespace {

// The device names and port names of the registry's SERIALCOMM values; empty when the key is missing
// (no serial port was ever present).
std::vector<std::pair<std::string, std::string>> SerialCommValues()
{
    std::vector<std::pair<std::string, std::string>> values;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return values;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        wchar_t data[256];
        DWORD nameLength = 256;
        DWORD dataBytes = sizeof data - sizeof(wchar_t);
        DWORD type = 0;
        const LONG r = RegEnumValueW(key, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataBytes);
        if (r == ERROR_NO_MORE_ITEMS)
            break;
        if (r != ERROR_SUCCESS || type != REG_SZ)
            continue;
        size_t length = dataBytes / sizeof(wchar_t);
        while (length > 0 && data[length - 1] == L'\0')
            --length;
        values.emplace_back(Utf8FromWide(name, nameLength), Utf8FromWide(data, length));
    }
    RegCloseKey(key);
    return values;
}

// The ports of the table numbered 1..kHighestPortNumber, or (beyond) those numbered above it.
std::vector<PortEntry> TablePorts(bool beyond)
{
    std::vector<PortEntry> ports;
    for (const auto& [device, name] : SerialCommValues()) {
        const int number = PortNumberOfName(name);
        if (number > 0 && PortNumberUsable(number) != beyond && ports.size() < 256) {
            // \Device\Serial0 is a legacy port; USB drivers name theirs otherwise.
            const size_t at = device.rfind("Serial");
            const bool legacy = at != std::string::npos && at > 0 && (device[at - 1] == '\\' || device[at - 1] == '/');
            const PortKind kind = legacy ? PortKind::Legacy : PortKind::Usb;
            ports.push_back({number, "\\\\.\\" + name, device, kind});
        }
    }
    std::sort(ports.begin(), ports.end(), [](const PortEntry& a, const PortEntry& b) { return a.number < b.number; });
    return ports;
}

} // namespace

// Paths given on the command line have no number here: the list is the table's alone.
std::vector<PortEntry> ListPorts(const std::vector<PortEntry>&)
{
    return TablePorts(false);
}

std::vector<PortEntry> PortsBeyondHighestNumber()
{
    return TablePorts(true);
}

// Any COMn opens as \\.\COMn, listed or not: the system says whether it is there.
PortRef ResolvePort(int number, const std::vector<PortEntry>& ports)
{
    PortRef ref;
    ref.number = number;
    ref.path = "\\\\.\\COM" + std::to_string(number);
    ref.label = "COM" + std::to_string(number);
    ref.named = number > 0;
    const auto it = std::find_if(ports.begin(), ports.end(), [number](const PortEntry& p) { return p.number == number; });
    if (it != ports.end()) {
        ref.kind = it->kind;
        ref.listed = true;
    }
    return ref;
}

PortRef ResolvePort(const std::string& given, const std::vector<PortEntry>& ports)
{
    if (const int named = PortNumberOfName(given); named > 0)
        return ResolvePort(named, ports);
    PortRef ref;
    ref.path = given;
    ref.label = given;
    return ref;
}

PortRef ResolveGivenPort(const std::string& given, std::vector<PortEntry>& commandLinePorts)
{
    return ResolvePort(given, ListPorts(commandLinePorts));
}

bool PublishPortAlias(int, const std::string&, std::string* error)
{
    if (error)
        *error = "port aliases exist only on Linux";
    return false;
}

void RemovePortAlias(int) {}

#endif
