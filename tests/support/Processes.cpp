#include "Processes.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <poll.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

#include "Files.h"

namespace {

std::vector<char*> Argv(const std::string& program, const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    return argv;
}

} // namespace

SimProcess::SimProcess(const std::vector<std::string>& args)
{
    char dir[] = "/tmp/vr60-test-ports.XXXXXX";
    aliasDir_ = mkdtemp(dir) ? dir : "/tmp";
    errName_ = aliasDir_ + "/vr60sim.stderr";
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return;
    const std::string program = VR60SIM_PATH;
    std::vector<char*> argv = Argv(program, args);
    pid_ = fork();
    if (pid_ == 0) {
        const int errFd = open(errName_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(pipeFds[1], STDOUT_FILENO);
        if (errFd >= 0)
            dup2(errFd, STDERR_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        setenv("VR60_PORT_DIR", aliasDir_.c_str(), 1);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(pipeFds[1]);
    // The first line is the pty path.
    std::string line;
    for (int waited = 0; waited < 5000;) {
        pollfd p{pipeFds[0], POLLIN, 0};
        if (poll(&p, 1, 50) <= 0) {
            waited += 50;
            continue;
        }
        char c;
        if (read(pipeFds[0], &c, 1) != 1 || c == '\n')
            break;
        line.push_back(c);
    }
    close(pipeFds[0]);
    ptyPath_ = line;
}

SimProcess::~SimProcess()
{
    stop();
    std::error_code ec;
    std::filesystem::remove_all(aliasDir_, ec);
}

bool SimProcess::running() const
{
    if (pid_ <= 0 || reaped_)
        return false;
    siginfo_t info{};
    // Looks without reaping, so that stop() still learns how it ended.
    return waitid(P_PID, id_t(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0;
}

std::string SimProcess::finish()
{
    if (pid_ <= 0)
        return {};
    if (!reaped_) {
        kill(pid_, SIGTERM);
        // A sanitized simulator checks for leaks on its way out: give it time, not forever.
        bool ended = false;
        for (int waited = 0; waited < 20000 && !ended; waited += 10) {
            ended = waitpid(pid_, &status_, WNOHANG) == pid_;
            if (!ended)
                usleep(10000);
        }
        if (!ended) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status_, 0);
            status_ = -1;
        }
        reaped_ = true;
    }
    std::string problem;
    if (status_ == -1)
        problem = "vr60sim did not stop within 20 s of SIGTERM\n";
    else if (WIFSIGNALED(status_))
        problem = "vr60sim died of signal " + std::to_string(WTERMSIG(status_)) + "\n";
    else if (WEXITSTATUS(status_) != 0)
        problem = "vr60sim exited with status " + std::to_string(WEXITSTATUS(status_)) + "\n";
    const std::string err = ReadText(errName_);
    if (!err.empty())
        problem += "vr60sim stderr:\n" + err;
    return problem;
}

void SimProcess::stop()
{
    const bool first = pid_ > 0 && !reaped_;
    const std::string problem = finish();
    if (first && !problem.empty())
        ADD_FAILURE() << problem;
}

std::string TestConfigFolder()
{
    const std::string program = VR60CTL_PATH;
    return "/tmp/vr60-test-config-" + std::to_string(getuid()) + "-" +
           std::to_string(std::hash<std::string>{}(program) % 1000000);
}

CtlProcess::CtlProcess(const std::vector<std::string>& args, const std::string& aliasDir, const std::string& workDir,
                       const std::vector<std::string>& env)
    : CtlProcess(VR60CTL_PATH, args, aliasDir, workDir, env)
{
}

CtlProcess::CtlProcess(const std::string& program, const std::vector<std::string>& args, const std::string& aliasDir,
                       const std::string& workDir, const std::vector<std::string>& env)
{
    const std::string config = TestConfigFolder();
    char outName[] = "/tmp/vr60ctl-out.XXXXXX";
    char errName[] = "/tmp/vr60ctl-err.XXXXXX";
    const int outFd = mkstemp(outName);
    const int errFd = mkstemp(errName);
    outName_ = outName;
    errName_ = errName;
    std::vector<char*> argv = Argv(program, args);
    pid_ = fork();
    if (pid_ == 0) {
        const int in = open("/dev/null", O_RDONLY);
        dup2(in, STDIN_FILENO);
        dup2(outFd, STDOUT_FILENO);
        dup2(errFd, STDERR_FILENO);
        if (!aliasDir.empty())
            setenv("VR60_PORT_DIR", aliasDir.c_str(), 1);
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        setenv("XDG_DATA_HOME", (config + "/data").c_str(), 1);   // the records database
        for (const std::string& variable : env) {
            const size_t eq = variable.find('=');
            setenv(variable.substr(0, eq).c_str(), variable.substr(eq + 1).c_str(), 1);
        }
        if (!workDir.empty() && chdir(workDir.c_str()) != 0)
            _exit(126);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(outFd);
    close(errFd);
}

CtlProcess::~CtlProcess()
{
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    unlink(outName_.c_str());
    unlink(errName_.c_str());
}

bool CtlProcess::waitForOutput(const std::string& text, int timeoutMs)
{
    for (int waited = 0; waited < timeoutMs; waited += 20) {
        if (ReadText(outName_).find(text) != std::string::npos)
            return true;
        usleep(20000);
    }
    return false;
}

void CtlProcess::signal(int signal)
{
    if (pid_ > 0)
        kill(pid_, signal);
}

CtlResult CtlProcess::finish()
{
    CtlResult result;
    int status = 0;
    if (pid_ > 0 && waitpid(pid_, &status, 0) == pid_)
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    pid_ = -1;
    result.out = ReadText(outName_);
    result.err = ReadText(errName_);
    return result;
}

CtlResult RunCtl(const std::vector<std::string>& args, const std::string& aliasDir, const std::string& workDir,
                 const std::vector<std::string>& env)
{
    return CtlProcess(args, aliasDir, workDir, env).finish();
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::stringstream s(text);
    std::string line;
    while (std::getline(s, line))
        lines.push_back(line);
    return lines;
}
