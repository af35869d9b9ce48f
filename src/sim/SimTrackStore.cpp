#include "sim/SimTrackStore.h"

#include <algorithm>
#include <cmath>

#include "sim/SimDevice.h"

std::vector<uint8_t> GenerateTrackImage(const std::array<uint32_t, 4>& pointCounts)
{
    std::vector<uint8_t> image(SimLogArea::kTrackStoreBytes, 0xFF);
    for (uint32_t slot = 0; slot < 4; ++slot) {
        const uint32_t count = std::min(pointCounts[slot], SimTrackStore::kSlotPoints);
        // 2024-06-(1 + slot), from 10:00:00, one point a second.
        double lat = 52.1 - 0.3 * slot;
        double lon = 4.3 + 0.2 * slot;
        double course = 30.0 + 60.0 * slot;   // stays within 10..250: whole degrees fit the byte
        for (uint32_t i = 0; i < count; ++i) {
            const uint32_t s = 10 * 3600 + i;
            const uint32_t packed = (s % 60) | (s / 60 % 60) << 6 | (s / 3600) << 12 | (1 + slot) << 17 |
                                    uint32_t(24 * 12 + 6) << 22;
            const int speedKmh = 20 + int((i * 7 + slot * 13) % 25);
            course += std::sin(i * 0.05) * 0.5;
            const double metres = speedKmh / 3.6;
            lat += metres * std::cos(course * M_PI / 180.0) / 111320.0;
            lon += metres * std::sin(course * M_PI / 180.0) / (111320.0 * std::cos(lat * M_PI / 180.0));
            const int altitude = 15 + int(i % 40);
            std::vector<uint8_t> point;
            AppendLe32(point, packed);
            AppendLe32(point, uint32_t(int32_t(std::lround(lat * 1e7))));
            AppendLe32(point, uint32_t(int32_t(std::lround(lon * 1e7))));
            point.push_back(uint8_t(altitude + 1000));
            point.push_back(uint8_t((altitude + 1000) >> 8));
            point.push_back(uint8_t(std::lround(course)));
            point.push_back(uint8_t(speedKmh));
            std::copy(point.begin(), point.end(),
                      image.begin() + slot * SimTrackStore::kSlotBytes + i * SimTrackStore::kPointBytes);
        }
    }
    return image;
}

void SimTrackStore::install(SimDevice& device)
{
    // Write block: address u32, length u16, the bytes. Only inside the store, at most the buffer's size.
    device.setHandler(0x1D, [](SimDevice& d, const uint8_t* payload, int length) {
        if (length < 7)
            return;
        const uint32_t address = Le32(payload + 1);
        const uint32_t count = uint32_t(payload[5] | payload[6] << 8);
        if (uint32_t(length) != 7 + count || count == 0 || count > d.trackStore.largestBlock() ||
            uint64_t(address) + count > SimLogArea::kTrackStoreBytes)
            return;
        d.logArea.program(address, payload + 7, count);
        ++d.trackStore.blocksWritten;
        d.ack();
    });

    device.setHandler(0x35, [](SimDevice& d, const uint8_t*, int) {
        if (d.trackStore.extendedBuffer)
            d.ack();
    });

    // The store image holds no tag: the device only notes the request.
    device.setHandler(0x37, [](SimDevice& d, const uint8_t* payload, int length) {
        if (length != 2 || payload[1] >= 4)
            return;
        ++d.trackStore.tagInvalidations[payload[1]];
        d.ack();
    });
}
