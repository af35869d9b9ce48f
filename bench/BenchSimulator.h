#pragma once
// vr60sim for the benchmarks: started in its own alias folder, published as
// COM5, pacing its output like a serial line; stopped and cleaned up at the end.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

struct BenchSimulator {
    int pid = -1;
    std::string aliasDir;

    // Ready once it has printed its pty path.
    bool start(const std::vector<std::string>& options)
    {
        char dir[] = "/tmp/vr60-bench-ports.XXXXXX";
        if (!mkdtemp(dir))
            return false;
        aliasDir = dir;
        setenv("VR60_PORT_DIR", dir, 1);
        int fds[2];
        if (pipe(fds) != 0)
            return false;
        std::vector<std::string> words = {VR60SIM_PATH, "--com", "5"};
        words.insert(words.end(), options.begin(), options.end());
        std::vector<char*> argv;
        for (std::string& w : words)
            argv.push_back(w.data());
        argv.push_back(nullptr);
        pid = fork();
        if (pid == 0) {
            dup2(fds[1], STDOUT_FILENO);
            close(fds[0]);
            close(fds[1]);
            execv(VR60SIM_PATH, argv.data());
            _exit(127);
        }
        close(fds[1]);
        pollfd p{fds[0], POLLIN, 0};
        const bool ready = poll(&p, 1, 5000) == 1;
        close(fds[0]);
        return ready;
    }

    ~BenchSimulator()
    {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
        if (!aliasDir.empty()) {
            std::remove((aliasDir + "/COM5").c_str());
            rmdir(aliasDir.c_str());
        }
    }
};
