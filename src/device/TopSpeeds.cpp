#include "device/TopSpeeds.h"

#include <cstdio>

#include "program/Program.h"
#include "device/AckCommand.h"
#include "link/Exchange.h"
#include "link/FrameEncoder.h"
#include "link/LinkBusyGuard.h"
#include "platform/ByteOrder.h"
#include "platform/ResultCode.h"

namespace {

constexpr int kTopSpeedEntries = 10;
constexpr int kTop10DataBytes = 4 * kTopSpeedEntries;   // two tables of 16-bit values

const float kUnitFactors[3] = {1.0f, 0.6213712f, 0.5399568f};
const char* const kUnitSuffixes[4] = {"KMH", "MPH", "KTS", "BPM"};

// Speed x 1000 in the display unit, truncated toward zero.
int32_t ScaledSpeed(uint16_t raw, uint8_t unit)
{
    const float kmhTimes1000 = float(raw * 36.0);
    const float scaled = kmhTimes1000 * kUnitFactors[unit % 3];
    return int32_t(scaled);
}

} // namespace

std::string TopSpeedText(uint16_t raw, uint8_t unit)
{
    const int32_t r = ScaledSpeed(raw, unit);
    char text[32];
    std::snprintf(text, sizeof text, "%3d.%02d%s", int(r / 1000), int((r / 10) % 100), kUnitSuffixes[unit % 4]);
    return text;
}

ResultCode Button_TOP10_ReadClick(Program& p)
{
    LinkBusyGuard guard(p.link);
    SerialLink* link = guard.linkOr("Com port not open Error!");
    if (!link)
        return kNoLink;
    const Reply reply = Exchange(p.link, link, Request::Command(0x49), 0xC9, 2000, kTop10DataBytes);
    if (reply.stopped())
        return kInterrupted;
    if (reply.result == ExchangeResult::NoAnswer)
        return kTimeOut;
    if (!reply.ok()) {
        // Never list bytes the device did not send.
        char line[80];
        std::snprintf(line, sizeof line, "Top 10 read failed: short answer (%d bytes)!", reply.dataBytes);
        p.host.logLine(line);
        return kTimeOut;
    }
    const uint8_t* d = reply.data;
    const DeviceSettings& s = p.settings;
    char line[64];
    FormState& f = p.form;
    f.logData.top10MaxSpeed.clear();
    f.logData.top10MaxAvgSpeed.clear();

    p.host.logLine("===TOP 10 MAX SPEED===");
    for (int k = 1; k <= kTopSpeedEntries; ++k) {
        const std::string speed = TopSpeedText(Le16(d + 2 * (k - 1)), s.unit);
        std::snprintf(line, sizeof line, "%-3d%s", k, speed.c_str());
        f.logData.top10MaxSpeed.push_back(line);
        p.host.logLine(line);
    }
    char averaging[16];
    std::snprintf(averaging, sizeof averaging, "-%dS", s.speedAvgTime);
    p.host.logLine("===TOP 10 MAX AVG SPEED===");
    for (int k = 1; k <= kTopSpeedEntries; ++k) {
        const std::string speed = TopSpeedText(Le16(d + 2 * (kTopSpeedEntries + k - 1)), s.unit);
        std::snprintf(line, sizeof line, "%-3d%s%s", k, speed.c_str(), averaging);
        f.logData.top10MaxAvgSpeed.push_back(line);
        p.host.logLine(line);
    }
    return kOk;
}

ResultCode Button_TOP10_ClearClick(Program& p)
{
    return AckCommandWithBoxes(p, 0x4A, 5000, "Com port not open Error!", "Top 10 Speed cleared successfully.",
                               "Operation failed!");
}
