#include "platform/FileNameCase.h"

#include <algorithm>
#include <filesystem>

namespace {

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool SameIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

} // namespace

NameLookup FindNameIgnoringCase(const std::string& folder, const std::string& name)
{
    namespace fs = std::filesystem;
    NameLookup found;
    std::error_code ec;
    const fs::path dir = folder.empty() ? fs::path(".") : fs::path(folder);
    if (fs::exists(dir / name, ec)) {
        found.name = name;
        return found;
    }
    std::vector<std::string> matches;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string entry = it->path().filename().string();
        std::error_code typeError;
        if (SameIgnoringCase(entry, name) && it->is_regular_file(typeError))
            matches.push_back(entry);
    }
    std::sort(matches.begin(), matches.end());
    if (matches.size() == 1)
        found.name = matches.front();
    else if (matches.size() > 1)
        found.otherCase = std::move(matches);
    return found;
}
