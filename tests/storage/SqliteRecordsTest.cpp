// The records database on SQLite: first use, test records, the outbox and its
// delivery, and databases that must be left alone.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>

#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>
#include <QVariant>

#include "storage/Database.h"
#include "storage/DatabaseStore.h"
#include "storage/Migrations.h"
#include "storage/RecordSamples.h"
#include "support/Files.h"
#include "support/WorkingFolder.h"

namespace {

DatabaseTarget SqliteAt(const std::string& path)
{
    DatabaseTarget t;
    std::string error;
    EXPECT_TRUE(ParseDatabaseUrl("sqlite:" + path, t, error)) << error;
    return t;
}

// One statement straight through SQLite, beside the storage layer.
QVariant RawValue(const std::string& path, const char* statement)
{
    QVariant value;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
        db.setDatabaseName(QString::fromStdString(path));
        db.open();
        QSqlQuery q(db);
        if (q.exec(QString::fromLatin1(statement)) && q.next())
            value = q.value(0);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("raw"));
    return value;
}

std::vector<TestRecord> AllRecords(const DatabaseTarget& target)
{
    std::string error;
    std::unique_ptr<Database> db = Database::open(target, error);
    EXPECT_TRUE(db) << error;
    std::vector<TestRecord> out;
    if (db) {
        EXPECT_TRUE(ListTestRecords(*db, {}, out, error)) << error;
    }
    return out;
}

std::string Json(const TestRecord& r)
{
    return QJsonDocument(TestRecordJson(r)).toJson().toStdString();
}

TEST(SqliteRecords, firstUseCreatesTheDefaultDatabaseInTheDataFolderWithWalAndTheSchema)
{
    ScratchDir home;
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(home.path.string()));
    const std::string expected = home.file("TRAXELO/VR40LINK/records.sqlite");
    EXPECT_EQ(DefaultDatabasePath(), expected);

    DatabaseStore store(ConfiguredTarget(nullptr));
    const TestRecord r = SampleTestRecord(12345, "2026-03-01T10:00:00Z", kOutcomePass);
    const StoreReport report = store.saveTestRecord(r);
    EXPECT_TRUE(report.stored);
    EXPECT_EQ(report.line, "Test record stored in " + expected + ".");
    EXPECT_EQ(RawValue(expected, "PRAGMA journal_mode").toString(), "wal");
    EXPECT_EQ(RawValue(expected, "SELECT version FROM schema_version").toInt(), KnownSchemaVersion());
    // Opening again migrates nothing and keeps the record.
    const std::vector<TestRecord> stored = AllRecords(ConfiguredTarget(nullptr));
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(Json(stored[0]), Json(r));
    qputenv("XDG_DATA_HOME", saved);
}

TEST(SqliteRecords, recordsComeBackWhole_filteredByUnitAndDay_andAnIdIsStoredOnce)
{
    ScratchDir dir;
    const DatabaseTarget target = SqliteAt(dir.file("r.sqlite"));
    const std::vector<TestRecord> records = {
        SampleTestRecord(7, "2026-03-01T09:00:00Z", kOutcomePass),
        SampleTestRecord(8, "2026-03-01T09:05:00Z", kOutcomeFail, false),
        SampleTestRecord(7, "2026-03-02T08:00:00Z", kOutcomeBitTimeout),
    };
    std::string error;
    std::unique_ptr<Database> db = Database::open(target, error);
    ASSERT_TRUE(db) << error;
    for (const TestRecord& r : records)
        ASSERT_TRUE(InsertTestRecord(*db, r, error)) << error;
    ASSERT_TRUE(InsertTestRecord(*db, records[1], error)) << error;   // again: no second copy

    TestRecord back;
    ASSERT_TRUE(TestRecordFromJson(TestRecordJson(records[1]), back));
    EXPECT_EQ(Json(back), Json(records[1]));

    const struct {
        std::optional<int64_t> serial;
        const char* since;
        std::vector<size_t> expected;
    } filters[] = {
        {{}, "", {0, 1, 2}}, {7, "", {0, 2}}, {{}, "2026-03-02", {2}}, {8, "2026-03-02", {}}, {9, "", {}},
    };
    for (const auto& f : filters) {
        std::vector<TestRecord> out;
        ASSERT_TRUE(ListTestRecords(*db, {f.serial, f.since}, out, error)) << error;
        ASSERT_EQ(out.size(), f.expected.size()) << f.since;
        for (size_t i = 0; i < out.size(); ++i)
            EXPECT_EQ(Json(out[i]), Json(records[f.expected[i]]));
    }
}

TEST(SqliteRecords, summaryPerDayCountsUnitsOnceAndNamesTheItemThatFailedMost)
{
    std::vector<TestRecord> r = {
        SampleTestRecord(1, "2026-03-01T09:00:00Z", kOutcomeFail, false),
        SampleTestRecord(1, "2026-03-01T09:10:00Z", kOutcomePass),   // retested and passed
        SampleTestRecord(2, "2026-03-01T09:20:00Z", kOutcomeFail, false),
        SampleTestRecord(3, "2026-03-01T09:30:00Z", kOutcomeNoAnswer),
        SampleTestRecord(4, "2026-03-02T07:00:00Z", kOutcomePass),
    };
    // Items the unit never judged count for nothing, however many.
    r[3].items = {{"RTC", std::nullopt}, {"Battery", std::nullopt}};
    r.push_back(SampleTestRecord(5, "2026-03-01T09:40:00Z", kOutcomeInterrupted));
    r.push_back(SampleTestRecord(6, "2026-03-01T09:50:00Z", kOutcomeBitTimeout));
    const std::vector<TestDaySummary> days = SummarizeByDay(r);
    ASSERT_EQ(days.size(), 2u);
    EXPECT_EQ(days[0].day, "2026-03-01");
    EXPECT_EQ(days[0].units, 5);
    EXPECT_EQ(days[0].passed, 1);
    EXPECT_EQ(days[0].failed, 4);
    EXPECT_EQ(days[0].mostFailedItem, "Battery");
    EXPECT_EQ(days[0].mostFailedCount, 2);
    EXPECT_EQ(days[1].units, 1);
    EXPECT_EQ(days[1].failed, 0);
    EXPECT_EQ(days[1].mostFailedItem, "");
}

// Records written before the run's own follow-ups and unjudged items were kept apart:
// a database of schema 3, and an outbox payload of that time.
TEST(SqliteRecords, olderRecordsReadAsWhatTheyMeant)
{
    ScratchDir dir;
    const std::string path = dir.file("old.sqlite");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("old"));
        db.setDatabaseName(QString::fromStdString(path));
        ASSERT_TRUE(db.open());
        std::vector<std::string> statements;
        for (const Migration& m : Migrations())
            if (m.version <= 3)
                statements.insert(statements.end(), m.statements.begin(), m.statements.end());
        const std::string row = "INSERT INTO test_records VALUES ('%1', '2026-03-01T09:0%1:00Z', 's', 'o', 'v', %1,"
                                " 'u', 'f', 't', 'g', 425, 0, 0, 1, %2, '%3', 1, 0)";
        for (const std::string& extra :
             {std::string("CREATE TABLE schema_version (version INTEGER NOT NULL)"),
              std::string("INSERT INTO schema_version (version) VALUES (3)"),
              QString::fromStdString(row).arg(1).arg(1).arg("PASS").toStdString(),
              QString::fromStdString(row).arg(2).arg(0).arg("BIT timeout").toStdString(),
              std::string("INSERT INTO test_items VALUES ('1', 0, 'RTC', 1), ('2', 0, 'RTC', 0)")})
            statements.push_back(extra);
        for (const std::string& statement : statements)
            ASSERT_TRUE(QSqlQuery(db).exec(QString::fromStdString(statement))) << statement;
    }
    QSqlDatabase::removeDatabase(QStringLiteral("old"));

    const std::vector<TestRecord> records = AllRecords(SqliteAt(path));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].items, (std::vector<std::pair<std::string, ItemVerdict>>{{"RTC", true}}));
    EXPECT_EQ(records[1].items, (std::vector<std::pair<std::string, ItemVerdict>>{{"RTC", std::nullopt}}));
    for (const TestRecord& r : records)
        EXPECT_TRUE(r.autoClear && r.configuredClear && !r.autoPowerOff && !r.configuredPowerOff);
    EXPECT_EQ(SummarizeByDay(records)[0].mostFailedItem, "");

    QJsonObject payload = TestRecordJson(SampleTestRecord(9, "2026-03-01T10:00:00Z", kOutcomeInterrupted));
    payload.remove("configured_clear");
    payload.remove("configured_poweroff");
    payload.insert("items", QJsonObject{{"RTC", false}, {"Battery", false}});
    TestRecord old;
    ASSERT_TRUE(TestRecordFromJson(payload, old));
    EXPECT_EQ(old.items, (std::vector<std::pair<std::string, ItemVerdict>>{{"RTC", std::nullopt}, {"Battery", std::nullopt}}));
    EXPECT_TRUE(old.configuredPowerOff);
}

TEST(SqliteRecords, aDatabaseThatCannotBeUsedIsLeftAsItIsAndTheRecordWaitsInTheOutbox)
{
    ScratchDir dir;
    const std::string newer = dir.file("newer.sqlite");
    {
        std::string error;
        ASSERT_TRUE(Database::open(SqliteAt(newer), error)) << error;
    }
    RawValue(newer, "UPDATE schema_version SET version = 99");
    const std::string notDb = dir.file("notes.sqlite");
    std::ofstream(notDb) << std::string(3000, 'x');
    const std::string foreign = dir.file("foreign.sqlite");
    RawValue(foreign, "CREATE TABLE cars (plate TEXT)");

    const std::string url = "mysql://line@db/records";
    const struct {
        DatabaseTarget target;
        std::string file;   // must stay byte for byte
        std::string reason;
    } cases[] = {
        {SqliteAt(notDb), notDb, notDb + " is not a records database (file is not a database); it was left as it is"},
        {SqliteAt(newer), newer,
         newer + " has schema version 99, newer than this program knows (" + std::to_string(KnownSchemaVersion()) +
             "): use a newer version of the program; it was left as it is"},
        {SqliteAt(foreign), foreign, foreign + " is not a records database (it holds other tables)"},
        {ConfiguredTarget(&url), "", "--db: 'mysql://line@db/records' is not a database URL (unknown scheme)"},
        {SqliteAt(dir.file("no/such/folder/r.sqlite")), "", "cannot open the records database"},
    };
    const DatabaseTarget local = SqliteAt(dir.file("local.sqlite"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        const std::vector<uint8_t> before = ReadFileBytes(c.file);
        std::string error;
        EXPECT_FALSE(Database::open(c.target, error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;

        const StoreReport report = DatabaseStore(c.target, local).saveTestRecord(SampleTestRecord(5, "2026-03-01T09:00:00Z", kOutcomePass));
        EXPECT_FALSE(report.stored);
        EXPECT_TRUE(report.queued);
        EXPECT_NE(report.line.find(c.reason), std::string::npos) << report.line;
        EXPECT_NE(report.line.find("the test record waits in the outbox of " + local.path +
                                   " ('vr60ctl records sync' delivers it)"),
                  std::string::npos)
            << report.line;
        if (!c.file.empty()) {
            EXPECT_EQ(ReadFileBytes(c.file), before);
        }
    }
    EXPECT_EQ(RawValue(local.path, "SELECT COUNT(*) FROM outbox").toInt(), 5);

    // Nowhere to keep it: the message log carries the record itself.
    const TestRecord r = SampleTestRecord(6, "2026-03-01T09:00:00Z", kOutcomePass);
    const StoreReport lost = DatabaseStore(SqliteAt(notDb), SqliteAt(notDb)).saveTestRecord(r);
    EXPECT_FALSE(lost.stored || lost.queued);
    EXPECT_EQ(lost.line.rfind("Test record NOT stored (" + notDb + " is not a records database", 0), 0u) << lost.line;
    EXPECT_NE(lost.line.find("\"id\":\"" + r.id + "\""), std::string::npos) << lost.line;
}

TEST(SqliteRecords, theOutboxIsDeliveredExactlyOnce_bySyncOrByTheNextWrite)
{
    ScratchDir dir;
    const std::string shared = dir.file("server/shared.sqlite");
    const DatabaseTarget target = SqliteAt(shared);
    const DatabaseTarget local = SqliteAt(dir.file("local.sqlite"));
    DatabaseStore store(target, local);
    const TestRecord a = SampleTestRecord(1, "2026-03-01T09:00:00Z", kOutcomePass);
    const TestRecord b = SampleTestRecord(2, "2026-03-01T09:01:00Z", kOutcomeFail, false);
    const TestRecord c = SampleTestRecord(3, "2026-03-01T09:02:00Z", kOutcomePass);

    // The server's folder is missing: unreachable.
    EXPECT_TRUE(store.saveTestRecord(a).queued);
    SyncReport s = store.sync();
    EXPECT_FALSE(s.reached);
    EXPECT_EQ(s.waiting, 1);

    std::filesystem::create_directory(dir.file("server"));
    s = store.sync();
    EXPECT_EQ(s.delivered, 1);
    EXPECT_EQ(s.line, "1 record(s) delivered to " + shared + ", 0 still in the outbox.");
    EXPECT_EQ(store.sync().delivered, 0);

    // Unreachable again, then the next write takes the queued record along.
    std::filesystem::rename(dir.file("server"), dir.file("away"));
    EXPECT_TRUE(store.saveTestRecord(b).queued);
    std::filesystem::rename(dir.file("away"), dir.file("server"));
    const StoreReport report = store.saveTestRecord(c);
    EXPECT_EQ(report.line, "Test record stored in " + shared + ". 1 record(s) from the outbox delivered too.");

    // A record delivered but not taken off the outbox (a crash between the two) is not stored twice.
    {
        std::string error;
        std::unique_ptr<Database> db = Database::open(local, error);
        QSqlQuery q(db->sql());
        q.prepare(QStringLiteral("INSERT INTO outbox (id, kind, target, payload, queued_utc) VALUES (?, 'test', ?, ?, '')"));
        q.addBindValue(QString::fromStdString(a.id));
        q.addBindValue(QString::fromStdString(target.display()));
        q.addBindValue(QJsonDocument(TestRecordJson(a)).toJson());
        ASSERT_TRUE(Database::run(q, error)) << error;
    }
    EXPECT_EQ(store.sync().delivered, 1);
    const std::vector<TestRecord> all = AllRecords(target);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(Json(all[0]), Json(a));
    EXPECT_EQ(Json(all[1]), Json(b));
    EXPECT_EQ(Json(all[2]), Json(c));
}

TEST(SqliteRecords, aQueuedRecordGoesOnlyToTheDatabaseItWasMeantFor)
{
    ScratchDir dir;
    const DatabaseTarget local = SqliteAt(dir.file("local.sqlite"));
    const DatabaseTarget lineA = SqliteAt(dir.file("a/line.sqlite"));
    const DatabaseTarget lineB = SqliteAt(dir.file("b/line.sqlite"));
    const DatabaseTarget scratch = SqliteAt(dir.file("scratch.sqlite"));
    EXPECT_TRUE(DatabaseStore(lineA, local).saveTestRecord(SampleTestRecord(1, "2026-03-01T09:00:00Z", kOutcomePass)).queued);
    EXPECT_TRUE(DatabaseStore(lineB, local).saveTestRecord(SampleTestRecord(2, "2026-03-01T09:01:00Z", kOutcomePass)).queued);

    // Writes to and syncs of other databases take nothing along.
    EXPECT_EQ(DatabaseStore(scratch, local).saveTestRecord(SampleTestRecord(3, "2026-03-01T09:02:00Z", kOutcomePass)).line,
              "Test record stored in " + scratch.path + ".");
    const SyncReport named = DatabaseStore(scratch, local).sync();
    EXPECT_EQ(named.line, "0 record(s) delivered to " + scratch.path + ", 0 still in the outbox.\n"
                          "1 record(s) wait for " + lineA.path + " ('vr60ctl records sync' without --db delivers them).\n"
                          "1 record(s) wait for " + lineB.path + " ('vr60ctl records sync' without --db delivers them).");
    EXPECT_EQ(AllRecords(scratch).size(), 1u);

    // The local database written another way is still the local one: no outbox.
    const StoreReport self = [&] {
        const WorkingFolder folder(dir.path);
        return DatabaseStore(SqliteAt("./local.sqlite"), local).saveTestRecord(SampleTestRecord(4, "2026-03-01T09:03:00Z", kOutcomePass));
    }();
    EXPECT_TRUE(self.stored);
    EXPECT_EQ(RawValue(local.path, "SELECT COUNT(*) FROM outbox").toInt(), 2);

    // Without a named database each goes where it was meant, as soon as it can.
    std::filesystem::create_directory(dir.file("a"));
    SyncReport all = DatabaseStore(scratch, local).sync(true);
    EXPECT_FALSE(all.reached);
    EXPECT_EQ(all.delivered, 1);
    EXPECT_EQ(all.waiting, 1);
    EXPECT_NE(all.line.find("1 record(s) delivered to " + lineA.path + ", 0 still in the outbox.\nThe records database " +
                            lineB.path + " cannot be used ("),
              std::string::npos)
        << all.line;
    std::filesystem::create_directory(dir.file("b"));
    all = DatabaseStore(scratch, local).sync(true);
    EXPECT_TRUE(all.reached);
    EXPECT_EQ(all.line, "1 record(s) delivered to " + lineB.path + ", 0 still in the outbox.");
    EXPECT_EQ(AllRecords(lineA).size(), 1u);
    EXPECT_EQ(AllRecords(lineB).size(), 1u);
    EXPECT_EQ(AllRecords(scratch).size(), 1u);
    EXPECT_EQ(DatabaseStore(scratch, local).sync(true).line, "The outbox of " + local.path + " is empty.");
}

TEST(SqliteRecords, readingCreatesNothing_andWorksInAFolderThatCannotBeWritten)
{
    ScratchDir dir;
    std::string error;
    // A name that is not there: said so, and still not there.
    EXPECT_FALSE(Database::openForReading(SqliteAt(dir.file("typo.sqlite")), error));
    EXPECT_EQ(error, "there is no records database " + dir.file("typo.sqlite"));
    DatabaseTarget fresh;
    fresh.path = dir.file("data/records.sqlite");   // the default, before the first record
    std::vector<TestRecord> none;
    std::unique_ptr<Database> empty = Database::openForReading(fresh, error);
    ASSERT_TRUE(empty && ListTestRecords(*empty, {}, none, error)) << error;
    EXPECT_TRUE(none.empty());
    EXPECT_FALSE(std::filesystem::exists(dir.file("data")));

    // A good database in a folder only root could write: readers read it, writers
    // are told what stops them. Checked as nobody, since root writes anywhere.
    const DatabaseTarget target = SqliteAt(dir.file("shelf/line.sqlite"));
    std::filesystem::create_directory(dir.file("shelf"));
    EXPECT_TRUE(DatabaseStore(target, target).saveTestRecord(SampleTestRecord(1, "2026-03-01T09:00:00Z", kOutcomePass)).stored);
    const passwd* nobody = getpwnam("nobody");
    ASSERT_TRUE(nobody);
    using std::filesystem::perms;
    std::filesystem::permissions(dir.path, perms::owner_all | perms::group_exec | perms::others_exec);
    std::filesystem::permissions(dir.file("shelf"), perms::owner_all | perms::others_read | perms::others_exec);
    std::filesystem::permissions(target.path, perms::owner_read | perms::owner_write | perms::others_read);
    const pid_t child = fork();
    if (child == 0) {
        if (setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0)
            _exit(10);
        std::vector<TestRecord> all;
        std::unique_ptr<Database> reader = Database::openForReading(target, error);
        if (!reader || !ListTestRecords(*reader, {}, all, error) || all.size() != 1) {
            std::fprintf(stderr, "reading: %s\n", error.c_str());
            _exit(11);
        }
        reader.reset();
        if (Database::open(target, error) ||
            error.find("its folder " + dir.file("shelf") + " cannot be written") == std::string::npos) {
            std::fprintf(stderr, "writing: %s\n", error.c_str());
            _exit(12);
        }
        _exit(0);
    }
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
}

TEST(SqliteRecords, twoStationsWritingTheSameFileAtOnceLoseNothing)
{
    ScratchDir dir;
    const DatabaseTarget target = SqliteAt(dir.file("line.sqlite"));
    constexpr int kEach = 40;
    auto station = [&](int64_t firstSerial) {
        DatabaseStore store(target, target);
        for (int i = 0; i < kEach; ++i)
            EXPECT_TRUE(store.saveTestRecord(SampleTestRecord(firstSerial + i, "2026-03-01T09:00:00Z", kOutcomePass)).stored);
    };
    // QThreads, not std::threads: Qt keeps the thread data of a foreign thread that used Qt SQL.
    std::unique_ptr<QThread> one(QThread::create(station, 1000)), two(QThread::create(station, 2000));
    one->start();
    two->start();
    one->wait();
    two->wait();
    EXPECT_EQ(AllRecords(target).size(), size_t(2 * kEach));
}

} // namespace
