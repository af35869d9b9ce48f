// Log files as a user hands them to vr60ctl: files that are not logs, taking
// sessions out of the logbook, and the demo keeping to a logbook of its own.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <QJsonArray>
#include <QJsonDocument>

#include "analysis/SyntheticLog.h"
#include "platform/ResultCode.h"
#include "support/Files.h"
#include "support/NotLogs.h"
#include "support/Processes.h"

namespace {

namespace fs = std::filesystem;

void Write(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

size_t Count(const std::string& text, const std::string& part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

int LogbookSize(const std::string& dir, const std::vector<std::string>& env)
{
    const CtlResult r = RunCtl({"logbook", "--json"}, {}, dir, env);
    EXPECT_EQ(r.status, 0) << r.err;
    return int(QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).array().size());
}

// The same log a day later.
std::vector<uint8_t> NextDay(std::vector<uint8_t> log)
{
    for (size_t at = 4; at + 4 <= log.size(); at += 32) {
        const uint32_t day = uint32_t(1) << 17;
        const uint32_t utc = uint32_t(log[at]) | uint32_t(log[at + 1]) << 8 | uint32_t(log[at + 2]) << 16 |
                             uint32_t(log[at + 3]) << 24;
        for (int k = 0; k < 4; ++k)
            log[at + size_t(k)] = uint8_t((utc + day) >> (8 * k));
    }
    return log;
}

TEST(LogFilesE2E, filesThatAreNotLogsAreRefusedByAnalysisPostAndLogbook_andLoadedWithOneWarning)
{
    ScratchDir work;
    const std::string dir = work.path.string();
    const std::vector<std::string> env = {"XDG_DATA_HOME=" + work.file("data"), "VR60_DB="};
    const std::string notALog = " does not look like a VR60 log: only ";
    for (const NotALog& n : FilesThatAreNotLogs()) {
        Write(work.file(n.name), n.bytes);
        const CtlResult analysed = RunCtl({"analyze", n.name}, {}, dir, env);
        EXPECT_EQ(analysed.status, kNotALog) << n.name;
        EXPECT_TRUE(Contains(analysed.err, n.name + notALog)) << analysed.err;
        EXPECT_TRUE(analysed.out.empty()) << analysed.out;
        const CtlResult posted = RunCtl({"post", "gpstc", n.name, "--no-open"}, {}, dir, env);
        EXPECT_EQ(posted.status, kNotALog) << n.name;
        EXPECT_TRUE(Contains(posted.err, n.name + notALog)) << posted.err;
        EXPECT_TRUE(posted.out.empty()) << posted.out;

        const CtlResult added = RunCtl({"logbook", "add", n.name}, {}, dir, env);
        EXPECT_EQ(added.status, kNotALog) << n.name;
        EXPECT_TRUE(Contains(added.err, "; not added")) << added.err;

        // The converter does its work as before, and says once that this is no log.
        const CtlResult converted = RunCtl({"convert", n.name}, {}, dir, env);
        EXPECT_TRUE(converted.status == kOk || converted.status == kConverterFailed) << converted.err;
        EXPECT_EQ(Count(converted.out, notALog), 1u) << converted.out;
        EXPECT_TRUE(Contains(converted.out, "; loaded as it is\n")) << converted.out;
        EXPECT_TRUE(fs::exists(work.file(fs::path(n.name).stem().string() + ".NMEA")));
    }
    EXPECT_EQ(LogbookSize(dir, env), 0);

    // Among logs, the one that is not is left out and the status says so.
    Write(work.file("sail.sbp"), SyntheticLog().run(60, 6).bytes());
    const CtlResult mixed = RunCtl({"logbook", "add", "README.sbp", "sail.sbp"}, {}, dir, env);
    EXPECT_EQ(mixed.status, kNotALog) << mixed.err;
    EXPECT_TRUE(Contains(mixed.out, "sail.sbp: Session stored in")) << mixed.out;
    EXPECT_EQ(LogbookSize(dir, env), 1);
}

TEST(LogFilesE2E, logbookRemoveTakesOutTheSessionsItNames_orNothing)
{
    ScratchDir work;
    const std::string dir = work.path.string();
    const std::vector<std::string> env = {"XDG_DATA_HOME=" + work.file("data"), "VR60_DB="};
    const std::vector<uint8_t> log = SyntheticLog().run(60, 6).bytes();
    Write(work.file("first.sbp"), log);
    Write(work.file("second.sbp"), NextDay(log));
    ASSERT_EQ(RunCtl({"logbook", "add", "first.sbp", "second.sbp"}, {}, dir, env).status, 0);
    ASSERT_EQ(LogbookSize(dir, env), 2);

    const struct {
        std::vector<std::string> names;
        int status;
        const char* says;   // on stdout when removed, else on stderr
        int left;
    } steps[] = {
        {{"2014-12-09"}, kRefused, "no session of the logbook is '2014-12-09'", 2},
        {{"2014-12-08", "nothing.sbp"}, kRefused, "nothing removed", 2},
        {{"2014-12-08"}, kOk, "Removed 2014-12-08 08:00:00 ", 1},
        {{"first.sbp"}, kOk, "first.sbp (", 0},
        {{"first.sbp"}, kRefused, "no session of the logbook is 'first.sbp'", 0},
        {{}, 2, "usage", 0},
    };
    for (const auto& s : steps) {
        std::vector<std::string> args = {"logbook", "remove"};
        args.insert(args.end(), s.names.begin(), s.names.end());
        const CtlResult r = RunCtl(args, {}, dir, env);
        EXPECT_EQ(r.status, s.status) << r.err;
        EXPECT_TRUE(Contains(s.status == kOk ? r.out : r.err, s.says)) << r.out << r.err;
        EXPECT_EQ(LogbookSize(dir, env), s.left);
    }
    EXPECT_TRUE(fs::exists(work.file("first.sbp")) && fs::exists(work.file("second.sbp")));
}

TEST(LogFilesE2E, theDemoKeepsItsSimulatedLogOutOfTheUsersLogbook)
{
    ScratchDir work;
    const std::string build = fs::path(VR60CTL_PATH).parent_path().string();
    const std::string script = std::string(VR60_TEST_DATA_DIR) + "/../../scripts/run-demo.sh";
    const std::string user = work.file("user-data"), own = work.file("run-data"), out = work.file("demo.out");
    const std::string command = "cd '" + work.path.string() + "' && XDG_DATA_HOME='" + user + "' VR60_RUN_DATA='" +
                                own + "' VR60_DEMO_LOGS='" + work.file("logs") + "' VR60_PORT_DIR='" +
                                work.file("ports") + "' sh '" + script + "' '" + build + "' >'" + out + "' 2>&1";
    std::system(command.c_str());
    const std::string text = ReadText(out);
    EXPECT_TRUE(Contains(text, "Session stored in " + own + "/TRAXELO/VR40LINK/records.sqlite.")) << text;
    EXPECT_TRUE(fs::exists(own + "/TRAXELO/VR40LINK/records.sqlite")) << text;
    EXPECT_FALSE(fs::exists(user)) << text;
}

} // namespace
