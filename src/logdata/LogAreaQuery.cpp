#include "logdata/LogAreaQuery.h"

#include <cstdio>

#include "link/Exchange.h"
#include "link/FrameEncoder.h"
#include "link/LinkBusyGuard.h"
#include "platform/ByteOrder.h"
#include "platform/ResultCode.h"
#include "program/Program.h"

namespace {

constexpr int kLogAreaDataBytes = 16;

} // namespace

ResultCode Button_Log_infoClick(Program& p)
{
    LinkBusyGuard guard(p.link);
    SerialLink* link = guard.linkOr("Com port not open Error!");
    if (!link)
        return kNoLink;
    // A short answer counts as failed: the previous values stay.
    const Reply reply = Exchange(p.link, link, Request::Command(0x4B), 0xCB, 2000, kLogAreaDataBytes);
    if (reply.stopped())
        return kInterrupted;
    if (!reply.ok()) {
        p.host.logLine("Read Log Info failed !");
        return kTimeOut;
    }
    const uint8_t* d = reply.data;
    LogAreaRecord& a = p.logArea;
    a.areaStart = Le32(d);
    a.areaSize = Le32(d + 4);
    a.ringStart = Le32(d + 8);
    a.ringBlank = Le32(d + 12);
    char line[96];
    std::snprintf(line, sizeof line, "DLG addr=%08xh,size=%08xh,cyc_start=%08xh,cyc_blank=%08xh", a.areaStart,
                  a.areaSize, a.ringStart, a.ringBlank);
    p.host.logLine(line);
    return kOk;
}

uint32_t RecordsInRing(const LogAreaRecord& a)
{
    if (a.ringBlank >= a.ringStart)
        return (a.ringBlank - a.ringStart) / 32;
    return (a.areaSize + a.ringBlank - a.ringStart) / 32;
}
