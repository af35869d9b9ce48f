#include "device/StationFollowUps.h"

#include <vector>

#include "program/Program.h"

namespace {

enum class Origin { CommandLine, Box, Key, Default, NoFile };

struct Step {
    const char* name;        // in the sentence
    const char* option;      // the command line's switch
    const char* key;         // in the configuration
    const char* box;         // the hidden box's caption
    long value;              // as loaded
    Origin origin;
};

Origin OriginOf(const Program& p, const std::optional<bool>& choice, bool keySet)
{
    const TestConfigOrigin& o = p.testConfigOrigin;
    if (choice)
        return Origin::CommandLine;
    if (!o.loaded)
        return Origin::Box;
    if (keySet)
        return Origin::Key;
    return o.file.empty() ? Origin::NoFile : Origin::Default;
}

std::vector<Step> StepsOn(const Program& p)
{
    std::vector<Step> steps;
    const TestConfigOrigin& o = p.testConfigOrigin;
    if (ClearFollows(p))
        steps.push_back({"auto clear", "--clear", "auto_log_clear", "auto log/trk/wpt clear",
                         long(p.testConfig.auto_log_clear), OriginOf(p, p.followUps.clear, o.autoLogClearSet)});
    if (PowerOffFollows(p))
        steps.push_back({"auto power-off", "--power-off", "auto_poweroff", "auto poweroff",
                         long(p.testConfig.auto_poweroff), OriginOf(p, p.followUps.powerOff, o.autoPoweroffSet)});
    return steps;
}

std::string Source(const Program& p, const std::vector<Step>& steps)
{
    const std::string path = p.testConfigOrigin.path();
    const bool shared = steps.size() == 2 && steps[0].origin == steps[1].origin;
    const Origin origin = steps[0].origin;
    if (shared && origin == Origin::Key)
        return std::string(steps[0].key) + "=" + std::to_string(steps[0].value) + " and " + steps[1].key + "=" +
               std::to_string(steps[1].value) + " in " + path;
    if (shared && origin == Origin::Box)
        return std::string("the \"") + steps[0].box + "\" and \"" + steps[1].box + "\" boxes";
    if (shared && (origin == Origin::Default || origin == Origin::NoFile))
        return std::string("the defaults of ") + steps[0].key + " and " + steps[1].key +
               (origin == Origin::NoFile ? " (no " + path + " was found)" : " (not set in " + path + ")");
    std::string text;
    for (const Step& s : steps) {
        text += text.empty() ? "" : "; ";
        switch (s.origin) {
        case Origin::CommandLine: text += s.option; break;
        case Origin::Box: text += std::string("the \"") + s.box + "\" box"; break;
        case Origin::Key: text += std::string(s.key) + "=" + std::to_string(s.value) + " in " + path; break;
        case Origin::Default: text += std::string("the default of ") + s.key + " (not set in " + path + ")"; break;
        case Origin::NoFile: text += std::string("the default of ") + s.key + " (no " + path + " was found)"; break;
        }
    }
    return text;
}

} // namespace

bool ClearFollows(const Program& p)
{
    return p.followUps.clear.value_or(p.form.test.autoLogClear);
}

bool PowerOffFollows(const Program& p)
{
    return p.followUps.powerOff.value_or(p.form.test.autoPoweroff);
}

std::string FollowUpsSource(const Program& p)
{
    const std::vector<Step> steps = StepsOn(p);
    if (steps.empty())
        return {};
    std::string names = steps[0].name;
    names[0] = char(names[0] - 'a' + 'A');
    if (steps.size() == 2)
        names += std::string(" and ") + steps[1].name;
    return names + (steps.size() == 2 ? " are on: " : " is on: ") + Source(p, steps);
}

void LogFollowUpsSource(Program& p)
{
    if (const std::string source = FollowUpsSource(p); !source.empty())
        p.host.logLine(source + ".");
}
