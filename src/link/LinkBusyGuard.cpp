#include "link/LinkBusyGuard.h"

#include "link/LinkContext.h"

LinkBusyGuard::LinkBusyGuard(LinkContext& ctx) : ctx_(ctx)
{
    // Busy and called from inside a pump the owner started: a re-entered handler.
    if (ctx_.busyDepth > 0 && ctx_.pumpDepth > ctx_.busyOwnerPumpDepth) {
        ctx_.host.logLine(kLinkBusyText);
        return;
    }
    acquired_ = true;
    savedOwnerDepth_ = ctx_.busyOwnerPumpDepth;
    if (ctx_.busyDepth++ == 0)
        ctx_.busyOwnerPumpDepth = ctx_.pumpDepth;
}

LinkBusyGuard::~LinkBusyGuard()
{
    if (!acquired_)
        return;
    if (--ctx_.busyDepth == 0)
        ctx_.busyOwnerPumpDepth = 0;
    else
        ctx_.busyOwnerPumpDepth = savedOwnerDepth_;
}

SerialLink* LinkBusyGuard::linkOr(const char* noLinkBox)
{
    if (!acquired_)
        return nullptr;
    if (!ctx_.ActiveLink)
        ctx_.host.messageBox(noLinkBox);
    return ctx_.ActiveLink;
}
