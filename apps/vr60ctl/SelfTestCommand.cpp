// selftest: the Test page's "Start " with the configuration of "VR60Test.ini",
// as a test station scripts it.

#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstdio>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "CommandOptions.h"
#include "CtlCommand.h"
#include "StationWorker.h"
#include "basics/Text.h"
#include "platform/ResultCode.h"
#include "program/Program.h"
#include "prodtest/TestConfig.h"
#include "prodtest/TestRun.h"

namespace {

// "LCD+BK Lite" -> "lcd+bk-lite".
std::string ItemArgument(const std::string& caption)
{
    std::string name = caption;
    for (char& c : name)
        c = c == ' ' ? '-' : char(std::tolower(static_cast<unsigned char>(c)));
    return name;
}

// The items an operator can select: shown and standing for a bit.
bool Selectable(const TestItemBox& box)
{
    return box.visible && ItemBit(box) != 0;
}

std::string ItemNames()
{
    std::string names;
    for (const std::string& name : SelfTestItemNames())
        names += (names.empty() ? "" : ",") + name;
    return names;
}

// Checks exactly the listed items; false with a message for an unknown one.
bool SelectItems(Program& p, const std::string& list)
{
    const std::vector<std::string> parts = SplitText(list, ',');
    const std::set<std::string> wanted(parts.begin(), parts.end());
    for (const std::string& name : wanted) {
        const auto& items = p.form.test.items;
        const bool known = std::any_of(items.begin(), items.end(), [&](const TestItemBox& box) {
            return Selectable(box) && ItemArgument(box.caption) == name;
        });
        if (!known) {
            std::fprintf(stderr, "vr60ctl: '%s' is not a test item; items: %s\n", name.c_str(), ItemNames().c_str());
            return false;
        }
    }
    for (TestItemBox& box : p.form.test.items)
        if (ItemBit(box) != 0)
            box.checked = Selectable(box) && wanted.count(ItemArgument(box.caption)) != 0;
    return true;
}

const char* Verdict(bool passed)
{
    return passed ? "passed" : "failed";
}

const char* VersionVerdict(Colour colour, bool read)
{
    switch (colour) {
    case Colour::Green: return "matches";
    case Colour::Red: return "does not match";
    default: return read ? "not checked" : "no answer";
    }
}

void PrintVerdicts(const Program& p, bool snrCheck)
{
    const SelfTestRecord& r = p.selfTest;
    const TestPage& t = p.form.test;
    const TestConfig& c = p.testConfig;
    for (const TestItemBox& box : t.items)
        if (box.visible && (r.selection & ItemBit(box)) != 0)
            std::printf("%-16s%s\n", box.caption.c_str(), Verdict((r.result & ItemBit(box)) != 0));
    if (snrCheck)
        std::printf("%-16s%s\n", "GPS SNR", Verdict((r.result & kGpsSnrBit) != 0));
    std::printf("%-16s%s (0.01 V), window %ld..%ld\n", "Battery", t.battRead.c_str(),
                long(c.batt_base_volt) - c.batt_volt_range, long(c.batt_base_volt) + c.batt_volt_range);
    if (snrCheck)
        std::printf("%-16s%s, satellite %s, threshold %s\n", "GPS SNR read", t.gpsSnrRead.c_str(),
                    t.maxSnrSid.c_str(), t.gpsSnrMin.c_str());
    if (t.tsVerReadColour != Colour::White) {
        std::printf("%-16s\"%s\" %s \"%s\"\n", "TS version", r.tsVersion,
                    VersionVerdict(t.tsVerReadColour, r.versionsRead), t.tsVerExpect.c_str());
        std::printf("%-16s\"%s\" %s \"%s\"\n", "GPS version", r.gpsVersion,
                    VersionVerdict(t.gpsVerReadColour, r.versionsRead), t.gpsVerExpect.c_str());
    }
}

// After a stop that came once the verdict was in: which follow-up it cut short or kept back.
std::string StopNote(const SelfTestRecord& r)
{
    const std::pair<FollowUpStep, const char*> steps[] = {{r.clear, "auto clear"}, {r.powerOff, "auto power-off"}};
    for (const auto& [step, name] : steps) {
        if (step == FollowUpStep::Stopped)
            return std::string(", then the ") + name + " was stopped";
        if (step == FollowUpStep::Skipped)
            return std::string(", then stopped before the ") + name + " was sent";
    }
    return {};
}

} // namespace

std::vector<std::string> SelfTestItemNames()
{
    std::vector<std::string> names;
    for (const TestItemBox& box : TestPage().items)
        if (Selectable(box))
            names.push_back(ItemArgument(box.caption));
    return names;
}

int RunSelfTest(CtlContext& ctx, const CommandOptions& options)
{
    Program& p = ctx.program;
    std::optional<bool> snr;
    if (const int bad = options.pair("snr", "no-snr", &snr))
        return bad;
    if (const int bad = TakeFollowUps(options, &p.followUps))
        return bad;
    // As the window has it when its Test page is used.
    StartUpTestConfig(p);
    if (options.isSet("items") && !SelectItems(p, options.value("items")))
        return kUsageError;
    TestItemBox* snrBox = p.form.test.find("CheckBox_GPS_SNR");
    if (snr && snrBox)
        snrBox->checked = *snr;
    AnnounceFollowUps(p, "the self test, whatever its verdict");

    // A station's slot: the unit's progress goes to the station in lines of its own, and the
    // configuration, shared with the other slots, is not written back.
    const bool worker = options.isSet("station-slot");
    if (worker && !StartStationWorker(p, options.value("station-slot")))
        return kUsageError;
    bool ran = false;
    const int result = WithDevice(ctx, [&](Program& q) {
        ran = true;
        if (worker)
            TellStationTheUnit(q);
        return BitBtn_TestClick(q);
    });
    if (worker)
        TellStationTheResult(p, ran, result);

    const SelfTestRecord& r = p.selfTest;
    const TestLamp lamp = p.form.test.lamp;
    if (lamp == TestLamp::Green || lamp == TestLamp::Yellow) {
        PrintVerdicts(p, (r.selection & kGpsSnrBit) != 0);
        std::printf("%-16s%s%s\n", "Result", lamp == TestLamp::Green ? "PASS" : "FAIL",
                    result == kInterrupted ? StopNote(r).c_str() : "");
    } else if (!r.stopText.empty()) {
        std::printf("%-16s%s\n", "Result", r.stopText.c_str());
    }
    return result;
}
