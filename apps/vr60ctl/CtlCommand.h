#pragma once
// vr60ctl commands: one row each in CtlCommands() (CtlCommandTable.cpp);
// main() parses the global options and dispatches on the first word.
//
// Conventions: message-log lines go to stdout exactly as the window appends
// them, message boxes to stderr as one line each; the exit status is 0 on
// success, else the failing step's result code.

#include <functional>
#include <string>
#include <vector>

struct Program;
struct FollowUpChoice;
struct CommandOption;
class CommandOptions;
class CtlHost;

struct CtlOptions {
    std::string port;          // COMn or a device path; empty: not given (see DefaultPortNumber)
    long baud = 460800;
    bool yes = false;          // answer Yes/No questions with Yes
    std::string db;            // --db URL: the records database; empty with dbGiven: the default
    bool dbGiven = false;      // without --db, VR60_DB decides
};

struct CtlContext {
    Program& program;
    CtlHost& host;
    CtlOptions options;
    std::string portLabel;     // the port connected to, as given and its system path
};

using CtlCommandFn = int (*)(CtlContext& ctx, const std::vector<std::string>& args);

struct CtlCommand {
    const char* name;
    CtlCommandFn run;
    const char* usage;   // one or more lines for --help
};

// Every command, in the order of --help.
const std::vector<CtlCommand>& CtlCommands();

using Args = std::vector<std::string>;
int RunPorts(CtlContext& ctx, const Args& args);
int RunInfo(CtlContext& ctx, const Args& args);
int RunSettings(CtlContext& ctx, const Args& args);
// The --help lines of settings, with the values of every setting.
const char* SettingsUsage();
int RunFactoryReset(CtlContext& ctx, const Args& args);
int RunLogInfo(CtlContext& ctx, const Args& args);
int RunDownload(CtlContext& ctx, const Args& args);
int RunClear(CtlContext& ctx, const Args& args);
int RunTop10(CtlContext& ctx, const Args& args);
int RunUserName(CtlContext& ctx, const Args& args);
int RunSerial(CtlContext& ctx, const Args& args);
int RunReboot(CtlContext& ctx, const Args& args);
int RunNmea(CtlContext& ctx, const Args& args);
int RunGps(CtlContext& ctx, const Args& args);
int RunDebugFlag(CtlContext& ctx, const Args& args);
int RunPowerOff(CtlContext& ctx, const Args& args);
int RunTracks(CtlContext& ctx, const Args& args);
int RunPoi(CtlContext& ctx, const Args& args);
int RunIni(CtlContext& ctx, const Args& args);
int RunTestConfig(CtlContext& ctx, const Args& args);
int RunSelfTest(CtlContext& ctx, const Args& args);
int RunLoad(CtlContext& ctx, const Args& args);
int RunConvert(CtlContext& ctx, const Args& args);
int RunMapLink(CtlContext& ctx, const Args& args);
int RunAnalyze(CtlContext& ctx, const Args& args);
int RunPost(CtlContext& ctx, const Args& args);
int RunRecords(CtlContext& ctx, const Args& args);
int RunLogbook(CtlContext& ctx, const Args& args);

// Connects as the Connect button does (using --port and --baud), runs the
// operation on the connected device and disconnects again. The result is the
// connection's failure code, else the operation's.
int WithDevice(CtlContext& ctx, const std::function<int(Program&)>& operation);
// The port a device command uses without --port (-1: none) and why: the port of the last
// successful connection, else the first USB serial device or alias, else the first port.
int DefaultPortNumber(std::string* why);
// A command that takes no arguments: 0 when there are none, else 2 with a message.
int NoArguments(const char* command, const Args& args);
// --clear/--no-clear and --power-off/--no-power-off of serial and selftest: the options,
// and the choice they make (0), or 2 after saying that both of a pair were given.
std::vector<CommandOption> FollowUpOptions();
int TakeFollowUps(const CommandOptions& options, FollowUpChoice* choice);
// The line that says, before connecting, which of the clear and the power-off follow
// the operation and what decided it; nothing when neither follows.
void AnnounceFollowUps(const Program& p, const char* after);
