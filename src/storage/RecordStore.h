#pragma once
// Where a record goes: the configured database, or, when that cannot be
// reached, the outbox of the local default database, from which a later
// successful write or `records sync` delivers it, once (its id decides).
// A record is never dropped silently: when even the local database fails, the
// report carries the record itself as JSON.

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
    bool reached = false;   // the configured database could be opened
    int delivered = 0;
    int waiting = 0;        // still in the outbox
    std::string line;
};

class RecordStore {
public:
    // `local` holds the outbox; by default the default SQLite database.
    explicit RecordStore(DatabaseTarget target, DatabaseTarget local = {});

    const DatabaseTarget& target() const { return target_; }
    StoreReport saveTestRecord(const TestRecord& record);
    StoreReport saveSession(const SessionEntry& session);
    SyncReport sync();

private:
    template <typename Write>
    StoreReport save(const char* what, const std::string& id, const char* kind, const QJsonObject& payload, Write write);

    DatabaseTarget target_;
    DatabaseTarget local_;
};

// The database named by `text` (--db), or without it by VR60_DB, or else (unset
// or empty) the default; a text that does not parse gives a target whose
// `invalid` says why.
DatabaseTarget ConfiguredTarget(const std::string* text);
