// Windows platform checks that need a Windows file system and registry (run under
// Wine by scripts/windows-test.sh): a replace over a target another handle holds
// open, UTF-8 names through the wide API, and the link settings in the registry.
// Prints one line per failed case; the exit status is the number of failures.
// Empty in the Linux suite, which picks up every folder of tests/.
#ifdef _WIN32

#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "platform/FileAccess.h"
#include "platform/LinkSettingsStore.h"

namespace {

int failures = 0;

void Check(bool ok, const std::string& what)
{
    if (!ok) {
        std::printf("FAILED: %s\n", what.c_str());
        ++failures;
    }
}

bool WriteText(const std::string& name, const std::string& text)
{
    OutputFile out(name);
    return out.open() && out.write(text.data(), text.size()) && out.close();
}

std::string ReadText(const std::string& name)
{
    std::vector<uint8_t> bytes;
    ReadWholeFile(name, 1 << 20, bytes);
    return std::string(bytes.begin(), bytes.end());
}

HANDLE Hold(const std::string& name, DWORD share)
{
    return CreateFileA(name.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
}

void ReplaceOverHeldTarget()
{
    struct Case {
        const char* what;
        DWORD share;        // how the other handle shares the target
        int releaseAfterMs; // when the other handle closes (-1: after the replace)
        int replaced;       // 1 yes, 0 no, -1 either (Wine 8 refuses; Windows is untried)
    } cases[] = {
        {"nobody holds it", 0, 0, 1},
        {"a reader that allows deletion", FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, -1, -1},
        {"a reader that allows reading only", FILE_SHARE_READ, -1, 0},
        {"a scanner that lets go after 300 ms", FILE_SHARE_READ, 300, 1},
    };
    for (const Case& c : cases) {
        const std::string target = "held.sbp", temp = TemporaryNameFor(target);
        RemoveFile(target);
        Check(WriteText(target, "old") && WriteText(temp, "new"), std::string(c.what) + ": files written");
        HANDLE other = c.releaseAfterMs == 0 ? INVALID_HANDLE_VALUE : Hold(target, c.share);
        std::thread release;
        if (c.releaseAfterMs > 0)
            release = std::thread([&] { Sleep(DWORD(c.releaseAfterMs)); CloseHandle(other); });
        errno = 0;
        const bool replaced = ReplaceFileAtomically(temp, target);
        const int error = errno;
        if (release.joinable())
            release.join();
        else if (other != INVALID_HANDLE_VALUE)
            CloseHandle(other);
        // Either the new file took the target's place whole, or both are as they were.
        Check(c.replaced < 0 || replaced == bool(c.replaced), std::string(c.what) + ": replaced " + std::to_string(replaced));
        Check(ReadText(target) == (replaced ? "new" : "old"), std::string(c.what) + ": target holds " + ReadText(target));
        if (replaced) {
            Check(!FileExists(temp), std::string(c.what) + ": the temporary name is gone");
        } else {
            Check(error == EBUSY, std::string(c.what) + ": errno " + std::to_string(error) + ", not EBUSY");
            Check(ReadText(temp) == "new", std::string(c.what) + ": the new file is kept");
        }
        RemoveFile(temp);
        RemoveFile(target);
    }
}

void Utf8Names()
{
    const std::string name = "Z\xC3\xBCrich \xE6\x97\xA5.sbp";   // Zürich 日.sbp
    Check(WriteText(name, "log"), "a UTF-8 name is written");
    WIN32_FIND_DATAW found{};
    HANDLE h = FindFirstFileW(L"Z\u00FCrich \u65E5.sbp", &found);
    Check(h != INVALID_HANDLE_VALUE, "the wide API finds the file under its UTF-16 name");
    if (h != INVALID_HANDLE_VALUE)
        FindClose(h);
    Check(FileExists(name) && RegularFileSize(name) == 3 && ReadText(name) == "log", "the name reads back");
    Check(RemoveFile(name) && !FileExists(name), "the file is removed by that name");
}

void LinkSettings()
{
    Check(WriteLinkSetting("COM", "7"), "COM is written");
    Check(ReadLinkSetting("COM") == std::optional<std::string>("7"), "COM reads back");
    Check(!ReadLinkSetting("NoSuchValue"), "a missing value reads as none");
    // The value as a DWORD, as another writer may leave it.
    HKEY key = nullptr;
    const DWORD number = 460800;
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\TRAXELO\\VR40LINK", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    RegSetValueExW(key, L"BAUD", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    RegCloseKey(key);
    Check(ReadLinkSetting("BAUD") == std::optional<std::string>("460800"), "a DWORD value reads as its number");
}

} // namespace

int main()
{
    ReplaceOverHeldTarget();
    Utf8Names();
    LinkSettings();
    std::printf("%s\n", failures ? "platform check failed" : "platform check passed");
    return failures;
}

#endif
