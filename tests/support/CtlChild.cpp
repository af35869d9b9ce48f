#include "support/CtlChild.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "support/Files.h"

namespace {

int64_t NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

CtlChild::CtlChild(const std::vector<std::string>& args, const std::string& workDir, CtlLimits limits)
    : limits_(limits)
{
    char outName[] = "/tmp/vr60ctl-out.XXXXXX";
    char errName[] = "/tmp/vr60ctl-err.XXXXXX";
    const int outFd = mkstemp(outName);
    const int errFd = mkstemp(errName);
    outName_ = outName;
    errName_ = errName;
    // Everything the child needs is made before fork: it only calls async-signal-safe functions.
    const std::string program = VR60CTL_PATH;
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const rlimit fileSize{rlim_t(limits.fileSizeBytes), rlim_t(limits.fileSizeBytes)};
    startMs_ = NowMs();
    pid_ = fork();
    if (pid_ == 0) {
        const int in = open("/dev/null", O_RDONLY);
        dup2(in, STDIN_FILENO);
        dup2(outFd, STDOUT_FILENO);
        dup2(errFd, STDERR_FILENO);
        if (limits.fileSizeBytes >= 0 && setrlimit(RLIMIT_FSIZE, &fileSize) != 0)
            _exit(125);
        if (!workDir.empty() && chdir(workDir.c_str()) != 0)
            _exit(126);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(outFd);
    close(errFd);
    if (pid_ < 0)
        finish(-1);
}

CtlChild::~CtlChild()
{
    if (!done_ && pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    unlink(outName_.c_str());
    unlink(errName_.c_str());
}

void CtlChild::finish(int status)
{
    done_ = true;
    outcome_.elapsedMs = NowMs() - startMs_;
    if (status >= 0 && WIFEXITED(status))
        outcome_.status = WEXITSTATUS(status);
    else if (status >= 0 && WIFSIGNALED(status))
        outcome_.signal = WTERMSIG(status);
    outcome_.out = ReadText(outName_);
    outcome_.err = ReadText(errName_);
}

bool CtlChild::poll()
{
    if (done_)
        return true;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
        finish(status);
        return true;
    }
    if (NowMs() - startMs_ > limits_.timeoutMs) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
        outcome_.timedOut = true;
        finish(status);
        return true;
    }
    return false;
}

CtlOutcome RunCtlLimited(const std::vector<std::string>& args, const std::string& workDir, CtlLimits limits)
{
    CtlChild child(args, workDir, limits);
    while (!child.poll())
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return child.outcome();
}
