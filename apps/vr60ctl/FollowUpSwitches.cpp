// serial and selftest: the production station's clear and power-off that follow
// them, switched for one run and announced before anything is sent.

#include <cstdio>
#include <string>

#include "CommandOptions.h"
#include "CtlCommand.h"
#include "device/StationFollowUps.h"
#include "program/Program.h"

std::vector<CommandOption> FollowUpOptions()
{
    return {{"clear", nullptr, nullptr, "run the full clear (log, track slots, waypoints) after it"},
            {"no-clear", nullptr, nullptr, "skip the clear", "auto_log_clear in ./VR60Test.ini (on when missing)"},
            {"power-off", nullptr, nullptr, "switch the device off after it"},
            {"no-power-off", nullptr, nullptr, "leave it on", "auto_poweroff in ./VR60Test.ini (on when missing)"}};
}

int TakeFollowUps(const CommandOptions& options, FollowUpChoice* choice)
{
    if (const int bad = options.pair("clear", "no-clear", &choice->clear))
        return bad;
    return options.pair("power-off", "no-power-off", &choice->powerOff);
}

void AnnounceFollowUps(const Program& p, const char* after)
{
    const std::string source = FollowUpsSource(p);
    if (source.empty())
        return;
    const bool clear = ClearFollows(p);
    const bool off = PowerOffFollows(p);
    std::string effects = clear ? "the log, the track slots and the waypoints are erased" : "";
    if (off)
        effects += std::string(clear ? " and " : "") + "the device is switched off";
    // Only what the configuration turned on can be skipped; what the command line asked for stays.
    const bool skipClear = clear && !p.followUps.clear;
    const bool skipOff = off && !p.followUps.powerOff;
    std::string hint;
    if (skipClear && skipOff)
        hint = " (--no-clear and --no-power-off skip them)";
    else if (skipClear || skipOff)
        hint = std::string(" (") + (skipClear ? "--no-clear" : "--no-power-off") + " skips it)";
    std::printf("%s; after %s, %s%s\n", source.c_str(), after, effects.c_str(), hint.c_str());
    std::fflush(stdout);
}
