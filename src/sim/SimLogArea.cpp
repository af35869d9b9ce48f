#include "sim/SimLogArea.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

#include "link/FrameParser.h"
#include "platform/CivilDays.h"
#include "sim/SimDevice.h"

namespace {

constexpr uint32_t kRecordBytes = 32;


struct Random {
    uint32_t state;
    uint32_t next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    // -range..range
    int spread(int range) { return int(next() % uint32_t(2 * range + 1)) - range; }
};

} // namespace

std::vector<uint8_t> GenerateSbpRecords(uint32_t count, uint32_t seed)
{
    std::vector<uint8_t> out(size_t(count) * kRecordBytes);
    Random rnd{seed * 2654435761u + 0x9E3779B9u};
    if (rnd.state == 0)
        rnd.state = 1;
    // 2024-06-01 plus up to four weeks, 09:00:00 UTC.
    const int64_t startDay = 19875 + int64_t(seed % 28);
    double lat = 52.0 + (seed % 100) * 0.01;
    double lon = 4.5 + (seed % 37) * 0.01;
    double alt = 120.0;
    int speed = 800;     // cm/s
    int course = 9000;   // 0.01 degree
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t* r = out.data() + size_t(i) * kRecordBytes;
        const int64_t secondsOfTrack = 9 * 3600 + i / 5;
        int year = 0, month = 0, day = 0;
        CivilFromDays(startDay + secondsOfTrack / 86400, year, month, day);
        const int64_t s = secondsOfTrack % 86400;
        const uint32_t packed = uint32_t(s % 60) | uint32_t(s / 60 % 60) << 6 | uint32_t(s / 3600) << 12 |
                                uint32_t(day) << 17 | uint32_t((year - 2000) * 12 + month) << 22;

        speed = std::clamp(speed + rnd.spread(40), 0, 3500);
        course = (course + rnd.spread(150) + 36000) % 36000;
        const double metres = speed / 100.0 * 0.2;
        const double heading = course / 100.0 * M_PI / 180.0;
        lat += metres * std::cos(heading) / 111320.0;
        lon += metres * std::sin(heading) / (111320.0 * std::cos(lat * M_PI / 180.0));
        const int climb = rnd.spread(30);
        alt += climb / 100.0 * 0.2;

        r[0] = uint8_t(4 + rnd.next() % 5);
        r[1] = uint8_t(7 + rnd.next() % 6);
        PutLe16(r + 2, uint16_t((i % 5) * 200));
        PutLe32(r + 4, packed);
        PutLe32(r + 8, 0x0C21A496u ^ (rnd.next() & 0x00100100u));
        PutLe32(r + 12, uint32_t(int32_t(std::lround(lat * 1e7))));
        PutLe32(r + 16, uint32_t(int32_t(std::lround(lon * 1e7))));
        PutLe32(r + 20, uint32_t(int32_t(std::lround(alt * 100))));
        PutLe16(r + 24, uint16_t(speed));
        PutLe16(r + 26, uint16_t(course));
        PutLe16(r + 28, uint16_t(int16_t(climb)));
        r[30] = i % 3000 == 0 ? 0x08 : 0x00;   // bit 3: first point of a track segment
        r[31] = 0;
    }
    return out;
}

SimLogArea::SimLogArea() : memory_(kTrackStoreBytes, 0xFF)
{
    const uint16_t maxima[10] = {2894, 2750, 2711, 2630, 2502, 2466, 2381, 2290, 2215, 2104};
    const uint16_t averages[10] = {2610, 2544, 2431, 2398, 2312, 2207, 2150, 2063, 1987, 1900};
    std::copy(std::begin(maxima), std::end(maxima), top10.begin());
    std::copy(std::begin(averages), std::end(averages), top10.begin() + 10);
}

namespace {

bool ReadFile(const std::string& path, std::vector<uint8_t>* bytes, std::string* error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error)
            *error = "cannot read " + path;
        return false;
    }
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

} // namespace

bool SimLogArea::loadFile(const std::string& path, std::string* error)
{
    std::vector<uint8_t> bytes;
    if (!ReadFile(path, &bytes, error))
        return false;
    setRecords(std::move(bytes));
    return true;
}

bool SimLogArea::loadTrackStore(const std::string& path, std::string* error)
{
    std::vector<uint8_t> image;
    if (!ReadFile(path, &image, error))
        return false;
    if (image.size() != kTrackStoreBytes) {
        if (error)
            *error = path + " is not a 65536-byte track image";
        return false;
    }
    setTrackStore(image);
    return true;
}

void SimLogArea::setRecords(std::vector<uint8_t> records)
{
    records.resize(records.size() / kRecordBytes * kRecordBytes);
    fileRecords_ = std::move(records);
    fromFile_ = true;
    built_ = false;
}

void SimLogArea::ensure(SimDevice& device)
{
    if (!built_)
        build(device);
}

void SimLogArea::build(SimDevice& device)
{
    SimDeviceModel& m = device.model;
    areaSize_ = m.logAreaBytes / kRecordBytes * kRecordBytes;
    // The track store below the area keeps its contents.
    memory_.resize(kAreaStart);
    memory_.resize(size_t(kAreaStart) + areaSize_, 0xFF);
    // A ring as full as its area would look empty (blank == start): one record stays free.
    const uint32_t capacity = areaSize_ >= 2 * kRecordBytes ? areaSize_ / kRecordBytes - 1 : 0;
    std::vector<uint8_t> records =
        fromFile_ ? fileRecords_ : GenerateSbpRecords(uint32_t(std::max(m.pointsLogged, 0)), seed);
    const uint32_t count = std::min<uint32_t>(uint32_t(records.size() / kRecordBytes), capacity);
    const uint32_t offset = areaSize_ ? ringOffset / kRecordBytes * kRecordBytes % areaSize_ : 0;
    for (uint32_t i = 0; i < count * kRecordBytes; ++i)
        memory_[kAreaStart + (offset + i) % areaSize_] = records[i];
    ringStart_ = kAreaStart + offset;
    ringBlank_ = areaSize_ ? kAreaStart + (offset + count * kRecordBytes) % areaSize_ : kAreaStart;
    m.pointsLogged = int32_t(count);
    built_ = true;
}

std::vector<uint8_t> SimLogArea::loggedBytes(SimDevice& device)
{
    ensure(device);
    const uint32_t used = ringBlank_ >= ringStart_ ? ringBlank_ - ringStart_ : areaSize_ + ringBlank_ - ringStart_;
    std::vector<uint8_t> out(used);
    for (uint32_t i = 0; i < used; ++i)
        out[i] = memory_[kAreaStart + (ringStart_ - kAreaStart + i) % areaSize_];
    return out;
}

uint8_t SimLogArea::byteAt(uint32_t address) const
{
    return address < memory_.size() ? memory_[address] : 0xFF;
}

void SimLogArea::eraseLog(SimDevice& device)
{
    ensure(device);
    std::fill(memory_.begin() + kAreaStart, memory_.end(), 0xFF);
    ringStart_ = ringBlank_ = kAreaStart;
    device.model.pointsLogged = 0;
}

bool SimLogArea::program(uint32_t address, const uint8_t* data, uint32_t count)
{
    if (uint64_t(address) + count > memory_.size())
        return false;
    for (uint32_t i = 0; i < count; ++i)
        memory_[address + i] &= data[i];
    return true;
}

void SimLogArea::setTrackStore(const std::vector<uint8_t>& image)
{
    std::fill(memory_.begin(), memory_.begin() + kTrackStoreBytes, 0xFF);
    std::copy_n(image.begin(), std::min<size_t>(image.size(), kTrackStoreBytes), memory_.begin());
}

void SimLogArea::install(SimDevice& device)
{
    // The logger status reports the ring's point count: build the ring first.
    const SimDevice::Handler status = device.handler(0x505);
    device.setHandler(0x505, [status](SimDevice& d, const uint8_t* payload, int length) {
        d.logArea.ensure(d);
        if (status)
            status(d, payload, length);
    });

    // Message 11 is the settings read; on firmware where it is the quick clear, it erases the log.
    const SimDevice::Handler settingsRead = device.handler(0x0B);
    device.setHandler(0x0B, [settingsRead](SimDevice& d, const uint8_t* payload, int length) {
        if (d.logArea.quickClearOn11) {
            d.logArea.eraseLog(d);
            d.ack();
        } else if (settingsRead) {
            settingsRead(d, payload, length);
        }
    });

    device.setHandler(4, [](SimDevice& d, const uint8_t* payload, int length) {
        if (length != 7)
            return;
        SimLogArea& a = d.logArea;
        a.ensure(d);
        const uint32_t address = Le32(payload + 1);
        const uint32_t count = uint32_t(payload[5] | payload[6] << 8);
        if (count + 1 > uint32_t(kMaxPayload))
            return;
        std::vector<uint8_t> data(count);
        for (uint32_t i = 0; i < count; ++i)
            data[i] = a.byteAt(address + i);
        d.reply(0x84, data);
    });

    // Full clear: acknowledged at once, the completion (0x84) follows when the erase is done.
    device.setHandler(0x504, [](SimDevice& d, const uint8_t*, int) {
        d.ack();
        if (SimDevice::takeFault(d.faults.noCompletion, 0x504))
            return;
        d.logArea.eraseLog(d);
        d.replyLater(d.logArea.clearDelayMs, 0x84, {});
    });

    device.setHandler(0x1E, [](SimDevice& d, const uint8_t* payload, int length) {
        if (length != 5)
            return;
        SimLogArea& a = d.logArea;
        a.ensure(d);
        const uint32_t sector = Le32(payload + 1) / kSectorBytes * kSectorBytes;
        for (uint32_t i = 0; i < kSectorBytes && sector + i < a.memory_.size(); ++i)
            a.memory_[sector + i] = 0xFF;
        a.erasedSectors.push_back(sector);
        d.ack();
    });

    device.setHandler(50, [](SimDevice& d, const uint8_t* payload, int length) {
        if (length < 2 || payload[1] >= 4)
            return;
        ++d.logArea.waypointDeletes[payload[1]];
        d.ack();
    });

    device.setHandler(0x49, [](SimDevice& d, const uint8_t*, int) {
        std::vector<uint8_t> data;
        for (uint16_t v : d.logArea.top10) {
            data.push_back(uint8_t(v));
            data.push_back(uint8_t(v >> 8));
        }
        d.reply(0xC9, data);
    });

    device.setHandler(0x4A, [](SimDevice& d, const uint8_t*, int) {
        d.logArea.top10.fill(0);
        d.ack();
    });

    device.setHandler(0x4B, [](SimDevice& d, const uint8_t*, int) {
        SimLogArea& a = d.logArea;
        a.ensure(d);
        std::vector<uint8_t> data;
        AppendLe32(data, kAreaStart);
        AppendLe32(data, a.areaSize_);
        AppendLe32(data, a.ringStart_);
        AppendLe32(data, a.ringBlank_);
        d.reply(0xCB, data);
    });
}
