// The session logbook: one session per content, newest first, bests per
// category, removal, and the logbook window built from it.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <tuple>

#include <QApplication>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QStringList>
#include <QTableWidget>

#include "analysis/ResultText.h"
#include "analysis/SyntheticLog.h"
#include "analysisview/LogbookChart.h"
#include "analysisview/LogbookView.h"
#include "analysisview/SessionWindow.h"
#include "platform/ResultCode.h"
#include "pointlog/PointLog.h"
#include "pointlog/PointLogFiles.h"
#include "storage/Database.h"
#include "storage/LogbookRemoval.h"
#include "storage/LosslessText.h"
#include "support/Files.h"
#include "ui/WindowRig.h"

namespace {

std::string WriteLog(const ScratchDir& dir, const std::string& name, const SyntheticLog& log)
{
    const std::vector<uint8_t> bytes = log.bytes();
    const std::string path = dir.file(name);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
}

TEST(Logbook, aSessionIsItsContent_listedNewestFirst_withTheBestOfEachCategory)
{
    ScratchDir dir;
    const std::string slow = WriteLog(dir, "slow.sbp", SyntheticLog().run(60, 5));
    const std::string fast = WriteLog(dir, "fast.sbp", SyntheticLog().run(60, 5).run(12, 9).run(20, 5));
    std::filesystem::copy_file(slow, dir.file("slow again.sbp"));

    DatabaseTarget target;
    target.kind = DatabaseTarget::Kind::Sqlite;
    target.path = dir.file("book.sqlite");
    std::string error;
    std::unique_ptr<Database> db = Database::open(target, error);
    ASSERT_TRUE(db) << error;
    const struct {
        std::string file;
        int64_t shiftDays;   // moves the session in time
        bool added;
    } adds[] = {{slow, 0, true}, {fast, 30, true}, {dir.file("slow again.sbp"), 60, false}};
    for (const auto& a : adds) {
        SessionEntry e;
        ASSERT_TRUE(SessionFromFile(a.file, e, error)) << error;
        *e.startMs += a.shiftDays * 86400000;
        bool added = true;
        ASSERT_TRUE(InsertSession(*db, e, added, error)) << error;
        EXPECT_EQ(added, a.added) << a.file;
    }
    std::vector<SessionEntry> sessions;
    ASSERT_TRUE(ListSessions(*db, sessions, error)) << error;
    ASSERT_EQ(sessions.size(), 2u);
    EXPECT_EQ(sessions[0].file, fast);   // a month later
    EXPECT_EQ(sessions[1].file, slow);
    EXPECT_EQ(*sessions[1].endMs - *sessions[1].startMs, 60000);

    // Results as analyze --json shows them, after the round trip through the database.
    const QJsonArray book = QJsonDocument::fromJson(QByteArray::fromStdString(LogbookJson(sessions))).array();
    ASSERT_EQ(book.size(), 2);
    // The logbook keeps each category's speed, start and end, and the rules they were computed under.
    const QJsonObject analysed =
        QJsonDocument::fromJson(QByteArray::fromStdString(ResultJson(AnalyzeSbpFile(slow, RulesOf(kDefaultRuleSet)).analysis.results)))
            .object();
    const QJsonObject kept = book[1]["results"].toObject();
    EXPECT_EQ(kept.keys(), analysed.keys());
    for (const QString& key : analysed.keys()) {
        const bool category = analysed[key].isObject() && key != "rules" && key != "filtered";
        if (category) {
            for (const char* member : {"knots", "kmh", "start", "end"})
                EXPECT_EQ(kept[key][member], analysed[key][member]) << key.toStdString() << " " << member;
        } else if (key != "runs" && key != "turns") {
            EXPECT_EQ(kept[key], analysed[key]) << key.toStdString();
        }
    }
    EXPECT_EQ(book[1]["rules"].toString(), "gp3s");

    const std::vector<PersonalBest> bests = PersonalBests(sessions);
    for (const PersonalBest& b : bests)
        EXPECT_EQ(b.file, fast) << Categories()[size_t(b.category)].key;
    const QJsonObject bestJson = QJsonDocument::fromJson(QByteArray::fromStdString(PersonalBestsJson(bests))).object();
    EXPECT_EQ(bestJson["2s"]["file"].toString().toStdString(), fast);
    EXPECT_NEAR(bestJson["2s"]["knots"].toDouble(), Knots(9), 0.001);

    // The window: bests in bold, one category over time, a double-click opens the session.
    TestApplication();
    LogbookView view(sessions);
    const int column = LogbookColumn(Category::TwoSeconds);
    EXPECT_TRUE(view.table()->item(0, column)->font().bold());
    EXPECT_FALSE(view.table()->item(1, column)->font().bold());
    EXPECT_EQ(view.table()->item(0, column)->text(), QString::number(Knots(9), 'f', 2));
    view.showCategory(Category::TenSeconds);
    ASSERT_EQ(view.chart()->points().size(), 2u);
    EXPECT_LT(view.chart()->points()[0].knots, view.chart()->points()[1].knots);   // oldest first
    ASSERT_TRUE(view.openSession(1));
    ASSERT_EQ(view.openedWindows().size(), 1u);
    EXPECT_EQ(view.openedWindows()[0]->analysis().results.distanceMetres, sessions[1].results.distanceMetres);
}

TEST(Logbook, anotherLoggersLogIsASessionOfItsPointsWithItsUserName)
{
    ScratchDir dir;
    const std::vector<KnownPoint> points = KnownPoints(600);
    const std::vector<uint8_t> gpy = GpyFile(points);
    const auto write = [&dir](const char* name, const std::vector<uint8_t>& bytes) {
        std::ofstream(dir.file(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return dir.file(name);
    };
    SessionEntry fromGpy, fromSbp, none;
    std::string error;
    ASSERT_TRUE(SessionFromFile(write("session.gpy", gpy), fromGpy, error)) << error;
    ASSERT_TRUE(SessionFromFile(write("same.sbp", ReadPointLogImage(gpy, "same.gpy").sbp), fromSbp, error)) << error;
    EXPECT_EQ(fromGpy.userName, "Ana");
    EXPECT_EQ(SessionJson(fromGpy)["results"], SessionJson(fromSbp)["results"]);
    EXPECT_EQ(fromGpy.startMs, fromSbp.startMs);
    EXPECT_FALSE(SessionFromFile(write("header-only.oao", OaoFile({})), none, error));
    EXPECT_NE(error.find("header-only.oao (OAO): the OAO file holds no point"), std::string::npos) << error;
}

TEST(Logbook, sessionsUnderOtherRulesAreComputedAgainOrKeptApart)
{
    // Two sessions stored under the earlier definitions: one file still at hand, one gone.
    ScratchDir dir;
    const std::string here = WriteLog(dir, "here.sbp", SyntheticLog().run(60, 5).run(12, 9).run(20, 5));
    const std::string gone = WriteLog(dir, "gone.sbp", SyntheticLog().run(60, 5).run(12, 11).run(20, 5));
    DatabaseTarget target;
    target.kind = DatabaseTarget::Kind::Sqlite;
    target.path = dir.file("book.sqlite");
    std::string error;
    std::unique_ptr<Database> db = Database::open(target, error);
    ASSERT_TRUE(db) << error;
    for (const std::string& file : {here, gone}) {
        SessionEntry e;
        ASSERT_TRUE(SessionFromFile(file, e, error, RuleSet::Vr60)) << error;
        EXPECT_EQ(e.rules, "vr60");
        bool added = false;
        ASSERT_TRUE(InsertSession(*db, e, added, error)) << error;
    }
    std::filesystem::remove(gone);
    std::vector<SessionEntry> sessions;
    ASSERT_TRUE(ListSessions(*db, sessions, error)) << error;
    ASSERT_EQ(sessions.size(), 2u);
    EXPECT_TRUE(PersonalBests(sessions, RuleSet::Gp3s).empty());
    EXPECT_EQ(PersonalBests(sessions, RuleSet::Vr60)[0].file, gone);   // 11 m/s against 9

    EXPECT_EQ(RecomputeUnderRules(sessions, RuleSet::Gp3s), 1u);
    const auto& computed = sessions[0].file == here ? sessions[0] : sessions[1];
    EXPECT_EQ(computed.rules, "gp3s");
    EXPECT_EQ(computed.results.rules.set, RuleSet::Gp3s);
    const std::vector<PersonalBest> bests = PersonalBests(sessions, RuleSet::Gp3s);
    ASSERT_FALSE(bests.empty());
    for (const PersonalBest& b : bests)
        EXPECT_EQ(b.file, here) << Categories()[size_t(b.category)].key;
    EXPECT_NE(LogbookJson(sessions).find("\"rules\": \"vr60\""), std::string::npos);
}

// The outbox holds a session in the logbook's JSON form (every digit, and when it was
// added); rows queued by earlier versions hold the columns' keys and still read.
TEST(Logbook, aSessionReadsBackWholeFromTheJsonFormAndFromEarlierOutboxRows)
{
    ScratchDir dir;
    SessionEntry e;
    std::string error;
    ASSERT_TRUE(SessionFromFile(WriteLog(dir, "d\xE9part.sbp", SyntheticLog().run(60, 5).run(12, 9.123456789)), e, error))
        << error;
    e.serial = 123456789;
    e.userName = "J\xF6rg";
    e.results.filteredBy[0] = 3;
    e.results.truncated = true;

    const QJsonObject form = SessionJson(e);
    QStringList shown = QJsonDocument::fromJson(QByteArray::fromStdString(LogbookJson({e}))).array()[0].toObject().keys();
    shown << "added";
    shown.sort();
    EXPECT_EQ(form.keys(), shown);

    QJsonObject categories, filtered;
    for (const CategoryInfo& c : Categories())
        if (const auto& best = e.results[c.category])
            categories.insert(c.key, QJsonArray{best->speed, qint64(best->startMs), qint64(best->endMs)});
    for (const FilterReasonInfo& f : FilterReasons())
        filtered.insert(f.key, qint64(e.results.filteredBy[size_t(f.reason)]));
    const QJsonObject earlier{{"sha256", QString::fromStdString(e.sha256)},
                              {"file", QString::fromStdString(LosslessText(e.file))},
                              {"added", QString::fromStdString(e.added)},
                              {"user_name", QString::fromStdString(LosslessText(e.userName))},
                              {"distance_m", e.results.distanceMetres},
                              {"moving_s", e.results.movingSeconds},
                              {"points_used", qint64(e.results.pointsUsed)},
                              {"points_filtered", qint64(e.results.pointsFiltered)},
                              {"filtered", filtered},
                              {"truncated", true},
                              {"categories", categories},
                              {"start_ms", qint64(*e.startMs)},
                              {"end_ms", qint64(*e.endMs)},
                              {"serial", qint64(*e.serial)}};   // no rules yet: vr60

    for (const auto& [name, payload, rules] : {std::tuple{"JSON form", form, e.rules}, std::tuple{"earlier row", earlier, std::string("vr60")}}) {
        SessionEntry back;
        ASSERT_TRUE(SessionFromJson(payload, back)) << name;
        EXPECT_EQ(back.sha256, e.sha256) << name;
        EXPECT_EQ(back.file, e.file) << name;
        EXPECT_EQ(back.added, e.added) << name;
        EXPECT_EQ(back.startMs, e.startMs) << name;
        EXPECT_EQ(back.endMs, e.endMs) << name;
        EXPECT_EQ(back.serial, e.serial) << name;
        EXPECT_EQ(back.userName, e.userName) << name;
        EXPECT_EQ(back.rules, rules) << name;
        EXPECT_DOUBLE_EQ(back.results.distanceMetres, e.results.distanceMetres) << name;
        EXPECT_DOUBLE_EQ(back.results.movingSeconds, e.results.movingSeconds) << name;
        EXPECT_EQ(back.results.pointsUsed, e.results.pointsUsed) << name;
        EXPECT_EQ(back.results.pointsFiltered, e.results.pointsFiltered) << name;
        EXPECT_EQ(back.results.filteredBy, e.results.filteredBy) << name;
        EXPECT_TRUE(back.results.truncated) << name;
        for (const CategoryInfo& c : Categories()) {
            ASSERT_EQ(back.results[c.category].has_value(), e.results[c.category].has_value()) << name << " " << c.key;
            if (!e.results[c.category])
                continue;
            EXPECT_DOUBLE_EQ(back.results[c.category]->speed, e.results[c.category]->speed) << name << " " << c.key;
            EXPECT_EQ(back.results[c.category]->startMs, e.results[c.category]->startMs) << name << " " << c.key;
            EXPECT_EQ(back.results[c.category]->endMs, e.results[c.category]->endMs) << name << " " << c.key;
        }
    }
    EXPECT_FALSE(SessionFromJson(QJsonObject{{"file", "x"}}, e));
}

TEST(Logbook, sessionsAreNamedByFileHashOrDay_andRemovedFromDatabaseAndView)
{
    ScratchDir dir;
    const std::string slow = WriteLog(dir, "slow.sbp", SyntheticLog().run(60, 5));
    const std::string fast = WriteLog(dir, "fast.sbp", SyntheticLog().run(60, 5).run(12, 9).run(20, 5));
    const std::string other = WriteLog(dir, "other.sbp", SyntheticLog().run(30, 7));
    DatabaseTarget target;
    target.kind = DatabaseTarget::Kind::Sqlite;
    target.path = dir.file("book.sqlite");
    std::string error;
    std::unique_ptr<Database> db = Database::open(target, error);
    ASSERT_TRUE(db) << error;
    std::vector<SessionEntry> added;
    for (const auto& [file, shiftDays] : {std::pair{slow, 0}, std::pair{fast, 1}, std::pair{other, 1}}) {
        SessionEntry e;
        ASSERT_TRUE(SessionFromFile(file, e, error)) << error;
        *e.startMs += shiftDays * 86400000LL;
        bool isNew = false;
        ASSERT_TRUE(InsertSession(*db, e, isNew, error)) << error;
        added.push_back(e);
    }
    std::filesystem::copy_file(other, dir.file("moved.sbp"));   // the same content under another name

    const std::string fastHash = added[1].sha256;
    const struct {
        std::string what;
        std::vector<std::string> named;
    } cases[] = {
        {fastHash, {fast}},
        {fastHash.substr(0, 8), {fast}},
        {QString::fromStdString(fastHash.substr(0, 10)).toUpper().toStdString(), {fast}},
        {fastHash.substr(0, 7), {}},   // too short to be a hash: a file of that name, which is not there
        {"2014-12-07", {slow}},
        {"2014-12-08", {other, fast}},
        {"2014-12-09", {}},
        {slow, {slow}},
        {dir.file("moved.sbp"), {other}},   // by content
        {dir.file("missing.sbp"), {}},
    };
    std::vector<SessionEntry> sessions;
    ASSERT_TRUE(ListSessions(*db, sessions, error)) << error;
    for (const auto& c : cases) {
        std::vector<std::string> files;
        for (const SessionEntry& e : SessionsNamedBy(sessions, c.what))
            files.push_back(e.file);
        std::sort(files.begin(), files.end());
        std::vector<std::string> expected = c.named;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(files, expected) << c.what;
    }

    // The view asks first; No keeps the session, Yes takes it out of the database and the table.
    TestApplication();
    LogbookView view(sessions);
    EXPECT_FALSE(view.removeButton()->isEnabled());   // no database to remove from
    view.setDatabase(target);
    view.table()->selectRow(0);
    ASSERT_TRUE(view.removeButton()->isEnabled());
    std::vector<QString> asked;
    bool answer = false;
    view.setAsk([&](const QString& question) {
        asked.push_back(question);
        return answer;
    });
    const std::string first = sessions[0].file;
    view.removeButton()->click();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].contains(QString::fromStdString(first))) << asked[0].toStdString();
    EXPECT_EQ(view.table()->rowCount(), 3);
    answer = true;
    view.removeButton()->click();
    EXPECT_EQ(view.table()->rowCount(), 2);
    EXPECT_EQ(view.chart()->points().size(), 2u);
    std::vector<SessionEntry> left;
    ASSERT_TRUE(ListSessions(*db, left, error)) << error;
    ASSERT_EQ(left.size(), 2u);
    for (const SessionEntry& e : left)
        EXPECT_NE(e.file, first);
    EXPECT_TRUE(std::filesystem::exists(first));   // the log file stays

    // Removed with its results: adding the log again stores it afresh.
    SessionEntry again;
    ASSERT_TRUE(SessionFromFile(first, again, error)) << error;
    bool isNew = false;
    ASSERT_TRUE(InsertSession(*db, again, isNew, error)) << error;
    EXPECT_TRUE(isNew);
}

} // namespace
