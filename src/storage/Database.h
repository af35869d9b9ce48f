#pragma once
// One open records database (SQLite or PostgreSQL) with its schema brought up
// to date. Opening never changes a file that is not a records database, nor one
// whose schema is newer than this program knows; the error says which it is.

#include <memory>
#include <string>

#include <QSqlDatabase>

#include "storage/DatabaseUrl.h"

class QSqlQuery;

class Database {
public:
    // Null with a sentence in `error` when the database cannot be opened or used.
    static std::unique_ptr<Database> open(const DatabaseTarget& target, std::string& error);
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
    bool migrate(std::string& error);
    bool exec(const char* statement, std::string& error);

    DatabaseTarget target_;
    QSqlDatabase db_;
    QString connectionName_;
    int version_ = 0;
};

// The schema version this program knows (the number of its migrations).
int KnownSchemaVersion();
