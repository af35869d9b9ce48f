#include "sim/SimPoi.h"

#include "link/PoiCoordinates.h"
#include "sim/SimDevice.h"

bool ParsePoiText(const std::string& text, SimPoiPoint* point)
{
    SimPoiPoint p{};
    if (!ParsePoiPair(text, &p.latitude, &p.longitude))
        return false;
    *point = p;
    return true;
}

void SimPoi::install(SimDevice& device)
{
    device.setHandler(0x30, [](SimDevice& d, const uint8_t* payload, int length) {
        if (length != 2 || payload[1] >= 4 || !d.poi.slots[payload[1]])
            return;
        const SimPoiPoint& p = *d.poi.slots[payload[1]];
        std::vector<uint8_t> data;
        AppendLe32(data, uint32_t(p.latitude));
        AppendLe32(data, uint32_t(p.longitude));
        d.reply(0xB0, data);
    });

    device.setHandler(0x31, [](SimDevice& d, const uint8_t* payload, int length) {
        if (length != 10 || payload[1] >= 4)
            return;
        d.poi.slots[payload[1]] = SimPoiPoint{int32_t(Le32(payload + 2)), int32_t(Le32(payload + 6))};
        d.ack();
    });

    // Delete is also the waypoint step of the full log clear, answered by the log area.
    const SimDevice::Handler waypointClear = device.handler(0x32);
    device.setHandler(0x32, [waypointClear](SimDevice& d, const uint8_t* payload, int length) {
        if (length >= 2 && payload[1] < 4)
            d.poi.slots[payload[1]].reset();
        if (waypointClear)
            waypointClear(d, payload, length);
    });
}
