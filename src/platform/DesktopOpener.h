#pragma once
// Opens a file or web address with the desktop's default handler, without
// waiting for it. The program's own operations use it through Program::opener;
// tests put a recording fake there.

#include <memory>
#include <string>

class DesktopOpener {
public:
    virtual ~DesktopOpener() = default;
    // Returns false when the handler could not be started.
    virtual bool open(const std::string& fileOrUrl) = 0;
};

// xdg-open on Linux, ShellExecute's "open" verb on Windows.
std::unique_ptr<DesktopOpener> MakeDesktopOpener();
