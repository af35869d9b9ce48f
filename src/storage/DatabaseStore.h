#pragma once
// Where a record goes: the configured database, or, when that cannot be
// reached, the outbox of the local default database, from which a later
// successful write to that same database or `records sync` delivers it, once
// (its id decides). The outbox keeps which database each record is meant for
// (DatabaseTarget::key, never a password), and a record goes nowhere else.
// A record is never dropped silently: when even the local database fails, the
// report carries the record itself as JSON.

#include <atomic>
#include <string>

#include "storage/DatabaseUrl.h"
#include "storage/Logbook.h"
#include "storage/TestRecords.h"

struct StoreReport {
    bool stored = false;    // in the configured database
    bool queued = false;    // in the local outbox instead
    bool added = true;      // false: a session with that content was already there
    std::string line;       // for the message log: where the record went
};

struct SyncReport {
    bool reached = false;   // every database tried could be opened
    int delivered = 0;
    int waiting = 0;        // for the databases tried, still in the outbox
    std::string line;       // one line per database something waits for
};

class DatabaseStore {
public:
    // `local` holds the outbox; by default the default SQLite database.
    explicit DatabaseStore(DatabaseTarget target, DatabaseTarget local = {});

    const DatabaseTarget& target() const { return target_; }
    // The last write found the target unusable: readers of the same run need not
    // wait for it a second time.
    bool targetFailed() const { return targetFailed_; }
    // While set, a database server that does not answer is not waited for:
    // the record goes to the outbox at once.
    void stopWaitsWhen(const std::atomic<bool>* flag) { stop_ = flag; }
    StoreReport saveTestRecord(const TestRecord& record);
    StoreReport saveSession(const SessionEntry& session);
    // Delivers the outbox's records meant for the target, and names the other
    // databases records wait for; with `everyTarget`, delivers each record to
    // the database it was meant for, wherever that can be reached.
    SyncReport sync(bool everyTarget = false);

private:
    template <typename Write>
    StoreReport save(const char* what, const std::string& id, const char* kind, const QJsonObject& payload, Write write);

    DatabaseTarget target_;
    DatabaseTarget local_;
    bool targetFailed_ = false;
    const std::atomic<bool>* stop_ = nullptr;
};

// The database named by `text` (--db), or without it by VR60_DB, or else (unset
// or empty) the default; a text that does not parse gives a target whose
// `invalid` says why.
DatabaseTarget ConfiguredTarget(const std::string* text);
