#include "device/AckCommand.h"

#include "program/Program.h"
#include "link/Exchange.h"
#include "link/FrameEncoder.h"
#include "link/LinkBusyGuard.h"
#include "platform/ResultCode.h"

ResultCode AckCommandWithBoxes(Program& p, uint8_t id, uint16_t budget, const char* noLinkBox, const char* doneBox,
                        const char* failedBox)
{
    LinkBusyGuard guard(p.link);
    SerialLink* link = guard.linkOr(noLinkBox);
    if (!link)
        return kNoLink;
    p.host.setBusyCursor(true);
    const Reply reply = Exchange(p.link, link, Request::Command(id), kAck, budget);
    p.host.setBusyCursor(false);
    if (reply.stopped())
        return kInterrupted;
    if (!reply.ok()) {
        p.host.messageBox(failedBox);
        return kNoAck;
    }
    p.host.successBox(doneBox);
    return kOk;
}
