#pragma once
// Runs an external converter (GPSBabel) as a child process with an argument
// list, never a shell line, so paths with blanks or non-ASCII characters pass
// unchanged. The caller's event pump keeps running while the child works; the
// run ends with the child, or with a kill at the time limit. Success means exit
// status 0 AND the expected output file exists and is not empty: the converter
// exits 0 on garbage input and only warns, and on a full disk leaves a cut
// file: where the output's last text is known, it is checked too.

#include <functional>
#include <string>
#include <utility>
#include <vector>

class ExternalTool {
public:
    enum class Status { Ok, NotFound, StartFailed, Crashed, ExitCode, TimedOut, NoOutput, Truncated };

    struct Result {
        Status status = Status::NotFound;
        int exitCode = 0;
        std::string program;    // the executable that ran (full path) or the name looked for
        std::string errorText;  // the child's standard error, trimmed
    };

    // Folders searched for the program instead of PATH (tests point it at a fake).
    std::vector<std::string> searchPath;
    // Environment added to the child's (name, value).
    std::vector<std::pair<std::string, std::string>> environment;
    // When set, the expected output must end with this text (blanks after it allowed);
    // an output that does not is removed.
    std::string outputEnding;

    // Full path of name (".exe" added on Windows) on searchPath or PATH, or empty.
    std::string find(const std::string& name) const;

    // Runs name with args in the current directory, calling pump about every
    // 50 ms, killing the child after timeoutMs. expectedOutput, when not
    // empty, must exist and be non-empty afterwards.
    Result run(const std::string& name, const std::vector<std::string>& args, const std::string& expectedOutput,
               int timeoutMs, const std::function<void()>& pump);
};

// One readable sentence for a failed run, naming the program and the output.
std::string DescribeToolFailure(const ExternalTool::Result& result, const std::string& output);
