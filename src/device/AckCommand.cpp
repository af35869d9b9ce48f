#include "device/AckCommand.h"

#include "connection/Program.h"
#include "link/Exchange.h"
#include "link/FrameEncoder.h"
#include "link/LinkBusyGuard.h"

int AckCommandWithBoxes(Program& p, uint8_t id, uint16_t budget, const char* noLinkBox, const char* doneBox,
                        const char* failedBox)
{
    LinkBusyGuard guard(p.link);
    SerialLink* link = guard.linkOr(noLinkBox);
    if (!link)
        return 1;
    p.host.setBusyCursor(true);
    SendCommand(link, id);
    const int r = WaitResponse(p.link, link, kAck, budget);
    p.host.setBusyCursor(false);
    if (r != 0) {
        p.host.messageBox(failedBox);
        return 3;
    }
    p.host.messageBox(doneBox);
    return 0;
}
