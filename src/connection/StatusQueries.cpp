#include "connection/StatusQueries.h"

#include <cstdio>
#include <cstring>

#include "connection/Program.h"
#include "connection/TextFields.h"
#include "device/SettingsOperations.h"
#include "link/Exchange.h"
#include "link/FrameEncoder.h"

namespace {

int32_t Le32(const uint8_t* d)
{
    return int32_t(uint32_t(d[0]) | uint32_t(d[1]) << 8 | uint32_t(d[2]) << 16 | uint32_t(d[3]) << 24);
}

constexpr int kStatusFixedBytes = 12;

} // namespace

int QueryStatus(Program& p)
{
    SerialLink* link = p.link.ActiveLink;
    if (!link) {
        p.host.messageBox("Com Port Error!");
        return 5;
    }
    RingClear(link);
    SendCommandArg(link, 5, 6);
    if (WaitResponse(p.link, link, 0x86, 2000) != 0) {
        p.host.logLine("FW Query Error:Time Out!");
        return 5;
    }
    const RxFrame& rx = p.link.rxFrame;
    const std::string version = TextFromPayload(rx.payload() + 1, rx.lengthField() - 1, kFirmwareVersionChars);
    std::snprintf(p.firmwareVersion, sizeof p.firmwareVersion, "%s", version.c_str());
    p.host.logLine("FW:" + version + " ");

    Button_Read_ConfigClick(p);

    SendCommandArg(link, 5, 5);
    if (WaitResponse(p.link, link, 0x85, 2000) != 0) {
        p.host.logLine("Logger Status Query Error:Time Out!");
        return 5;
    }
    const int dataBytes = rx.lengthField() - 1;
    if (dataBytes < kStatusFixedBytes) {
        char line[96];
        std::snprintf(line, sizeof line, "Logger Status Query Error:Short answer (%d bytes)!", dataBytes);
        p.host.logLine(line);
        return 5;
    }
    const uint8_t* d = rx.payload() + 1;
    p.pointsLogged = Le32(d);
    p.logAreaBytes = uint32_t(Le32(d + 4));
    p.identity.serialNumber = Le32(d + 8);
    const std::string user = TextFromPayload(d + 12, dataBytes - kStatusFixedBytes, kUserNameChars);
    std::snprintf(p.identity.userName, sizeof p.identity.userName, "%s", user.c_str());

    char line[160];
    std::snprintf(line, sizeof line, "Log points:%d,Max points:%d,Dev sno:%d,User:%s", p.pointsLogged,
                  int(p.logAreaBytes >> 5), p.identity.serialNumber, p.identity.userName);
    p.host.logLine(line);
    return 0;
}

void ShowIdentity(Program& p)
{
    char text[64];
    std::snprintf(text, sizeof text, "%09d", p.identity.serialNumber);
    p.form.currentSno = text;
    p.form.username = p.identity.userName;
    const uint32_t maxPoints = p.logAreaBytes / 32;
    // No log area (nothing read yet, or a device reporting none) shows 0%.
    const uint32_t percent = maxPoints ? uint32_t(uint32_t(p.pointsLogged) * 100u) / maxPoints : 0;
    std::snprintf(text, sizeof text, "%d(%u%%)", p.pointsLogged, percent);
    p.form.pointsLogged = text;
    std::snprintf(text, sizeof text, "%u", maxPoints);
    p.form.maximumPoints = text;
}
