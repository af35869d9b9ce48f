#include "device/PoiSlots.h"

#include <cstdio>
#include <cstdlib>

#include "device/CheckedSlots.h"

#include "basics/MapLink.h"
#include "link/Exchange.h"
#include "link/FrameEncoder.h"
#include "link/LinkBusyGuard.h"
#include "link/PoiCoordinates.h"
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

ResultCode Button_POI_downloadClick(Program& p)
{
    LinkBusyGuard guard(p.link);
    SerialLink* link = guard.linkOr("Com port not open Error!");
    if (!link)
        return kNoLink;
    return ForEachCheckedSlot(p.form.unseen.poiChecked, [&](int n) {
        // An answer without both numbers is no coordinate.
        const Reply reply = Exchange(p.link, link, Request::CommandArg(0x30, uint8_t(n)), 0xB0, kPoiBudget, kPoiDataBytes);
        if (reply.stopped())
            return SlotOutcome::Stopped;
        if (!reply.ok()) {
            LogSlotLine(p, "POI#%d download or null failed.", n);
            return SlotOutcome::Failed;
        }
        const std::string pair = PairText(int32_t(Le32(reply.data)), int32_t(Le32(reply.data + 4)));
        p.host.logLine("POI#" + std::to_string(n + 1) + "(" + pair + ").");
        p.form.unseen.poiText[size_t(n)] = pair;
        return SlotOutcome::Done;
    });
}

ResultCode Button_POI_deleteClick(Program& p)
{
    LinkBusyGuard guard(p.link);
    SerialLink* link = guard.linkOr("Com port not open Error!");
    if (!link)
        return kNoLink;
    return ForEachCheckedSlot(p.form.unseen.poiChecked, [&](int n) {
        const Reply reply = Exchange(p.link, link, Request::CommandArg(0x32, uint8_t(n)), kAck, kPoiBudget);
        if (reply.stopped())
            return SlotOutcome::Stopped;
        LogSlotLine(p, reply.ok() ? "POI#%d deleted successfully." : "POI#%d delete failed.", n);
        return reply.ok() ? SlotOutcome::Done : SlotOutcome::Failed;
    });
}

ResultCode Button_POI_uploadClick(Program& p)
{
    LinkBusyGuard guard(p.link);
    SerialLink* link = guard.linkOr("TBD:Com port not open Error!");
    if (!link)
        return kNoLink;
    return ForEachCheckedSlot(p.form.unseen.poiChecked, [&](int n) {
        if (StopRequested(p.link))
            return SlotOutcome::Stopped;
        const std::string& text = p.form.unseen.poiText[size_t(n)];
        int32_t lat = 0, lon = 0;
        if (!ParsePoiPair(text, &lat, &lon)) {
            p.host.logLine("POI#" + std::to_string(n + 1) + " not uploaded: '" + text +
                           "' is not latitude,longitude in degrees (at most 7 decimals, latitude -90..90, "
                           "longitude -180..180).");
            return SlotOutcome::Failed;
        }
        uint8_t data[9] = {uint8_t(n)};
        PutLe32(data + 1, uint32_t(lat));
        PutLe32(data + 5, uint32_t(lon));
        const Reply reply = Exchange(p.link, link, Request::Frame(0x31, data, sizeof data), kAck, kPoiBudget);
        if (reply.stopped())
            return SlotOutcome::Stopped;
        if (!reply.ok()) {
            LogSlotLine(p, "POI#%d upload failed.", n);
            return SlotOutcome::Failed;
        }
        p.host.logLine("POI#" + std::to_string(n + 1) + "(" + PairText(lat, lon) + ") uploaded successfully.");
        return SlotOutcome::Done;
    });
}

ResultCode CheckBox_POI2Click(Program& p)
{
    const std::string address = MapLinkFor(kPoiMapLatitude, kPoiMapLongitude);
    if (!p.opener->open(address)) {
        p.host.logLine("Cannot open " + address);
        return kCannotOpen;
    }
    return kOk;
}
