#include "pointlog/LogPoint.h"

#include <algorithm>

namespace {

constexpr int64_t kDayMs = 86400000;

// Days since 1970-01-01 of a civil date, and back (H. Hinnant's algorithms).
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    day = int(doy - (153 * mp + 2) / 5 + 1);
    month = int(mp < 10 ? mp + 3 : mp - 9);
    year = int(yoe + era * 400 + (month <= 2));
}

void Put(std::vector<uint8_t>& out, size_t at, uint64_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out[at + size_t(i)] = uint8_t(v >> (8 * i));
}

int64_t Clamp(int64_t v, int64_t lo, int64_t hi) { return std::min(std::max(v, lo), hi); }

} // namespace

int64_t UnixMs(int year, int month, int day, int hour, int minute, int second, int64_t ms)
{
    return (DaysFromCivil(year, month, day) * 86400 + int64_t(hour) * 3600 + int64_t(minute) * 60 + second) * 1000 + ms;
}

uint64_t LeN(const uint8_t* p, int bytes)
{
    uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | p[i];
    return v;
}

uint64_t BeN(const uint8_t* p, int bytes)
{
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v = v << 8 | p[i];
    return v;
}

bool AppendSbpPoint(std::vector<uint8_t>& sbp, const LogPoint& p)
{
    const int64_t days = p.timeMs >= 0 ? p.timeMs / kDayMs : -((-p.timeMs + kDayMs - 1) / kDayMs);
    const int64_t inDay = p.timeMs - days * kDayMs;
    int year = 0, month = 0, day = 0;
    CivilFromDays(days, year, month, day);
    if (year < 2000 || year > 2084)
        return false;
    const int64_t seconds = inDay / 1000;
    const uint32_t utc = uint32_t((year - 2000) * 12 + month) << 22 | uint32_t(day) << 17 |
                         uint32_t(seconds / 3600) << 12 | uint32_t(seconds / 60 % 60) << 6 | uint32_t(seconds % 60);
    const size_t at = sbp.size();
    sbp.resize(at + 32);
    sbp[at] = uint8_t(Clamp((p.hdopCenti * 5 + 50) / 100, 0, 255));   // SBP keeps HDOP in 0.2
    sbp[at + 1] = uint8_t(Clamp(p.satellites, 0, 255));
    Put(sbp, at + 2, uint64_t(inDay % 1000), 2);
    Put(sbp, at + 4, utc, 4);
    Put(sbp, at + 8, p.satelliteSet, 4);
    Put(sbp, at + 12, uint32_t(p.latitude), 4);
    Put(sbp, at + 16, uint32_t(p.longitude), 4);
    Put(sbp, at + 20, uint32_t(p.altitudeCm), 4);
    Put(sbp, at + 24, uint64_t(Clamp((p.speedMmS + 5) / 10, 0, 65535)), 2);
    Put(sbp, at + 26, uint64_t((p.courseCentiDeg % 36000 + 36000) % 36000), 2);
    Put(sbp, at + 28, 0, 2);
    sbp[at + 30] = p.speedErrorMmS > 0 ? uint8_t(Clamp((p.speedErrorMmS + 5) / 10, 1, 255)) : 0;
    sbp[at + 31] = 0;
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
