#include "logdata/LogClear.h"

#include "program/Program.h"
#include "connection/StatusQueries.h"
#include "link/Exchange.h"
#include "link/FrameEncoder.h"
#include "link/LinkBusyGuard.h"
#include "platform/ByteOrder.h"
#include "platform/ResultCode.h"

namespace {

constexpr uint32_t kTrackSlotBytes = 16384;
constexpr uint32_t kSectorBytes = 4096;
constexpr int kSectorSends = 3;

// The clears let queued window events run before they take the port.
SerialLink* ClearingLink(Program& p, LinkBusyGuard& guard)
{
    if (!guard.acquired())
        return nullptr;
    PumpMessages(p.link);
    return guard.linkOr("COM port access error");
}

} // namespace

ResultCode ClearDeviceLog(Program& p)
{
    LinkBusyGuard guard(p.link);
    SerialLink* link = ClearingLink(p, guard);
    if (!link)
        return kNoLink;
    TransferGauge& gauge = p.link.gauge;
    gauge.maximum = 100;
    gauge.position = 0;
    p.host.setBusyCursor(true);
    RingClear(link);
    const Reply reply = Exchange(p.link, link, Request::CommandArg(5, 4), kAck, 2000);
    // Said only of a clear that was sent: a stop can keep the request back.
    if (reply.sent)
        p.host.logLine("Clearing log data...");
    if (!reply.ok()) {
        if (!reply.stopped())
            p.host.logLine("Timeout:No ack!");
        p.host.setBusyCursor(false);
        return reply.stopped() ? kInterrupted : kNoAck;
    }
    SleepPumping(p.link, 1000);
    // The device reports the end of the erase with 0x84; the gauge ticks once per wait.
    for (int64_t wait = 0; wait < gauge.maximum - 2; ++wait) {
        if (WaitResponse(p.link, link, 0x84, 1000) == 0) {
            // The log is gone either way; a track slot or waypoint that stayed makes it incomplete.
            bool incomplete = false;
            for (uint8_t n = 0; n < 4 && !StopRequested(p.link); ++n)
                incomplete |= EraseTrackSlot(p, n) != kOk;
            for (uint8_t n = 0; n < 4 && !StopRequested(p.link); ++n)
                incomplete |= ClearWaypointSlot(p, n) != kOk;
            p.host.setBusyCursor(false);
            if (StopRequested(p.link))
                return kInterrupted;
            gauge.position = gauge.maximum;
            p.host.logLine("Log data cleared successfully");
            p.pointsLogged = 0;
            ShowIdentity(p);
            return incomplete ? kIncomplete : kOk;
        }
        if (StopRequested(p.link))
            break;
        ++gauge.position;
        PumpMessages(p.link);
    }
    gauge.position = 0;
    if (StopRequested(p.link)) {
        p.host.setBusyCursor(false);
        return kInterrupted;
    }
    p.host.logLine("Time out, Failed to clear data");
    p.host.setBusyCursor(false);
    return kTimeOut;
}

ResultCode ClearWaypointSlot(Program& p, uint8_t slot)
{
    LinkBusyGuard guard(p.link);
    SerialLink* link = ClearingLink(p, guard);
    if (!link)
        return kNoLink;
    p.host.logLine("Clearing waypoint ...");
    const Reply reply = Exchange(p.link, link, Request::CommandArg(50, slot), kAck, 2000);
    if (reply.ok()) {
        p.host.logLine("Waypoint cleared successfully...");
        return kOk;
    }
    if (reply.stopped())
        return kInterrupted;
    p.host.logLine("Timeout:No ack!");
    return kNoAck;
}

ResultCode EraseTrackSlot(Program& p, uint8_t slot)
{
    LinkBusyGuard guard(p.link);
    SerialLink* link = ClearingLink(p, guard);
    if (!link)
        return kNoLink;
    p.host.setBusyCursor(true);   // the caller restores the arrow
    RingClear(link);
    for (uint32_t k = 0; k < 4; ++k) {
        const uint32_t address = slot * kTrackSlotBytes + k * kSectorBytes;
        uint8_t data[4];
        PutLe32(data, address);
        int sends = 0;
        for (;;) {
            const Reply reply = Exchange(p.link, link, Request::Frame(0x1E, data, sizeof data), kAck, 5000);
            if (reply.ok())
                break;
            if (reply.stopped())
                return kInterrupted;
            if (++sends == kSectorSends) {
                p.host.messageBox(" Erase Track:No ack!,retry failed ");
                return kNoAck;
            }
        }
    }
    return kOk;
}

ResultCode Button_clearlogClick(Program& p, bool* sender)
{
    if (!p.link.ActiveLink) {
        p.host.messageBox("Com port error!");
        return kNoLink;
    }
    if (sender)
        *sender = false;
    const ResultCode result = ClearDeviceLog(p);
    if (sender)
        *sender = true;
    return result;
}

ResultCode Button_QuickClearClick(Program& p, bool* sender)
{
    if (sender)
        *sender = false;
    const ResultCode result = ClearDeviceLog(p);
    if (sender)
        *sender = true;
    p.host.setBusyCursor(false);
    return result;
}

ResultCode Button_Clear_LogClick(Program& p)
{
    LinkBusyGuard guard(p.link);
    SerialLink* link = guard.linkOr("Com Port Error!");
    if (!link)
        return kNoLink;
    RingClear(link);
    if (const Reply reply = Exchange(p.link, link, Request::Command(11), kAck, 1500); !reply.ok()) {
        if (reply.stopped())
            return kInterrupted;
        p.host.logLine("Timeout:No ack!");
        return kNoAck;
    }
    p.host.logLine("Log Data Cleared OK");
    return kOk;
}
