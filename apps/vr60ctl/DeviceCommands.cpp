// info, settings and factory-reset: the Connect button's sequence and the
// "Settings" page, run against a real or simulated logger.

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "CommandOptions.h"
#include "CtlCommand.h"
#include "program/Program.h"
#include "device/SettingsOperations.h"
#include "platform/PortTable.h"
#include "platform/ResultCode.h"

namespace {

using namespace SettingsItems;

std::string Upper(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    return s;
}

// One row per setting: its NAME in NAME=VALUE, its label in the printout, the box it
// sets and the items of that box.
struct SettingRow {
    const char* name;
    const char* label;
    int SettingsPage::*field;
    int count;
    int lowest;                       // -1: VALUE is an item's text (a blank as '-'), else the number lowest + index
    std::string (*item)(int index);   // as printed; none: the number
    bool extended;                    // only in the extended settings block
    const char* note = nullptr;       // after the values in --help
};

template <const auto& items>
std::string Item(int index)
{
    return items[index];
}

const SettingRow kSettingRows[] = {
    {"log", "LOGGING", &SettingsPage::logMode, int(std::size(kLog)), -1, Item<kLog>, false},
    {"min-speed", "MIN SPEED", &SettingsPage::minSpeed, kMinSpeedCount, 0, nullptr, false},
    {"unit", "UNIT", &SettingsPage::unit, int(std::size(kUnit)), -1, Item<kUnit>, false},
    {"gmt", "GMT", &SettingsPage::utcOffset, kUtcOffsetCount, -1, [](int i) { return std::string(UtcOffset(i)); },
     false, "(half hours)"},
    // "1 " and "2 " as the box has them.
    {"spd-avg", "SPD AVG", &SettingsPage::speedAvg, kSpeedAvgCount, 1, [](int i) { return std::string(SpeedAvg(i)); },
     true},
    {"spd-genie", "SPD GENIE", &SettingsPage::speedGenie, kSpeedGenieCount, 0, nullptr, true},
    {"action-spd", "ACTION SPD", &SettingsPage::actionSpeed, int(std::size(kActionSpeed)), -1, Item<kActionSpeed>, true},
    {"spd-font", "SPD FONT", &SettingsPage::speedFont, int(std::size(kSpeedFont)), -1, Item<kSpeedFont>, true},
};

const SettingRow* FindSetting(const std::string& name)
{
    for (const SettingRow& row : kSettingRows)
        if (name == row.name)
            return &row;
    return nullptr;
}

std::string Shown(const SettingRow& row, int index)
{
    if (index < 0 || index >= row.count)
        return "(none)";
    return row.item ? row.item(index) : std::to_string(row.lowest + index);
}

std::string Argument(std::string item)
{
    std::replace(item.begin(), item.end(), ' ', '-');
    return item;
}

// The item index of VALUE, or -1.
int IndexOf(const SettingRow& row, const std::string& value)
{
    if (row.lowest >= 0) {
        if (value.empty() || value.size() > 3 || !std::all_of(value.begin(), value.end(), ::isdigit))
            return -1;
        const int index = std::stoi(value) - row.lowest;
        return index >= 0 && index < row.count ? index : -1;
    }
    for (int i = 0; i < row.count; ++i)
        if (Upper(value) == Upper(row.item(i)) || Upper(value) == Upper(Argument(row.item(i))))
            return i;
    return -1;
}

// "name=A|B", "name=0..15", or for a long list its ends: "name=-12:00..+13:00".
std::string ValuesHelp(const SettingRow& row)
{
    if (row.lowest >= 0)
        return std::string(row.name) + "=" + std::to_string(row.lowest) + ".." + std::to_string(row.lowest + row.count - 1);
    if (row.count > 4)
        return std::string(row.name) + "=" + row.item(0) + ".." + row.item(row.count - 1);
    std::string items;
    for (int i = 0; i < row.count; ++i)
        items += (i ? "|" : "") + Argument(row.item(i));
    return std::string(row.name) + "=" + items;
}

// Only what the device reported (or was just sent): the extended fields only where it has them.
void PrintSettings(const Program& p)
{
    std::string missing;
    for (const SettingRow& row : kSettingRows) {
        if (row.extended && !p.extendedSettings)
            missing += (missing.empty() ? "" : ", ") + std::string(row.label);
        else
            std::printf("%-12s%s\n", row.label, Shown(row, p.form.settings.*row.field).c_str());
    }
    if (!missing.empty())
        std::printf("%s: not on this firmware (no extended block)\n", missing.c_str());
    const int language = p.form.unseen.language;
    std::printf("%-12s%s   (read only)\n", "LANGUAGE",
                language >= 0 && language < int(std::size(kLanguages)) ? kLanguages[language] : "(none)");
}

// The row of NAME=VALUE and the item index of VALUE; null after a message on bad input.
const SettingRow* ReadAssignment(const std::string& assignment, int* index)
{
    const size_t eq = assignment.find('=');
    const std::string name = assignment.substr(0, eq);
    const SettingRow* row = FindSetting(name);
    if (!row || eq == std::string::npos) {
        std::fprintf(stderr, "vr60ctl: unknown setting '%s' (see --help)\n", assignment.c_str());
        return nullptr;
    }
    const std::string value = assignment.substr(eq + 1);
    *index = IndexOf(*row, value);
    if (*index < 0) {
        std::fprintf(stderr, "vr60ctl: '%s' is not a value of %s (see --help)\n", value.c_str(), name.c_str());
        return nullptr;
    }
    return row;
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

std::string SettingsText()
{
    std::string values;
    for (const SettingRow& row : kSettingRows)
        values += (values.empty() ? "" : "  ") + ValuesHelp(row) + (row.note ? std::string("  ") + row.note : "");
    return "read the settings and print them; with assignments, write them first (the fields not named go back "
           "exactly as read):\n" +
           values;
}

std::string ExtendedSettingNames()
{
    std::string names;
    for (const SettingRow& row : kSettingRows)
        if (row.extended)
            names += (names.empty() ? "" : ", ") + std::string(row.name);
    return names;
}

std::vector<std::pair<std::string, std::vector<std::string>>> SettingValues()
{
    std::vector<std::pair<std::string, std::vector<std::string>>> settings;
    for (const SettingRow& row : kSettingRows) {
        std::vector<std::string> values;
        for (int i = 0; i < row.count; ++i)
            values.push_back(row.lowest >= 0 ? std::to_string(row.lowest + i) : Argument(row.item(i)));
        settings.emplace_back(row.name, values);
    }
    return settings;
}

int RunInfo(CtlContext& ctx, const CommandOptions&)
{
    return WithDevice(ctx, [&ctx](Program& p) {
        PrintIdentity(p, ctx.portLabel);
        return 0;
    });
}

int RunSettings(CtlContext& ctx, const CommandOptions& options)
{
    const Args& args = options.arguments();
    // Check every assignment before touching the device.
    std::vector<std::pair<const SettingRow*, int>> assignments;
    for (const std::string& a : args) {
        int index = -1;
        const SettingRow* row = ReadAssignment(a, &index);
        if (!row)
            return kUsageError;
        assignments.emplace_back(row, index);
    }
    return WithDevice(ctx, [&](Program& p) {
        // Nobody sees the values before a write here: a write on top of a failed read
        // would send defaults for every other field.
        if (p.settingsReadResult != 0) {
            std::fprintf(stderr, "vr60ctl: the settings could not be read from the device; nothing %s\n",
                         args.empty() ? "to show" : "was written");
            return int(p.settingsReadResult);
        }
        for (size_t i = 0; i < args.size(); ++i) {
            if (assignments[i].first->extended && !p.extendedSettings) {
                std::fprintf(stderr,
                             "vr60ctl: %s needs the extended settings block, which firmware \"%s\" does not "
                             "have; nothing was written\n",
                             args[i].c_str(), p.firmwareVersion);
                return int(kRefused);
            }
        }
        int result = 0;
        if (!args.empty()) {
            for (const auto& [row, index] : assignments)
                p.form.settings.*row->field = index;
            result = Button_Set_languageClick(p);
        }
        if (result == 0)
            PrintSettings(p);
        return result;
    });
}

int RunFactoryReset(CtlContext& ctx, const CommandOptions&)
{
    return WithDevice(ctx, Button_Factory_ResetClick);
}
