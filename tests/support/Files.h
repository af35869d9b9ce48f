#pragma once
// File helpers for tests: one scratch folder type and one way to read a file.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <stdlib.h>

// A fresh folder under /tmp, removed with everything in it at the end.
struct ScratchDir {
    std::filesystem::path path;
    ScratchDir()
    {
        char name[] = "/tmp/vr60-test.XXXXXX";
        path = mkdtemp(name) ? name : "/tmp";
    }
    ~ScratchDir()
    {
        std::error_code ec;
        std::filesystem::permissions(path, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(path, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    std::string file(const std::string& name) const { return (path / name).string(); }
};

// The whole file as bytes or as text; empty when it cannot be read.
inline std::vector<uint8_t> ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}
