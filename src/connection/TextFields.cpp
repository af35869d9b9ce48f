#include "connection/TextFields.h"

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

uint8_t PortNumberOfText(const std::string& comboText)
{
    if (comboText.size() < 4)
        return 0;
    size_t i = 3;
    while (i < comboText.size() && (comboText[i] == ' ' || comboText[i] == '\t'))
        ++i;
    long value = 0;
    bool negative = false;
    if (i < comboText.size() && (comboText[i] == '-' || comboText[i] == '+'))
        negative = comboText[i++] == '-';
    for (; i < comboText.size() && comboText[i] >= '0' && comboText[i] <= '9'; ++i)
        value = (value * 10 + (comboText[i] - '0')) & 0xFFFF;
    return uint8_t(negative ? -value : value);
}

namespace {

// Bytes of the well-formed UTF-8 character at text[at] (1 to 4), or 0 when there is none:
// a stray or cut sequence, an overlong form, a surrogate, or a code past U+10FFFF.
size_t Utf8CharacterBytes(const std::string& text, size_t at)
{
    auto byte = [&text](size_t i) { return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u; };
    const unsigned lead = byte(at);
    if (lead < 0x80)
        return 1;
    size_t bytes = 0;
    unsigned low = 0x80, high = 0xBF;   // the second byte's range
    if (lead >= 0xC2 && lead <= 0xDF) {
        bytes = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        bytes = 3;
        low = lead == 0xE0 ? 0xA0 : low;
        high = lead == 0xED ? 0x9F : high;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        bytes = 4;
        low = lead == 0xF0 ? 0x90 : low;
        high = lead == 0xF4 ? 0x8F : high;
    } else {
        return 0;
    }
    if (byte(at + 1) < low || byte(at + 1) > high)
        return 0;
    for (size_t i = 2; i < bytes; ++i)
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
    return bytes;
}

} // namespace

std::string FileNameSafe(const std::string& name)
{
    std::string safe;
    for (size_t at = 0; at < name.size();) {
        const size_t bytes = Utf8CharacterBytes(name, at);
        const char c = name[at];
        const unsigned char u = static_cast<unsigned char>(c);
        if (bytes == 0 || (bytes == 1 && (u < 0x20 || u == 0x7F || std::strchr("/\\:*?\"<>|", c)))) {
            // A byte outside well-formed UTF-8 would not survive a text conversion of the name.
            safe.push_back('_');
            ++at;
            continue;
        }
        safe.append(name, at, bytes);
        at += bytes;
    }
    for (size_t at = safe.find(".."); at != std::string::npos; at = safe.find("..", at))
        safe.replace(at, 2, "__");
    return safe;
}
