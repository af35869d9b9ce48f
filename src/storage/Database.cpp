#include "storage/Database.h"

#include <atomic>

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <QUrl>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include "storage/Migrations.h"
#include "storage/ServerProbe.h"

namespace {

constexpr int kPostgresConnectSeconds = 3;   // a dead server costs this once per run, then the outbox
constexpr int kSqliteBusyMs = 30000;   // another station or program writing the same file
constexpr int kMigrationLockKey = 60021;   // PostgreSQL advisory lock held while migrating
// SQLite's primary result codes that name what went wrong.
constexpr int kSqliteReadOnly = 8;
constexpr int kSqliteFull = 13;
constexpr int kSqliteCantOpen = 14;
constexpr int kSqliteNotADatabase = 26;

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

bool Database::connect(bool readOnly, bool immutable, const std::atomic<bool>* stop, std::string& error)
{
    const DatabaseTarget& target = target_;
    const std::string where = target.display();
    if (target.shared()) {
        std::string why;
        switch (ProbePostgresServer(target.host, target.port, kPostgresConnectSeconds * 1000, stop, why)) {
        case ServerAnswer::Stopped:
            error = "stopped before the records database " + where + " answered";
            return false;
        case ServerAnswer::Silent:
            error = "cannot open the records database " + where + ": " + why;
            return false;
        case ServerAnswer::Answers:
            break;
        }
        db_ = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName_);
        db_.setHostName(QString::fromStdString(target.host));
        db_.setPort(target.port);
        db_.setDatabaseName(QString::fromStdString(target.database));
        db_.setUserName(QString::fromStdString(target.user));
        db_.setPassword(QString::fromStdString(target.password));
        db_.setConnectOptions(QStringLiteral("connect_timeout=%1").arg(kPostgresConnectSeconds));
    } else {
        const QFileInfo file(QString::fromStdString(target.path));
        if (file.exists() && !file.isFile()) {
            error = "the records database " + where + " is not a file";
            return false;
        }
        // Created on first use; only the default's folder is made.
        if (!readOnly && target.kind == DatabaseTarget::Kind::DefaultSqlite)
            QDir().mkpath(file.absolutePath());
        db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName_);
        QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kSqliteBusyMs);
        if (readOnly)
            options += QStringLiteral(";QSQLITE_OPEN_READONLY");
        if (immutable) {
            // A WAL database in a folder that cannot be written: read as it is.
            options += QStringLiteral(";QSQLITE_OPEN_URI");
            db_.setDatabaseName(QStringLiteral("file:") +
                                QString::fromLatin1(QUrl::toPercentEncoding(file.absoluteFilePath(), "/")) +
                                QStringLiteral("?immutable=1"));
        } else {
            db_.setDatabaseName(file.absoluteFilePath());
        }
        db_.setConnectOptions(options);
    }
    if (!db_.isValid()) {
        error = std::string("the Qt SQL driver for ") + (target.shared() ? "PostgreSQL" : "SQLite") +
                " is missing (Debian: " + (target.shared() ? "libqt6sql6-psql" : "libqt6sql6-sqlite") + ")";
        return false;
    }
    if (!db_.open()) {
        error = "cannot open the records database " + where + ": " + Message(db_.lastError());
        return false;
    }
    // The server's notices ("already exists, skipping") are not the operator's business.
    if (target.shared()) {
        std::string ignored;
        exec("SET client_min_messages TO WARNING", ignored);
        if (readOnly)
            exec("SET default_transaction_read_only = on", ignored);
    }
    return true;
}

std::unique_ptr<Database> Database::open(const DatabaseTarget& target, std::string& error, const std::atomic<bool>* stop)
{
    if (!target.invalid.empty()) {
        error = target.invalid;
        return nullptr;
    }
    std::unique_ptr<Database> d(new Database(target));
    if (!d->connect(false, false, stop, error) || !d->migrate(error))
        return nullptr;
    return d;
}

std::unique_ptr<Database> Database::openForReading(const DatabaseTarget& target, std::string& error)
{
    if (!target.invalid.empty()) {
        error = target.invalid;
        return nullptr;
    }
    std::unique_ptr<Database> d(new Database(target));
    if (!target.shared() && !QFileInfo::exists(QString::fromStdString(target.path))) {
        if (target.kind != DatabaseTarget::Kind::DefaultSqlite) {
            error = "there is no records database " + target.display();
            return nullptr;
        }
        // Nothing recorded on this computer yet: read as an empty database, create none.
        d->db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), d->connectionName_);
        d->db_.setDatabaseName(QStringLiteral(":memory:"));
        if (!d->db_.open() || !d->migrate(error))
            return nullptr;
        return d;
    }
    if (!d->connect(true, false, nullptr, error))
        return nullptr;
    if (d->checkSchema(error))
        return d;
    // A WAL database needs its shared-memory file, which a folder that cannot be
    // written does not let SQLite make: then it is read as it is on disk.
    if (target.shared() || (d->lastSqliteCode_ != kSqliteCantOpen && d->lastSqliteCode_ != kSqliteReadOnly))
        return nullptr;
    d.reset(new Database(target));
    if (!d->connect(true, true, nullptr, error) || !d->checkSchema(error))
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
            error = sqliteFailure(tables.lastError()) + leftAlone;
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
        error = postgres() ? "cannot write to the records database " + where + ": " + why : sqliteFailure(db_.lastError());
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
        error = postgres() ? "cannot write to the records database " + where + ": " + why : sqliteFailure(db_.lastError());
        return false;
    }
    return true;
}

std::string Database::sqliteFailure(const QSqlError& e)
{
    const std::string where = target_.display();
    lastSqliteCode_ = e.nativeErrorCode().toInt() & 0xFF;   // the primary code of an extended one
    const QFileInfo file(QString::fromStdString(target_.path));
    const QFileInfo folder(file.absolutePath());
    const QStorageInfo disk(folder.absoluteFilePath());
    const std::string message = Message(e);
    switch (lastSqliteCode_) {
    case kSqliteNotADatabase:
        return where + " is not a records database (" + message + ")";
    case kSqliteFull:
        return "cannot write to the records database " + where + ": the disk is full";
    default:
        break;
    }
    if (disk.isValid() && disk.bytesAvailable() == 0)
        return "cannot write to the records database " + where + ": the disk is full (" + message + ")";
    if (folder.exists() && !folder.isWritable())
        return "cannot write to the records database " + where + ": its folder " +
               folder.absoluteFilePath().toStdString() + " cannot be written (" + message + ")";
    if (file.exists() && !file.isWritable())
        return "cannot write to the records database " + where + ": the file is read-only (" + message + ")";
    return "cannot use the records database " + where + " (" + message + ")";
}

// Reading only: the file must already be a records database of this program's schema.
bool Database::checkSchema(std::string& error)
{
    const std::string where = target_.display();
    QSqlQuery v(db_);
    if (!postgres()) {
        QSqlQuery tables(db_);
        if (!tables.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = 'schema_version'")) ||
            !tables.next()) {
            error = readFailure(tables.lastError());
            return false;
        }
        if (tables.value(0).toInt() == 0) {
            error = where + " is not a records database (it holds no records)";
            return false;
        }
    }
    if (!v.exec(QStringLiteral("SELECT MAX(version) FROM schema_version")) || !v.next()) {
        error = postgres() ? "cannot read the schema version of " + where + ": " + Message(v.lastError())
                           : readFailure(v.lastError());
        return false;
    }
    version_ = v.value(0).toInt();
    if (version_ > KnownSchemaVersion()) {
        error = where + " has schema version " + std::to_string(version_) + ", newer than this program knows (" +
                std::to_string(KnownSchemaVersion()) + "): use a newer version of the program";
        return false;
    }
    if (version_ < KnownSchemaVersion()) {
        error = where + " has schema version " + std::to_string(version_) + ", older than this program's (" +
                std::to_string(KnownSchemaVersion()) + "); reading does not change it: the next record written updates it";
        return false;
    }
    return true;
}

std::string Database::readFailure(const QSqlError& e)
{
    const std::string text = sqliteFailure(e);
    return lastSqliteCode_ == kSqliteCantOpen || lastSqliteCode_ == kSqliteReadOnly ? "cannot read the records database " + target_.display() + " (" + Message(e) + ")"
                                              : text;
}
