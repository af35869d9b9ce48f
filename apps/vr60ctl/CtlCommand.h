#pragma once
// vr60ctl commands. Each command file registers itself with VR60CTL_COMMAND;
// main() parses the global options and dispatches on the first word.
//
// Conventions: message-log lines go to stdout exactly as the window appends
// them, message boxes to stderr as one line each; the exit status is 0 on
// success, else the failing step's result code.

#include <string>
#include <vector>

struct Program;
class CtlHost;

struct CtlOptions {
    std::string port;          // COMn or a device path; empty: the first listed port
    long baud = 460800;
    bool yes = false;          // answer Yes/No questions with Yes
};

struct CtlContext {
    Program& program;
    CtlHost& host;
    CtlOptions options;
};

using CtlCommandFn = int (*)(CtlContext& ctx, const std::vector<std::string>& args);

struct CtlCommand {
    const char* name;
    CtlCommandFn run;
    const char* usage;   // one or more lines for --help
};

// Registers a command at start-up; returns true so it can initialise a static.
bool RegisterCtlCommand(const CtlCommand& command);
const std::vector<CtlCommand>& CtlCommands();

#define VR60CTL_CONCAT_(a, b) a##b
#define VR60CTL_CONCAT(a, b) VR60CTL_CONCAT_(a, b)
#define VR60CTL_COMMAND(name, fn, usage) \
    static const bool VR60CTL_CONCAT(registered_, __LINE__) = RegisterCtlCommand({name, fn, usage})

// Connects as the Connect button does, using --port and --baud.
// Returns 0 when connected, else the failing step's result code.
int CtlConnect(CtlContext& ctx);
// Disconnects as the Connect button does when connected.
void CtlDisconnect(CtlContext& ctx);
