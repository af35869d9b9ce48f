#include <cstdio>

#include "CtlCommand.h"
#include "CtlHost.h"
#include "connection/ConnectionSequence.h"
#include "program/Program.h"
#include "platform/PortTable.h"

namespace {

int CtlConnect(CtlContext& ctx)
{
    Program& p = ctx.program;
    int baudIndex = -1;
    for (int i = 0; i < 8; ++i)
        if (kBaudRates[i] == ctx.options.baud)
            baudIndex = i;
    if (baudIndex < 0) {
        std::fprintf(stderr, "vr60ctl: %ld is not one of the eight baud rates (see --help)\n", ctx.options.baud);
        return 2;
    }

    const std::vector<PortEntry> ports = ListPorts();
    for (const PortEntry& entry : ports)
        p.form.connection.comPortItems.push_back(PortDisplayName(entry.number));
    int number = -1;
    if (!ctx.options.port.empty())
        number = PortNumberForArgument(ctx.options.port);
    else if (!ports.empty())
        number = ports.front().number;
    if (number <= 0) {
        std::fprintf(stderr, "vr60ctl: no serial port found; give one with --port\n");
        return 1;
    }
    p.form.connection.comPortText = PortDisplayName(number);
    p.form.connection.comBaudIndex = baudIndex;

    const int result = BitBtn_connectClick(p);
    return p.connected == 1 && result == 0 ? 0 : (result ? result : 5);
}

void CtlDisconnect(CtlContext& ctx)
{
    if (ctx.program.connected == 1)
        BitBtn_connectClick(ctx.program);
}

} // namespace

int WithDevice(CtlContext& ctx, const std::function<int(Program&)>& operation)
{
    int result = CtlConnect(ctx);
    if (result == 0)
        result = operation(ctx.program);
    CtlDisconnect(ctx);
    return result;
}

int NoArguments(const char* command, const Args& args)
{
    if (args.empty())
        return 0;
    std::fprintf(stderr, "vr60ctl: %s takes no arguments\n", command);
    return 2;
}
