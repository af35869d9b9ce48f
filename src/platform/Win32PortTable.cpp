// The serial ports of the registry's SERIALCOMM table. Built only on Windows.
#ifdef _WIN32

#include "platform/PortTable.h"

#include <QSettings>
#include <QStringList>

#include <algorithm>
#include <cstdio>

std::string PortAliasFolder()
{
    return {};
}

namespace {

// The ports of the table numbered 1..kHighestPortNumber, or (beyond) those numbered above it.
std::vector<PortEntry> TablePorts(bool beyond)
{
    QSettings table(QStringLiteral("HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM"), QSettings::NativeFormat);
    std::vector<PortEntry> ports;
    for (const QString& key : table.childKeys()) {
        const std::string name = table.value(key).toString().toStdString();
        const int number = PortNumberOfName(name);
        if (number > 0 && (number > kHighestPortNumber) == beyond && ports.size() < 256) {
            // \Device\Serial0 is a legacy port; USB drivers name theirs otherwise.
            const qsizetype at = key.lastIndexOf(QStringLiteral("Serial"));
            const bool legacy = at > 0 && (key[at - 1] == u'\\' || key[at - 1] == u'/');
            const PortKind kind = legacy ? PortKind::Legacy : PortKind::Usb;
            ports.push_back({number, "\\\\.\\" + name, key.toStdString(), kind});
        }
    }
    std::sort(ports.begin(), ports.end(), [](const PortEntry& a, const PortEntry& b) { return a.number < b.number; });
    return ports;
}

} // namespace

std::vector<PortEntry> ListPorts()
{
    return TablePorts(false);
}

std::vector<PortEntry> PortsBeyondHighestNumber()
{
    return TablePorts(true);
}

std::string PortLabel(int number)
{
    return "COM" + std::to_string(number);
}

std::string ResolvePortNumber(int number)
{
    return "COM" + std::to_string(number);
}

int PortNumberForArgument(const std::string& portArgument)
{
    return PortNumberOfName(portArgument);
}

bool PublishPortAlias(int, const std::string&, std::string* error)
{
    if (error)
        *error = "port aliases exist only on Linux";
    return false;
}

void RemovePortAlias(int) {}
void AddProcessPort(int, const std::string&) {}

#endif
