#pragma once
// Taking sessions out of the logbook (a log added by mistake, a test log):
// named by their file, their content's SHA-256, or the UTC day they began.
// The log files themselves are never touched.

#include <string>
#include <vector>

#include "storage/Logbook.h"

class Database;

// The sessions `what` names:
//   - 8 to 64 hexadecimal digits: the sessions whose SHA-256 starts with them;
//   - a day "YYYY-MM-DD": the sessions whose first fix falls on it (UTC);
//   - anything else is a file: the sessions added under that path, and when
//     the file can be read, the session of its content (wherever it was added from).
std::vector<SessionEntry> SessionsNamedBy(const std::vector<SessionEntry>& sessions, const std::string& what);

// Removes the sessions with their results in one transaction; false with `error` set.
bool RemoveSessions(Database& db, const std::vector<std::string>& sha256s, std::string& error);
