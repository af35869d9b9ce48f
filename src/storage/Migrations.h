#pragma once
// The numbered schema migrations, the same for SQLite and PostgreSQL. Migration
// n brings a database from version n-1 to n; a released migration never changes.

#include <vector>

struct Migration {
    int version;
    std::vector<const char*> statements;
};

const std::vector<Migration>& Migrations();
