#include "platform/AccountName.h"

#include <cstdlib>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "platform/WideText.h"
#else
#include <pwd.h>
#include <unistd.h>

#include <vector>
#endif

namespace {

std::string FromEnvironment()
{
#ifdef _WIN32
    const char* names[] = {"USERNAME"};
#else
    const char* names[] = {"USER", "LOGNAME"};
#endif
    for (const char* name : names)
        if (const char* value = std::getenv(name); value && *value)
            return value;
    return {};
}

std::string FromSystem()
{
#ifdef _WIN32
    wchar_t name[257];
    DWORD size = sizeof name / sizeof name[0];
    if (!GetUserNameW(name, &size) || size <= 1)
        return {};
    return Utf8FromWide(name, size - 1);
#else
    const long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? size_t(suggested) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found || !found->pw_name)
        return {};
    return found->pw_name;
#endif
}

} // namespace

std::string AccountName()
{
    if (std::string name = FromEnvironment(); !name.empty())
        return name;
    if (std::string name = FromSystem(); !name.empty())
        return name;
    return "unknown";
}
