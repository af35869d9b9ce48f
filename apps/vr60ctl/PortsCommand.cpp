#include <cstdio>

#include "CommandOptions.h"
#include "CtlCommand.h"
#include "platform/PortTable.h"

int RunPorts(CtlContext&, const CommandOptions&)
{
    const std::vector<PortEntry> ports = ListPorts({});
    if (ports.empty())
        std::printf("No serial ports found (aliases are read from %s).\n", PortAliasFolder().c_str());
    std::string why;
    const int chosen = DefaultPortNumber(&why);
    for (const PortEntry& p : ports) {
        std::printf("%s  %s  (%s)", PortDisplayName(p.number).c_str(), p.systemPath.c_str(), p.description.c_str());
        if (p.number == chosen)
            std::printf("  <- used without --port: %s", why.c_str());
        std::printf("\n");
    }
    for (const PortEntry& p : PortsBeyondHighestNumber())
        std::fprintf(stderr, "vr60ctl: COM%d (%s, %s) is not listed: port numbers go up to COM%d\n", p.number,
                     p.systemPath.c_str(), p.description.c_str(), kHighestPortNumber);
    return 0;
}
