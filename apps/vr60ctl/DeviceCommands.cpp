// info, settings and factory-reset: the Connect button's sequence and the
// "Settings" page, run against a real or simulated logger.

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>

#include "CtlCommand.h"
#include "program/Program.h"
#include "device/SettingsOperations.h"
#include "platform/PortTable.h"
#include "platform/ResultCode.h"

namespace {

std::string Upper(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    return s;
}

const char* ItemText(const char* const* items, int count, int index)
{
    return index >= 0 && index < count ? items[index] : "(none)";
}

std::string NumberItem(int index, int offset, int count)
{
    return index >= 0 && index < count ? std::to_string(index + offset) : "(none)";
}

// Only what the device reported (or was just sent): the extended fields only where it has them.
void PrintSettings(const Program& p)
{
    using namespace SettingsItems;
    const FormState& f = p.form;
    std::printf("LOGGING     %s\n", ItemText(kLog, 2, f.settings.logMode));
    std::printf("MIN SPEED   %s\n", NumberItem(f.settings.minSpeed, 0, kMinSpeedCount).c_str());
    std::printf("UNIT        %s\n", ItemText(kUnit, 3, f.settings.unit));
    std::printf("GMT         %s\n", f.settings.utcOffset >= 0 && f.settings.utcOffset < kUtcOffsetCount ? UtcOffset(f.settings.utcOffset) : "(none)");
    if (p.extendedSettings) {
        std::printf("SPD AVG     %s\n", f.settings.speedAvg >= 0 && f.settings.speedAvg < kSpeedAvgCount ? SpeedAvg(f.settings.speedAvg) : "(none)");
        std::printf("SPD GENIE   %s\n", NumberItem(f.settings.speedGenie, 0, kSpeedGenieCount).c_str());
        std::printf("ACTION SPD  %s\n", ItemText(kActionSpeed, 2, f.settings.actionSpeed));
        std::printf("SPD FONT    %s\n", ItemText(kSpeedFont, 2, f.settings.speedFont));
    } else {
        std::printf("SPD AVG, SPD GENIE, ACTION SPD, SPD FONT: not on this firmware (no extended block)\n");
    }
    std::printf("LANGUAGE    %s   (read only)\n", ItemText(kLanguages, 10, f.unseen.language));
}

bool IsExtendedSetting(const std::string& assignment)
{
    const std::string name = assignment.substr(0, assignment.find('='));
    return name == "spd-avg" || name == "spd-genie" || name == "action-spd" || name == "spd-font";
}

int IndexOfText(const char* const* items, int count, const std::string& value)
{
    for (int i = 0; i < count; ++i)
        if (Upper(items[i]) == Upper(value))
            return i;
    return -1;
}

int IndexOfNumber(const std::string& value, int lowest, int highest)
{
    if (value.empty() || value.size() > 3 || !std::all_of(value.begin(), value.end(), ::isdigit))
        return -1;
    const int n = std::stoi(value);
    return n >= lowest && n <= highest ? n - lowest : -1;
}

// Applies NAME=VALUE to the settings controls; false with a message on bad input.
bool ApplySetting(FormState& f, const std::string& assignment)
{
    using namespace SettingsItems;
    const size_t eq = assignment.find('=');
    const std::string name = assignment.substr(0, eq);
    const std::string value = eq == std::string::npos ? std::string() : assignment.substr(eq + 1);
    int index = -1;
    int* field = nullptr;
    if (name == "log") {
        index = IndexOfText(kLog, 2, value);
        field = &f.settings.logMode;
    } else if (name == "min-speed") {
        index = IndexOfNumber(value, 0, 15);
        field = &f.settings.minSpeed;
    } else if (name == "unit") {
        index = IndexOfText(kUnit, 3, value);
        field = &f.settings.unit;
    } else if (name == "gmt") {
        for (int i = 0; i < kUtcOffsetCount; ++i)
            if (value == UtcOffset(i))
                index = i;
        field = &f.settings.utcOffset;
    } else if (name == "spd-avg") {
        index = IndexOfNumber(value, 1, 60);
        field = &f.settings.speedAvg;
    } else if (name == "spd-genie") {
        index = IndexOfNumber(value, 0, 31);
        field = &f.settings.speedGenie;
    } else if (name == "action-spd") {
        std::string v = Upper(value);
        std::replace(v.begin(), v.end(), '-', ' ');
        index = IndexOfText(kActionSpeed, 2, v);
        field = &f.settings.actionSpeed;
    } else if (name == "spd-font") {
        index = IndexOfText(kSpeedFont, 2, value);
        field = &f.settings.speedFont;
    }
    if (!field || eq == std::string::npos) {
        std::fprintf(stderr, "vr60ctl: unknown setting '%s' (see --help)\n", assignment.c_str());
        return false;
    }
    if (index < 0) {
        std::fprintf(stderr, "vr60ctl: '%s' is not a value of %s (see --help)\n", value.c_str(), name.c_str());
        return false;
    }
    *field = index;
    return true;
}

void PrintIdentity(const Program& p, const std::string& port)
{
    const FormState& f = p.form;
    std::printf("Port            %s\n", port.c_str());
    std::printf("Firmware        %s\n", p.firmwareVersion);
    std::printf("GPS version     %s\n", f.settings.gpsVersion.c_str());
    std::printf("Serial number   %s\n", f.settings.currentSno.c_str());
    std::printf("User name       %s\n", f.settings.username.c_str());
    std::printf("Points logged   %s\n", f.logData.pointsLogged.c_str());
    std::printf("Maximum points  %s\n", f.logData.maximumPoints.c_str());
    std::printf("Log file        %s\n", f.logData.logFileName.c_str());
    std::printf("Window caption  %s\n", f.connection.windowCaption.c_str());
}

} // namespace

int RunInfo(CtlContext& ctx, const Args& args)
{
    if (const int bad = NoArguments("info", args))
        return bad;
    return WithDevice(ctx, [&ctx](Program& p) {
        PrintIdentity(p, ctx.portLabel);
        return 0;
    });
}

int RunSettings(CtlContext& ctx, const Args& args)
{
    // Check every assignment before touching the device.
    FormState check;
    for (const std::string& a : args)
        if (!ApplySetting(check, a))
            return 2;
    return WithDevice(ctx, [&](Program& p) {
        // Nobody sees the values before a write here: a write on top of a failed read
        // would send defaults for every other field.
        if (p.settingsReadResult != 0) {
            std::fprintf(stderr, "vr60ctl: the settings could not be read from the device; nothing %s\n",
                         args.empty() ? "to show" : "was written");
            return int(p.settingsReadResult);
        }
        for (const std::string& a : args) {
            if (IsExtendedSetting(a) && !p.extendedSettings) {
                std::fprintf(stderr,
                             "vr60ctl: %s needs the extended settings block, which firmware \"%s\" does not "
                             "have; nothing was written\n",
                             a.c_str(), p.firmwareVersion);
                return int(kRefused);
            }
        }
        int result = 0;
        if (!args.empty()) {
            for (const std::string& a : args)
                ApplySetting(p.form, a);
            result = Button_Set_languageClick(p);
        }
        if (result == 0)
            PrintSettings(p);
        return result;
    });
}

int RunFactoryReset(CtlContext& ctx, const Args& args)
{
    if (const int bad = NoArguments("factory-reset", args))
        return bad;
    return WithDevice(ctx, Button_Factory_ResetClick);
}
