// The session logbook on SQLite: adding one session (one transaction with its
// category results), and listing a logbook of 10 000 sessions with their results.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include <QTemporaryDir>

#include "storage/Database.h"
#include "storage/Logbook.h"

namespace {

SessionEntry Session(int n)
{
    SessionEntry e;
    char hash[65];
    std::snprintf(hash, sizeof hash, "%064x", n);
    e.sha256 = hash;
    e.file = "/home/rider/logs/session_" + std::to_string(n) + ".sbp";
    e.added = "2026-03-01T09:00:00Z";
    e.startMs = 1700000000000LL + int64_t(n) * 86400000;
    e.endMs = *e.startMs + 3600000;
    e.serial = 12345;
    e.userName = "rider";
    e.results.distanceMetres = 30000 + n;
    e.results.movingSeconds = 3000;
    e.results.pointsUsed = 18000;
    for (const CategoryInfo& c : Categories())
        e.results.best[size_t(c.category)] = CategoryResult{10.0 + n % 7, *e.startMs, *e.startMs + 10000, {}, {}, {}};
    return e;
}

std::unique_ptr<Database> Open(const QTemporaryDir& dir)
{
    DatabaseTarget target;
    target.kind = DatabaseTarget::Kind::Sqlite;
    target.path = dir.filePath(QStringLiteral("bench.sqlite")).toStdString();
    std::string error;
    return Database::open(target, error);
}

void BM_LogbookAddSession(benchmark::State& state)
{
    QTemporaryDir dir;
    std::unique_ptr<Database> db = Open(dir);
    int n = 0;
    for (auto _ : state) {
        bool added = false;
        std::string error;
        if (!InsertSession(*db, Session(n++), added, error) || !added)
            state.SkipWithError(error.c_str());
    }
}
BENCHMARK(BM_LogbookAddSession)->Unit(benchmark::kMillisecond);

void BM_LogbookList10000Sessions(benchmark::State& state)
{
    QTemporaryDir dir;
    std::unique_ptr<Database> db = Open(dir);
    std::string error;
    for (int n = 0; n < 10000; ++n) {
        bool added = false;
        InsertSession(*db, Session(n), added, error);
    }
    for (auto _ : state) {
        std::vector<SessionEntry> sessions;
        if (!ListSessions(*db, sessions, error) || sessions.size() != 10000)
            state.SkipWithError("the logbook did not list 10 000 sessions");
        benchmark::DoNotOptimize(sessions.data());
    }
}
BENCHMARK(BM_LogbookList10000Sessions)->Unit(benchmark::kMillisecond);

} // namespace
