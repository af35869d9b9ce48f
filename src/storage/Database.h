#pragma once
// One open records database (SQLite or PostgreSQL) with its schema brought up
// to date. Opening never changes a file that is not a records database, nor one
// whose schema is newer than this program knows; the error says which it is.

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>

#include <QSqlDatabase>
#include <QString>

#include "storage/DatabaseUrl.h"

class QSqlError;
class QSqlQuery;

class Database {
public:
    // Null with a sentence in `error` when the database cannot be opened or used.
    // Creates a database where there is none and brings its schema up to date.
    // A set `stop` ends the wait for a server that does not answer.
    static std::unique_ptr<Database> open(const DatabaseTarget& target, std::string& error,
                                          const std::atomic<bool>* stop = nullptr);
    // For reading only: creates, migrates and writes nothing, and works in a folder
    // that cannot be written. A default database not made yet reads as empty.
    static std::unique_ptr<Database> openForReading(const DatabaseTarget& target, std::string& error);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const DatabaseTarget& target() const { return target_; }
    bool postgres() const { return target_.kind == DatabaseTarget::Kind::Postgres; }
    QSqlDatabase& sql() { return db_; }
    int schemaVersion() const { return version_; }

    // Every write is one transaction: begin(), statements, commit(); false with
    // `error` set on failure (the transaction is then rolled back).
    bool begin(std::string& error);
    bool commit(std::string& error);
    void rollback();

    // Runs a prepared query; false with the database's message in `error`.
    static bool run(QSqlQuery& query, std::string& error);

private:
    Database(const DatabaseTarget& target);
    bool connect(bool readOnly, bool immutable, const std::atomic<bool>* stop, std::string& error);
    bool migrate(std::string& error);
    bool checkSchema(std::string& error);
    // What an SQLite failure means for the operator: not a database, disk full,
    // a folder or file that cannot be written.
    std::string sqliteFailure(const QSqlError& e);
    // The same for a read-only open, where a file that cannot be opened is not a write failure.
    std::string readFailure(const QSqlError& e);
    bool exec(const char* statement, std::string& error);

    DatabaseTarget target_;
    QSqlDatabase db_;
    QString connectionName_;
    int version_ = 0;
    int lastSqliteCode_ = 0;
};

// The schema version this program knows (the number of its migrations).
int KnownSchemaVersion();

// "a, b, c" of a field table's columns (each field has `column`), and the statement
// that inserts a row of them unless one with its key is there.
template <typename Field, size_t N>
QString ColumnList(const Field (&fields)[N])
{
    QString list;
    for (const Field& f : fields)
        list += (list.isEmpty() ? QString() : QStringLiteral(", ")) + QString::fromLatin1(f.column);
    return list;
}

template <typename Field, size_t N>
QString InsertUnlessThere(const char* table, const Field (&fields)[N])
{
    QString marks = QStringLiteral("?");
    for (size_t i = 1; i < N; ++i)
        marks += QStringLiteral(", ?");
    return QStringLiteral("INSERT INTO ") + QString::fromLatin1(table) + QStringLiteral(" (") + ColumnList(fields) +
           QStringLiteral(") VALUES (") + marks + QStringLiteral(") ON CONFLICT DO NOTHING");
}
