// A self test on the in-process device leaves one test record, written before
// the clear and the power-off, with the outcome the run ended in.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "platform/ResultCode.h"
#include "prodtest/TestConfig.h"
#include "prodtest/TestRun.h"
#include "storage/Database.h"
#include "storage/StationRecords.h"
#include "support/Files.h"
#include "support/SimRig.h"

namespace {

TEST(StationRecords, everySelfTestLeavesOneRecordBeforeTheClearWithItsOutcome)
{
    ScratchDir dir;
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path);
    DatabaseTarget target;
    target.kind = DatabaseTarget::Kind::Sqlite;
    target.path = dir.file("station.sqlite");
    StationRecords records(target);

    const struct {
        const char* fault;
        uint32_t passMask;
        int code;
        const char* outcome;
        bool rtcPassed;
        bool stop = false;   // a stop (signal, window closing) before the run
    } rows[] = {
        {"", 0xFFFFFFFF, kOk, kOutcomePass, true},
        {"", 0xFFFFFFDF, kTestFailed, kOutcomeFail, false},
        {"nocompletion=0x13", 0xFFFFFFFF, kTimeOut, kOutcomeBitTimeout, false},
        {"drop=0x13", 0xFFFFFFFF, kNoAck, kOutcomeNoAnswer, false},
        {"", 0xFFFFFFFF, -1, kOutcomeInterrupted, false, true},
    };
    int run = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.outcome);
        SimRig rig;
        std::string error;
        ASSERT_TRUE(std::string(row.fault).empty() || rig.device.faults.parse(row.fault, &error)) << error;
        rig.device.model.serialNumber = 4711 + run;
        rig.device.selfTest.passMask = row.passMask;
        rig.device.selfTest.resultDelayMs = 300;
        Program& p = rig.p();
        ASSERT_EQ(rig.connect(), kOk);
        p.records = &records;
        LoadTestConfig(p);
        p.form.test.autoLogClear = true;
        p.form.test.autoPoweroff = false;
        for (TestItemBox& b : p.form.test.items)
            b.checked = b.caption == "RTC" || b.caption == "Battery";
        rig.clearEvents();

        p.link.stopRequested = row.stop;
        const int code = BitBtn_TestClick(p);
        const std::vector<std::string> logs = rig.host.logs();
        const auto stored = std::find(logs.begin(), logs.end(), "Test record stored in " + target.path + ".");
        EXPECT_TRUE(stored != logs.end()) << testing::PrintToString(logs);
        if (!row.stop) {
            EXPECT_EQ(code, row.code);
            EXPECT_LT(stored, std::find(logs.begin(), logs.end(), "Clearing log data...")) << testing::PrintToString(logs);
        }
        ++run;
        char serial[16];
        std::snprintf(serial, sizeof serial, "%09d", 4711 + run - 1);
        EXPECT_EQ(p.form.test.recordsToday, "Today: " + std::to_string(run) + (run == 1 ? " unit" : " units") +
                                                " recorded, last " + serial + " " + row.outcome);
        std::unique_ptr<Database> db = Database::open(target, error);
        std::vector<TestRecord> all;
        ASSERT_TRUE(db && ListTestRecords(*db, {4711 + run - 1, ""}, all, error)) << error;
        ASSERT_EQ(all.size(), 1u);
        EXPECT_EQ(all[0].outcome, row.outcome);
        EXPECT_EQ(all[0].items, (std::vector<std::pair<std::string, bool>>{{"RTC", row.rtcPassed}, {"Battery", row.code == kOk || row.code == kTestFailed}}));
        EXPECT_TRUE(all[0].autoClear);
        EXPECT_EQ(all[0].firmware, std::string(p.firmwareVersion));
    }
    std::filesystem::current_path(previous);
}

} // namespace
