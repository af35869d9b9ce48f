#include "basics/MapLink.h"

#include <cerrno>
#include <cinttypes>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

bool ParseInteger(const std::string& text, int64_t& value)
{
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < INT32_MIN || v > INT32_MAX)
        return false;
    value = v;
    return true;
}

} // namespace

std::string MapLinkFor(const std::string& latText, const std::string& lonText)
{
    int64_t lat = 0, lon = 0;
    if (!ParseInteger(latText, lat) || !ParseInteger(lonText, lon))
        return {};
    const char* latSign = lat < 0 ? "-" : "";
    const char* lonSign = lon < 0 ? "-" : "";
    lat = lat < 0 ? -lat : lat;
    lon = lon < 0 ? -lon : lon;
    char query[160];
    std::snprintf(query, sizeof query, "/maps?q=%s%" PRId64 ".%07" PRId64 ",%s%" PRId64 ".%07" PRId64
                  "&spn=0.05636,0.011996&t=k  ",
                  latSign, lat / 10000000, lat % 10000000, lonSign, lon / 10000000, lon % 10000000);
    return std::string(kMapServiceAddress) + query;
}
