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
    stopFlag = &link.stopWaits;
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int InterruptSignal()
{
    return arrived;
}
