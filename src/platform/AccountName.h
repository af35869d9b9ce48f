#pragma once
// The name of the account the program runs under, for records of who did what.

#include <string>

// USER or LOGNAME (USERNAME on Windows) when set, else the system's own entry for the
// account, so that a program started by a service manager or cron is named too;
// "unknown" only when even that fails.
std::string AccountName();
