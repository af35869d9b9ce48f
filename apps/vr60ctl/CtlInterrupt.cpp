#include "CtlInterrupt.h"

#include <csignal>

#include "link/LinkContext.h"

namespace {

volatile std::sig_atomic_t arrived = 0;
std::atomic<bool>* stopFlag = nullptr;

void OnSignal(int signal)
{
    arrived = signal;
    if (stopFlag)
        stopFlag->store(true);
}

} // namespace

void StopWaitsOnSignals(LinkContext& link)
{
    static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");
    stopFlag = &link.stopRequested;
#ifdef _WIN32
    // Ctrl-C and Ctrl-Break in a console arrive as SIGINT; a second one ends the program.
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
#else
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
#endif
}

int InterruptSignal()
{
    return arrived;
}
