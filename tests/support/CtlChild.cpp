#include "support/CtlChild.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

int64_t NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

CtlChild::CtlChild(const std::vector<std::string>& args, const std::string& workDir, CtlLimits limits,
                   const CtlEnvironment& env)
    : limits_(limits)
{
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0) {
        finish(-1);
        return;
    }
    // Everything the child needs is made before fork: it only calls async-signal-safe functions.
    const std::string program = VR60CTL_PATH;
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> variables = env;
    // The records database of these runs stays out of the user's data folder.
    if (std::none_of(env.begin(), env.end(), [](const std::string& v) { return v.rfind("XDG_DATA_HOME=", 0) == 0; }))
        variables.push_back("XDG_DATA_HOME=" + TestConfigFolder() + "/data");
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('=') + 1);
        if (std::none_of(env.begin(), env.end(), [&](const std::string& v) { return v.rfind(name, 0) == 0; }))
            variables.push_back(entry);
    }
    std::vector<char*> envp;
    for (std::string& v : variables)
        envp.push_back(v.data());
    envp.push_back(nullptr);
    const rlimit fileSize{rlim_t(limits.fileSizeBytes), rlim_t(limits.fileSizeBytes)};
    startMs_ = NowMs();
    pid_ = fork();
    if (pid_ == 0) {
        const int in = open("/dev/null", O_RDONLY);
        dup2(in, STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        for (int fd : {out[0], out[1], err[0], err[1]})
            close(fd);
        if (limits.fileSizeBytes >= 0 && setrlimit(RLIMIT_FSIZE, &fileSize) != 0)
            _exit(125);
        if (!workDir.empty() && chdir(workDir.c_str()) != 0)
            _exit(126);
        execve(program.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    outFd_ = out[0];
    errFd_ = err[0];
    for (int fd : {outFd_, errFd_})
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    if (pid_ < 0)
        finish(-1);
}

CtlChild::~CtlChild()
{
    if (!done_ && pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    for (int fd : {outFd_, errFd_})
        if (fd >= 0)
            close(fd);
}

void CtlChild::drain()
{
    char buffer[4096];
    for (auto [fd, text] : {std::pair{outFd_, &outcome_.out}, std::pair{errFd_, &outcome_.err}}) {
        ssize_t n;
        while (fd >= 0 && (n = read(fd, buffer, sizeof buffer)) > 0)
            text->append(buffer, size_t(n));
    }
}

void CtlChild::finish(int status)
{
    done_ = true;
    outcome_.elapsedMs = NowMs() - startMs_;
    if (status >= 0 && WIFEXITED(status))
        outcome_.status = WEXITSTATUS(status);
    else if (status >= 0 && WIFSIGNALED(status))
        outcome_.signal = WTERMSIG(status);
    drain();
}

bool CtlChild::poll()
{
    if (done_)
        return true;
    drain();
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

CtlOutcome RunCtlLimited(const std::vector<std::string>& args, const std::string& workDir, CtlLimits limits,
                         const CtlEnvironment& env)
{
    CtlChild child(args, workDir, limits, env);
    while (!child.poll())
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return child.outcome();
}
