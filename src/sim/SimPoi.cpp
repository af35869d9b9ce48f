#include "sim/SimPoi.h"

#include <cctype>

#include "sim/SimDevice.h"

namespace {

// Degrees with up to seven decimals, exactly, as degrees x 10^7.
bool ParseDegrees(const std::string& text, int64_t limit, int32_t* out)
{
    size_t at = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative)
        ++at;
    int64_t whole = 0;
    size_t digits = 0;
    for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) && digits < 4; ++at, ++digits)
        whole = whole * 10 + (text[at] - '0');
    if (digits == 0)
        return false;
    int64_t fraction = 0;
    int decimals = 0;
    if (at < text.size() && text[at] == '.') {
        for (++at; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) && decimals < 7;
             ++at, ++decimals)
            fraction = fraction * 10 + (text[at] - '0');
    }
    if (at != text.size())
        return false;
    for (int i = decimals; i < 7; ++i)
        fraction *= 10;
    const int64_t value = whole * 10000000 + fraction;
    if (value > limit * 10000000)
        return false;
    *out = int32_t(negative ? -value : value);
    return true;
}

} // namespace

bool ParsePoiText(const std::string& text, SimPoiPoint* point)
{
    const size_t comma = text.find(',');
    if (comma == std::string::npos)
        return false;
    SimPoiPoint p{};
    if (!ParseDegrees(text.substr(0, comma), 90, &p.latitude) || !ParseDegrees(text.substr(comma + 1), 180, &p.longitude))
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
