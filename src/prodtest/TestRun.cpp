#include "prodtest/TestRun.h"

#include <cstdio>

#include "basics/Text.h"
#include "device/ControlCommands.h"
#include "device/StationFollowUps.h"
#include "link/Exchange.h"
#include "link/FrameEncoder.h"
#include "link/LinkBusyGuard.h"
#include "logdata/LogClear.h"
#include "platform/ByteOrder.h"
#include "platform/ResultCode.h"
#include "prodtest/TestConfig.h"
#include "program/Program.h"

namespace {

constexpr uint32_t kTouchKeysBit = 0x08000000;
constexpr uint32_t kBuzzerBit = 0x01000000;
constexpr uint32_t kLcdBit = 0x00010000;

constexpr uint8_t kSnrStart = 0x42;
constexpr uint8_t kSelfTestStart = 0x13;
constexpr uint8_t kSelfTestResult = 0x93;
constexpr uint8_t kBattery = 0x34;
constexpr uint8_t kBatteryAnswer = 0xB4;
constexpr uint8_t kSnrRead = 0x41;
constexpr uint8_t kSnrAnswer = 0xC1;
constexpr uint8_t kVersions = 0x43;
constexpr uint8_t kVersionsAnswer = 0xC3;

// What the run takes from the page once, before anything is sent.
struct RunInputs {
    bool snrCheck = false;
    int32_t snrMin = 0;
    int32_t abortSeconds = 0;
};

bool Checked(Program& p, const char* name)
{
    const TestItemBox* box = p.form.test.find(name);
    return box && box->checked;
}

std::string NotAnInteger(const std::string& text)
{
    return "'" + text + "' is not a valid integer value";
}

void StopWithBox(Program& p, const std::string& text)
{
    p.host.messageBox(text);
    p.selfTest.stopText = text;
}

// The unit did not answer: the wait ran out, or the port went away (a unit pulled
// out mid-test), which no time-out describes.
ResultCode NoAnswer(Program& p, const char* box, ResultCode code)
{
    const bool gone = LinkGone(p.link);
    StopWithBox(p, gone ? "Com Port Error!" : box);
    p.form.test.lamp = TestLamp::Red;
    return gone ? kNoLink : code;
}

int64_t NowMs(Program& p)
{
    return p.host.clockMicros() / 1000;
}

// The result wait from Edit_abort, floored at 6 s and capped at 600 s; both
// limits are written back into the box.
uint32_t ResultBudget(Program& p, int32_t seconds)
{
    if (seconds < kMinResultWaitSeconds) {
        seconds = kMinResultWaitSeconds;
        p.form.test.abortSeconds = std::to_string(seconds);
    } else if (seconds > kMaxResultWaitSeconds) {
        char line[96];
        std::snprintf(line, sizeof line, "Self-test result wait limited to %d s (asked for %d s).",
                      kMaxResultWaitSeconds, int(seconds));
        p.host.logLine(line);
        seconds = kMaxResultWaitSeconds;
        p.form.test.abortSeconds = std::to_string(seconds);
    }
    return uint32_t(seconds) * 1000;
}

void ReadBattery(Program& p, SerialLink* link)
{
    SelfTestRecord& r = p.selfTest;
    const Reply reply = Exchange(p.link, link, Request::Command(kBattery), kBatteryAnswer, 1500, 2);
    if (reply.ok())
        r.battery = Le16(reply.data);
    p.form.test.battRead = std::to_string(r.battery);
    const int64_t base = p.testConfig.batt_base_volt;
    const int64_t range = p.testConfig.batt_volt_range;
    if (r.battery >= base - range && r.battery <= base + range)
        r.result |= kBatteryBit;
    else
        r.result &= ~kBatteryBit;
}

void ReadSignalStrength(Program& p, SerialLink* link, const RunInputs& in, int64_t measurementStartMs)
{
    SelfTestRecord& r = p.selfTest;
    TestPage& t = p.form.test;
    // The receiver needs the whole measurement time; the window stays served
    // meanwhile, and the busy guard keeps other link operations out.
    for (int64_t elapsed = NowMs(p) - measurementStartMs; elapsed < kSnrMeasurementMs && !StopRequested(p.link);
         elapsed = NowMs(p) - measurementStartMs)
        SleepPumping(p.link, int(kSnrMeasurementMs - elapsed));
    const Reply reply = Exchange(p.link, link, Request::Command(kSnrRead), kSnrAnswer, 1500, 2);
    if (reply.ok()) {
        r.maxSnr = reply.data[0];
        r.maxSnrSatellite = reply.data[1];
    }
    t.gpsSnrRead = std::to_string(r.maxSnr);
    t.maxSnrSid = std::to_string(r.maxSnrSatellite);
    TestItemBox* box = t.find("CheckBox_GPS_SNR");
    if (r.maxSnr >= in.snrMin) {
        if (box)
            box->colour = Colour::Green;
        r.result |= kGpsSnrBit;
    } else {
        if (box)
            box->colour = Colour::Red;
        r.result &= ~kGpsSnrBit;
    }
}

void ReadVersions(Program& p, SerialLink* link)
{
    SelfTestRecord& r = p.selfTest;
    TestPage& t = p.form.test;
    const bool gpsRmc = Checked(p, "CheckBox_GPS_RMC");
    t.gpsVerReadColour = t.tsVerReadColour = Colour::Yellow;
    const Reply reply = Exchange(p.link, link, Request::Command(kVersions), kVersionsAnswer, 1500);
    if (!reply.ok())
        return;
    const std::string text = TextFromPayload(reply.data, reply.dataBytes, reply.dataBytes);
    SplitVersionText(text.c_str(), r.tsVersion, sizeof r.tsVersion, r.gpsVersion, sizeof r.gpsVersion);
    r.versionsRead = true;
    t.gpsVerRead = r.gpsVersion;
    t.tsVerRead = r.tsVersion;
    // Case-sensitive; an empty expected text is found everywhere.
    if (gpsRmc)
        t.gpsVerReadColour = t.gpsVerRead.find(t.gpsVerExpect) != std::string::npos ? Colour::Green : Colour::Red;
    t.tsVerReadColour = t.tsVerRead.find(t.tsVerExpect) != std::string::npos ? Colour::Green : Colour::Red;
}

// From the start of the self test to the verdict: kOk, kTestFailed, or the
// code of the step that got no answer (the result picture is then red).
ResultCode StartAndJudge(Program& p, SerialLink* link, const RunInputs& in, int64_t measurementStartMs)
{
    SelfTestRecord& r = p.selfTest;
    TestPage& t = p.form.test;
    const uint32_t selection = r.selection;

    uint8_t mask[4];
    PutLe32(mask, selection);
    const Reply started = Exchange(p.link, link, Request::Frame(kSelfTestStart, mask, sizeof mask), kAck, 2500);
    r.started = started.sent;
    if (started.stopped())
        return kInterrupted;
    if (!started.ok())
        return NoAnswer(p, "BIT Timeout Error", kNoAck);

    // Time for the items that need a person.
    if (selection & kTouchKeysBit)
        SleepPumping(p.link, 6000);
    if (selection & kBuzzerBit)
        SleepPumping(p.link, 2000);
    if (selection & kLcdBit)
        SleepPumping(p.link, 4000);

    // A result too short to hold the mask is no result.
    const Reply result = AwaitReply(p.link, link, kSelfTestResult, ResultBudget(p, in.abortSeconds), 4);
    if (result.stopped())
        return kInterrupted;
    if (!result.ok())
        return NoAnswer(p, "BIT timeout abort!", kTimeOut);
    r.result = Le32(result.data);

    ReadBattery(p, link);
    t.gpsSnrRead = t.maxSnrSid = " ";
    if (in.snrCheck)
        ReadSignalStrength(p, link, in, measurementStartMs);
    if (Checked(p, "CheckBox_GPS_RMC") || Checked(p, "CheckBox_KEY"))
        ReadVersions(p, link);
    // Readings cut short by a stop or a unit pulled out judge nothing.
    if (StopRequested(p.link))
        return kInterrupted;
    if (LinkGone(p.link))
        return NoAnswer(p, "Com Port Error!", kNoLink);

    const bool passed = (selection & r.result) == selection;
    t.lamp = passed ? TestLamp::Green : TestLamp::Yellow;
    for (TestItemBox& box : t.items) {
        const uint32_t bit = ItemBit(box);
        if (box.visible && (selection & bit) != 0)
            box.colour = (r.result & bit) != 0 ? Colour::Green : Colour::Red;
    }
    return passed ? kOk : kTestFailed;
}

FollowUpStep StepOf(ResultCode code)
{
    return code == kOk ? FollowUpStep::Done : code == kInterrupted ? FollowUpStep::Stopped : FollowUpStep::Failed;
}

// The configured clear and power-off, each noted in the run's record; nothing is sent
// once a stop came or the port went away. kOk, or the code of the first step that did
// not succeed.
ResultCode RunFollowUps(Program& p)
{
    SelfTestRecord& r = p.selfTest;
    r.clear = ClearFollows(p) ? FollowUpStep::Skipped : FollowUpStep::NotDue;
    r.powerOff = PowerOffFollows(p) ? FollowUpStep::Skipped : FollowUpStep::NotDue;
    if (StopRequested(p.link))
        return kInterrupted;
    if (r.clear == FollowUpStep::NotDue && r.powerOff == FollowUpStep::NotDue)
        return kOk;
    if (LinkGone(p.link)) {
        p.host.logLine("The port went away: no auto clear or power-off was sent.");
        return kNoLink;
    }
    LogFollowUpsSource(p);
    ResultCode finishing = kOk;
    if (r.clear == FollowUpStep::Skipped) {
        finishing = Button_clearlogClick(p);
        r.clear = StepOf(finishing);
    }
    if (r.powerOff == FollowUpStep::Skipped && !StopRequested(p.link)) {
        const ResultCode off = Button_Power_OffClick(p);
        r.powerOff = StepOf(off);
        if (finishing == kOk)
            finishing = off;
    }
    return finishing;
}

} // namespace

ResultCode BitBtn_TestClick(Program& p)
{
    LinkBusyGuard guard(p.link);
    if (!guard.acquired())
        return kNoLink;
    TestPage& t = p.form.test;
    SelfTestRecord& r = p.selfTest;

    r = SelfTestRecord();
    r.serialShown = p.form.settings.currentSno;
    p.identity.serialNumber = 0;
    t.battRead = t.gpsVerRead = t.tsVerRead = t.gpsSnrRead = t.maxSnrSid = " ";

    uint32_t selection = CollectTestItems(p);
    std::string error;
    // Nothing is sent to the device when its configuration cannot be recorded.
    if (const ResultCode saved = SaveTestConfig(p, &error); saved != kOk) {
        StopWithBox(p, error);
        return saved;
    }
    RunInputs in;
    // The save has checked the threshold's text.
    StrictInteger(t.gpsSnrMin, &in.snrMin);
    if (!StrictInteger(t.abortSeconds, &in.abortSeconds)) {
        StopWithBox(p, NotAnInteger(t.abortSeconds));
        return kRefused;
    }
    if (selection == 0) {
        StopWithBox(p, "No check items selected!");
        return kRefused;
    }
    t.lamp = TestLamp::Gray;
    t.gpsVerReadColour = t.tsVerReadColour = Colour::White;
    SerialLink* link = guard.linkOr("Com Port Error!");
    if (!link) {
        r.stopText = "Com Port Error!";
        return kNoLink;
    }

    t.testEnabled = false;
    RingClear(link);
    if (link->port)
        link->port->abortReads();
    RingClear(link);
    TestItemBox* snrBox = t.find("CheckBox_GPS_SNR");
    if (snrBox)
        snrBox->colour = Colour::Window;
    in.snrCheck = snrBox && snrBox->checked;

    int64_t measurementStartMs = 0;
    if (in.snrCheck) {
        selection |= kGpsSnrBit;
        Exchange(p.link, link, Request::Command(kSnrStart), kAck, 500);
        measurementStartMs = NowMs(p);
    }
    r.selection = selection;

    p.host.setBusyCursor(true);
    const ResultCode verdict = StartAndJudge(p, link, in, measurementStartMs);
    // Also after a failed start or a missing result, but never after a stop.
    const ResultCode finishing = verdict == kInterrupted ? kOk : RunFollowUps(p);
    // A run stopped before its start request went out tested nothing: it leaves no record.
    if (p.storage && (r.started || verdict != kInterrupted))
        p.storage->selfTestJudged(p, verdict);
    p.host.setBusyCursor(false);
    t.testEnabled = true;
    if (verdict == kInterrupted)
        return kInterrupted;
    p.form.focusRequest = "BitBtn_connect";
    return verdict == kOk ? finishing : verdict;
}
