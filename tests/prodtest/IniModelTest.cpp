// The INI reader on generated files, checked against a plain model of the reading
// rules written here independently of the reader (in-process: 216 reads).

#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "prodtest/MinIni.h"
#include "support/Files.h"

namespace {

bool Blank(unsigned char c)
{
    return c >= 1 && (c <= 32 || c >= 128);
}

std::string Strip(const std::string& s)
{
    size_t b = 0, e = s.size();
    while (b < e && Blank(static_cast<unsigned char>(s[b])))
        ++b;
    while (e > b && Blank(static_cast<unsigned char>(s[e - 1])))
        --e;
    return s.substr(b, e - b);
}

std::string Lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = char(c + 32);
    return s;
}

// The model: split into lines, find the section, then the first matching key.
std::string ModelGet(const std::string& file, const std::string& section, const std::string& key, const std::string& def)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < file.size()) {
        size_t end = file.find('\n', start);
        end = end == std::string::npos ? file.size() : end + 1;
        lines.push_back(file.substr(start, end - start));   // lines here are shorter than 511 bytes
        start = end;
    }
    bool inside = section.empty();
    for (const std::string& raw : lines) {
        const std::string line = Strip(raw);
        if (!line.empty() && line[0] == '[') {
            if (inside)
                return def;
            const size_t close = line.find(']');
            inside = close != std::string::npos && Lower(line.substr(1, close - 1)) == Lower(section);
            continue;
        }
        if (!inside)
            continue;
        size_t sep = line.find('=');
        if (sep == std::string::npos)
            sep = line.find(':');
        if (sep == std::string::npos || Lower(Strip(line.substr(0, sep))) != Lower(key))
            continue;
        std::string value = Strip(line.substr(sep + 1));
        if (!value.empty() && value.front() == '"' && value.back() == '"')
            value = value.size() > 1 ? value.substr(1, value.size() - 2) : "";
        return value;
    }
    return def;
}

TEST(IniModel, readsOfGeneratedFilesAgreeWithTheModel)
{
    ScratchDir dir;
    const std::vector<std::string> pieces = {
        "[A]", "[a]", "[ A]", "[B] tail", "[b", "k=1", "K = two ", "  k:three", "k:x=y", "x=\"q\"", "k=\"\"",
        "k=\" spaced \"", ";k=c", "# hash", "other=k", "k=v ; tail", "k=\xC3\xA9t\xC3\xA9", "noseparator", "",
        "   ", "x:1:2", "kk=no", "k=last"};
    std::mt19937 random(20261208);
    int checked = 0;
    for (int fileIndex = 0; fileIndex < 24; ++fileIndex) {
        std::string text;
        const int lines = 3 + int(random() % 12);
        const char* end = random() % 2 ? "\r\n" : "\n";
        for (int i = 0; i < lines; ++i)
            text += pieces[random() % pieces.size()] + end;
        const std::string path = dir.file("f" + std::to_string(fileIndex) + ".ini");
        std::ofstream(path, std::ios::binary) << text;
        for (const char* section : {"", "A", "b"}) {
            for (const char* key : {"k", "x", ";k"}) {
                char read[kIniLineBuffer];
                IniGetString(section, key, "DEF", read, sizeof read, path.c_str());
                EXPECT_EQ(read, ModelGet(text, section, key, "DEF"))
                    << "file:\n" << text << "section '" << section << "' key '" << key << "'";
                ++checked;
            }
        }
    }
    EXPECT_EQ(checked, 24 * 9);
}

} // namespace
