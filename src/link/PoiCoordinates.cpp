#include "link/PoiCoordinates.h"

#include <cctype>
#include <cstdio>

namespace {

std::string Trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Degrees with up to seven decimals, exactly, as degrees x 10^7 within ±limit degrees.
bool ParseDegrees(const std::string& text, int64_t limit, int32_t* out)
{
    const std::string t = Trimmed(text);
    size_t at = 0;
    const bool negative = at < t.size() && t[at] == '-';
    if (at < t.size() && (t[at] == '-' || t[at] == '+'))
        ++at;
    int64_t whole = 0;
    size_t digits = 0;
    for (; at < t.size() && std::isdigit(static_cast<unsigned char>(t[at])) && digits < 4; ++at, ++digits)
        whole = whole * 10 + (t[at] - '0');
    if (digits == 0)
        return false;
    int64_t fraction = 0;
    int decimals = 0;
    if (at < t.size() && t[at] == '.') {
        for (++at; at < t.size() && std::isdigit(static_cast<unsigned char>(t[at])) && decimals < 7; ++at, ++decimals)
            fraction = fraction * 10 + (t[at] - '0');
        if (decimals == 0)
            return false;
    }
    if (at != t.size())
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

std::string PoiCoordinateText(int32_t value)
{
    const int64_t v = value;
    const int64_t magnitude = v < 0 ? -v : v;
    char text[24];
    std::snprintf(text, sizeof text, "%s%d.%07d", v < 0 ? "-" : "", int(magnitude / 10000000),
                  int(magnitude % 10000000));
    return text;
}

bool ParsePoiPair(const std::string& text, int32_t* latitude, int32_t* longitude)
{
    const size_t comma = text.find(',');
    if (comma == std::string::npos)
        return false;
    int32_t lat = 0, lon = 0;
    if (!ParseDegrees(text.substr(0, comma), 90, &lat) || !ParseDegrees(text.substr(comma + 1), 180, &lon))
        return false;
    *latitude = lat;
    *longitude = lon;
    return true;
}
