#include "TerminalText.h"

#include <cstdint>

#include "storage/LosslessText.h"

std::string TerminalText(const std::string& text)
{
    // Bytes that are not UTF-8 become "\xNN" here already.
    const std::string utf8 = LosslessText(text);
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size(); ++i) {
        const uint8_t c = uint8_t(utf8[i]);
        const bool c1 = c == 0xC2 && i + 1 < utf8.size() && uint8_t(utf8[i + 1]) >= 0x80 && uint8_t(utf8[i + 1]) <= 0x9F;
        if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F || c1) {
            static const char kDigits[] = "0123456789ABCDEF";
            const uint8_t shown = c1 ? uint8_t(utf8[++i]) : c;   // C1 controls by their code point
            out += "\\x";
            out += kDigits[shown >> 4];
            out += kDigits[shown & 15];
        } else {
            out += char(c);
        }
    }
    return out;
}
