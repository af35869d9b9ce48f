#include "device/UserNameText.h"

#include <algorithm>
#include <cstdio>

namespace {

// The code point at text[at] and its length in bytes; 0 bytes when the bytes there
// are not well-formed UTF-8 (overlong forms and surrogates included).
size_t DecodeUtf8(const std::string& text, size_t at, uint32_t* codePoint)
{
    const auto byte = [&](size_t i) { return uint8_t(text[i]); };
    const uint8_t lead = byte(at);
    size_t length;
    uint32_t value;
    uint32_t lowest;
    if (lead < 0x80)
        return *codePoint = lead, 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2, value = lead & 0x1Fu, lowest = 0x80;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, value = lead & 0x0Fu, lowest = 0x800;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, value = lead & 0x07u, lowest = 0x10000;
    else
        return 0;
    if (at + length > text.size())
        return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (byte(at + i) & 0x3Fu);
    }
    if (value < lowest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    *codePoint = value;
    return length;
}

bool IsControl(uint32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

const char* ControlName(uint32_t c)
{
    switch (c) {
    case 0x09: return " (TAB)";
    case 0x0A: return " (line feed)";
    case 0x0D: return " (carriage return)";
    case 0x1B: return " (ESC)";
    case 0x7F: return " (DEL)";
    default: return "";
    }
}

} // namespace

UserNameCheck InspectUserName(const std::string& text)
{
    UserNameCheck check;
    check.name = text;
    check.name.erase(std::remove(check.name.begin(), check.name.end(), ' '), check.name.end());
    const std::string& name = check.name;
    check.bytes = name.size();
    for (size_t at = 0; at < name.size();) {
        uint32_t c = 0;
        const size_t length = DecodeUtf8(name, at, &c);
        if (length == 0) {
            check.fault = UserNameFault::NotUtf8;
            check.badByte = uint8_t(name[at]);
            check.at = at + 1;
            return check;
        }
        ++check.characters;
        if (IsControl(c)) {
            check.fault = UserNameFault::ControlCharacter;
            check.codePoint = c;
            check.at = check.characters;
            return check;
        }
        at += length;
    }
    if (name.empty())
        check.fault = UserNameFault::Empty;
    else if (name.size() > kUserNameBytesMax)
        check.fault = UserNameFault::TooLong;
    return check;
}

std::string UserNameFaultText(const UserNameCheck& check)
{
    char text[128] = "";
    switch (check.fault) {
    case UserNameFault::None:
        break;
    case UserNameFault::Empty:
        std::snprintf(text, sizeof text, "nothing is left once blanks are dropped; the device stores 1 to %zu bytes",
                      kUserNameBytesMax);
        break;
    case UserNameFault::TooLong:
        std::snprintf(text, sizeof text,
                      "%zu bytes (%zu characters) once blanks are dropped; the device stores 1 to %zu bytes",
                      check.bytes, check.characters, kUserNameBytesMax);
        break;
    case UserNameFault::NotUtf8:
        std::snprintf(text, sizeof text, "byte 0x%02X at byte %zu is not UTF-8 text", unsigned(check.badByte),
                      check.at);
        break;
    case UserNameFault::ControlCharacter:
        std::snprintf(text, sizeof text, "control character U+%04X%s at character %zu", unsigned(check.codePoint),
                      ControlName(check.codePoint), check.at);
        break;
    }
    return text;
}
