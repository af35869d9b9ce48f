// vr60sim: the simulated logger on a pseudo-terminal, published as a COMn alias.
// Prints the pty path on its first line, then serves until killed or hung up.

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include "platform/PortTable.h"
#include "platform/ResultCode.h"
#include "sim/SimDevice.h"
#include "sim/SimOptions.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void OnSignal(int)
{
    stopRequested = 1;
}

void Usage()
{
    std::fprintf(stderr,
                 "usage: vr60sim [--com N] [--no-alias] [--pace BAUD] [device options]\n"
                 "  --com N             publish the pty as COMN in the port-alias folder (default 7)\n"
                 "  --no-alias          do not publish an alias\n"
                 "  --pace BAUD         send no faster than a serial line at BAUD (10 bits a byte)\n"
                 "%s",
                 SimOptionsUsage().c_str());
}

int64_t NowMicros()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void MakeRaw(int fd)
{
    termios tio{};
    if (tcgetattr(fd, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(fd, TCSANOW, &tio);
    }
}

} // namespace

int main(int argc, char** argv)
{
    SimDevice device;
    int comNumber = 7;
    bool publish = true;
    long pace = 0;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help") {
            Usage();
            return 0;
        }
        if (arg.rfind("--", 0) != 0) {
            Usage();
            return kUsageError;
        }
        const std::string name = arg.substr(2);
        if (name == "no-alias") {
            publish = false;
            continue;
        }
        std::string value;
        const bool needsValue = name == "com" || name == "pace" || SimOptionTakesValue(name);
        if (needsValue) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "vr60sim: %s needs a value\n", arg.c_str());
                return kUsageError;
            }
            value = argv[++i];
        }
        if (name == "com" || name == "pace") {
            char* end = nullptr;
            const long n = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end || n <= 0 || (name == "com" && !PortNumberUsable(n))) {
                std::fprintf(stderr, "vr60sim: bad value for %s\n", arg.c_str());
                return kUsageError;
            }
            if (name == "com")
                comNumber = int(n);
            else
                pace = n;
            continue;
        }
        std::string error;
        if (!ApplySimOption(device, name, value, &error)) {
            std::fprintf(stderr, "vr60sim: %s\n", error.c_str());
            return kUsageError;
        }
    }

    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGPIPE, SIG_IGN);
    // Set before the pty path is printed: a stop that follows at once ends cleanly.
    // The stop signals are let through only while sleeping in ppoll, so a stop
    // that comes between the check and the sleep cannot be missed.
    sigset_t stopSignals;
    sigset_t sleepMask;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigprocmask(SIG_BLOCK, &stopSignals, &sleepMask);

    int master = -1;
    int slave = -1;
    char path[256] = {};
    if (openpty(&master, &slave, path, nullptr, nullptr) != 0) {
        std::fprintf(stderr, "vr60sim: cannot create a pseudo-terminal: %s\n", std::strerror(errno));
        return 1;
    }
    // Raw before the first byte, or the line discipline echoes and translates.
    MakeRaw(slave);
    MakeRaw(master);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    // The slave stays open here so the master sees no hang-up between clients.

    if (publish) {
        std::string error;
        if (!PublishPortAlias(comNumber, path, &error)) {
            std::fprintf(stderr, "vr60sim: cannot publish COM%d in %s: %s\n", comNumber, PortAliasFolder().c_str(),
                         error.c_str());
            return 1;
        }
    }
    std::printf("%s\n", path);
    if (publish)
        std::printf("published as COM%d in %s\n", comNumber, PortAliasFolder().c_str());
    std::fflush(stdout);


    const int64_t start = NowMicros();
    int64_t sentBytes = 0;
    int64_t paceStart = 0;
    bool idle = true;
    uint8_t buffer[4096];
    while (!stopRequested) {
        // Idle, it sleeps until a request arrives or a delayed answer falls due.
        pollfd p{master, POLLIN, 0};
        const int64_t nextDue = device.nextDueMs();
        const int64_t elapsedMs = (NowMicros() - start) / 1000;
        timespec wait{};
        timespec* timeout = nullptr;
        if (device.hasOutput()) {
            timeout = &wait;
        } else if (nextDue >= 0) {
            const int64_t ms = std::max<int64_t>(0, nextDue - elapsedMs + 1);
            wait.tv_sec = time_t(ms / 1000);
            wait.tv_nsec = long(ms % 1000) * 1000000;
            timeout = &wait;
        }
        ::ppoll(&p, 1, timeout, &sleepMask);
        if (stopRequested)
            break;
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        const int64_t now = NowMicros();
        if (n > 0)
            device.receive(buffer, int(n));
        device.advance((now - start) / 1000);
        if (device.hungUp())
            break;
        if (!device.hasOutput()) {
            idle = true;
            continue;
        }
        // The line's clock starts with each answer: time spent idle before it is no credit.
        if (idle) {
            idle = false;
            sentBytes = 0;
            paceStart = now;
        }
        int allowed = int(sizeof buffer);
        if (pace > 0) {
            // Bytes the line could have carried since the answer started.
            const int64_t due = (now - paceStart) * pace / 10 / 1000000 - sentBytes;
            allowed = int(std::min<int64_t>(due, sizeof buffer));
            if (allowed <= 0) {
                std::this_thread::sleep_for(std::chrono::microseconds(100));
                continue;
            }
        }
        const int count = device.takeOutput(buffer, allowed);
        int written = 0;
        while (written < count && !stopRequested) {
            const ssize_t w = ::write(master, buffer + written, size_t(count - written));
            if (w > 0) {
                written += int(w);
            } else if (w < 0 && errno != EAGAIN && errno != EINTR) {
                break;
            } else {
                // The line is full: wait for room, stop signals let through.
                pollfd room{master, POLLOUT, 0};
                const timespec brief{0, 10 * 1000000};
                ::ppoll(&room, 1, &brief, &sleepMask);
            }
        }
        sentBytes += written;
    }
    // Hang-up or stop: closing the master is what the client sees as a pulled cable.
    if (publish)
        RemovePortAlias(comNumber);
    ::close(master);
    ::close(slave);
    return 0;
}
