#include "sbp/SbpLogCheck.h"

#include <algorithm>
#include <cstdlib>

#include "platform/ResultCode.h"
#include "sbp/SbpRecord.h"
#include "sbp/SbpRecordStream.h"

namespace {

constexpr size_t kRecordBytes = 32;
constexpr int kFirstYear = 2005, kLastYear = 2069;
constexpr int kMaxSatellites = 32;
constexpr int32_t kMaxLatitude = 900000000, kMaxLongitude = 1800000000;   // 1e-7 degrees
constexpr uint16_t kMaxSpeed = 27778;                                      // cm/s: 1000 km/h

bool IsBlank(const uint8_t* record)
{
    const auto all = [record](uint8_t value) {
        return std::all_of(record, record + kRecordBytes, [value](uint8_t b) { return b == value; });
    };
    return all(0xFF) || all(0x00);
}

} // namespace

bool IsPlausibleSbpRecord(const uint8_t* bytes)
{
    const SbpRecord r = ReadSbpRecord(bytes);
    SbpTime t;
    if (UnpackSbpTime(r.utc, t) != kSbpTimeValid)
        return false;
    const int year = 2000 + t.yearOffset;
    return year >= kFirstYear && year <= kLastYear && r.satellites <= kMaxSatellites &&
           std::abs(int64_t(r.latitude)) <= kMaxLatitude && std::abs(int64_t(r.longitude)) <= kMaxLongitude &&
           r.speed < kMaxSpeed;
}

void SbpLogTally::add(const uint8_t* data, size_t count)
{
    records += count;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* record = data + i * kRecordBytes;
        if (IsBlank(record))
            ++blank;
        else if (IsPlausibleSbpRecord(record))
            ++plausible;
    }
}

void SbpLogTally::addImage(const uint8_t* image, size_t size)
{
    const size_t skip = HasSbpHeader(image, size) ? std::min(size, kSbpHeaderBytes) : 0;
    add(image + skip, (size - skip) / kRecordBytes);
}

bool SbpLogTally::looksLikeLog() const
{
    const size_t written = records - blank;
    return written > 0 && plausible * 2 >= written;
}

int TallySbpFile(const std::string& name, SbpLogTally& tally)
{
    tally = SbpLogTally();
    SbpRecordStream stream(name);
    const uint8_t* records = nullptr;
    while (const size_t n = stream.next(&records))
        tally.add(records, n);
    return stream.status() == kOk && stream.readError() != 0 ? kCannotOpen : stream.status();
}

std::string NotALogText(const std::string& file, const SbpLogTally& tally)
{
    const std::string lead = file + " does not look like a VR60 log: ";
    if (tally.records == 0)
        return lead + "it holds no whole 32-byte record";
    if (tally.blank == tally.records)
        return lead + "its " + std::to_string(tally.records) + " records are all blank (erased memory)";
    return lead + "only " + std::to_string(tally.plausible) + " of its " + std::to_string(tally.records - tally.blank) +
           (tally.plausible == 1 ? " records holds" : " records hold") + " a plausible date, position and speed";
}
