// vr60ctl ini on generated files, checked against a plain model of the reading
// rules written here independently of the reader.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "support/Processes.h"
#include "support/Files.h"

namespace fs = std::filesystem;

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

TEST(CtlIniE2E, readsOfGeneratedFilesAgreeWithTheModel)
{
    const fs::path dir = fs::temp_directory_path() / ("vr60-ini-e2e-" + std::to_string(::getpid()));
    fs::create_directories(dir);
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
        const std::string path = (dir / ("f" + std::to_string(fileIndex) + ".ini")).string();
        std::ofstream(path, std::ios::binary) << text;
        for (const char* section : {"", "A", "b"}) {
            for (const char* key : {"k", "x", ";k"}) {
                const CtlResult r = RunCtl({"ini", "get", path, section, key, "DEF"});
                ASSERT_EQ(r.status, 0);
                EXPECT_EQ(r.out, ModelGet(text, section, key, "DEF") + "\n")
                    << "file:\n" << text << "section '" << section << "' key '" << key << "'";
                ++checked;
            }
        }
    }
    EXPECT_EQ(checked, 24 * 9);
    fs::remove_all(dir);
}

TEST(CtlIniE2E, writesReportSuccessAndFailureInTheExitStatus)
{
    const fs::path dir = fs::temp_directory_path() / ("vr60-ini-e2e-w-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string path = (dir / "t.ini").string();
    EXPECT_EQ(RunCtl({"ini", "put", path, "S", "k", "v"}).status, 0);
    EXPECT_EQ(RunCtl({"ini", "putlong", path, "", "n", "-12"}).status, 0);
    EXPECT_EQ(RunCtl({"ini", "getlong", path, "", "n", "5"}).out, "-12\n");
    EXPECT_EQ(RunCtl({"ini", "get", path, "s", "K"}).out, "v\n");
    EXPECT_EQ(RunCtl({"ini", "delete", path, "S", "k"}).status, 0);
    EXPECT_EQ(RunCtl({"ini", "get", path, "S", "k", "gone"}).out, "gone\n");
    EXPECT_EQ(RunCtl({"ini", "delete", path, "S"}).status, 0);
    EXPECT_EQ(ReadText(path), "n=-12\r\n");
    // A directory where the temporary file would go: the write fails with status 1.
    fs::create_directory(dir / "t.in~");
    EXPECT_EQ(RunCtl({"ini", "put", path, "S", "k", "v"}).status, 1);
    EXPECT_EQ(RunCtl({"ini", "frobnicate", path, "S"}).status, 2);
    fs::remove_all(dir);
}

TEST(CtlIniE2E, testconfigSaveWritesTheConfigurationInTheWorkingDirectory)
{
    const fs::path dir = fs::temp_directory_path() / ("vr60-ini-e2e-t-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const CtlResult r = RunCtl({"testconfig", "save"}, {}, dir.string());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("batt_base_volt 423"), std::string::npos) << r.out;
    EXPECT_TRUE(fs::exists(dir / "VR60Test.ini"));
    const CtlResult shown = RunCtl({"testconfig"}, {}, dir.string());
    EXPECT_NE(shown.out.find("test1 59 (0000003bh)"), std::string::npos) << shown.out;
    fs::remove_all(dir);
}

} // namespace
