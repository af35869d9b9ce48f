#pragma once
// SIGINT and SIGTERM during a command request the link's stop
// (LinkContext::stopRequested): every wait ends at once, no request goes out but
// the one that takes the device out of link mode, and the running operation ends
// as interrupted; the command still leaves link mode and closes the port.

class LinkContext;

void StopWaitsOnSignals(LinkContext& link);
// The signal that arrived, 0 when none.
int InterruptSignal();
// The exit status after an interruption: 128 + the signal, as shells report it.
inline int InterruptedStatus(int signal)
{
    return 128 + signal;
}
