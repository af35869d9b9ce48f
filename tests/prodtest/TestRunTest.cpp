// The self test run against the in-process device on the virtual clock: the
// requests and mask bytes on the wire, the waits, the budget, the program's own
// verdicts, the colours and the picture, and the finishing steps after failures.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <numeric>

#include "link/FrameEncoder.h"
#include "link/LinkBusyGuard.h"
#include "platform/ByteOrder.h"
#include "platform/ResultCode.h"
#include "prodtest/TestConfig.h"
#include "prodtest/TestItemGroups.h"
#include "prodtest/TestRun.h"
#include "support/Files.h"
#include "support/SimRig.h"

namespace fs = std::filesystem;

namespace {

using Strings = std::vector<std::string>;
using Keys = std::vector<int>;

// One unit on the bench: defaults loaded, link open, no auto clear or power-off.
struct Station {
    SimRig rig;
    size_t mark = 0;

    explicit Station(bool withLink = true)
    {
        fs::remove(kTestConfigFile);   // each unit starts from the defaults
        LoadTestConfig(p());
        t().autoLogClear = t().autoPoweroff = false;
        rig.device.selfTest.resultDelayMs = 300;
        if (withLink)
            rig.openLinkOnly();
    }
    Program& p() { return rig.p(); }
    TestPage& t() { return rig.p().form.test; }
    // Checks exactly the items with these captions (the signal-strength box apart).
    void select(const Strings& captions, bool snr = false)
    {
        for (TestItemBox& b : t().items)
            b.checked = std::find(captions.begin(), captions.end(), b.caption) != captions.end();
        t().find("CheckBox_GPS_SNR")->checked = snr;
    }
    void fault(const std::string& text)
    {
        std::string error;
        ASSERT_TRUE(text.empty() || rig.device.faults.parse(text, &error)) << error;
    }
    int run()
    {
        rig.clearEvents();
        rig.host.sleeps.clear();
        mark = rig.device.requestLog().size();
        return BitBtn_TestClick(p());
    }
    Keys requests() const { return Keys(rig.device.requestLog().begin() + long(mark), rig.device.requestLog().end()); }
    int sleptMs() const { return std::accumulate(rig.host.sleeps.begin(), rig.host.sleeps.end(), 0); }
    Colour colour(const char* name) { return t().find(name)->colour; }
};

const Strings kDefaultItems = {"RTC", "SFM ID", "M-sensor ID", "G-sensor ID", "GPS RMC"};
const Strings kCleared = {"Clearing log data...",
                          "Clearing waypoint ...", "Waypoint cleared successfully...",
                          "Clearing waypoint ...", "Waypoint cleared successfully...",
                          "Clearing waypoint ...", "Waypoint cleared successfully...",
                          "Clearing waypoint ...", "Waypoint cleared successfully...",
                          "Log data cleared successfully"};
const Strings kSwitchedOff = {"Poweroff device...", "Device off OK.", "Device disconnected.", "Remove USB Cable now."};

Strings Join(std::initializer_list<Strings> parts)
{
    Strings out;
    for (const Strings& s : parts)
        out.insert(out.end(), s.begin(), s.end());
    return out;
}

// The run writes "VR60Test.ini" into the working directory.
class TestRunTest : public ::testing::Test {
protected:
    void SetUp() override { fs::current_path(dir.path); }
    void TearDown() override { fs::current_path(previous); }
    fs::path previous = fs::current_path();
    ScratchDir dir;
};

TEST_F(TestRunTest, requestsGoOutInOrderWithTheSelectionMask)
{
    const Strings all = {"RTC", "SFM ID", "M-sensor ID", "G-sensor ID", "Battery", "GPS RMC",
                         "BUZZER", "LCD+BK Lite", "VIBRATOR", "Touch Keys"};
    struct Row {
        const char* name;
        Strings items;
        bool snr;
        uint32_t mask;
        Keys requests;
    } rows[] = {
        {"default items", kDefaultItems, false, 0x0000003B, {0x13, 0x34, 0x43}},
        {"signal strength adds bit 31", {"RTC"}, true, 0x80000020, {0x42, 0x13, 0x34, 0x41}},
        {"touch keys read the versions", {"Touch Keys", "Battery"}, false, 0x0C000000, {0x13, 0x34, 0x43}},
        {"visual items without versions", {"BUZZER", "LCD+BK Lite", "VIBRATOR"}, false, 0x03010000, {0x13, 0x34}},
        {"everything", all, true, 0x8F01003B, {0x42, 0x13, 0x34, 0x41, 0x43}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Station s;
        s.select(row.items, row.snr);
        EXPECT_EQ(s.run(), kOk);
        EXPECT_EQ(s.requests(), row.requests);
        // Every request on the wire, byte for byte: bare commands and the mask frame.
        std::vector<uint8_t> expected;
        for (int key : row.requests) {
            uint8_t mask[4];
            PutLe32(mask, row.mask);
            if (key == 0x13) {
                const auto frame = EncodeFrame(0x13, mask, 4);
                expected.insert(expected.end(), frame.begin(), frame.end());
            } else {
                const auto packet = CommandPacket(uint8_t(key));
                expected.insert(expected.end(), packet.begin(), packet.end());
            }
        }
        EXPECT_EQ(s.rig.transport->written(), expected);
        EXPECT_EQ(s.p().selfTest.selection, row.mask);
        EXPECT_EQ(s.t().lamp, TestLamp::Green);
        if (!row.snr) {
            EXPECT_EQ(s.t().gpsSnrRead + s.t().maxSnrSid, "  ");
        }
    }
}

TEST_F(TestRunTest, itemsThatNeedAPersonGetTheirTimeAfterTheAcknowledgement)
{
    struct Row {
        const char* name;
        Strings items;
        const char* fault;
        int waitMs;
    } rows[] = {
        {"buzzer and lcd", {"BUZZER", "LCD+BK Lite"}, "", 6000},
        {"touch keys", {"Touch Keys"}, "", 6000},
        {"all four visual items", {"BUZZER", "LCD+BK Lite", "VIBRATOR", "Touch Keys"}, "", 12000},
        {"vibrator has no wait", {"VIBRATOR"}, "", 0},
        {"no acknowledgement, no wait", {"Touch Keys"}, "drop=0x13", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Station s;
        s.select(row.items);
        s.fault(row.fault);
        s.run();
        EXPECT_EQ(s.sleptMs(), row.waitMs);
        // Pumped in short slices, so the window keeps being served.
        for (int ms : s.rig.host.sleeps)
            EXPECT_LE(ms, 200);
        EXPECT_GE(s.rig.host.pumps, row.waitMs / 200 - 3);
    }
}

TEST_F(TestRunTest, resultBudgetComesFromEditAbortWithAFloorAndACap)
{
    const std::string capped = "Self-test result wait limited to 600 s (asked for 900 s).";
    // An idle poll takes 1 to 1.25 ms of the virtual clock, so a budget of B ms ends within 1.25 B.
    struct Row {
        const char* abort;
        int64_t resultDelayMs;
        int code;
        const char* abortAfter;
        std::string line;
    } rows[] = {
        {"3", 5800, kOk, "6", ""},
        {"3", 8000, kTimeOut, "6", ""},
        {"-4", 5800, kOk, "6", ""},
        {"12", 11500, kOk, "12", ""},
        {"70", 68000, kOk, "70", ""},   // beyond 16 bits: must not wrap to a few seconds
        {"900", 590000, kOk, "600", capped},
        {"900", 800000, kTimeOut, "600", capped},
        {"12x", 300, kRefused, "12x", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.abort) + " / " + std::to_string(row.resultDelayMs));
        Station s;
        s.t().abortSeconds = row.abort;
        s.rig.device.selfTest.resultDelayMs = row.resultDelayMs;
        EXPECT_EQ(s.run(), row.code);
        EXPECT_EQ(s.t().abortSeconds, row.abortAfter);
        EXPECT_EQ(s.rig.host.logs(), row.line.empty() ? Strings{} : Strings{row.line});
        if (row.code == kTimeOut) {
            EXPECT_EQ(s.rig.host.boxes(), Strings{"BIT timeout abort!"});
            EXPECT_EQ(s.t().lamp, TestLamp::Red);
            EXPECT_EQ(s.requests(), Keys{0x13});
        }
        if (row.code == kRefused) {
            EXPECT_EQ(s.rig.host.boxes(), Strings{"'12x' is not a valid integer value"});
            EXPECT_TRUE(s.requests().empty());
        }
    }
}

TEST_F(TestRunTest, batteryWindowIsInclusiveAndJudgedOnEveryRun)
{
    struct Row {
        const char* name;
        uint16_t battery;
        bool selected;
        const char* fault;
        int code;
        const char* shown;
        bool bit26;
        Colour box;
    } rows[] = {
        {"lower edge", 417, true, "", kOk, "417", true, Colour::Green},
        {"below", 416, true, "", kTestFailed, "416", false, Colour::Red},
        {"upper edge", 429, true, "", kOk, "429", true, Colour::Green},
        {"above", 430, true, "", kTestFailed, "430", false, Colour::Red},
        {"out of range, not selected", 416, false, "", kOk, "416", false, Colour::White},
        {"no answer reads 0", 423, true, "drop=0x34", kTestFailed, "0", false, Colour::Red},
        {"one byte is no answer", 423, true, "short=0x34", kTestFailed, "0", false, Colour::Red},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Station s;
        s.select(row.selected ? Strings{"RTC", "Battery"} : Strings{"RTC"});
        s.rig.device.selfTest.batteryCentivolts = row.battery;
        s.fault(row.fault);
        EXPECT_EQ(s.run(), row.code);
        EXPECT_EQ(s.t().battRead, row.shown);
        EXPECT_EQ((s.p().selfTest.result & kBatteryBit) != 0, row.bit26);
        EXPECT_EQ(s.colour("CheckBox_BATT"), row.box);
        EXPECT_EQ(s.t().lamp, row.code == kOk ? TestLamp::Green : TestLamp::Yellow);
    }
}

TEST_F(TestRunTest, signalStrengthIsReadAfterFifteenSecondsAndJudgedAgainstTheThreshold)
{
    struct Row {
        const char* name;
        uint8_t snr;
        const char* fault;
        int code;
        const char* shown;
        const char* satellite;
        Colour box;
    } rows[] = {
        {"equal to the threshold", 40, "", kOk, "40", "17", Colour::Green},
        {"below, every device bit set", 39, "", kTestFailed, "39", "17", Colour::Red},
        {"no answer", 60, "drop=0x41", kTestFailed, "0", "0", Colour::Red},
        {"short answer", 60, "short=0x41", kTestFailed, "0", "0", Colour::Red},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Station s;
        s.select({"RTC"}, true);
        s.rig.device.selfTest.snr = row.snr;
        s.fault(row.fault);
        int64_t readAtMs = -1;
        const SimDevice::Handler read = s.rig.device.handler(0x41);
        s.rig.device.setHandler(0x41, [&](SimDevice& d, const uint8_t* payload, int length) {
            readAtMs = d.now();
            read(d, payload, length);
        });
        EXPECT_EQ(s.run(), row.code);
        EXPECT_EQ(s.t().gpsSnrRead, row.shown);
        EXPECT_EQ(s.t().maxSnrSid, row.satellite);
        EXPECT_EQ(s.colour("CheckBox_GPS_SNR"), row.box);
        EXPECT_EQ(s.colour("CheckBox_RTC"), Colour::Green);
        EXPECT_EQ(s.t().lamp, row.code == kOk ? TestLamp::Green : TestLamp::Yellow);
        // Counted from the acknowledgement's arrival, a poll after the device sent it.
        if (readAtMs >= 0) {
            const int64_t measured = readAtMs - s.rig.device.selfTest.measurementStartMs;
            EXPECT_GE(measured, kSnrMeasurementMs);
            EXPECT_LT(measured, kSnrMeasurementMs + 200);
        }
    }
}

TEST_F(TestRunTest, versionsAreSplitShownAndMatchedCaseSensitively)
{
    struct Row {
        const char* name;
        const char* answer;
        Strings items;
        const char* gpsExpect;
        const char* tsExpect;
        const char* ts;
        const char* gps;
        Colour tsColour;
        Colour gpsColour;
    } rows[] = {
        {"capitals found anywhere", "V1.02,x,GSD4e AB R", {"GPS RMC"}, "AB", "V1", "V1.02", "GSD4e AB R",
         Colour::Green, Colour::Green},
        {"lower case does not match", "V1.02,x,GSD4e AB R", {"GPS RMC"}, "ab", "v1", "V1.02", "GSD4e AB R",
         Colour::Red, Colour::Red},
        {"nine digits cut to seven, empty expected matches", "123456789,second,GPS", {"GPS RMC"}, "", "",
         "1234567", "second,GPS", Colour::Green, Colour::Green},
        {"second field stepped over for at most 30 bytes", "T,0123456789012345678901234567890123,GPS",
         {"GPS RMC"}, "", "T", "T", "0123,GPS", Colour::Green, Colour::Green},
        {"touch keys judge only the TS version", "V1,x,GPS9", {"Touch Keys"}, "nomatch", "V1", "V1", "GPS9",
         Colour::Green, Colour::Yellow},
        {"no answer leaves both yellow", nullptr, {"GPS RMC"}, "", "", " ", " ", Colour::Yellow, Colour::Yellow},
        {"not asked for", "V1,x,GPS", {"RTC"}, "", "", " ", " ", Colour::White, Colour::White},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Station s;
        s.select(row.items);
        if (row.answer)
            s.rig.device.model.gpsVersionText = row.answer;
        else
            s.fault("drop=0x43");
        s.t().gpsVerExpect = row.gpsExpect;
        s.t().tsVerExpect = row.tsExpect;
        // The version verdicts only colour their boxes.
        EXPECT_EQ(s.run(), kOk);
        EXPECT_EQ(s.t().lamp, TestLamp::Green);
        EXPECT_EQ(s.t().tsVerRead, row.ts);
        EXPECT_EQ(s.t().gpsVerRead, row.gps);
        EXPECT_EQ(s.t().tsVerReadColour, row.tsColour);
        EXPECT_EQ(s.t().gpsVerReadColour, row.gpsColour);
    }
}

TEST_F(TestRunTest, itemBoxesShowTheDeviceVerdicts)
{
    Station s;
    s.select(kDefaultItems);
    s.rig.device.selfTest.passMask = ~0x00000008u;   // SFM ID fails
    EXPECT_EQ(s.run(), kTestFailed);
    EXPECT_EQ(s.t().lamp, TestLamp::Yellow);
    for (auto [name, colour] : {std::pair{"CheckBox_RTC", Colour::Green}, {"CheckBox_FlashMemory", Colour::Red},
                                {"CheckBox_M_ID", Colour::Green}, {"CheckBox_G_ID", Colour::Green},
                                {"CheckBox_GPS_RMC", Colour::Green}, {"CheckBox_BATT", Colour::White},
                                {"CheckBox_KEY", Colour::White}, {"CheckBox_GPS_SNR", Colour::Window}})
        EXPECT_EQ(s.colour(name), colour) << name;
    EXPECT_EQ(s.p().selfTest.result & 0x3F, 0x33u);
    // The run saved the selection it sent.
    EXPECT_EQ(s.p().testConfig.test1, 0x3B);
}

TEST_F(TestRunTest, finishingStepsRunAfterFailuresToo)
{
    struct Row {
        const char* name;
        const char* fault;
        bool autoClear;
        bool autoOff;
        int code;
        Strings boxes;
        TestLamp lamp;
        Strings logs;
        bool connectedAfter;
    } rows[] = {
        {"start not acknowledged", "drop=0x13", false, true, kNoAck, {"BIT Timeout Error"}, TestLamp::Red,
         kSwitchedOff, false},
        {"no result", "nocompletion=0x13", true, true, kTimeOut, {"BIT timeout abort!"}, TestLamp::Red,
         Join({kCleared, kSwitchedOff}), false},
        {"result too short for the mask", "short=0x13", false, false, kTimeOut, {"BIT timeout abort!"},
         TestLamp::Red, {}, true},
        {"passed, power-off not acknowledged", "drop=0x40", false, true, kNoAck, {}, TestLamp::Green,
         {"Poweroff device...", "Device off failed!"}, true},
        {"passed, cleared", "", true, false, kOk, {}, TestLamp::Green, kCleared, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Station s;
        s.t().autoLogClear = row.autoClear;
        s.t().autoPoweroff = row.autoOff;
        s.fault(row.fault);
        EXPECT_EQ(s.run(), row.code);
        EXPECT_EQ(s.rig.host.boxes(), row.boxes);
        EXPECT_EQ(s.t().lamp, row.lamp);
        EXPECT_EQ(s.rig.host.logs(), row.logs);
        EXPECT_EQ(s.p().connected == 1, row.connectedAfter);
        EXPECT_TRUE(s.t().testEnabled);
        EXPECT_FALSE(s.rig.host.busyCursor);
        EXPECT_EQ(s.p().form.focusRequest, "BitBtn_connect");
    }
}

TEST_F(TestRunTest, refusedRunsSendNothing)
{
    struct Row {
        const char* name;
        std::function<void(Station&)> setUp;
        bool withLink;
        int code;
        const char* box;
        TestLamp lamp;
    } rows[] = {
        {"nothing selected", [](Station& s) { s.select({}); }, true, kRefused, "No check items selected!",
         TestLamp::Yellow},
        {"signal strength alone", [](Station& s) { s.select({}, true); }, true, kRefused,
         "No check items selected!", TestLamp::Yellow},
        {"threshold not an integer", [](Station& s) { s.t().gpsSnrMin = "4O"; }, true, kRefused,
         "'4O' is not a valid integer value", TestLamp::Yellow},
        {"battery range not an integer", [](Station& s) { s.t().battVary = "6x"; }, true, kRefused,
         "'6x' is not a valid integer value", TestLamp::Yellow},
        {"no link", [](Station&) {}, false, kNoLink, "Com Port Error!", TestLamp::Gray},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Station s(row.withLink);
        row.setUp(s);
        s.t().lamp = TestLamp::Yellow;   // left by an earlier run
        s.t().testEnabled = true;
        s.p().identity.serialNumber = 1234;
        EXPECT_EQ(s.run(), row.code);
        EXPECT_EQ(s.rig.host.boxes(), Strings{row.box});
        EXPECT_EQ(s.t().lamp, row.lamp);
        EXPECT_TRUE(s.requests().empty());
        EXPECT_TRUE(s.t().testEnabled);
        EXPECT_EQ(s.p().identity.serialNumber, 0);
        EXPECT_EQ(s.t().battRead, " ");
    }
}

TEST_F(TestRunTest, windowServedDuringTheSignalWaitCannotStartAnotherExchange)
{
    Station s;
    s.select({"RTC"}, true);
    int reentered = -1;
    s.rig.host.onPump = [&] {
        if (reentered == -1)
            reentered = BitBtn_TestClick(s.p());
    };
    EXPECT_EQ(s.run(), kOk);
    EXPECT_EQ(reentered, kNoLink);
    EXPECT_EQ(s.rig.host.boxes(), Strings{kLinkBusyText});
    EXPECT_EQ(s.requests(), (Keys{0x42, 0x13, 0x34, 0x41}));
    EXPECT_GE(s.rig.host.pumps, 60);   // about every 200 ms of the 15 s
}

TEST(TestItemGroups, eachLabelFlipsItsOwnStateAndSetsItsGroup)
{
    FakeHost host;
    Program p(host, [](const std::string&) { return std::unique_ptr<Transport>(); });
    auto checked = [&p] {
        Strings out;
        for (const TestItemBox& b : p.form.test.items)
            if (b.checked)
                out.push_back(b.caption);
        return out;
    };
    Label_PCBA_TestClick(p);   // starts on: the first click unchecks the six
    EXPECT_EQ(checked(), Strings{});
    Label_VIS_TESTClick(p);    // starts off: the first click checks the four
    EXPECT_EQ(checked(), (Strings{"BUZZER", "LCD+BK Lite", "VIBRATOR", "Touch Keys"}));
    Label_PCBA_TestClick(p);
    EXPECT_EQ(checked(), (Strings{"RTC", "SFM ID", "M-sensor ID", "G-sensor ID", "Battery", "GPS RMC", "BUZZER",
                                  "LCD+BK Lite", "VIBRATOR", "Touch Keys"}));
    Label_VIS_TESTClick(p);
    EXPECT_EQ(checked(), (Strings{"RTC", "SFM ID", "M-sensor ID", "G-sensor ID", "Battery", "GPS RMC"}));
}

} // namespace
