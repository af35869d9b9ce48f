#include "link/NmeaChecksum.h"

#include <cstdio>
#include <cstring>

void AppendNmeaChecksum(char* sentence)
{
    const char* p = sentence;
    if (*p == '$')
        ++p;
    unsigned char x = 0;
    for (; *p; ++p)
        x ^= static_cast<unsigned char>(*p);
    const size_t end = std::strlen(sentence);
    std::snprintf(sentence + end, 4, "*%02X", x);
}

void AppendNmeaChecksumLine(char* sentence)
{
    unsigned char x = 0;
    for (const char* p = sentence; *p; ++p)
        x ^= static_cast<unsigned char>(*p);
    const size_t end = std::strlen(sentence);
    std::snprintf(sentence + end, 6, "*%02X\r\n", x);
}

void CopyWithout(char* dst, size_t dstSize, const char* src, char drop)
{
    if (dstSize == 0)
        return;
    size_t n = 0;
    for (; *src && n + 1 < dstSize; ++src)
        if (*src != drop)
            dst[n++] = *src;
    dst[n] = '\0';
}
