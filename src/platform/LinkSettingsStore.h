#pragma once
// The two values of the last good connection, "COM" and "BAUD", kept as
// decimal text under TRAXELO/VR40LINK: the user's registry on Windows, the
// user's config folder on Linux (~/.config/TRAXELO/VR40LINK.conf).

#include <optional>
#include <string>

// The stored text, or nothing when the value is missing.
std::optional<std::string> ReadLinkSetting(const char* name);
// False when the store could not be written (a full disk, no permission).
bool WriteLinkSetting(const char* name, const std::string& value);
