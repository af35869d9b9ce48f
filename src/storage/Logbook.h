#pragma once
// The session logbook: every downloaded or added log, once, keyed by the
// SHA-256 of its content, with the analysis results of each category.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <QJsonObject>

#include "analysis/SessionAnalysis.h"

class Database;

struct SessionEntry {
    std::string sha256;                  // of the file's content, lower-case hex
    std::string file;                    // as added (absolute)
    std::string added;                   // UTC, "YYYY-MM-DDTHH:MM:SSZ"
    std::optional<int64_t> startMs;      // first and last fix used, UTC ms
    std::optional<int64_t> endMs;
    std::optional<int64_t> serial;       // the logger's, when known
    std::string userName;                // empty: not known
    std::string rules = RuleSetName(kDefaultRuleSet);   // the rule set the results were computed under
    SessionResults results;              // categories hold speed, start and end only
};

// Reads, hashes and analyses a log file; false with a sentence in `error`.
bool SessionFromFile(const std::string& file, SessionEntry& entry, std::string& error,
                     RuleSet rules = kDefaultRuleSet);

// Brings sessions computed under other rules to `rules`: each is analysed again
// from its file where that file is at hand with the same content; the others
// keep their rules (and stay out of the personal bests). Returns how many were left so.
size_t RecomputeUnderRules(std::vector<SessionEntry>& sessions, RuleSet rules);

// The outbox's copy: a session as `logbook --json` shows it, with every digit and
// "added" besides. Reading takes that and the form earlier versions queued;
// false when the object has no sha256 or file.
QJsonObject SessionJson(const SessionEntry& e);
bool SessionFromJson(const QJsonObject& o, SessionEntry& e);

// One transaction; `added` false when the session was already there (same content).
bool InsertSession(Database& db, const SessionEntry& e, bool& added, std::string& error);
// Newest first (by first fix; sessions without one last).
bool ListSessions(Database& db, std::vector<SessionEntry>& out, std::string& error);

struct PersonalBest {
    Category category;
    double speed = 0;        // m/s
    int64_t startMs = 0;     // the run's start
    std::string file;
    std::string sha256;
};
// The fastest session per category among those computed under `rules`;
// categories no such session has are missing.
std::vector<PersonalBest> PersonalBests(const std::vector<SessionEntry>& sessions, RuleSet rules = kDefaultRuleSet);

// `logbook --json`: an array of {file, sha256, start, end, serial, user_name, rules, results},
// results shaped as `analyze --json` prints them.
std::string LogbookJson(const std::vector<SessionEntry>& sessions);
// `logbook best --json`: {category: {knots, kmh, file, start}}.
std::string PersonalBestsJson(const std::vector<PersonalBest>& bests);
