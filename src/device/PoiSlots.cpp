#include "device/PoiSlots.h"

#include <cstdio>
#include <cstdlib>

#include "link/Exchange.h"
#include "link/FrameEncoder.h"
#include "link/LinkBusyGuard.h"
#include "link/PoiCoordinates.h"
#include "logdata/LogBrowser.h"
#include "platform/ByteOrder.h"
#include "platform/ResultCode.h"
#include "program/Program.h"

namespace {

constexpr uint16_t kPoiBudget = 2000;
constexpr int kPoiDataBytes = 8;   // latitude, longitude

std::string PairText(int32_t latitude, int32_t longitude)
{
    return PoiCoordinateText(latitude) + "," + PoiCoordinateText(longitude);
}

void LogSlotLine(Program& p, const char* format, int slot)
{
    char line[64];
    std::snprintf(line, sizeof line, format, slot + 1);
    p.host.logLine(line);
}

} // namespace

int Button_POI_downloadClick(Program& p)
{
    LinkBusyGuard guard(p.link);
    SerialLink* link = guard.linkOr("Com port not open Error!");
    if (!link)
        return kNoLink;
    int result = kOk;
    for (int n = 0; n < 4; ++n) {
        if (!p.form.unseen.poiChecked[size_t(n)])
            continue;
        // An answer without both numbers is no coordinate.
        const Reply reply = Exchange(p.link, link, Request::CommandArg(0x30, uint8_t(n)), 0xB0, kPoiBudget, kPoiDataBytes);
        if (reply.stopped())
            return kInterrupted;
        if (!reply.ok()) {
            LogSlotLine(p, "POI#%d download or null failed.", n);
            result = kIncomplete;
            continue;
        }
        const std::string pair = PairText(int32_t(Le32(reply.data)), int32_t(Le32(reply.data + 4)));
        p.host.logLine("POI#" + std::to_string(n + 1) + "(" + pair + ").");
        p.form.unseen.poiText[size_t(n)] = pair;
    }
    return result;
}

int Button_POI_deleteClick(Program& p)
{
    LinkBusyGuard guard(p.link);
    SerialLink* link = guard.linkOr("Com port not open Error!");
    if (!link)
        return kNoLink;
    int result = kOk;
    for (int n = 0; n < 4; ++n) {
        if (!p.form.unseen.poiChecked[size_t(n)])
            continue;
        const Reply reply = Exchange(p.link, link, Request::CommandArg(0x32, uint8_t(n)), kAck, kPoiBudget);
        if (reply.stopped())
            return kInterrupted;
        if (reply.ok()) {
            LogSlotLine(p, "POI#%d deleted successfully.", n);
        } else {
            LogSlotLine(p, "POI#%d delete failed.", n);
            result = kIncomplete;
        }
    }
    return result;
}

int Button_POI_uploadClick(Program& p)
{
    LinkBusyGuard guard(p.link);
    SerialLink* link = guard.linkOr("TBD:Com port not open Error!");
    if (!link)
        return kNoLink;
    int result = kOk;
    for (int n = 0; n < 4; ++n) {
        if (!p.form.unseen.poiChecked[size_t(n)])
            continue;
        if (StopRequested(p.link))
            return kInterrupted;
        const std::string& text = p.form.unseen.poiText[size_t(n)];
        int32_t lat = 0, lon = 0;
        if (!ParsePoiPair(text, &lat, &lon)) {
            p.host.logLine("POI#" + std::to_string(n + 1) + " not uploaded: '" + text +
                           "' is not latitude,longitude in degrees (at most 7 decimals, latitude -90..90, "
                           "longitude -180..180).");
            result = kIncomplete;
            continue;
        }
        uint8_t data[9] = {uint8_t(n)};
        PutLe32(data + 1, uint32_t(lat));
        PutLe32(data + 5, uint32_t(lon));
        const Reply reply = Exchange(p.link, link, Request::Frame(0x31, data, sizeof data), kAck, kPoiBudget);
        if (reply.stopped())
            return kInterrupted;
        if (reply.ok()) {
            p.host.logLine("POI#" + std::to_string(n + 1) + "(" + PairText(lat, lon) + ") uploaded successfully.");
        } else {
            LogSlotLine(p, "POI#%d upload failed.", n);
            result = kIncomplete;
        }
    }
    return result;
}

int CheckBox_POI2Click(Program& p)
{
    const std::string address = MapLinkFor(kPoiMapLatitude, kPoiMapLongitude);
    if (!p.shell->open(address)) {
        p.host.logLine("Cannot open " + address);
        return kCannotOpen;
    }
    return kOk;
}
