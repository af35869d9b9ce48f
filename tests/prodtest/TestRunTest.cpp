// The self test run against the in-process device on the virtual clock: the
// bytes on the wire, the waits, the budget, the program's own verdicts, the
// colours and the picture, and the finishing steps after failures.

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "link/FrameEncoder.h"
#include "link/LinkBusyGuard.h"
#include "platform/ByteOrder.h"
#include "platform/ResultCode.h"
#include "prodtest/TestConfig.h"
#include "prodtest/TestItemGroups.h"
#include "prodtest/TestRun.h"
#include "program/StorageSink.h"
#include "support/Files.h"
#include "support/SimRig.h"
#include "support/WorkingFolder.h"

namespace {

using Strings = std::vector<std::string>;
using Keys = std::vector<int>;
constexpr Colour G = Colour::Green, R = Colour::Red, Y = Colour::Yellow, W = Colour::White;

// One unit on the bench: default configuration, link open, no auto clear or power-off.
struct Station {
    SimRig rig;
    size_t mark = 0;

    explicit Station(const Strings& items = {"RTC"}, bool snr = false, const std::string& fault = "", bool link = true)
    {
        std::filesystem::remove(kTestConfigFile);
        LoadTestConfig(p());
        t().autoLogClear = t().autoPoweroff = false;
        for (TestItemBox& b : t().items)
            b.checked = std::find(items.begin(), items.end(), b.caption) != items.end();
        t().find("CheckBox_GPS_SNR")->checked = snr;
        std::string error;
        EXPECT_TRUE(fault.empty() || rig.device.faults.parse(fault, &error)) << error;
        rig.device.selfTest.resultDelayMs = 300;
        if (link)
            rig.openLinkOnly();
    }
    Program& p() { return rig.p(); }
    TestPage& t() { return rig.p().form.test; }
    Colour colour(const char* name) { return t().find(name)->colour; }
    int run()
    {
        mark = rig.device.requestLog().size();
        return BitBtn_TestClick(p());
    }
    Keys requests() const { return Keys(rig.device.requestLog().begin() + long(mark), rig.device.requestLog().end()); }
};

const Strings kDefaultItems = {"RTC", "SFM ID", "M-sensor ID", "G-sensor ID", "GPS RMC"};
const Strings kCleared = {"Clearing log data...", "Clearing waypoint ...", "Waypoint cleared successfully...",
                          "Clearing waypoint ...", "Waypoint cleared successfully...", "Clearing waypoint ...",
                          "Waypoint cleared successfully...", "Clearing waypoint ...",
                          "Waypoint cleared successfully...", "Log data cleared successfully"};
const Strings kSwitchedOff = {"Poweroff device...", "Device off OK.", "Device disconnected.", "Remove USB Cable now."};

// The run writes "VR60Test.ini" into the working directory.
class TestRunTest : public ::testing::Test {
protected:
    ScratchDir dir;
    WorkingFolder folder{dir.path};
};

TEST_F(TestRunTest, wireCarriesTheSelectionMaskAndPersonItemsGetTheirTime)
{
    const Strings all = {"RTC", "SFM ID", "M-sensor ID", "G-sensor ID", "Battery", "GPS RMC",
                         "BUZZER", "LCD+BK Lite", "VIBRATOR", "Touch Keys"};
    struct Row { const char* name; Strings items; bool snr; const char* fault; uint32_t mask; Keys requests; int waitMs; } rows[] = {
        {"default items", kDefaultItems, false, "", 0x0000003B, {0x13, 0x34, 0x43}, 0},
        {"signal strength adds bit 31", {"RTC"}, true, "", 0x80000020, {0x42, 0x13, 0x34, 0x41}, 0},
        {"touch keys", {"Touch Keys", "Battery"}, false, "", 0x0C000000, {0x13, 0x34, 0x43}, 6000},
        {"buzzer and lcd", {"BUZZER", "LCD+BK Lite"}, false, "", 0x01010000, {0x13, 0x34}, 6000},
        {"vibrator has no wait", {"VIBRATOR"}, false, "", 0x02000000, {0x13, 0x34}, 0},
        {"everything", all, true, "", 0x8F01003B, {0x42, 0x13, 0x34, 0x41, 0x43}, 12000},
        {"no acknowledgement, no wait", {"Touch Keys"}, false, "drop=0x13", 0x08000000, {0x13}, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Station s(row.items, row.snr, row.fault);
        EXPECT_EQ(s.run(), row.fault[0] ? kNoAck : kOk);
        EXPECT_EQ(s.requests(), row.requests);
        std::vector<uint8_t> wire;   // bare commands and the mask frame, byte for byte
        for (int key : row.requests) {
            uint8_t mask[4];
            PutLe32(mask, row.mask);
            const auto packet = CommandPacket(uint8_t(key));
            const auto frame = key == 0x13 ? EncodeFrame(0x13, mask, 4) : std::vector<uint8_t>(packet.begin(), packet.end());
            wire.insert(wire.end(), frame.begin(), frame.end());
        }
        EXPECT_EQ(s.rig.transport->written(), wire);
        // The person waits sleep in pumped slices; the signal wait is apart (see below).
        const std::vector<int>& sleeps = s.rig.host.sleeps;
        if (!row.snr) {
            EXPECT_EQ(std::accumulate(sleeps.begin(), sleeps.end(), 0), row.waitMs);
        }
        EXPECT_TRUE(std::all_of(sleeps.begin(), sleeps.end(), [](int ms) { return ms <= 200; }));
        EXPECT_EQ(s.t().gpsSnrRead == " ", !row.snr);
    }
}

TEST_F(TestRunTest, resultBudgetComesFromEditAbortWithAFloorAndACap)
{
    const std::string capped = "Self-test result wait limited to 600 s (asked for 900 s).";
    // An idle poll takes 1 to 1.25 ms of virtual time: a budget of B ms ends before 1.25 B.
    struct Row { const char* abort; int64_t delayMs; int code; const char* abortAfter; std::string line; } rows[] = {
        {"3", 5800, kOk, "6", ""}, {"3", 8000, kTimeOut, "6", ""}, {"-4", 5800, kOk, "6", ""},
        {"12", 11500, kOk, "12", ""}, {"70", 68000, kOk, "70", ""},   // past 16 bits: no wrap to 4.4 s
        {"900", 590000, kOk, "600", capped}, {"900", 800000, kTimeOut, "600", capped}, {"12x", 300, kRefused, "12x", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.abort) + " / " + std::to_string(row.delayMs));
        Station s;
        s.t().abortSeconds = row.abort;
        s.rig.device.selfTest.resultDelayMs = row.delayMs;
        EXPECT_EQ(s.run(), row.code);
        EXPECT_EQ(s.t().abortSeconds, row.abortAfter);
        EXPECT_EQ(s.rig.host.logs(), row.line.empty() ? Strings{} : Strings{row.line});
        const Strings boxes = row.code == kTimeOut ? Strings{"BIT timeout abort!"}
                              : row.code == kRefused ? Strings{"'12x' is not a valid integer value"} : Strings{};
        EXPECT_EQ(s.rig.host.boxes(), boxes);
        EXPECT_EQ(s.t().lamp, row.code == kOk ? TestLamp::Green : row.code == kTimeOut ? TestLamp::Red : TestLamp::Gray);
    }
}

TEST_F(TestRunTest, batteryWindowAndSignalStrengthAreTheProgramsOwnVerdicts)
{
    struct Row { const char* name; Strings items; bool snr; uint16_t batt; uint8_t snrValue; const char* fault; int code;
                 const char* battRead; const char* snrRead; const char* sid; Colour battBox; Colour snrBox; } rows[] = {
        {"battery lower edge", {"Battery"}, false, 417, 0, "", kOk, "417", " ", " ", G, Colour::Window},
        {"battery below", {"Battery"}, false, 416, 0, "", kTestFailed, "416", " ", " ", R, Colour::Window},
        {"battery upper edge", {"Battery"}, false, 429, 0, "", kOk, "429", " ", " ", G, Colour::Window},
        {"battery above", {"Battery"}, false, 430, 0, "", kTestFailed, "430", " ", " ", R, Colour::Window},
        {"out of range, not selected", {"RTC"}, false, 416, 0, "", kOk, "416", " ", " ", W, Colour::Window},
        {"no battery answer reads 0", {"Battery"}, false, 423, 0, "drop=0x34", kTestFailed, "0", " ", " ", R, Colour::Window},
        {"one battery byte is no answer", {"Battery"}, false, 423, 0, "short=0x34", kTestFailed, "0", " ", " ", R, Colour::Window},
        {"signal equal to the threshold", {"RTC"}, true, 423, 40, "", kOk, "423", "40", "17", W, G},
        {"signal below, every device bit set", {"RTC"}, true, 423, 39, "", kTestFailed, "423", "39", "17", W, R},
        {"no signal answer", {"RTC"}, true, 423, 60, "drop=0x41", kTestFailed, "423", "0", "0", W, R},
        {"one signal byte is no answer", {"RTC"}, true, 423, 60, "short=0x41", kTestFailed, "423", "0", "0", W, R},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Station s(row.items, row.snr, row.fault);
        s.rig.device.selfTest.batteryCentivolts = row.batt;
        s.rig.device.selfTest.snr = row.snrValue;
        int64_t readAtMs = -1;
        const SimDevice::Handler read = s.rig.device.handler(0x41);
        s.rig.device.setHandler(0x41, [&](SimDevice& d, const uint8_t* data, int n) { readAtMs = d.now(); read(d, data, n); });
        EXPECT_EQ(s.run(), row.code);
        EXPECT_EQ(s.t().battRead + "|" + s.t().gpsSnrRead + "|" + s.t().maxSnrSid,
                  std::string(row.battRead) + "|" + row.snrRead + "|" + row.sid);
        EXPECT_EQ(s.colour("CheckBox_BATT"), row.battBox);
        EXPECT_EQ(s.colour("CheckBox_GPS_SNR"), row.snrBox);
        EXPECT_EQ(s.t().lamp, row.code == kOk ? TestLamp::Green : TestLamp::Yellow);
        // At least 15 s after the measurement start, counted from the acknowledgement's arrival.
        if (readAtMs >= 0) {
            EXPECT_GE(readAtMs - s.rig.device.selfTest.measurementStartMs, kSnrMeasurementMs);
            EXPECT_LT(readAtMs - s.rig.device.selfTest.measurementStartMs, kSnrMeasurementMs + 200);
        }
    }
}

TEST_F(TestRunTest, versionsAreSplitShownAndMatchedCaseSensitively)
{
    struct Row { const char* name; const char* answer; const char* item; const char* gpsExpect; const char* tsExpect;
                 const char* ts; const char* gps; Colour tsColour; Colour gpsColour; } rows[] = {
        {"capitals found anywhere", "V1.02,x,GSD4e AB R", "GPS RMC", "AB", "V1", "V1.02", "GSD4e AB R", G, G},
        {"lower case does not match", "V1.02,x,GSD4e AB R", "GPS RMC", "ab", "v1", "V1.02", "GSD4e AB R", R, R},
        {"nine digits cut to seven", "123456789,second,GPS", "GPS RMC", "", "", "1234567", "second,GPS", G, G},
        {"second field skipped for 30 bytes at most", "T,0123456789012345678901234567890123,GPS", "GPS RMC", "", "T",
         "T", "0123,GPS", G, G},
        {"touch keys judge the TS version only", "V1,x,GPS9", "Touch Keys", "nomatch", "V1", "V1", "GPS9", G, Y},
        {"no answer", nullptr, "GPS RMC", "", "", " ", " ", Y, Y},
        {"not asked for", "V1,x,GPS", "RTC", "", "", " ", " ", W, W},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Station s({row.item}, false, row.answer ? "" : "drop=0x43");
        if (row.answer)
            s.rig.device.model.gpsVersionText = row.answer;
        s.t().gpsVerExpect = row.gpsExpect;
        s.t().tsVerExpect = row.tsExpect;
        EXPECT_EQ(s.run(), kOk);   // the version verdicts only colour their boxes
        EXPECT_EQ(s.t().tsVerRead + "|" + s.t().gpsVerRead, std::string(row.ts) + "|" + row.gps);
        EXPECT_EQ(s.t().tsVerReadColour, row.tsColour);
        EXPECT_EQ(s.t().gpsVerReadColour, row.gpsColour);
    }
}

TEST_F(TestRunTest, finishingStepsRunAfterFailuresToo)
{
    const Strings offFailed = {"Poweroff device...", "Device off failed!"};
    struct Row { const char* name; const char* fault; bool clear; bool off; int code; const char* box; TestLamp lamp;
                 Strings logs; bool connected; } rows[] = {
        {"start not acknowledged", "drop=0x13", false, true, kNoAck, "BIT Timeout Error", TestLamp::Red, kSwitchedOff, false},
        {"no result", "nocompletion=0x13", true, true, kTimeOut, "BIT timeout abort!", TestLamp::Red, kCleared, false},
        {"result too short for the mask", "short=0x13", false, false, kTimeOut, "BIT timeout abort!", TestLamp::Red, {}, true},
        {"passed, power-off not acknowledged", "drop=0x40", false, true, kNoAck, nullptr, TestLamp::Green, offFailed, true},
        {"passed and cleared", "", true, false, kOk, nullptr, TestLamp::Green, kCleared, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Station s({"RTC"}, false, row.fault);
        s.t().autoLogClear = row.clear;
        s.t().autoPoweroff = row.off;
        EXPECT_EQ(s.run(), row.code);
        EXPECT_EQ(s.rig.host.boxes(), row.box ? Strings{row.box} : Strings{});
        EXPECT_EQ(s.t().lamp, row.lamp);
        Strings logs = row.logs;   // the clear, then the power-off
        if (row.clear && row.off)
            logs.insert(logs.end(), kSwitchedOff.begin(), kSwitchedOff.end());
        // First what turned them on: the configuration loaded without a file.
        const std::string source = row.clear && row.off ? "Auto clear and auto power-off are on: the defaults of "
                                                          "auto_log_clear and auto_poweroff"
                                   : row.clear          ? "Auto clear is on: the default of auto_log_clear"
                                                        : "Auto power-off is on: the default of auto_poweroff";
        if (row.clear || row.off)
            logs.insert(logs.begin(), source + " (no " + (dir.path / kTestConfigFile).string() + " was found).");
        EXPECT_EQ(s.rig.host.logs(), logs);
        EXPECT_EQ(s.p().connected == 1, row.connected);
        EXPECT_TRUE(s.t().testEnabled && !s.rig.host.busyCursor && s.p().form.focusRequest == "BitBtn_connect");
    }
}

// A stop at any point after the verdict: a line for a clear or a power-off only where
// its request went out, nothing sent after the stop, and the record says what was done.
TEST_F(TestRunTest, followUpLinesMatchTheRequestsSentAroundAStop)
{
    struct StopOnSave : StorageSink {
        Program* p = nullptr;
        int saves = 0;
        void selfTestJudged(Program& program, int) override
        {
            ++saves;
            if (p)
                program.link.stopRequested = true;
        }
        void logDownloaded(Program&, const std::string&) override {}
    };
    const FollowUpStep done = FollowUpStep::Done, stopped = FollowUpStep::Stopped, skipped = FollowUpStep::Skipped;
    struct Row { const char* name; int stopKey; bool stopOnSave; int code; FollowUpStep clear; FollowUpStep off; } rows[] = {
        {"stop during the record save", -1, true, kOk, done, done},
        {"stop in the clear", 0x504, false, kInterrupted, stopped, skipped},
        {"stop in the power-off", 0x40, false, kInterrupted, done, stopped},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Station s({"RTC"});
        s.t().autoLogClear = s.t().autoPoweroff = true;
        StopOnSave sink;
        sink.p = row.stopOnSave ? &s.p() : nullptr;
        s.p().storage = &sink;
        // The device takes the request and never answers; the operator stops meanwhile.
        if (row.stopKey >= 0)
            s.rig.device.setHandler(row.stopKey, [&](SimDevice&, const uint8_t*, int) { s.p().link.stopRequested = true; });
        EXPECT_EQ(s.run(), row.code);
        const Strings logs = s.rig.host.logs();
        const Keys requests = s.requests();
        const auto count = [](const auto& list, const auto& item) { return std::count(list.begin(), list.end(), item); };
        EXPECT_EQ(count(logs, "Clearing log data..."), count(requests, 0x504)) << testing::PrintToString(logs);
        EXPECT_EQ(count(logs, "Poweroff device..."), count(requests, 0x40)) << testing::PrintToString(logs);
        if (row.stopKey >= 0) {
            EXPECT_EQ(requests.back(), row.stopKey);
        }
        EXPECT_EQ(s.p().selfTest.clear, row.clear);
        EXPECT_EQ(s.p().selfTest.powerOff, row.off);
        EXPECT_EQ(sink.saves, 1);
    }
}

TEST_F(TestRunTest, refusedRunsSendNothing)
{
    struct Row { const char* name; Strings items; bool snr; const char* snrMin; const char* battVary; bool link; int code;
                 const char* box; TestLamp lamp; } rows[] = {
        {"nothing selected", {}, false, "40", "6", true, kRefused, "No check items selected!", TestLamp::Yellow},
        {"signal strength alone", {}, true, "40", "6", true, kRefused, "No check items selected!", TestLamp::Yellow},
        {"threshold not an integer", {"RTC"}, false, "4O", "6", true, kRefused, "'4O' is not a valid integer value", TestLamp::Yellow},
        {"battery range not an integer", {"RTC"}, false, "40", "6x", true, kRefused, "'6x' is not a valid integer value", TestLamp::Yellow},
        {"no link", {"RTC"}, false, "40", "6", false, kNoLink, "Com Port Error!", TestLamp::Gray},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Station s(row.items, row.snr, "", row.link);
        s.t().gpsSnrMin = row.snrMin;
        s.t().battVary = row.battVary;
        s.t().lamp = TestLamp::Yellow;   // left by an earlier run
        s.t().testEnabled = true;
        s.p().identity.serialNumber = 1234;
        EXPECT_EQ(s.run(), row.code);
        EXPECT_EQ(s.rig.host.boxes(), Strings{row.box});
        EXPECT_EQ(s.t().lamp, row.lamp);
        EXPECT_TRUE(s.requests().empty() && s.t().testEnabled);
        EXPECT_EQ(s.p().identity.serialNumber, 0);
        EXPECT_EQ(s.t().battRead, " ");
    }
}

TEST_F(TestRunTest, windowServedDuringTheSignalWaitCannotStartAnotherExchange)
{
    Station s({"RTC"}, true);
    int reentered = -1;
    s.rig.host.onPump = [&] { reentered = reentered == -1 ? BitBtn_TestClick(s.p()) : reentered; };
    EXPECT_EQ(s.run(), kOk);
    EXPECT_EQ(reentered, kNoLink);
    // Refused in the message log: a box would hold the signal wait up.
    EXPECT_TRUE(s.rig.host.boxes().empty());
    const Strings logs = s.rig.host.logs();
    EXPECT_EQ(std::count(logs.begin(), logs.end(), kLinkBusyText), 1);
    EXPECT_EQ(s.requests(), (Keys{0x42, 0x13, 0x34, 0x41}));
    EXPECT_GE(s.rig.host.pumps, 60);   // about every 200 ms of the 15 s
}

TEST(TestItemGroups, eachLabelFlipsItsOwnStateAndSetsItsGroup)
{
    FakeHost host;
    Program p(host, [](const std::string&) { return std::unique_ptr<Transport>(); });
    auto checked = [&p] {
        std::string out;
        for (const TestItemBox& b : p.form.test.items)
            out += b.checked ? b.caption + "," : "";
        return out;
    };
    Label_PCBA_TestClick(p);   // starts on: the first click unchecks
    Label_VIS_TESTClick(p);    // starts off: the first click checks
    EXPECT_EQ(checked(), "BUZZER,LCD+BK Lite,VIBRATOR,Touch Keys,");
    Label_PCBA_TestClick(p);
    Label_VIS_TESTClick(p);
    EXPECT_EQ(checked(), "RTC,SFM ID,M-sensor ID,G-sensor ID,Battery,GPS RMC,");
}

} // namespace
