#include "device/ControlCommands.h"

#include <cstdint>

#include "connection/ConnectionSequence.h"
#include "link/Exchange.h"
#include "link/FrameEncoder.h"
#include "link/LinkBusyGuard.h"
#include "logdata/LogClear.h"
#include "platform/ResultCode.h"
#include "program/Program.h"

namespace {

constexpr uint16_t kCommandBudget = 2500;

void SetEnabled(bool* sender, bool enabled)
{
    if (sender)
        *sender = enabled;
}

// The link when one is open and free, else null; nothing is shown for a closed port.
SerialLink* OpenLink(Program& p, const LinkBusyGuard& guard)
{
    return guard.acquired() ? p.link.ActiveLink : nullptr;
}

// Sends the command and waits for the acknowledgement.
Reply Acknowledged(Program& p, SerialLink* link, uint8_t id)
{
    return Exchange(p.link, link, Request::Command(id), kAck, kCommandBudget);
}

ResultCode SimpleCommand(Program& p, bool* sender, uint8_t id, const char* ackLine, const char* failedLine)
{
    SetEnabled(sender, false);
    ResultCode result = kNoLink;
    {
        LinkBusyGuard guard(p.link);
        if (SerialLink* link = OpenLink(p, guard)) {
            const Reply reply = Acknowledged(p, link, id);
            if (reply.stopped()) {
                result = kInterrupted;
            } else {
                p.host.logLine(reply.ok() ? ackLine : failedLine);
                result = reply.ok() ? kOk : kNoAck;
            }
        }
    }
    SetEnabled(sender, true);
    return result;
}

// Power off from the log line on; the link is open and the ring already cleared.
ResultCode SendPowerOff(Program& p, SerialLink* link, bool* sender)
{
    const Reply reply = Exchange(p.link, link, Request::Command(0x40), kAck, kCommandBudget);
    // Said only of a power-off that was sent: a stop can keep the request back.
    if (reply.sent)
        p.host.logLine("Poweroff device...");
    if (!reply.ok()) {
        if (!reply.stopped())
            p.host.logLine("Device off failed!");
        SetEnabled(sender, true);
        return reply.stopped() ? kInterrupted : kNoAck;
    }
    p.host.logLine("Device off OK.");
    BitBtn_connectClick(p);
    p.host.logLine("Remove USB Cable now.");
    return kOk;
}

} // namespace

ResultCode Button_VCON_ONClick(Program& p, bool* sender)
{
    return SimpleCommand(p, sender, 0x15, "GPS2VCOM ON...", "GPS2VCOM on set failed!");
}

ResultCode Button_GPSVCOM_OFFClick(Program& p, bool* sender)
{
    return SimpleCommand(p, sender, 0x16, "GPS2VCOM OFF...", "GPS2VCOM off set failed!");
}

ResultCode Button_GPSPWRONClick(Program& p, bool* sender)
{
    return SimpleCommand(p, sender, 0x17, "GPS PWR On...", "GPS PWR on failed!");
}

ResultCode Button_GPSPWROFFClick(Program& p, bool* sender)
{
    return SimpleCommand(p, sender, 0x18, "GPS PWR Off...", "GPS PWR off failed!");
}

ResultCode Button_debugClick(Program& p, bool* sender)
{
    return SimpleCommand(p, sender, 0x1B, "VRLink debug flag on ...", "VRLink Debug flag failed!");
}

ResultCode Button_RebootClick(Program& p, bool* sender)
{
    SetEnabled(sender, false);
    ResultCode result = kNoLink;
    LinkBusyGuard guard(p.link);
    if (SerialLink* link = OpenLink(p, guard)) {
        RingClear(link);
        p.host.logLine("Reboot device...");
        const Reply reply = Exchange(p.link, link, Request::Command(0x14), kAck, kCommandBudget);
        if (reply.stopped()) {
            result = kInterrupted;
        } else if (reply.ok()) {
            p.host.logLine("Device reboot OK...");
            p.host.logLine("Disconnect device...");
            SetEnabled(sender, true);
            BitBtn_connectClick(p);
            result = kOk;
        } else {
            p.host.logLine("Device reboot failed!");
            result = kNoAck;
        }
    }
    SetEnabled(sender, true);
    return result;
}

ResultCode Button_GPS_ColdStartClick(Program& p, bool* sender)
{
    SetEnabled(sender, false);
    // Forwarding on first; the cold start goes on whatever it answered, but the run is then incomplete.
    const ResultCode forwarding = Button_VCON_ONClick(p, sender);
    ResultCode result = kNoLink;
    LinkBusyGuard guard(p.link);
    if (SerialLink* link = OpenLink(p, guard)) {
        const Reply reply = Acknowledged(p, link, 0x19);
        if (reply.stopped()) {
            result = kInterrupted;
        } else if (reply.ok()) {
            p.host.logLine("GPS Cold Start...");
            p.host.logLine("GPS/NMEA enabled,closing COM port...");
            ConnectOrDisconnect(p);
            // The core leaves the Connect button as it was; show the closed link.
            if (p.connected == 0)
                ShowDisconnectedControls(p);
            result = forwarding == kOk ? kOk : kIncomplete;
        } else {
            p.host.logLine("GPS Cold Start failed!");
            result = kNoAck;
        }
    }
    SetEnabled(sender, true);
    return result;
}

ResultCode Button_Power_OffClick(Program& p, bool* sender)
{
    LinkBusyGuard guard(p.link);
    SerialLink* link = guard.linkOr("Com port error!");
    if (!link)
        return kNoLink;
    SetEnabled(sender, false);
    RingClear(link);
    return SendPowerOff(p, link, sender);
}

ResultCode Button_off_and_clearClick(Program& p, bool* sender)
{
    SetEnabled(sender, false);
    LinkBusyGuard guard(p.link);
    SerialLink* link = guard.linkOr("Com port error!");
    if (!link)
        return kNoLink;
    const ResultCode cleared = ClearDeviceLog(p);
    if (cleared != kOk) {
        // The clear has said what failed; the device stays on and connected for another try.
        SetEnabled(sender, true);
        return cleared;
    }
    p.host.logLine("Log cleared.");
    SleepPumping(p.link, 100);
    RingClear(link);
    return SendPowerOff(p, link, sender);
}
