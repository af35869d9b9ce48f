// The station's pieces that need no processes: the worker's progress lines and a
// slot's verdict as shown, and the first-pass yield of the records summary.

#include <gtest/gtest.h>

#include "shell/Station.h"
#include "storage/TestRecords.h"

namespace {

TEST(StationLines, fieldsSurviveTheLineAndOtherOutputIsNoLine)
{
    const std::vector<std::vector<std::string>> cases = {
        {"step", "connecting"},
        {"unit", "000012345", "A\tB\nC"},   // a user name cannot split the line
        {"result", "FAIL", "GPS RMC", "Battery"},
        {"unit", "", ""},
    };
    for (const auto& fields : cases) {
        const std::string line = StationLine(fields);
        EXPECT_EQ(line.find('\n'), std::string::npos);
        std::vector<std::string> expected = fields;
        for (std::string& f : expected)
            for (char& c : f)
                c = c == '\t' || c == '\n' ? ' ' : c;
        EXPECT_EQ(StationLineFields(line), expected) << line;
    }
    for (const char* other : {"", "Test record stored in x.", "@station", "@stationx\tstep\ta", " @station\tstep\ta"})
        EXPECT_TRUE(StationLineFields(other).empty()) << other;
}

TEST(StationLines, aSlotShowsItsStepThenItsLastVerdictWithTheFailedItems)
{
    struct Case {
        SlotPhase phase;
        const char* step;
        const char* outcome;
        std::vector<std::string> failed;
        const char* shown;
    };
    const Case cases[] = {
        {SlotPhase::Waiting, "", "", {}, "waiting"},
        {SlotPhase::Testing, "self test", "PASS", {}, "testing: self test"},   // the old verdict goes with the new unit
        {SlotPhase::Done, "", "PASS", {}, "PASS"},
        {SlotPhase::Done, "", "FAIL", {"GPS RMC", "Battery"}, "FAIL: GPS RMC, Battery"},
        {SlotPhase::Waiting, "", "no answer", {}, "no answer"},   // unplugged: the result stays
    };
    for (const Case& c : cases) {
        StationSlot slot;
        slot.phase = c.phase;
        slot.step = c.step;
        slot.outcome = c.outcome;
        slot.failedItems = c.failed;
        EXPECT_EQ(SlotVerdictText(slot), c.shown);
    }
    EXPECT_EQ(SlotSerialText(-1), "-");
    EXPECT_EQ(SlotSerialText(12345), "000012345");
}

TEST(FirstPassYield, aUnitCountsOnceADayAtTheStationOfItsFirstTest)
{
    const auto record = [](const char* time, const char* station, int64_t serial, const char* outcome) {
        TestRecord r;
        r.time = time;
        r.station = station;
        r.serial = serial;
        r.outcome = outcome;
        return r;
    };
    const std::vector<TestRecord> records = {
        record("2026-12-08T09:00:00.000Z", "line-1", 1, "FAIL"),
        record("2026-12-08T09:05:00.000Z", "line-2", 1, "PASS"),   // retested elsewhere: not a first pass
        record("2026-12-08T09:06:00.000Z", "line-1", 2, "PASS"),
        record("2026-12-08T09:07:00.000Z", "line-2", 3, "no answer"),
        record("2026-12-08T09:08:00.000Z", "line-2", -1, "PASS"),  // no serial: no unit
        record("2026-12-09T08:00:00.000Z", "line-1", 1, "PASS"),   // a new day, a new first test
        record("2026-12-09T08:01:00.000Z", "line-1", 1, "FAIL"),
    };
    const std::vector<FirstPassYield> yields = FirstPassByStation(records);
    ASSERT_EQ(yields.size(), 3u);
    const auto row = [](const FirstPassYield& y) {
        return y.day + " " + y.station + " " + std::to_string(y.units) + " " + std::to_string(y.firstPassed);
    };
    EXPECT_EQ(row(yields[0]), "2026-12-08 line-1 2 1");
    EXPECT_EQ(row(yields[1]), "2026-12-08 line-2 1 0");
    EXPECT_EQ(row(yields[2]), "2026-12-09 line-1 1 1");
}

} // namespace
