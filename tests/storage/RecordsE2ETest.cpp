// vr60ctl against vr60sim: a self test and a download leave their records, and a
// records database that cannot be used changes nothing about the device work.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

#include <sys/stat.h>

#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "analysis/SyntheticLog.h"
#include "storage/DatabaseStore.h"
#include "storage/RecordSamples.h"
#include "support/CtlChild.h"
#include "support/Files.h"
#include "support/Processes.h"

namespace {

QJsonDocument Json(const std::string& text)
{
    return QJsonDocument::fromJson(QByteArray::fromStdString(text));
}

TEST(RecordsE2E, aSelfTestAndADownloadAreRecorded_andAnUnusableDatabaseLeavesTheDeviceWorkAlone)
{
    ScratchDir work;
    std::ofstream(work.file("VR60Test.ini"), std::ios::binary) << "[VR60TEST]\r\nauto_log_clear=0\r\nauto_poweroff=0\r\n";
    const std::string home = work.file("data");
    const std::string database = home + "/TRAXELO/VR40LINK/records.sqlite";
    const std::vector<std::string> env = {"XDG_DATA_HOME=" + home, "VR60_DB="};
    // GPS RMC (bit 4) fails on this unit.
    SimProcess sim({"--selftest-delay", "100", "--selftest-pass", "0xFFFFFFEF", "--points", "300"});
    ASSERT_FALSE(sim.ptyPath().empty());
    const std::vector<std::string> selftest = {"--port", sim.ptyPath(), "selftest", "--items", "rtc,gps-rmc", "--no-snr"};

    const CtlResult run = RunCtl(selftest, {}, work.path.string(), env);
    EXPECT_EQ(run.status, 8) << run.out << run.err;
    EXPECT_TRUE(Contains(run.out, "Test record stored in " + database + ".\n")) << run.out;

    const CtlResult json = RunCtl({"records", "--json"}, {}, work.path.string(), env);
    ASSERT_EQ(json.status, 0) << json.err;
    const QJsonArray records = Json(json.out).array();
    ASSERT_EQ(records.size(), 1) << json.out;
    const QJsonObject r = records[0].toObject();
    EXPECT_EQ(r["result"].toString(), "FAIL");
    EXPECT_EQ(r["items"].toObject(), (QJsonObject{{"RTC", true}, {"GPS RMC", false}}));
    EXPECT_FALSE(r["station"].toString().isEmpty());
    EXPECT_EQ(r["auto_poweroff"].toBool(), false);
    EXPECT_EQ(r["program_version"].toString(), "V0.2B0407B");
    const CtlResult summary = RunCtl({"records", "--summary"}, {}, work.path.string(), env);
    EXPECT_TRUE(Contains(summary.out, "      1       0       1  GPS RMC (1)\n")) << summary.out;
    const CtlResult csv = RunCtl({"records", "--csv", "--serial", std::to_string(r["serial"].toInteger())}, {},
                                 work.path.string(), env);
    ASSERT_EQ(Lines(csv.out).size(), 2u) << csv.out;
    EXPECT_TRUE(Contains(csv.out, ",FAIL,0,0,RTC=1;GPS RMC=0,0,0,\n")) << csv.out;

    // A file that is not a database: same run, same status, the record in the outbox, the file untouched.
    const std::string notes = work.file("notes.txt");
    std::ofstream(notes) << "station notes\n";
    const std::vector<std::string> bad = {"XDG_DATA_HOME=" + home, "VR60_DB=sqlite:" + notes};
    const CtlResult badRun = RunCtl(selftest, {}, work.path.string(), bad);
    EXPECT_EQ(badRun.status, 8) << badRun.out << badRun.err;
    EXPECT_TRUE(Contains(badRun.out, "Result          FAIL"));
    EXPECT_TRUE(Contains(badRun.out, "The records database " + notes + " cannot be used (" + notes +
                                         " is not a records database (file is not a database); it was left as it is); "
                                         "the test record waits in the outbox of " + database))
        << badRun.out;
    EXPECT_EQ(ReadText(notes), "station notes\n");
    const CtlResult badList = RunCtl({"records"}, {}, work.path.string(), bad);
    EXPECT_EQ(badList.status, 140);
    EXPECT_TRUE(Contains(badList.err, "is not a records database")) << badList.err;
    const CtlResult badUrl = RunCtl({"records"}, {}, work.path.string(), {"VR60_DB=postgres://x"});
    EXPECT_EQ(badUrl.status, 2);
    EXPECT_TRUE(Contains(badUrl.err, "VR60_DB: 'postgres://x' is not a database URL (unknown scheme)")) << badUrl.err;
    const CtlResult badOption = RunCtl({"--db", "sqlite:", "logbook"}, {}, work.path.string(), env);
    EXPECT_EQ(badOption.status, 2);

    // The download lands in the logbook once, whatever the file is called later.
    const CtlResult download = RunCtl({"--port", sim.ptyPath(), "download", "--out", "a.sbp", "--no-clear"}, {},
                                      work.path.string(), env);
    EXPECT_EQ(download.status, 0) << download.out << download.err;
    EXPECT_TRUE(Contains(download.out, "Session stored in " + database + ".\n")) << download.out;
    std::filesystem::copy_file(work.file("a.sbp"), work.file("copy.sbp"));
    const CtlResult add = RunCtl({"logbook", "add", "copy.sbp", "missing.sbp"}, {}, work.path.string(), env);
    EXPECT_EQ(add.status, 140);
    EXPECT_EQ(add.out, "copy.sbp: Session already in " + database + ".\n");
    EXPECT_TRUE(Contains(add.err, "cannot open missing.sbp")) << add.err;

    const CtlResult book = RunCtl({"logbook", "--json"}, {}, work.path.string(), env);
    const QJsonArray sessions = Json(book.out).array();
    ASSERT_EQ(sessions.size(), 1) << book.out;
    EXPECT_EQ(sessions[0]["file"].toString().toStdString(), work.file("a.sbp"));
    EXPECT_EQ(sessions[0]["sha256"].toString().size(), 64);
    const CtlResult analyze = RunCtl({"analyze", "a.sbp", "--json"}, {}, work.path.string(), env);
    // The logbook keeps each result's speed, start and end, not its error, runs or turns.
    const QJsonObject analysed = Json(analyze.out).object(), kept = sessions[0]["results"].toObject();
    EXPECT_EQ(kept.keys(), analysed.keys());
    for (const QString& key : analysed.keys()) {
        if (analysed[key].toObject().contains("knots")) {
            for (const char* member : {"knots", "start", "end"})
                EXPECT_EQ(kept[key][member], analysed[key][member]) << key.toStdString();
        } else if (key != "runs" && key != "turns") {
            EXPECT_EQ(kept[key], analysed[key]) << key.toStdString();
        }
    }

    const QJsonObject best = Json(RunCtl({"logbook", "best", "--json"}, {}, work.path.string(), env).out).object();
    for (const QString& key : best.keys()) {
        EXPECT_EQ(best[key]["knots"], Json(analyze.out)[key]["knots"]) << key.toStdString();
        EXPECT_EQ(best[key]["file"].toString().toStdString(), work.file("a.sbp"));
    }

    // A queued record goes only to the database it was meant for: never to the
    // one a later sync names, and without --db to its own as soon as that can be used.
    const std::vector<std::string> other = {"XDG_DATA_HOME=" + home, "VR60_DB=sqlite:" + work.file("line.sqlite")};
    const CtlResult stuck = RunCtl({"records", "sync"}, {}, work.path.string(), other);
    EXPECT_EQ(stuck.status, 10);
    EXPECT_TRUE(Contains(stuck.out, "The records database " + notes + " cannot be used (")) << stuck.out;
    EXPECT_TRUE(Contains(stuck.out, "); 1 record(s) for it stay in the outbox.\n")) << stuck.out;
    EXPECT_EQ(RunCtl({"--db", "sqlite:./line.sqlite", "records", "sync"}, {}, work.path.string(), env).out,
              "0 record(s) delivered to ./line.sqlite, 0 still in the outbox.\n1 record(s) wait for " + notes +
                  " ('vr60ctl records sync' without --db delivers them).\n");
    std::filesystem::remove(notes);
    EXPECT_EQ(RunCtl({"records", "sync"}, {}, work.path.string(), other).out,
              "1 record(s) delivered to " + notes + ", 0 still in the outbox.\n");
    EXPECT_EQ(RunCtl({"records", "sync"}, {}, work.path.string(), other).out,
              "The outbox of " + database + " is empty.\n");
    EXPECT_EQ(Json(RunCtl({"--db", "sqlite:line.sqlite", "records", "--json"}, {}, work.path.string(), env).out).array().size(), 0);
}

TEST(RecordsE2E, aStopWhileAddingToTheLogbookEndsTheRunBetweenFiles)
{
    ScratchDir work;
    const std::vector<uint8_t> log = SyntheticLog().run(60, 5).bytes();
    for (const char* name : {"a.sbp", "b.sbp"})
        std::ofstream(work.file(name), std::ios::binary).write(reinterpret_cast<const char*>(log.data()), std::streamsize(log.size()));
    // Opening a pipe nobody writes to waits: the stop arrives there at the latest.
    ASSERT_EQ(mkfifo(work.file("pipe.sbp").c_str(), 0600), 0);
    CtlChild child({"--db", "sqlite:" + work.file("book.sqlite"), "logbook", "add", "a.sbp", "pipe.sbp", "b.sbp"},
                   work.path.string(), {10000, -1});
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    kill(child.pid(), SIGINT);
    while (!child.poll())
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(child.outcome().status, 130) << child.outcome().err;
    EXPECT_FALSE(Contains(child.outcome().out, "b.sbp:")) << child.outcome().out;
}

TEST(RecordsE2E, namesFromOutsideReachNeitherTheTerminalNorASpreadsheetAsCommands)
{
    ScratchDir work;
    DatabaseTarget target;
    target.kind = DatabaseTarget::Kind::Sqlite;
    target.path = work.file("line.sqlite");
    TestRecord r = SampleTestRecord(42, "2026-03-01T09:00:00Z", kOutcomePass);
    r.userName = "=HYPERLINK(\"http://x\",\"click\")";
    r.station = "line\x1B]0;owned\x07-1";
    r.operatorName = "-2+3";
    r.firmware = "-12";   // a number stays a number
    ASSERT_TRUE(DatabaseStore(target, target).saveTestRecord(r).stored);
    const std::vector<std::string> db = {"--db", "sqlite:" + target.path};

    std::vector<std::string> csv = db;
    csv.insert(csv.end(), {"records", "--csv"});
    const std::string sheet = RunCtl(csv, {}, work.path.string()).out;
    EXPECT_TRUE(Contains(sheet, ",\"'-2+3\",")) << sheet;
    EXPECT_TRUE(Contains(sheet, ",\"'=HYPERLINK(\"\"http://x\"\",\"\"click\"\")\",-12,")) << sheet;

    std::vector<std::string> text = db;
    text.push_back("records");
    const CtlResult shown = RunCtl(text, {}, work.path.string());
    EXPECT_EQ(shown.out.find('\x1B'), std::string::npos) << shown.out;
    EXPECT_TRUE(Contains(shown.out, "line\\x1B]0;owned\\x07-1")) << shown.out;

    // A URL that does not parse is shown without its password.
    const CtlResult bad = RunCtl({"--db", "postgresql://line:pw-s3cret@db:54x/r", "records"}, {}, work.path.string());
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.err.find("pw-s3cret"), std::string::npos) << bad.err;
}

// What the run did, apart from what the configuration said; items a run never got a
// verdict for are not judged in every form, and a run stopped before the start is no
// tested unit.
TEST(RecordsE2E, theRecordSaysWhatTheRunDidAndWhatTheUnitNeverJudged)
{
    ScratchDir work;
    std::ofstream(work.file("VR60Test.ini"), std::ios::binary) << "[VR60TEST]\r\nauto_log_clear=1\r\nauto_poweroff=1\r\n";
    const std::vector<std::string> env = {"XDG_DATA_HOME=" + work.file("data"), "VR60_DB="};
    const std::vector<std::string> selftest = {"selftest", "--items", "rtc,gps-rmc", "--no-clear", "--no-power-off"};
    auto run = [&](const std::vector<std::string>& simArgs, const std::vector<std::string>& extra = {}) {
        SimProcess sim(simArgs);
        std::vector<std::string> args = {"--port", sim.ptyPath()};
        args.insert(args.end(), selftest.begin(), selftest.end());
        args.insert(args.end(), extra.begin(), extra.end());
        return RunCtl(args, {}, work.path.string(), env);
    };
    // GPS RMC (bit 4) fails on the first unit; the second does not acknowledge the start.
    const CtlResult judged = run({"--serial", "11", "--selftest-delay", "100", "--selftest-pass", "0xFFFFFFEF"}, {"--no-snr"});
    EXPECT_EQ(judged.status, 8) << judged.out << judged.err;
    EXPECT_FALSE(Contains(judged.out, "Clearing log data...")) << judged.out;
    const CtlResult silent = run({"--serial", "12", "--fault", "drop=0x13"}, {"--no-snr"});
    EXPECT_EQ(silent.status, 3) << silent.out << silent.err;

    // A third unit is stopped while the signal measurement starts, before the start request.
    {
        SimProcess sim({"--serial", "13", "--request-log", work.file("requests.log"), "--fault", "late=0x42",
                        "--late-ms", "60000"});
        std::vector<std::string> args = {"--port", sim.ptyPath()};
        args.insert(args.end(), selftest.begin(), selftest.end());
        args.push_back("--snr");
        CtlProcess ctl(args, {}, work.path.string(), env);
        bool held = false;
        for (int waited = 0; waited < 30000 && !held; waited += 5) {
            held = Contains(ReadText(work.file("requests.log")), "0x42\n");
            usleep(5000);
        }
        ctl.signal(SIGINT);
        const CtlResult stopped = ctl.finish();
        ASSERT_TRUE(held);
        EXPECT_EQ(stopped.status, 130) << stopped.out << stopped.err;
        EXPECT_FALSE(Contains(ReadText(work.file("requests.log")), "0x13")) << ReadText(work.file("requests.log"));
        EXPECT_FALSE(Contains(stopped.out, "Test record")) << stopped.out;
    }

    const QJsonArray records = Json(RunCtl({"records", "--json"}, {}, work.path.string(), env).out).array();
    ASSERT_EQ(records.size(), 2);
    const QJsonObject first = records[0].toObject(), second = records[1].toObject();
    // Neither a clear nor a power-off was sent, though the configuration had both on.
    for (const QJsonObject& r : {first, second}) {
        EXPECT_EQ(r["auto_clear"], QJsonValue(false));
        EXPECT_EQ(r["auto_poweroff"], QJsonValue(false));
        EXPECT_EQ(r["configured_clear"], QJsonValue(true));
        EXPECT_EQ(r["configured_poweroff"], QJsonValue(true));
    }
    EXPECT_EQ(first["items"].toObject(), (QJsonObject{{"RTC", true}, {"GPS RMC", false}}));
    EXPECT_EQ(second["result"].toString(), "no answer");
    EXPECT_EQ(second["items"].toObject(), (QJsonObject{{"RTC", QJsonValue::Null}, {"GPS RMC", QJsonValue::Null}}));

    const std::vector<std::string> csv = Lines(RunCtl({"records", "--csv"}, {}, work.path.string(), env).out);
    ASSERT_EQ(csv.size(), 3u);
    EXPECT_TRUE(Contains(csv[0], ",result,auto_clear,auto_poweroff,items,configured_clear,configured_poweroff")) << csv[0];
    EXPECT_TRUE(Contains(csv[1], ",FAIL,0,0,RTC=1;GPS RMC=0,1,1")) << csv[1];
    EXPECT_TRUE(Contains(csv[2], ",no answer,0,0,RTC=;GPS RMC=,1,1")) << csv[2];
    const std::vector<std::string> text = Lines(RunCtl({"records"}, {}, work.path.string(), env).out);
    ASSERT_EQ(text.size(), 3u);
    EXPECT_TRUE(text[1].ends_with(" GPS RMC")) << text[1];
    EXPECT_TRUE(text[2].ends_with(" not judged: RTC, GPS RMC")) << text[2];
    // Two units tested, neither passed; only the judged item counts as failed.
    EXPECT_TRUE(Contains(RunCtl({"records", "--summary"}, {}, work.path.string(), env).out,
                         "      2       0       2  GPS RMC (1)\n"));
}

} // namespace
