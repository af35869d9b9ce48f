#pragma once
// Opens a file or web address with the desktop's default handler, without
// waiting for it. The program's own operations use it through Program::shell;
// tests put a recording fake there.

#include <memory>
#include <string>

class Shell {
public:
    virtual ~Shell() = default;
    // Returns false when the handler could not be started.
    virtual bool open(const std::string& fileOrUrl) = 0;
};

// xdg-open on Linux, the shell's "open" verb on Windows.
std::unique_ptr<Shell> MakeDesktopShell();
