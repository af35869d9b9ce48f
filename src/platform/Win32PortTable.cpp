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

std::vector<PortEntry> ListPorts()
{
    QSettings table(QStringLiteral("HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM"), QSettings::NativeFormat);
    std::vector<PortEntry> ports;
    for (const QString& key : table.childKeys()) {
        const std::string name = table.value(key).toString().toStdString();
        const int number = PortNumberOfName(name);
        if (number > 0 && ports.size() < 256)
            ports.push_back({number, "\\\\.\\" + name, key.toStdString()});
    }
    std::sort(ports.begin(), ports.end(), [](const PortEntry& a, const PortEntry& b) { return a.number < b.number; });
    return ports;
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
