// Names are bytes: a file name or a logger's user name that is not UTF-8 is
// opened, stored and read back exactly, through the database and the outbox.

#include <gtest/gtest.h>

#include <fstream>

#include <QJsonDocument>

#include "analysis/SyntheticLog.h"
#include "storage/Database.h"
#include "storage/DatabaseStore.h"
#include "storage/Logbook.h"
#include "storage/LosslessText.h"
#include "storage/RecordSamples.h"
#include "support/Files.h"

namespace {

TEST(LosslessNames, anyBytesBecomeUtf8TextAndComeBackExactly)
{
    const struct {
        std::string bytes;
        std::string text;
    } cases[] = {
        {"/home/ann/logs/a.sbp", "/home/ann/logs/a.sbp"},
        {"/tmp/caf\xE9/r\xE9gate.sbp", "/tmp/caf\\xE9/r\\xE9gate.sbp"},      // Latin-1
        {"\xC3\xA9t\xC3\xA9 \xE2\x82\xAC", "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC"},   // UTF-8 stays
        {"C:\\logs\\xa0.sbp", "C:\\logs\\x5Cxa0.sbp"},                          // a backslash that reads as an escape
        {"C:\\logs\\a.sbp", "C:\\logs\\a.sbp"},
        {"\xC0\xAF \xED\xA0\x80 \xF4\x90\x80\x80", "\\xC0\\xAF \\xED\\xA0\\x80 \\xF4\\x90\\x80\\x80"},   // overlong, surrogate, too big
        {"cut \xE2\x82", "cut \\xE2\\x82"},
        {std::string("nul\0x", 5), std::string("nul\0x", 5)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(LosslessText(c.bytes), c.text);
        EXPECT_EQ(BytesOfLosslessText(c.text), c.bytes);
    }
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, char(b));
        EXPECT_EQ(BytesOfLosslessText(LosslessText(one + "\\x41" + one)), one + "\\x41" + one) << b;
    }
}

TEST(LosslessNames, aLogInALatin1FolderIsLoggedAndItsNameKept_directlyAndThroughTheOutbox)
{
    ScratchDir dir;
    const std::string folder = dir.file("r\xE9gates");
    std::filesystem::create_directory(folder);
    const std::string file = folder + "/d\xE9part.sbp";
    const std::vector<uint8_t> bytes = SyntheticLog().run(60, 5).bytes();
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));

    SessionEntry entry;
    std::string error;
    ASSERT_TRUE(SessionFromFile(file, entry, error)) << error;
    EXPECT_EQ(entry.file, file);
    entry.userName = "J\xF6rg";

    DatabaseTarget local, shared;
    local.kind = shared.kind = DatabaseTarget::Kind::Sqlite;
    local.path = dir.file("local.sqlite");
    shared.path = dir.file("server/shared.sqlite");
    DatabaseStore store(shared, local);
    EXPECT_TRUE(store.saveSession(entry).queued);
    std::filesystem::create_directory(dir.file("server"));
    EXPECT_EQ(store.sync().delivered, 1);
    for (const DatabaseTarget& target : {shared, local}) {
        EXPECT_TRUE(DatabaseStore(target, local).saveSession(entry).stored);
        std::unique_ptr<Database> db = Database::openForReading(target, error);
        ASSERT_TRUE(db) << error;
        std::vector<SessionEntry> sessions;
        ASSERT_TRUE(ListSessions(*db, sessions, error)) << error;
        ASSERT_EQ(sessions.size(), 1u);
        EXPECT_EQ(sessions[0].file, file);
        EXPECT_EQ(sessions[0].userName, "J\xF6rg");
        EXPECT_TRUE(QJsonDocument::fromJson(QByteArray::fromStdString(LogbookJson(sessions))).isArray());
    }

    TestRecord record = SampleTestRecord(7, "2026-03-01T09:00:00Z", kOutcomePass);
    record.userName = "Bj\xF6rn \xFF";
    EXPECT_TRUE(DatabaseStore(local, local).saveTestRecord(record).stored);
    std::unique_ptr<Database> db = Database::openForReading(local, error);
    std::vector<TestRecord> records;
    ASSERT_TRUE(db && ListTestRecords(*db, {}, records, error)) << error;
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].userName, record.userName);
}

} // namespace
