#include "link/Exchange.h"

#include "link/LinkContext.h"

namespace {

bool PortHungUp(const SerialLink* link)
{
    return link && link->port && link->port->hungUp();
}

void ReportHangUp(LinkContext& ctx, SerialLink* link)
{
    if (link->hangUpReported)
        return;
    link->hangUpReported = true;
    ctx.host.logLine("COM port closed by the other side (device unplugged?). Disconnect and connect again.");
}

} // namespace

int WaitFrame(LinkContext& ctx, SerialLink* link, uint8_t id, uint16_t budget)
{
    int pumpCountdown = 200;
    LinkPollFor(ctx, 100);
    while (budget != 0) {
        // The program is ending: the operation stops as if the device went quiet.
        if (ctx.stopWaits)
            break;
        const int16_t b = RingGet(link);
        if (b < 0) {
            if (PortHungUp(link)) {
                ReportHangUp(ctx, link);
                break;
            }
            LinkPollFor(ctx, 1);
            if (--pumpCountdown == 0) {
                pumpCountdown = 200;
                PumpMessages(ctx);
            }
            --budget;
            continue;
        }
        if (ctx.parser.ParseByte(uint8_t(b)) != 0) {
            ctx.lastResponseId = ctx.rxFrame.payload()[0];
            if (id == 0 || id == ctx.lastResponseId)
                return ctx.lastResponseId;
        }
    }
    ctx.lastResponseId = -1;
    return -1;
}

int WaitResponse(LinkContext& ctx, SerialLink* link, uint8_t id, uint16_t budget)
{
    if (link)
        link->readChunk = budget >= 16 ? 128 : 10;
    return WaitFrame(ctx, link, id, budget) == id ? 0 : 1;
}

int WaitResponseShort(LinkContext& ctx, SerialLink* link, uint8_t id, uint16_t budget)
{
    if (link)
        link->readChunk = 9;
    return WaitFrame(ctx, link, id, budget) == id ? 0 : 1;
}
