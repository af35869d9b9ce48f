#include "storage/RecordStore.h"

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
    return a.kind == b.kind && a.display() == b.display();
}

bool Enqueue(Database& local, const std::string& id, const char* kind, const std::string& target,
             const QJsonObject& payload, std::string& error)
{
    if (!local.begin(error))
        return false;
    QSqlQuery q(local.sql());
    q.prepare(QStringLiteral("INSERT INTO outbox (id, kind, target, payload, queued_utc) VALUES (?, ?, ?, ?, ?)"
                             " ON CONFLICT DO NOTHING"));
    q.addBindValue(QString::fromStdString(id));
    q.addBindValue(QString::fromLatin1(kind));
    q.addBindValue(QString::fromStdString(target));
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

struct Pushed {
    int delivered = 0;
    int waiting = 0;
    std::string error;
};

// Each queued record in its own transaction on the target, then off the outbox.
// Should the removal fail, the next push stores it again, which its id turns
// into nothing.
Pushed PushOutbox(Database& target, Database& local)
{
    Pushed p;
    struct Row {
        std::string id, kind;
        QJsonObject payload;
    };
    std::vector<Row> rows;
    QSqlQuery q(local.sql());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT id, kind, payload FROM outbox ORDER BY queued_utc, id"))) {
        p.error = "cannot read the outbox";
        return p;
    }
    while (q.next())
        rows.push_back({q.value(0).toString().toStdString(), q.value(1).toString().toStdString(),
                        QJsonDocument::fromJson(q.value(2).toString().toUtf8()).object()});
    q.finish();
    for (const Row& row : rows) {
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

} // namespace

RecordStore::RecordStore(DatabaseTarget target, DatabaseTarget local) : target_(std::move(target)), local_(std::move(local))
{
    if (local_.path.empty())
        local_.path = DefaultDatabasePath();
}

template <typename Write>
StoreReport RecordStore::save(const char* what, const std::string& id, const char* kind, const QJsonObject& payload,
                              Write write)
{
    StoreReport report;
    std::string why;
    std::unique_ptr<Database> db = Database::open(target_, why);
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
            local && Enqueue(*local, id, kind, target_.display(), payload, localWhy)) {
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

StoreReport RecordStore::saveTestRecord(const TestRecord& record)
{
    return save("test record", record.id, "test",
                TestRecordJson(record), [&](Database& db, StoreReport&, std::string& error) {
                    return InsertTestRecord(db, record, error);
                });
}

StoreReport RecordStore::saveSession(const SessionEntry& session)
{
    return save("session", session.sha256, "session", SessionJson(session),
                [&](Database& db, StoreReport& report, std::string& error) {
                    return InsertSession(db, session, report.added, error);
                });
}

SyncReport RecordStore::sync()
{
    SyncReport report;
    std::string why;
    std::unique_ptr<Database> local = Database::open(local_, why);
    if (!local) {
        report.line = "The outbox cannot be read: " + why;
        return report;
    }
    if (SameTarget(target_, local_)) {
        report.reached = true;
        QSqlQuery q(local->sql());
        report.waiting = q.exec(QStringLiteral("SELECT COUNT(*) FROM outbox")) && q.next() ? q.value(0).toInt() : 0;
        report.line = "The records database is the local one (" + local_.display() + "); " +
                      std::to_string(report.waiting) + " record(s) wait in its outbox for a shared database (VR60_DB or --db).";
        return report;
    }
    std::unique_ptr<Database> db = Database::open(target_, why);
    if (!db) {
        QSqlQuery q(local->sql());
        report.waiting = q.exec(QStringLiteral("SELECT COUNT(*) FROM outbox")) && q.next() ? q.value(0).toInt() : 0;
        report.line = "The records database " + target_.display() + " cannot be used (" + why + "); " +
                      std::to_string(report.waiting) + " record(s) stay in the outbox.";
        return report;
    }
    report.reached = true;
    const Pushed pushed = PushOutbox(*db, *local);
    report.delivered = pushed.delivered;
    report.waiting = pushed.waiting;
    report.line = std::to_string(pushed.delivered) + " record(s) delivered to " + target_.display() + ", " +
                  std::to_string(pushed.waiting) + " still in the outbox" +
                  (pushed.error.empty() ? "." : " (" + pushed.error + ").");
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
