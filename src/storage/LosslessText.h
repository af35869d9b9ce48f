#pragma once
// Names from outside (file names on Linux, names read off a logger) are bytes
// that need not be UTF-8, while the databases and JSON hold UTF-8 text. These
// turn any bytes into UTF-8 text and back without loss: a byte that is not part
// of a valid UTF-8 sequence becomes "\xNN" (two upper-case hex digits), and a
// backslash that would read as such an escape becomes "\x5C". Valid UTF-8 without
// such a backslash, which is nearly every name, is stored unchanged.

#include <string>

std::string LosslessText(const std::string& bytes);
std::string BytesOfLosslessText(const std::string& text);
