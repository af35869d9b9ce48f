#include "pointlog/LogPoint.h"

#include <algorithm>

#include "platform/CivilDays.h"

namespace {

constexpr int64_t kDayMs = 86400000;

void Put(uint8_t* out, uint64_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out[i] = uint8_t(v >> (8 * i));
}

int64_t Clamp(int64_t v, int64_t lo, int64_t hi) { return std::min(std::max(v, lo), hi); }

} // namespace

int64_t UnixMs(int year, int month, int day, int hour, int minute, int second, int64_t ms)
{
    return (DaysFromCivil(year, month, day) * 86400 + int64_t(hour) * 3600 + int64_t(minute) * 60 + second) * 1000 + ms;
}

bool AppendSbpPoint(std::vector<uint8_t>& sbp, const LogPoint& p)
{
    if (p.timeMs < 0)
        return false;   // before 2000 anyway
    const int64_t days = p.timeMs / kDayMs;
    const int64_t inDay = p.timeMs - days * kDayMs;
    // A log's points share their day: the calendar is worked out once per day.
    thread_local int64_t lastDays = -1;
    thread_local uint32_t dateBits = 0;   // 0: no SBP date
    if (days != lastDays) {
        int year = 0, month = 0, day = 0;
        CivilFromDays(days, year, month, day);
        lastDays = days;
        dateBits = year < 2000 || year > 2084 ? 0 : uint32_t((year - 2000) * 12 + month) << 22 | uint32_t(day) << 17;
    }
    if (dateBits == 0)
        return false;
    const uint32_t seconds = uint32_t(inDay / 1000);
    const uint32_t utc = dateBits | (seconds / 3600) << 12 | (seconds / 60 % 60) << 6 | seconds % 60;
    uint8_t r[32];
    r[0] = uint8_t(Clamp((p.hdopCenti * 5 + 50) / 100, 0, 255));   // SBP keeps HDOP in 0.2
    r[1] = uint8_t(Clamp(p.satellites, 0, 255));
    Put(r + 2, uint64_t(inDay - int64_t(seconds) * 1000), 2);
    Put(r + 4, utc, 4);
    Put(r + 8, p.satelliteSet, 4);
    Put(r + 12, uint32_t(p.latitude), 4);
    Put(r + 16, uint32_t(p.longitude), 4);
    Put(r + 20, uint32_t(p.altitudeCm), 4);
    Put(r + 24, uint64_t(Clamp((p.speedMmS + 5) / 10, 0, 65535)), 2);
    Put(r + 26, uint64_t((p.courseCentiDeg % 36000 + 36000) % 36000), 2);
    Put(r + 28, 0, 2);
    r[30] = p.speedErrorMmS > 0 ? uint8_t(Clamp((p.speedErrorMmS + 5) / 10, 1, 255)) : 0;
    r[31] = 0;
    sbp.insert(sbp.end(), r, r + 32);
    return true;
}

std::string ReadTally::text() const
{
    std::string out = stop;
    const auto add = [&out](size_t n, const char* what) {
        if (n == 0)
            return;
        if (!out.empty())
            out += "; ";
        out += std::to_string(n) + what;
    };
    add(badFrames, badFrames > 1 ? " frames failed their check and were skipped" : " frame failed its check and was skipped");
    add(undated, undated > 1 ? " points without a usable time were skipped" : " point without a usable time was skipped");
    add(orphans, orphans > 1 ? " delta frames without their full frame were skipped"
                             : " delta frame without its full frame was skipped");
    add(badPoints, badPoints > 1 ? " points that did not read were skipped" : " point that did not read was skipped");
    return out;
}
