#pragma once
// SIGINT and SIGTERM during a command: every wait of the link ends at once
// (LinkContext::stopRequested), so the running operation stops as if the device had
// gone quiet, and the command still leaves link mode and closes the port.

class LinkContext;

void StopWaitsOnSignals(LinkContext& link);
// The signal that arrived, 0 when none.
int InterruptSignal();
// The exit status after an interruption: 128 + the signal, as shells report it.
inline int InterruptedStatus(int signal)
{
    return 128 + signal;
}
