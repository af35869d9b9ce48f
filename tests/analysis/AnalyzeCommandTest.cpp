// vr60ctl analyze as a user runs it: the same results as the library, bad
// input refused with a status, and the device's tables beside (vr60sim).

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "analysis/ResultText.h"
#include "analysis/SessionAnalysis.h"
#include "analysis/SyntheticLog.h"
#include "logdata/DownloadRig.h"
#include "platform/ResultCode.h"
#include "pointlog/PointLog.h"
#include "pointlog/PointLogFiles.h"
#include "support/NotLogs.h"
#include "support/Processes.h"

namespace {

std::string WriteLog(const ScratchDir& dir, const std::string& name, const std::vector<uint8_t>& bytes)
{
    const std::string path = dir.file(name);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
}

std::string Joined(const std::vector<std::string>& lines)
{
    std::string out;
    for (const std::string& l : lines)
        out += l + "\n";
    return out;
}

TEST(AnalyzeCommand, printsTheLibrarysResultsWithTheFiltersAsked)
{
    ScratchDir dir;
    SyntheticLog log;
    log.run(30, 5).run(2.2, 15).run(30, 5);
    log.point(20).hdop = 16;
    const std::string file = WriteLog(dir, "burst.sbp", log.bytes());

    // The options change the limits of the rule set named, whatever their order.
    AnalysisRules loose = RulesOf(RuleSet::Vr60);
    loose.filter.maxHdop = 3.2;
    loose.filter.maxAcceleration = {};
    loose.hourFloor = true;
    const CtlResult json =
        RunCtl({"analyze", file, "--json", "--max-hdop", "3.2", "--max-accel", "0", "--rules", "vr60", "--hour-floor"});
    EXPECT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(json.out, ResultJson(AnalyzeSbpFile(file, loose).analysis.results));
    EXPECT_NE(json.out.find("\"points_filtered\": 0"), std::string::npos);

    // Without --rules: the ranking sites' rules.
    const CtlResult table = RunCtl({"analyze", file});
    EXPECT_EQ(table.status, 0) << table.err;
    EXPECT_EQ(table.out, Joined(ResultTableLines(AnalyzeSbpFile(file, RulesOf(RuleSet::Gp3s)).analysis.results)));
    EXPECT_NE(table.out.find("rules          gp3s"), std::string::npos) << table.out;
    EXPECT_TRUE(table.err.empty()) << table.err;

    // A file cut mid-record: the same results, and the bytes left over are named.
    std::vector<uint8_t> cut = log.bytes();
    cut.resize(cut.size() + 17, 0x42);
    const CtlResult partial = RunCtl({"analyze", WriteLog(dir, "cut.sbp", cut)});
    EXPECT_EQ(partial.status, 0) << partial.err;
    EXPECT_EQ(partial.out, table.out);
    EXPECT_NE(partial.err.find("cut.sbp ends in a partial record: its last 17 bytes were left over"), std::string::npos)
        << partial.err;
}

TEST(AnalyzeCommand, refusesBadInputWithAStatus)
{
    ScratchDir dir;
    SyntheticLog log;
    log.run(5, 5);
    const std::string file = WriteLog(dir, "ok.sbp", log.bytes());
    const std::string empty = WriteLog(dir, "empty.sbp", {});
    const std::vector<NotALog> notLogs = FilesThatAreNotLogs();
    const std::string readme = WriteLog(dir, notLogs[0].name, notLogs[0].bytes);
    const std::string picture = WriteLog(dir, notLogs[1].name, notLogs[1].bytes);
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* says;
    };
    const Case cases[] = {
        {{"analyze"}, 2, "usage"},
        {{"analyze", dir.file("missing.sbp")}, 140, "cannot open"},
        {{"analyze", empty}, kEmptyFile, "is empty"},
        {{"analyze", readme}, kNotALog, "README.sbp does not look like a VR60 log: only "},
        {{"analyze", picture}, kNotALog, "picture.sbp does not look like a VR60 log: only "},
        {{"analyze", file, "--max-hdop", "abc"}, 2, "not a valid value"},
        {{"analyze", file, "--min-sats", "2.5"}, 2, "not a valid value"},
        {{"analyze", file, "--max-gap", "0"}, 2, "not a valid value"},
        {{"analyze", file, "--max-jump", "-1"}, 2, "not a valid value"},
        {{"analyze", file, "--max-dropout", "x"}, 2, "not a valid value"},
        {{"analyze", file, "--max-accel"}, 2, "needs a value"},
        {{"analyze", file, "--fast"}, 2, "unknown option"},
        {{"analyze", file, "--rules", "fastest"}, 2, "not a rule set"},
        {{"analyze", file, "--max-speed-error", "-2"}, 2, "not a valid value"},
        {{"analyze", file, file}, 2, "unexpected"},
    };
    for (const Case& c : cases) {
        const CtlResult r = RunCtl(c.args);
        EXPECT_EQ(r.status, c.status) << c.args.back();
        EXPECT_NE(r.err.find(c.says), std::string::npos) << c.args.back() << ": " << r.err;
        EXPECT_TRUE(r.out.empty()) << c.args.back();
    }
}

TEST(AnalyzeCommand, anotherLoggersLogGivesTheResultsOfItsPointsAndSaysWhatItMissed)
{
    ScratchDir dir;
    const std::vector<KnownPoint> points = KnownPoints(600);
    const std::vector<uint8_t> ubx = UbxFile(points);
    const std::string same = WriteLog(dir, "same.sbp", ReadPointLogImage(ubx, "same.ubx").sbp);
    const std::string expected = ResultJson(AnalyzeSbpFile(same, RulesOf(RuleSet::Gp3s)).analysis.results);
    std::vector<uint8_t> cut = ubx;
    cut.resize(cut.size() - 50);
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        int status;
        bool sameResults;
        const char* says;
    };
    const Case cases[] = {
        {"session.ubx", ubx, kOk, true, ""},
        {"session.dat", GpxFile(points, GpxSpeed::TrackPointExtension), kOk, true, ""},
        {"cut.ubx", cut, kOk, false,
         "cut.ubx (UBX): the file ends inside a frame at byte 75474; the 599 points before it were analysed"},
        {"header-only.oao", OaoFile({}), kNotALog, false, "header-only.oao (OAO): the OAO file holds no point; nothing analysed"},
    };
    for (const Case& c : cases) {
        const CtlResult r = RunCtl({"analyze", WriteLog(dir, c.name, c.bytes), "--json"});
        EXPECT_EQ(r.status, c.status) << c.name << ": " << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << c.name << ": " << r.err;
        if (c.sameResults) {
            EXPECT_EQ(r.out, expected) << c.name;
        } else if (c.status != kOk) {
            EXPECT_TRUE(r.out.empty()) << c.name;
        }
    }
}

TEST(AnalyzeCommand, aFileNotReadWholeIsNoSuccess)
{
    // One record more than an analysis reads, as a sparse file: a log of one point, then blank records.
    ScratchDir dir;
    const std::string file = WriteLog(dir, "huge.sbp", SampleTrack(1));
    std::filesystem::resize_file(file, (kMaxAnalysedRecords + 1) * 32);
    const CtlResult r = RunCtl({"analyze", file, "--json"});
    EXPECT_EQ(r.status, 10) << r.err;
    EXPECT_NE(r.err.find("only the first 16777216 were analysed"), std::string::npos) << r.err;
    const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
    EXPECT_EQ(o["truncated"], true) << r.out;
    EXPECT_EQ(o["records"].toDouble(), double(kMaxAnalysedRecords)) << r.out;
    EXPECT_EQ(o["filtered"]["time"].toDouble(), double(kMaxAnalysedRecords - 1)) << r.out;
}

TEST(AnalyzeCommand, deviceTablesStandBesideTheResults)
{
    ScratchDir dir;
    SyntheticLog log;
    log.run(60, 8);
    const std::string file = WriteLog(dir, "run.sbp", log.bytes());
    SimProcess sim;
    ASSERT_FALSE(sim.ptyPath().empty());

    // JSON: stdout holds the object alone; the message log goes to stderr.
    const CtlResult json = RunCtl({"--port", sim.ptyPath(), "analyze", file, "--json", "--device"});
    EXPECT_EQ(json.status, 0) << json.err;
    QJsonParseError error;
    const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(json.out), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << json.out;
    EXPECT_EQ(o["device_top10"]["max_speed"].toArray().size(), 10);
    EXPECT_EQ(o["device_top10"]["max_avg_speed"].toArray().size(), 10);
    EXPECT_NE(json.err.find("===TOP 10 MAX SPEED==="), std::string::npos) << json.err;

    sim.stop();
    const CtlResult gone = RunCtl({"--port", sim.ptyPath(), "analyze", file, "--json", "--device"});
    EXPECT_NE(gone.status, 0);
    EXPECT_NE(gone.err.find("top-10 tables could not be read"), std::string::npos) << gone.err;
    EXPECT_EQ(gone.out.find("device_top10"), std::string::npos);
}

} // namespace
