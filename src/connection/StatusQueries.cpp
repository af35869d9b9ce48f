#include "connection/StatusQueries.h"

#include <cstdio>
#include <cstring>

#include "basics/Text.h"
#include "connection/SettingsRead.h"
#include "link/Exchange.h"
#include "link/FrameEncoder.h"
#include "platform/ByteOrder.h"
#include "platform/ResultCode.h"
#include "program/Program.h"

namespace {

constexpr int kStatusFixedBytes = 12;

} // namespace

ResultCode QueryStatus(Program& p)
{
    SerialLink* link = p.link.ActiveLink;
    if (!link) {
        p.host.messageBox("Com Port Error!");
        return kNoAnswer;
    }
    RingClear(link);
    const Reply fw = Exchange(p.link, link, Request::CommandArg(5, 6), 0x86, 2000);
    if (fw.stopped())
        return kInterrupted;
    if (!fw.ok()) {
        p.host.logLine("FW Query Error:Time Out!");
        return kNoAnswer;
    }
    const std::string version = TextFromPayload(fw.data, fw.dataBytes, kFirmwareVersionChars);
    std::snprintf(p.firmwareVersion, sizeof p.firmwareVersion, "%s", version.c_str());
    p.host.logLine("FW:" + version + " ");

    Button_Read_ConfigClick(p);

    const Reply status = Exchange(p.link, link, Request::CommandArg(5, 5), 0x85, 2000, kStatusFixedBytes);
    if (status.stopped())
        return kInterrupted;
    if (status.result == ExchangeResult::NoAnswer) {
        p.host.logLine("Logger Status Query Error:Time Out!");
        return kNoAnswer;
    }
    if (!status.ok()) {
        char line[96];
        std::snprintf(line, sizeof line, "Logger Status Query Error:Short answer (%d bytes)!", status.dataBytes);
        p.host.logLine(line);
        return kNoAnswer;
    }
    const uint8_t* d = status.data;
    p.pointsLogged = int32_t(Le32(d));
    p.logAreaBytes = Le32(d + 4);
    p.identity.serialNumber = int32_t(Le32(d + 8));
    const std::string user = TextFromPayload(d + 12, status.dataBytes - kStatusFixedBytes, kUserNameChars);
    std::snprintf(p.identity.userName, sizeof p.identity.userName, "%s", user.c_str());

    char line[160];
    std::snprintf(line, sizeof line, "Log points:%d,Max points:%d,Dev sno:%d,User:%s", p.pointsLogged,
                  int(p.logAreaBytes >> 5), p.identity.serialNumber, p.identity.userName);
    p.host.logLine(line);
    return kOk;
}

void ShowIdentity(Program& p)
{
    char text[64];
    std::snprintf(text, sizeof text, "%09d", p.identity.serialNumber);
    p.form.settings.currentSno = text;
    p.form.settings.username = p.identity.userName;
    const uint32_t maxPoints = p.logAreaBytes / 32;
    // No log area (nothing read yet, or a device reporting none) shows 0%.
    const uint32_t percent = maxPoints ? uint32_t(uint32_t(p.pointsLogged) * 100u) / maxPoints : 0;
    std::snprintf(text, sizeof text, "%d(%u%%)", p.pointsLogged, percent);
    p.form.logData.pointsLogged = text;
    std::snprintf(text, sizeof text, "%u", maxPoints);
    p.form.logData.maximumPoints = text;
}
