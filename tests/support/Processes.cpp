#include "Processes.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

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

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
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
    const std::string err = Slurp(errName_);
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

CtlResult RunCtl(const std::vector<std::string>& args, const std::string& aliasDir, const std::string& workDir)
{
    char outName[] = "/tmp/vr60ctl-out.XXXXXX";
    char errName[] = "/tmp/vr60ctl-err.XXXXXX";
    const int outFd = mkstemp(outName);
    const int errFd = mkstemp(errName);
    const std::string program = VR60CTL_PATH;
    std::vector<char*> argv = Argv(program, args);
    CtlResult result;
    const pid_t pid = fork();
    if (pid == 0) {
        const int in = open("/dev/null", O_RDONLY);
        dup2(in, STDIN_FILENO);
        dup2(outFd, STDOUT_FILENO);
        dup2(errFd, STDERR_FILENO);
        if (!aliasDir.empty())
            setenv("VR60_PORT_DIR", aliasDir.c_str(), 1);
        if (!workDir.empty() && chdir(workDir.c_str()) != 0)
            _exit(126);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    close(outFd);
    close(errFd);
    result.out = Slurp(outName);
    result.err = Slurp(errName);
    unlink(outName);
    unlink(errName);
    return result;
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
