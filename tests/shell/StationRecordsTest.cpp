// A self test on the in-process device leaves one test record, written after
// the clear and the power-off, with the outcome the run ended in, the verdicts
// the unit gave (none where it gave none), and what the follow-ups did.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include <pwd.h>
#include <unistd.h>

#include "platform/ResultCode.h"
#include "prodtest/TestConfig.h"
#include "prodtest/TestRun.h"
#include "storage/Database.h"
#include "shell/StationRecords.h"
#include "support/Files.h"
#include "support/SimRig.h"
#include "support/WorkingFolder.h"

namespace {

using Items = std::vector<std::pair<std::string, ItemVerdict>>;
constexpr ItemVerdict kPassed = true, kFailed = false, kNotJudged = std::nullopt;

TEST(StationRecords, everyRunThatBeganLeavesOneRecordAfterItsFollowUpsWithWhatTheUnitAndTheRunDid)
{
    ScratchDir dir;
    const WorkingFolder folder(dir.path);
    DatabaseTarget target;
    target.kind = DatabaseTarget::Kind::Sqlite;
    target.path = dir.file("station.sqlite");
    StationRecords records(target);

    enum class Stop { None, BeforeStart, InResultWait, InClear };
    const struct {
        const char* name;
        const char* fault;
        uint32_t passMask;
        int code;
        const char* outcome;   // nullptr: no record
        Items items;
        std::optional<bool> clearChoice = std::nullopt;   // --clear / --no-clear
        bool cleared = true;
        Stop stop = Stop::None;
    } rows[] = {
        {"pass", "", 0xFFFFFFFF, kOk, kOutcomePass, {{"RTC", kPassed}, {"Battery", kPassed}}},
        {"fail", "", 0xFFFFFFDF, kTestFailed, kOutcomeFail, {{"RTC", kFailed}, {"Battery", kPassed}}},
        {"--no-clear", "", 0xFFFFFFFF, kOk, kOutcomePass, {{"RTC", kPassed}, {"Battery", kPassed}}, false, false},
        {"BIT timeout", "nocompletion=0x13", 0xFFFFFFFF, kTimeOut, kOutcomeBitTimeout,
         {{"RTC", kNotJudged}, {"Battery", kNotJudged}}},
        {"start not acknowledged", "drop=0x13", 0xFFFFFFFF, kNoAck, kOutcomeNoAnswer,
         {{"RTC", kNotJudged}, {"Battery", kNotJudged}}},
        // The unit pulled out after acknowledging the start, or after its verdict came.
        {"pulled out in the result wait", "hangup-bytes=0x13:9", 0xFFFFFFFF, kNoLink, kOutcomeNoAnswer,
         {{"RTC", kNotJudged}, {"Battery", kNotJudged}}, std::nullopt, false},
        {"pulled out at the battery read", "hangup=0x34", 0xFFFFFFFF, kNoLink, kOutcomeNoAnswer,
         {{"RTC", kNotJudged}, {"Battery", kNotJudged}}, std::nullopt, false},
        {"stopped in the result wait", "", 0xFFFFFFFF, kInterrupted, kOutcomeInterrupted,
         {{"RTC", kNotJudged}, {"Battery", kNotJudged}}, std::nullopt, false, Stop::InResultWait},
        {"stopped in the clear", "nocompletion=5/4", 0xFFFFFFFF, kInterrupted, kOutcomePass,
         {{"RTC", kPassed}, {"Battery", kPassed}}, std::nullopt, false, Stop::InClear},
        // Never began on the unit: not a tested unit, so no record.
        {"stopped before the start", "", 0xFFFFFFFF, kInterrupted, nullptr, {}, std::nullopt, false, Stop::BeforeStart},
    };
    int stored = 0;
    for (int run = 0; run < int(std::size(rows)); ++run) {
        const auto& row = rows[run];
        SCOPED_TRACE(row.name);
        SimRig rig;
        std::string error;
        ASSERT_TRUE(std::string(row.fault).empty() || rig.device.faults.parse(row.fault, &error)) << error;
        rig.device.model.serialNumber = 4711 + run;
        rig.device.selfTest.passMask = row.passMask;
        rig.device.selfTest.resultDelayMs = 300;
        Program& p = rig.p();
        ASSERT_EQ(rig.connect(), kOk);
        p.storage = &records;
        LoadTestConfig(p);
        p.form.test.autoLogClear = true;
        p.form.test.autoPoweroff = false;
        p.followUps.clear = row.clearChoice;
        for (TestItemBox& b : p.form.test.items)
            b.checked = b.caption == "RTC" || b.caption == "Battery";
        rig.clearEvents();
        p.link.stopRequested = row.stop == Stop::BeforeStart;
        const int stopKey = row.stop == Stop::InResultWait ? 0x13 : row.stop == Stop::InClear ? 0x504 : -1;
        if (stopKey >= 0) {
            const SimDevice::Handler handler = rig.device.handler(stopKey);
            rig.device.setHandler(stopKey, [&, handler](SimDevice& d, const uint8_t* data, int n) {
                handler(d, data, n);
                p.link.stopRequested = true;
            });
        }

        EXPECT_EQ(BitBtn_TestClick(p), row.code);
        const std::vector<std::string> logs = rig.host.logs();
        const auto storedLine = std::find(logs.begin(), logs.end(), "Test record stored in " + target.path + ".");
        std::unique_ptr<Database> db = Database::open(target, error);
        std::vector<TestRecord> all;
        ASSERT_TRUE(db && ListTestRecords(*db, {4711 + run, ""}, all, error)) << error;
        if (!row.outcome) {
            EXPECT_TRUE(storedLine == logs.end() && all.empty()) << testing::PrintToString(logs);
            continue;
        }
        ++stored;
        EXPECT_TRUE(storedLine != logs.end()) << testing::PrintToString(logs);
        // After the clear, when one was sent: not after a stop before it, nor to a unit pulled out.
        const auto clearing = std::find(logs.begin(), logs.end(), "Clearing log data...");
        EXPECT_EQ(clearing != logs.end(), row.cleared || row.stop == Stop::InClear) << testing::PrintToString(logs);
        if (clearing != logs.end()) {
            EXPECT_GT(storedLine, clearing) << testing::PrintToString(logs);
        }
        char serial[16];
        std::snprintf(serial, sizeof serial, "%09d", 4711 + run);
        EXPECT_EQ(p.form.test.recordsToday, "Today: " + std::to_string(stored) + (stored == 1 ? " unit" : " units") +
                                                " recorded, last " + serial + " " + row.outcome);
        ASSERT_EQ(all.size(), 1u);
        EXPECT_EQ(all[0].outcome, row.outcome);
        EXPECT_EQ(all[0].items, row.items);
        // What the run did, and apart from it what the configuration said.
        EXPECT_EQ(all[0].autoClear, row.cleared);
        EXPECT_FALSE(all[0].autoPowerOff);
        EXPECT_TRUE(all[0].configuredClear);
        EXPECT_FALSE(all[0].configuredPowerOff);
        EXPECT_EQ(all[0].firmware, std::string(p.firmwareVersion));
    }
}

// A service manager or cron starts the program without USER or LOGNAME.
TEST(StationRecords, theOperatorIsTheAccountAlsoWithoutUserVariables)
{
    const char* user = std::getenv("USER");
    const char* logname = std::getenv("LOGNAME");
    const std::string savedUser = user ? user : "", savedLogname = logname ? logname : "";
    unsetenv("USER");
    unsetenv("LOGNAME");
    SimRig rig;
    const std::string fromSystem = TestRecordOfRun(rig.p(), kOk).operatorName;
    setenv("USER", "ann", 1);
    const std::string fromVariable = TestRecordOfRun(rig.p(), kOk).operatorName;
    user ? setenv("USER", savedUser.c_str(), 1) : unsetenv("USER");
    if (logname)
        setenv("LOGNAME", savedLogname.c_str(), 1);

    const passwd* account = getpwuid(geteuid());
    ASSERT_NE(account, nullptr);
    EXPECT_EQ(fromSystem, account->pw_name);
    EXPECT_EQ(fromVariable, "ann");
}

} // namespace
