#include "link/TransferStart.h"

#include "link/LinkContext.h"

bool BeginTransfer(LinkContext& ctx, SerialLink* link, const TransferStart& start)
{
    if (start.receiving) {
        RingClear(link);
        ctx.host.logLine(".........");
        ctx.parser.ResetLinkStatistics();
    }
    if (LinkGone(ctx)) {
        ctx.host.messageBox("Com Port Error!");
        return false;
    }
    ctx.host.setBusyCursor(true);
    RingClear(link);
    if (start.startLine)
        ctx.host.logLine(start.startLine);
    TransferGauge& gauge = ctx.gauge;
    gauge.maximum = start.total;
    gauge.position = 0;
    if (start.receiving)
        gauge.tag = 0;
    return true;
}
