#include "storage/Database.h"

#include <atomic>

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include "storage/Migrations.h"

namespace {

constexpr int kPostgresConnectSeconds = 5;
constexpr int kSqliteBusyMs = 30000;   // another station or program writing the same file
constexpr int kMigrationLockKey = 60021;   // PostgreSQL advisory lock held while migrating

QString NewConnectionName()
{
    static std::atomic<int> count{0};
    return QStringLiteral("vr60records-%1").arg(++count);
}

std::string Message(const QSqlError& e)
{
    QString text = e.databaseText().trimmed();
    if (text.isEmpty())
        text = e.driverText().trimmed();
    return text.simplified().toStdString();   // one line: the server's message may span several
}

} // namespace

int KnownSchemaVersion()
{
    return Migrations().back().version;
}

Database::Database(const DatabaseTarget& target) : target_(target), connectionName_(NewConnectionName()) {}

Database::~Database()
{
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(connectionName_);
}

std::unique_ptr<Database> Database::open(const DatabaseTarget& target, std::string& error)
{
    if (!target.invalid.empty()) {
        error = target.invalid;
        return nullptr;
    }
    std::unique_ptr<Database> d(new Database(target));
    const std::string where = target.display();
    if (target.shared()) {
        d->db_ = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), d->connectionName_);
        d->db_.setHostName(QString::fromStdString(target.host));
        d->db_.setPort(target.port);
        d->db_.setDatabaseName(QString::fromStdString(target.database));
        d->db_.setUserName(QString::fromStdString(target.user));
        d->db_.setPassword(QString::fromStdString(target.password));
        d->db_.setConnectOptions(QStringLiteral("connect_timeout=%1").arg(kPostgresConnectSeconds));
    } else {
        const QFileInfo file(QString::fromStdString(target.path));
        if (file.exists() && !file.isFile()) {
            error = "the records database " + where + " is not a file";
            return nullptr;
        }
        // Created on first use; only the default's folder is made.
        if (target.kind == DatabaseTarget::Kind::DefaultSqlite)
            QDir().mkpath(file.absolutePath());
        d->db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), d->connectionName_);
        d->db_.setDatabaseName(file.absoluteFilePath());
        d->db_.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kSqliteBusyMs));
    }
    if (!d->db_.isValid()) {
        error = std::string("the Qt SQL driver for ") + (target.shared() ? "PostgreSQL" : "SQLite") +
                " is missing (Debian: " + (target.shared() ? "libqt6sql6-psql" : "libqt6sql6-sqlite") + ")";
        return nullptr;
    }
    if (!d->db_.open()) {
        error = "cannot open the records database " + where + ": " + Message(d->db_.lastError());
        return nullptr;
    }
    // The server's notices ("already exists, skipping") are not the operator's business.
    if (target.shared()) {
        std::string ignored;
        d->exec("SET client_min_messages TO WARNING", ignored);
    }
    if (!d->migrate(error))
        return nullptr;
    return d;
}

bool Database::run(QSqlQuery& query, std::string& error)
{
    if (query.exec())
        return true;
    error = Message(query.lastError());
    return false;
}

bool Database::exec(const char* statement, std::string& error)
{
    QSqlQuery q(db_);
    if (q.exec(QString::fromLatin1(statement)))
        return true;
    error = Message(q.lastError());
    return false;
}

bool Database::begin(std::string& error)
{
    // IMMEDIATE takes SQLite's write lock at once: two writers then wait for each
    // other instead of failing when a read turns into a write.
    return exec(postgres() ? "BEGIN" : "BEGIN IMMEDIATE", error);
}

bool Database::commit(std::string& error)
{
    if (exec("COMMIT", error))
        return true;
    rollback();
    return false;
}

void Database::rollback()
{
    std::string ignored;
    exec("ROLLBACK", ignored);
}

bool Database::migrate(std::string& error)
{
    const std::string where = target_.display();
    const std::string leftAlone = "; it was left as it is";
    if (!postgres()) {
        // A file that is not an SQLite database fails here, before anything is written.
        QSqlQuery tables(db_);
        if (!tables.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"))) {
            error = where + " is not a records database (" + Message(tables.lastError()) + ")" + leftAlone;
            return false;
        }
        QStringList names;
        while (tables.next())
            names << tables.value(0).toString();
        tables.finish();
        if (!names.isEmpty() && !names.contains(QStringLiteral("schema_version"))) {
            error = where + " is not a records database (it holds other tables)" + leftAlone;
            return false;
        }
        if (names.contains(QStringLiteral("schema_version"))) {
            QSqlQuery v(db_);
            if (v.exec(QStringLiteral("SELECT MAX(version) FROM schema_version")) && v.next() &&
                v.value(0).toInt() > KnownSchemaVersion()) {
                error = where + " has schema version " + std::to_string(v.value(0).toInt()) +
                        ", newer than this program knows (" + std::to_string(KnownSchemaVersion()) +
                        "): use a newer version of the program" + leftAlone;
                return false;
            }
        }
        // Readers never block the writer, and a crash loses no committed record.
        std::string ignored;
        exec("PRAGMA journal_mode=WAL", ignored);
        exec("PRAGMA foreign_keys=ON", ignored);
    }

    std::string why;
    if (!begin(why)) {
        error = "cannot write to the records database " + where + ": " + why;
        return false;
    }
    auto fail = [&](const std::string& text) {
        rollback();
        error = text;
        return false;
    };
    // Two stations starting on a new shared database migrate one after the other.
    if (postgres() && !exec(("SELECT pg_advisory_xact_lock(" + std::to_string(kMigrationLockKey) + ")").c_str(), why))
        return fail("cannot lock the records database " + where + ": " + why);
    if (!exec("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)", why))
        return fail("cannot write to the records database " + where + ": " + why);
    QSqlQuery v(db_);
    if (!v.exec(QStringLiteral("SELECT MAX(version) FROM schema_version")) || !v.next())
        return fail("cannot read the schema version of " + where + ": " + Message(v.lastError()));
    const bool fresh = v.value(0).isNull();
    version_ = v.value(0).toInt();
    v.finish();
    if (version_ > KnownSchemaVersion())
        return fail(where + " has schema version " + std::to_string(version_) + ", newer than this program knows (" +
                    std::to_string(KnownSchemaVersion()) + "): use a newer version of the program" + leftAlone);
    if (fresh && !exec("INSERT INTO schema_version (version) VALUES (0)", why))
        return fail("cannot write to the records database " + where + ": " + why);
    for (const Migration& m : Migrations()) {
        if (m.version <= version_)
            continue;
        for (const char* statement : m.statements)
            if (!exec(statement, why))
                return fail("migration " + std::to_string(m.version) + " of " + where + " failed: " + why);
        QSqlQuery set(db_);
        set.prepare(QStringLiteral("UPDATE schema_version SET version = ?"));
        set.addBindValue(m.version);
        if (!run(set, why))
            return fail("migration " + std::to_string(m.version) + " of " + where + " failed: " + why);
        version_ = m.version;
    }
    if (!commit(why)) {
        error = "cannot write to the records database " + where + ": " + why;
        return false;
    }
    return true;
}
