#include "platform/Clock.h"

#include <ctime>

LocalDateTime Clock::localNow() const
{
    const std::time_t now = std::time(nullptr);
    std::tm t{};
#ifdef _WIN32
    localtime_s(&t, &now);
#else
    localtime_r(&now, &t);
#endif
    return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
}

int Clock::standardBiasMinutes() const
{
#ifdef _WIN32
    _tzset();
    // _timezone, not _get_timezone: the C runtime MinGW links (msvcrt.dll) has only the variable.
    const long seconds = _timezone;
#else
    tzset();
    const long seconds = timezone;
#endif
    return int(seconds / 60);   // seconds west of UTC
}
