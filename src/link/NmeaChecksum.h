#pragma once
// NMEA checksum suffixes, appended in place to a NUL-terminated sentence that
// has room for them, and the blank-dropping string copy.

#include <cstddef>

// XOR of every character after a leading '$' (a first character other than '$' counts), then "*%02X".
void AppendNmeaChecksum(char* sentence);
// XOR of every character of the string, then "*%02X\r\n".
void AppendNmeaChecksumLine(char* sentence);
// Copies src to dst (capacity dstSize, always terminated) without any occurrence of drop.
void CopyWithout(char* dst, size_t dstSize, const char* src, char drop);
