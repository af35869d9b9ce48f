#pragma once
// Files a user may take for logs, read as bytes: this project's README and a
// screenshot (a text and a compressed picture).

#include <string>
#include <vector>

#include "support/Files.h"

struct NotALog {
    const char* name;   // as the test saves it: with the .sbp a log has
    std::vector<uint8_t> bytes;
};

inline std::vector<NotALog> FilesThatAreNotLogs()
{
    const std::string root = std::string(VR60_TEST_DATA_DIR) + "/../../";
    return {{"README.sbp", ReadFileBytes(root + "README.md")},
            {"picture.sbp", ReadFileBytes(root + "docs/screenshots/view.png")}};
}
