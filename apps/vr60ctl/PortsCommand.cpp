#include <cstdio>

#include "CtlCommand.h"
#include "platform/PortTable.h"

namespace {

} // namespace

int RunPorts(CtlContext&, const Args&)
{
    const std::vector<PortEntry> ports = ListPorts();
    if (ports.empty())
        std::printf("No serial ports found (aliases are read from %s).\n", PortAliasFolder().c_str());
    for (const PortEntry& p : ports)
        std::printf("%s  %s  (%s)\n", PortDisplayName(p.number).c_str(), p.systemPath.c_str(), p.description.c_str());
    return 0;
}
