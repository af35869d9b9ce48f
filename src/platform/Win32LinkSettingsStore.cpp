// The store where Qt's settings of TRAXELO/VR40LINK live on Windows, read and
// written without Qt, so the window and the command-line program share it.
// Built only on Windows.
#ifdef _WIN32

#include "platform/LinkSettingsStore.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstring>

#include "platform/WideText.h"

namespace {

constexpr const wchar_t* kStoreKey = L"Software\\TRAXELO\\VR40LINK";

} // namespace

std::optional<std::string> ReadLinkSetting(const char* name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kStoreKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::nullopt;
    wchar_t text[64];
    DWORD bytes = sizeof text - sizeof(wchar_t);
    DWORD type = 0;
    const LONG r = RegQueryValueExW(key, WideFromUtf8(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text), &bytes);
    RegCloseKey(key);
    if (r != ERROR_SUCCESS)
        return std::nullopt;
    if (type == REG_DWORD && bytes == sizeof(DWORD)) {
        DWORD number = 0;
        std::memcpy(&number, text, sizeof number);
        return std::to_string(number);
    }
    if (type != REG_SZ)
        return std::nullopt;
    size_t length = bytes / sizeof(wchar_t);
    while (length > 0 && text[length - 1] == L'\0')
        --length;
    return Utf8FromWide(text, length);
}

bool WriteLinkSetting(const char* name, const std::string& value)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kStoreKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const std::wstring text = WideFromUtf8(value);
    const LONG r = RegSetValueExW(key, WideFromUtf8(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                  DWORD((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return r == ERROR_SUCCESS;
}

#endif
