#include "storage/DatabaseStore.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include <QDateTime>
#include <QJsonDocument>
#include <QSqlQuery>
#include <QVariant>

#include "storage/Database.h"

namespace {

std::string Compact(const QJsonObject& o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString();
}

std::string Sentence(const char* what)
{
    std::string text = what;
    text[0] = char(text[0] - 'a' + 'A');
    return text;
}

bool SameTarget(const DatabaseTarget& a, const DatabaseTarget& b)
{
    return a.key() == b.key();
}

// The database an outbox row is meant for. Rows written by older versions hold
// the path as it was given: an absolute one still names its file, a relative
// one no longer says where it was meant (`known` false).
struct RowTarget {
    DatabaseTarget target;
    std::string key;
    bool known = true;
};

RowTarget TargetOfRow(const std::string& text)
{
    RowTarget row;
    std::string error;
    const bool prefixed = text.rfind("sqlite:", 0) == 0 || text.rfind("postgresql://", 0) == 0;
    if (prefixed && ParseDatabaseUrl(text, row.target, error)) {
        row.key = row.target.key();
    } else if (!prefixed && !text.empty() && text[0] == '/') {
        row.target.kind = DatabaseTarget::Kind::Sqlite;
        row.target.path = text;
        row.key = row.target.key();
    } else {
        row.known = false;
        row.key = text;
    }
    return row;
}

bool Enqueue(Database& local, const std::string& id, const char* kind, const std::string& targetKey,
             const QJsonObject& payload, std::string& error)
{
    if (!local.begin(error))
        return false;
    QSqlQuery q(local.sql());
    q.prepare(QStringLiteral("INSERT INTO outbox (id, kind, target, payload, queued_utc) VALUES (?, ?, ?, ?, ?)"
                             " ON CONFLICT DO NOTHING"));
    q.addBindValue(QString::fromStdString(id));
    q.addBindValue(QString::fromLatin1(kind));
    q.addBindValue(QString::fromStdString(targetKey));
    q.addBindValue(QString::fromStdString(Compact(payload)));
    q.addBindValue(QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs));
    if (!Database::run(q, error)) {
        local.rollback();
        return false;
    }
    return local.commit(error);
}

// Writes one queued record into the target; true when it is there (now or before).
bool Deliver(Database& target, const std::string& kind, const QJsonObject& payload, std::string& error)
{
    if (kind == "test") {
        TestRecord r;
        if (!TestRecordFromJson(payload, r)) {
            error = "a queued test record is unreadable";
            return false;
        }
        return InsertTestRecord(target, r, error);
    }
    SessionEntry e;
    if (kind != "session" || !SessionFromJson(payload, e)) {
        error = "a queued record is unreadable";
        return false;
    }
    bool added = false;
    return InsertSession(target, e, added, error);
}

struct OutboxRow {
    std::string id, kind, target;
    QJsonObject payload;
    RowTarget meant;   // `target` resolved once: a key resolves links on disk
};

// Whether a row is meant for the database of `key` (as DatabaseTarget::key), or
// names it as an older version wrote its name (`display`).
bool MeantFor(const OutboxRow& row, const std::string& key, const std::string& display)
{
    return row.meant.key == key || row.target == display;
}

bool ReadOutbox(Database& local, std::vector<OutboxRow>& rows)
{
    QSqlQuery q(local.sql());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT id, kind, target, payload FROM outbox ORDER BY queued_utc, id")))
        return false;
    while (q.next()) {
        const std::string target = q.value(2).toString().toStdString();
        rows.push_back({q.value(0).toString().toStdString(), q.value(1).toString().toStdString(), target,
                        QJsonDocument::fromJson(q.value(3).toString().toUtf8()).object(), TargetOfRow(target)});
    }
    return true;
}

struct Pushed {
    int delivered = 0;
    int waiting = 0;
    std::string error;
};

// The rows meant for `target` (by key, or as an older version wrote its name),
// each in its own transaction on the target, then off the outbox. Should the
// removal fail, the next push stores it again, which its id turns into nothing.
Pushed PushOutbox(Database& target, Database& local)
{
    Pushed p;
    std::vector<OutboxRow> rows;
    if (!ReadOutbox(local, rows)) {
        p.error = "cannot read the outbox";
        return p;
    }
    const std::string key = target.target().key();
    for (const OutboxRow& row : rows) {
        if (!MeantFor(row, key, target.target().display()))
            continue;
        std::string error;
        if (!Deliver(target, row.kind, row.payload, error)) {
            ++p.waiting;
            if (p.error.empty())
                p.error = error;
            continue;
        }
        QSqlQuery remove(local.sql());
        remove.prepare(QStringLiteral("DELETE FROM outbox WHERE id = ?"));
        remove.addBindValue(QString::fromStdString(row.id));
        if (local.begin(error) && Database::run(remove, error) && local.commit(error)) {
            ++p.delivered;
        } else {
            local.rollback();
            ++p.waiting;
        }
    }
    return p;
}

// Delivers what waits for one database and says how that went.
void SyncOne(const DatabaseTarget& target, Database& local, SyncReport& report)
{
    std::string why;
    std::unique_ptr<Database> opened;
    Database* db = &local;
    if (!SameTarget(target, local.target())) {
        opened = Database::open(target, why);
        db = opened.get();
    }
    std::string line;
    if (!db) {
        std::vector<OutboxRow> rows;
        ReadOutbox(local, rows);
        const std::string key = target.key();
        int waiting = 0;
        for (const OutboxRow& row : rows)
            waiting += MeantFor(row, key, target.display());
        report.reached = false;
        report.waiting += waiting;
        line = "The records database " + target.display() + " cannot be used (" + why + "); " +
               std::to_string(waiting) + " record(s) for it stay in the outbox.";
    } else {
        const Pushed pushed = PushOutbox(*db, local);
        report.delivered += pushed.delivered;
        report.waiting += pushed.waiting;
        line = std::to_string(pushed.delivered) + " record(s) delivered to " + target.display() + ", " +
               std::to_string(pushed.waiting) + " still in the outbox" +
               (pushed.error.empty() ? "." : " (" + pushed.error + ").");
    }
    report.line += (report.line.empty() ? "" : "\n") + line;
}

} // namespace

DatabaseStore::DatabaseStore(DatabaseTarget target, DatabaseTarget local) : target_(std::move(target)), local_(std::move(local))
{
    if (local_.path.empty())
        local_.path = DefaultDatabasePath();
}

template <typename Write>
StoreReport DatabaseStore::save(const char* what, const std::string& id, const char* kind, const QJsonObject& payload,
                              Write write)
{
    StoreReport report;
    std::string why;
    std::unique_ptr<Database> db = Database::open(target_, why, stop_);
    targetFailed_ = !db;
    if (db && write(*db, report, why)) {
        report.stored = true;
        report.line = Sentence(what) + (report.added ? " stored in " : " already in ") + target_.display() + ".";
        // The outbox holds records for databases other than the local one.
        if (!SameTarget(target_, local_)) {
            std::string ignored;
            if (std::unique_ptr<Database> local = Database::open(local_, ignored)) {
                const Pushed pushed = PushOutbox(*db, *local);
                if (pushed.delivered > 0)
                    report.line += " " + std::to_string(pushed.delivered) + " record(s) from the outbox delivered too.";
            }
        }
        return report;
    }
    db.reset();
    if (!SameTarget(target_, local_)) {
        std::string localWhy;
        if (std::unique_ptr<Database> local = Database::open(local_, localWhy);
            local && Enqueue(*local, id, kind, target_.key(), payload, localWhy)) {
            report.queued = true;
            report.line = "The records database " + target_.display() + " cannot be used (" + why + "); the " + what +
                          " waits in the outbox of " + local_.display() + " ('vr60ctl records sync' delivers it).";
            return report;
        }
        why += "; the outbox of " + local_.display() + " neither: " + localWhy;
    }
    report.line = Sentence(what) + " NOT stored (" + why + "): " + Compact(payload);
    return report;
}

StoreReport DatabaseStore::saveTestRecord(const TestRecord& record)
{
    return save("test record", record.id, "test",
                TestRecordJson(record), [&](Database& db, StoreReport&, std::string& error) {
                    return InsertTestRecord(db, record, error);
                });
}

StoreReport DatabaseStore::saveSession(const SessionEntry& session)
{
    return save("session", session.sha256, "session", SessionJson(session),
                [&](Database& db, StoreReport& report, std::string& error) {
                    return InsertSession(db, session, report.added, error);
                });
}

SyncReport DatabaseStore::sync(bool everyTarget)
{
    SyncReport report;
    std::string why;
    std::unique_ptr<Database> local = Database::open(local_, why);
    if (!local) {
        report.line = "The outbox cannot be read: " + why;
        return report;
    }
    std::vector<OutboxRow> rows;
    if (!ReadOutbox(*local, rows)) {
        report.line = "The outbox of " + local_.display() + " cannot be read.";
        return report;
    }
    report.reached = true;
    if (!everyTarget) {
        SyncOne(target_, *local, report);
    } else if (rows.empty()) {
        report.line = "The outbox of " + local_.display() + " is empty.";
        return report;
    }
    // Every other database something waits for, in the order they were queued;
    // with `everyTarget` each is delivered, otherwise only named.
    std::vector<std::string> done;
    if (!everyTarget)
        done.push_back(target_.key());
    for (const OutboxRow& row : rows) {
        const RowTarget& meant = row.meant;
        if (std::find(done.begin(), done.end(), meant.key) != done.end() || (!everyTarget && row.target == target_.display()))
            continue;
        done.push_back(meant.key);
        int count = 0;
        for (const OutboxRow& other : rows)
            count += other.meant.key == meant.key;
        if (!meant.known) {
            if (everyTarget) {
                report.waiting += count;
                report.reached = false;
            }
            report.line += (report.line.empty() ? "" : "\n") + std::to_string(count) + " record(s) wait for " +
                           meant.key + ", a path written relative to a folder not known here: run 'vr60ctl --db sqlite:" +
                           meant.key + " records sync' in that folder.";
        } else if (everyTarget) {
            DatabaseTarget target = meant.target;
            if (target.kind == DatabaseTarget::Kind::Postgres && meant.key == target_.key())
                target.password = target_.password;
            SyncOne(target, *local, report);
        } else {
            report.line += (report.line.empty() ? "" : "\n") + std::to_string(count) + " record(s) wait for " +
                           meant.target.display() + " ('vr60ctl records sync' without --db delivers them).";
        }
    }
    return report;
}

DatabaseTarget ConfiguredTarget(const std::string* text)
{
    const char* variable = std::getenv("VR60_DB");
    const std::string given = text ? *text : variable ? variable : "";
    DatabaseTarget target;
    std::string error;
    if (!ParseDatabaseUrl(given, target, error))
        target.invalid = (text ? "--db: " : "VR60_DB: ") + error;
    return target;
}
