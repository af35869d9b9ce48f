#pragma once
// Running the real programs for end-to-end tests: vr60sim on a pseudo-terminal
// (its first output line is the pty path) and vr60ctl with captured output.

#include <string>
#include <vector>

struct CtlResult {
    int status = -1;
    std::string out;
    std::string err;
};

// The simulator is watched as closely as the program under test: when it is
// stopped, an exit other than a clean one or anything on its stderr (a sanitizer
// report, say) fails the running test.
class SimProcess {
public:
    // Starts vr60sim with the arguments, in its own alias folder; waits for the pty path.
    explicit SimProcess(const std::vector<std::string>& args = {});
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    const std::string& ptyPath() const { return ptyPath_; }
    const std::string& aliasDir() const { return aliasDir_; }
    int pid() const { return pid_; }
    bool running() const;
    // Stops the simulator (if it still runs) and fails the current test on a bad end.
    void stop();
    // Stops it and describes a bad end (empty when it ended cleanly), without failing a test.
    std::string finish();

private:
    int pid_ = -1;
    int status_ = 0;
    bool reaped_ = false;
    std::string ptyPath_;
    std::string aliasDir_;
    std::string errName_;
};

// Runs vr60ctl with the arguments in workDir (empty: the current directory),
// with VR60_PORT_DIR set when aliasDir is given and the further NAME=VALUE
// variables of env; stdin is /dev/null. Its settings store lives in a scratch
// folder unless env sets XDG_CONFIG_HOME.
CtlResult RunCtl(const std::vector<std::string>& args, const std::string& aliasDir = {},
                 const std::string& workDir = {}, const std::vector<std::string>& env = {});

// vr60ctl running in the background (as RunCtl), for tests that signal it.
class CtlProcess {
public:
    CtlProcess(const std::vector<std::string>& args, const std::string& aliasDir = {},
               const std::string& workDir = {}, const std::vector<std::string>& env = {});
    // Another of the programs (vr60view) started the same way.
    CtlProcess(const std::string& program, const std::vector<std::string>& args, const std::string& aliasDir,
               const std::string& workDir, const std::vector<std::string>& env);
    ~CtlProcess();
    CtlProcess(const CtlProcess&) = delete;
    CtlProcess& operator=(const CtlProcess&) = delete;

    // Whether stdout holds the text within the time.
    bool waitForOutput(const std::string& text, int timeoutMs);
    void signal(int signal);
    // Waits for the end.
    CtlResult finish();

private:
    int pid_ = -1;
    std::string outName_;
    std::string errName_;
};

// Whether text holds part.
// The settings and data folder of the programs a test starts: one per build
// folder, so that suites of two checkouts running at once never share a database.
std::string TestConfigFolder();

inline bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// Lines of a text (without their '\n').
std::vector<std::string> Lines(const std::string& text);
