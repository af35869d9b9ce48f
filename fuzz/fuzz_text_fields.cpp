// Texts from outside: the version splitter, the text-field copy and the
// file-name guard (device texts), and the POI coordinate pairs (typed texts). Byte 0 and 1 size the splitter's buffers, byte 2 the field;
// the rest is the device's text. Buffers are exactly as large as stated, so a
// byte written past one is caught.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "basics/Text.h"
#include "link/PoiCoordinates.h"

namespace {

bool ValidUtf8(const std::string& text)
{
    for (size_t i = 0; i < text.size();) {
        const unsigned char u = static_cast<unsigned char>(text[i]);
        const size_t n = u < 0x80 ? 1 : (u & 0xE0) == 0xC0 ? 2 : (u & 0xF0) == 0xE0 ? 3 : (u & 0xF8) == 0xF0 ? 4 : 0;
        if (n == 0 || (n == 2 && u < 0xC2) || i + n > text.size())
            return false;
        for (size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += n;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    const size_t firstSize = data[0] % 80;
    const size_t restSize = data[1] % 80;
    const int fieldChars = data[2];
    data += 3;
    size -= 3;

    const std::string text = TextFromPayload(data, int(size), fieldChars);
    if (text.size() > size || int(text.size()) > fieldChars || text.find('\0') != std::string::npos)
        std::abort();

    const std::unique_ptr<char[]> first(new char[firstSize]);
    const std::unique_ptr<char[]> rest(new char[restSize]);
    SplitVersionText(text.c_str(), first.get(), firstSize, rest.get(), restSize);
    if (firstSize) {
        const size_t n = strnlen(first.get(), firstSize);
        if (n == firstSize || text.compare(0, n, first.get()) != 0 || std::memchr(first.get(), ',', n))
            std::abort();
    }
    if (restSize) {
        const size_t n = strnlen(rest.get(), restSize);
        if (n == restSize || text.find(std::string(rest.get(), n)) == std::string::npos)
            std::abort();
    }

    // A name made safe is valid UTF-8 without separators, "..", control or reserved
    // characters, and stays as it is when made safe again.
    const std::string raw(reinterpret_cast<const char*>(data), size);
    const std::string safe = FileNameSafe(raw);
    if (!ValidUtf8(safe) || safe.size() > 2 * raw.size() || safe.find("..") != std::string::npos ||
        safe.find_first_of("/\\:*?\"<>|") != std::string::npos || FileNameSafe(safe) != safe)
        std::abort();
    for (const char c : safe)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            std::abort();

    // A pair that parses is in range and comes back unchanged from its own text.
    int32_t latitude = 0;
    int32_t longitude = 0;
    if (ParsePoiPair(raw, &latitude, &longitude)) {
        if (latitude < -900000000 || latitude > 900000000 || longitude < -1800000000 || longitude > 1800000000)
            std::abort();
        int32_t lat2 = 0;
        int32_t lon2 = 0;
        if (!ParsePoiPair(PoiCoordinateText(latitude) + "," + PoiCoordinateText(longitude), &lat2, &lon2) ||
            lat2 != latitude || lon2 != longitude)
            std::abort();
    }
    return 0;
}
