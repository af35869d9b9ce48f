#include "connection/TextFields.h"

#include <cstdio>
#include <cstring>

std::string TextFromPayload(const uint8_t* data, int available, int fieldChars)
{
    std::string text;
    for (int i = 0; i < available && i < fieldChars && data[i] != 0; ++i)
        text.push_back(char(data[i]));
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

std::string FileNameSafe(const std::string& name)
{
    std::string safe = name;
    for (char& c : safe) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || std::strchr("/\\:*?\"<>|", c))
            c = '_';
    }
    for (size_t at = safe.find(".."); at != std::string::npos; at = safe.find("..", at))
        safe.replace(at, 2, "__");
    return safe;
}
