// Any bytes as an INI file: read keys, rewrite one, and check that nothing
// outside the rewritten section changed beyond white space and blank lines.

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "prodtest/MinIni.h"

namespace {

bool White(unsigned char c)
{
    return static_cast<signed char>(c) <= 32 && c != 0;
}

bool NamesSection(const std::string& piece, const std::string& section)
{
    const std::string text(piece.c_str());
    size_t at = 0;
    while (at < text.size() && White(static_cast<unsigned char>(text[at])))
        ++at;
    if (at >= text.size() || text[at] != '[')
        return false;
    const size_t close = text.find(']', at);
    if (close == std::string::npos || close != at + section.size() + 1)
        return false;
    for (size_t i = 0; i < section.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[at + 1 + i])) != std::tolower(static_cast<unsigned char>(section[i])))
            return false;
    return true;
}

bool IsHeader(const std::string& piece)
{
    const std::string text(piece.c_str());
    size_t at = 0;
    while (at < text.size() && White(static_cast<unsigned char>(text[at])))
        ++at;
    return at < text.size() && text[at] == '[';
}

// The bytes outside the target section, white space removed.
std::string Outside(const std::string& file, const std::string& section)
{
    std::string kept;
    bool inTarget = section.empty();
    bool targetSeen = section.empty();
    for (size_t at = 0; at < file.size();) {
        size_t n = 0;
        while (n < 511 && at + n < file.size()) {
            ++n;
            if (file[at + n - 1] == '\n')
                break;
        }
        const std::string piece = file.substr(at, n);
        at += n;
        if (IsHeader(piece)) {
            inTarget = !targetSeen && NamesSection(piece, section);
            targetSeen = targetSeen || inTarget;
        }
        if (inTarget)
            continue;
        for (char c : piece)
            if (!White(static_cast<unsigned char>(c)))
                kept.push_back(c);
    }
    return kept;
}

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    static const std::string dir = [] {
        char name[] = "/tmp/vr60-fuzz-ini.XXXXXX";
        return std::string(mkdtemp(name));
    }();
    const std::string path = dir + "/f.ini";
    const std::string before(reinterpret_cast<const char*>(data) + 2, size - 2);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << before;

    static const char* const sections[] = {"", "S", "vr60test"};
    const std::string section = sections[data[1] % 3];
    char buffer[512];
    IniGetString(section.c_str(), "k", "d", buffer, sizeof buffer, path.c_str());
    IniGetLong(section.c_str(), "n", 1, path.c_str());

    int result = 0;
    switch (data[0] % 3) {
    case 0: result = IniPutString(section.c_str(), "k", "new value", path.c_str()); break;
    case 1: result = IniPutString(section.c_str(), "k", nullptr, path.c_str()); break;
    default: result = IniPutString(section.c_str(), nullptr, nullptr, path.c_str()); break;
    }
    if (result != 1)
        std::abort();
    const std::string after = Slurp(path);
    // A deleted named section is gone: in the new file nothing is left out (a later
    // section of the same name must stay, and would otherwise count as the target).
    const bool deleted = data[0] % 3 == 2 && !section.empty();
    if (Outside(before, section) != Outside(after, deleted ? std::string("\n") : section))
        std::abort();
    if (data[0] % 3 == 0) {
        IniGetString(section.c_str(), "k", "", buffer, sizeof buffer, path.c_str());
    }
    return 0;
}
