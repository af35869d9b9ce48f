#pragma once
// vr60ctl commands: one row each in CtlCommands() (CtlCommandTable.cpp);
// main() parses the global options, reads the command's words against its row
// (CommandOptions: nothing is opened before they pass) and runs it.
//
// Conventions: message-log lines go to stdout exactly as the window appends
// them, message boxes to stderr as one line each; the exit status is 0 on
// success, else the failing step's result code.

#include <functional>
#include <string>
#include <utility>
#include <vector>

struct Program;
struct FollowUpChoice;
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

using Args = std::vector<std::string>;

// A command gets its line read already: the options given and the arguments (CommandOptions.h).
using CtlCommandFn = int (*)(CtlContext& ctx, const CommandOptions& options);

struct CommandOption {
    const char* name;              // without the dashes
    const char* needs = nullptr;   // takes a value: what it is, as "a file name"
    const char* value = nullptr;   // and the value's placeholder ("FILE"), which completion goes by
    std::string help = {};         // what it does, for the command's help and the manual page
    std::string byDefault = {};    // what applies without it, from the code's own defaults
};

// An exit status a command gives, and when; the meaning of every code is in ExitStatuses().
struct CommandStatus {
    int code;
    std::string when;
};

// One way to call a command: the synopsis, --help, the manual page, the parser and the
// completion all read these rows.
struct CtlForm {
    const char* word = nullptr;   // the sub-command ("erase"); null: none
    std::vector<CommandOption> options = {};
    // The placeholders of the arguments, in order: "[SLOTS]" may be left out, "FILE..." repeats.
    std::vector<const char*> arguments = {};
    std::string text = {};        // what it does; a '\n' keeps a line break
};

struct CtlCommand {
    const char* name;
    CtlCommandFn run;
    std::vector<CtlForm> forms;
    std::vector<CommandStatus> statuses = {};
    std::string note = {};        // after the forms, as "SLOTS: a comma list of 1..4"
};

// The exit statuses of vr60ctl with their meaning, in the order --help lists them.
struct ExitStatus {
    int code;
    std::string meaning;
};
const std::vector<ExitStatus>& ExitStatuses();

// Every command, in the order of --help.
const std::vector<CtlCommand>& CtlCommands();
// The options before the command (--port PORT, ...).
const std::vector<CommandOption>& GlobalOptions();

int RunPorts(CtlContext& ctx, const CommandOptions& options);
int RunInfo(CtlContext& ctx, const CommandOptions& options);
int RunSettings(CtlContext& ctx, const CommandOptions& options);
// What settings does, with the values of every setting; the settings that need the extended block.
std::string SettingsText();
std::string ExtendedSettingNames();
// Every setting's name and its values as NAME=VALUE takes them, for the completion.
std::vector<std::pair<std::string, std::vector<std::string>>> SettingValues();
int RunFactoryReset(CtlContext& ctx, const CommandOptions& options);
int RunLogInfo(CtlContext& ctx, const CommandOptions& options);
int RunDownload(CtlContext& ctx, const CommandOptions& options);
int RunClear(CtlContext& ctx, const CommandOptions& options);
int RunTop10(CtlContext& ctx, const CommandOptions& options);
int RunUserName(CtlContext& ctx, const CommandOptions& options);
int RunSerial(CtlContext& ctx, const CommandOptions& options);
int RunReboot(CtlContext& ctx, const CommandOptions& options);
int RunNmea(CtlContext& ctx, const CommandOptions& options);
int RunGps(CtlContext& ctx, const CommandOptions& options);
int RunDebugFlag(CtlContext& ctx, const CommandOptions& options);
int RunPowerOff(CtlContext& ctx, const CommandOptions& options);
int RunTracks(CtlContext& ctx, const CommandOptions& options);
int RunPoi(CtlContext& ctx, const CommandOptions& options);
int RunIni(CtlContext& ctx, const CommandOptions& options);
int RunTestConfig(CtlContext& ctx, const CommandOptions& options);
int RunSelfTest(CtlContext& ctx, const CommandOptions& options);
int RunStation(CtlContext& ctx, const CommandOptions& options);
int RunLoad(CtlContext& ctx, const CommandOptions& options);
int RunConvert(CtlContext& ctx, const CommandOptions& options);
int RunMapLink(CtlContext& ctx, const CommandOptions& options);
int RunAnalyze(CtlContext& ctx, const CommandOptions& options);
int RunCompare(CtlContext& ctx, const CommandOptions& options);
int RunPost(CtlContext& ctx, const CommandOptions& options);
int RunRecords(CtlContext& ctx, const CommandOptions& options);
int RunLogbook(CtlContext& ctx, const CommandOptions& options);

// Connects as the Connect button does (using --port and --baud), runs the
// operation on the connected device and disconnects again. The result is the
// connection's failure code, else the operation's.
int WithDevice(CtlContext& ctx, const std::function<int(Program&)>& operation);
// The port a device command uses without --port (-1: none) and why: the port of the last
// successful connection, else the first USB serial device or alias, else the first port.
int DefaultPortNumber(std::string* why);
// --clear/--no-clear and --power-off/--no-power-off of serial and selftest: the options,
// and the choice they make (0), or 2 after saying that both of a pair were given.
std::vector<CommandOption> FollowUpOptions();
// analyze's options (the point filter's thresholds among them).
std::vector<CommandOption> AnalyzeOptions();
// The self-test items --items takes, in the order of the Test page.
std::vector<std::string> SelfTestItemNames();
int TakeFollowUps(const CommandOptions& options, FollowUpChoice* choice);
// The line that says, before connecting, which of the clear and the power-off follow
// the operation and what decided it; nothing when neither follows.
void AnnounceFollowUps(const Program& p, const char* after);
