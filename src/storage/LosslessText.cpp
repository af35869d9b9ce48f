#include "storage/LosslessText.h"

#include <cstdint>

namespace {

// The length of the valid UTF-8 sequence at `at`, 0 when there is none
// (stray continuation bytes, overlong forms, surrogates, beyond U+10FFFF).
size_t Utf8SequenceAt(const std::string& s, size_t at)
{
    const auto byte = [&](size_t i) { return i < s.size() ? uint8_t(s[i]) : 0; };
    const uint8_t lead = byte(at);
    size_t length = 0;
    uint8_t low = 0x80, high = 0xBF;   // range of the second byte
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (byte(at + 1) < low || byte(at + 1) > high)
        return 0;
    for (size_t i = 2; i < length; ++i)
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF)
            return 0;
    return length;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool EscapeAt(const std::string& s, size_t at)
{
    return at + 3 < s.size() && s[at] == '\\' && s[at + 1] == 'x' && HexValue(s[at + 2]) >= 0 && HexValue(s[at + 3]) >= 0;
}

void AppendEscaped(std::string& out, uint8_t byte)
{
    static const char kDigits[] = "0123456789ABCDEF";
    out += "\\x";
    out += kDigits[byte >> 4];
    out += kDigits[byte & 15];
}

} // namespace

std::string LosslessText(const std::string& bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (size_t at = 0; at < bytes.size();) {
        const size_t length = Utf8SequenceAt(bytes, at);
        if (length == 0 || EscapeAt(bytes, at)) {
            AppendEscaped(out, uint8_t(bytes[at]));
            ++at;
        } else {
            out.append(bytes, at, length);
            at += length;
        }
    }
    return out;
}

std::string BytesOfLosslessText(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        if (EscapeAt(text, at)) {
            out += char(HexValue(text[at + 2]) * 16 + HexValue(text[at + 3]));
            at += 4;
        } else {
            out += text[at++];
        }
    }
    return out;
}
