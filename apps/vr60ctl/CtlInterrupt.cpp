#include "CtlInterrupt.h"

#include <csignal>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

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

#ifdef _WIN32
// Ctrl-C and Ctrl-Break reach a console program as control events, on a thread of their own.
// The first one stops the operation; a second one ends the program (the default handler).
BOOL WINAPI OnConsoleEvent(DWORD event)
{
    if ((event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) || arrived)
        return FALSE;
    OnSignal(SIGINT);
    return TRUE;
}
#endif

} // namespace

void StopWaitsOnSignals(LinkContext& link)
{
    static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");
    stopFlag = &link.stopRequested;
#ifdef _WIN32
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
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
