#include "basics/Text.h"

#include <cstdio>
#include <cstring>

std::string TextFromPayload(const uint8_t* data, int available, int fieldChars)
{
    std::string text;
    for (int i = 0; i < available && i < fieldChars && data[i] != 0; ++i)
        text.push_back(data[i] < 0x20 || data[i] == 0x7F ? '?' : char(data[i]));
    return text;
}

void SplitVersionText(const char* source, char* first, size_t firstSize, char* rest, size_t restSize)
{
    const char* p = source;
    size_t n = 0;
    while (*p && *p != ',' && n + 1 < firstSize)
        first[n++] = *p++;
    if (firstSize)
        first[n] = '\0';
    if (*p)
        ++p;   // the comma, or the character at which copying stopped
    for (int skipped = 0; *p && *p != ',' && skipped < 30; ++skipped)
        ++p;
    if (*p == ',')
        ++p;
    n = 0;
    while (*p && n + 1 < restSize)
        rest[n++] = *p++;
    if (restSize)
        rest[n] = '\0';
}

std::string FormatDateStamp(const LocalDateTime& t, bool separated)
{
    char text[32];
    std::snprintf(text, sizeof text, separated ? "%04d-%02d-%02d" : "%04d%02d%02d", t.year, t.month, t.day);
    return text;
}

std::string FormatTimeStamp(const LocalDateTime& t, bool separated)
{
    char text[32];
    std::snprintf(text, sizeof text, separated ? "%02d:%02d:%02d" : "%02d%02d%02d", t.hour, t.minute, t.second);
    return text;
}

namespace {

// Length of the well-formed UTF-8 sequence at text[at] (shortest form, no surrogates), or 0.
size_t Utf8SequenceAt(const std::string& text, size_t at)
{
    const auto byte = [&](size_t i) { return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u; };
    const unsigned b0 = byte(at);
    const auto cont = [&](size_t i, unsigned low, unsigned high) { return byte(i) >= low && byte(i) <= high; };
    if (b0 >= 0xC2 && b0 <= 0xDF)
        return cont(at + 1, 0x80, 0xBF) ? 2 : 0;
    if (b0 >= 0xE0 && b0 <= 0xEF) {
        const unsigned low = b0 == 0xE0 ? 0xA0 : 0x80;
        const unsigned high = b0 == 0xED ? 0x9F : 0xBF;
        return cont(at + 1, low, high) && cont(at + 2, 0x80, 0xBF) ? 3 : 0;
    }
    if (b0 >= 0xF0 && b0 <= 0xF4) {
        const unsigned low = b0 == 0xF0 ? 0x90 : 0x80;
        const unsigned high = b0 == 0xF4 ? 0x8F : 0xBF;
        return cont(at + 1, low, high) && cont(at + 2, 0x80, 0xBF) && cont(at + 3, 0x80, 0xBF) ? 4 : 0;
    }
    return 0;
}

} // namespace

std::string FileNameSafe(const std::string& name)
{
    // The device stores single bytes: UTF-8 stays, any other byte above 0x9F is read as
    // Latin-1, so the name is always valid UTF-8.
    std::string safe;
    for (size_t i = 0; i < name.size();) {
        const unsigned char u = static_cast<unsigned char>(name[i]);
        if (u < 0x80) {
            safe.push_back(u < 0x20 || u == 0x7F || std::strchr("/\\:*?\"<>|", char(u)) ? '_' : char(u));
            ++i;
        } else if (const size_t n = Utf8SequenceAt(name, i)) {
            safe.append(name, i, n);
            i += n;
        } else {
            if (u >= 0xA0) {
                safe.push_back(char(0xC0 | (u >> 6)));
                safe.push_back(char(0x80 | (u & 0x3F)));
            } else {
                safe.push_back('_');
            }
            ++i;
        }
    }
    for (size_t at = safe.find(".."); at != std::string::npos; at = safe.find("..", at))
        safe.replace(at, 2, "__");
    return safe;
}

bool StrictInteger(const std::string& text, int32_t* value)
{
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i == text.size())
        return false;
    long long v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        v = v * 10 + (text[i] - '0');
        if (v > 2147483648LL)
            return false;
    }
    v = negative ? -v : v;
    if (v > INT32_MAX || v < INT32_MIN)
        return false;
    *value = int32_t(v);
    return true;
}

std::vector<std::string> SplitText(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    size_t at = 0;
    for (;;) {
        const size_t end = text.find(separator, at);
        parts.push_back(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
        if (end == std::string::npos)
            return parts;
        at = end + 1;
    }
}
