#pragma once
// vr60ctl as a child process that is watched rather than waited for: a time
// limit after which it is killed, an optional file-size limit (RLIMIT_FSIZE, a
// full disk for every file it and its children write; its output goes through
// pipes, which the limit does not touch), and how it ended. Many can run at
// once; poll() never blocks.

#include <cstdint>
#include <string>
#include <vector>

#include "support/Processes.h"

struct CtlLimits {
    int64_t timeoutMs = 60000;
    int64_t fileSizeBytes = -1;   // -1: no limit
};

// NAME=VALUE entries set in the child's environment.
using CtlEnvironment = std::vector<std::string>;

struct CtlOutcome : CtlResult {
    int signal = 0;            // the signal that ended it (0: it exited)
    bool timedOut = false;     // killed at the time limit
    int64_t elapsedMs = 0;
};

class CtlChild {
public:
    CtlChild(const std::vector<std::string>& args, const std::string& workDir, CtlLimits limits = {},
             const CtlEnvironment& env = {});
    ~CtlChild();
    CtlChild(const CtlChild&) = delete;
    CtlChild& operator=(const CtlChild&) = delete;

    // True once the child has ended (or was killed at its limit); then outcome() is complete.
    bool poll();
    const CtlOutcome& outcome() const { return outcome_; }
    int pid() const { return pid_; }

private:
    void drain();
    void finish(int status);
    int pid_ = -1;
    int64_t startMs_ = 0;
    CtlLimits limits_;
    int outFd_ = -1, errFd_ = -1;   // the reading ends
    CtlOutcome outcome_;
    bool done_ = false;
};

// Runs one to its end.
CtlOutcome RunCtlLimited(const std::vector<std::string>& args, const std::string& workDir, CtlLimits limits = {},
                         const CtlEnvironment& env = {});
