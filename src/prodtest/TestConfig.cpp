#include "prodtest/TestConfig.h"

#include "platform/ResultCode.h"

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <optional>

#include "basics/Text.h"
#include "platform/FileNameCase.h"
#include "prodtest/MinIni.h"
#include "program/Program.h"

namespace {

bool writeBack = true;   // a station's worker process shares the file with the other slots

// The numeric keys, in the order a save writes them, with the value a load falls back to.
struct NumberKey {
    const char* key;
    long fallback;
    int32_t TestConfig::*wide;    // the member, when it is 32 bits wide
    uint8_t TestConfig::*narrow;  // else this one
    bool afterConversion;         // saved only once both battery limits converted

    long get(const TestConfig& c) const { return wide ? long(c.*wide) : long(c.*narrow); }
    void set(TestConfig& c, long value) const
    {
        if (wide)
            c.*wide = int32_t(value);
        else
            c.*narrow = uint8_t(value);
    }
};

constexpr NumberKey kNumberKeys[] = {
    {"SNR", 40, nullptr, &TestConfig::SNR, false},
    {"test1", 255, &TestConfig::test1, nullptr, false},
    {"test2", 0, &TestConfig::test2, nullptr, false},
    {"test3", 0, &TestConfig::test3, nullptr, false},
    {"test4", 0, &TestConfig::test4, nullptr, false},
    {"sno", 999999999, &TestConfig::sno, nullptr, false},
    {"AUTO_INCREASED", 1, nullptr, &TestConfig::AUTO_INCREASED, false},
    {"auto_connect", 1, nullptr, &TestConfig::auto_connect, false},
    {"auto_poweroff", 1, nullptr, &TestConfig::auto_poweroff, false},
    {"auto_log_clear", 1, nullptr, &TestConfig::auto_log_clear, false},
    {"auto_log_clear_after_download", 0, nullptr, &TestConfig::auto_log_clear_after_download, false},
    {"TESTFUNCTION", 0, nullptr, &TestConfig::TESTFUNCTION, false},
    {"batt_base_volt", 423, &TestConfig::batt_base_volt, nullptr, true},
    {"batt_volt_range", 6, &TestConfig::batt_volt_range, nullptr, true},
};

std::string GetText(const std::string& file, const char* key, const char* def, int bufferSize)
{
    std::vector<char> buffer(size_t(bufferSize), '\0');
    IniGetString(kTestConfigSection, key, def, buffer.data(), bufferSize, file.c_str());
    return buffer.data();
}

long GetLong(const std::string& file, const char* key, long def)
{
    return IniGetLong(kTestConfigSection, key, def, file.c_str());
}

bool HasKey(const std::string& file, const char* key)
{
    char buffer[2];
    return IniGetString(kTestConfigSection, key, "", buffer, sizeof buffer, file.c_str()) > 0;
}

std::string CurrentFolder()
{
    std::error_code ec;
    return std::filesystem::current_path(ec).string();
}

std::string Joined(const std::vector<std::string>& names)
{
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text;
}

// Copies text into a fixed field, keeping at most keep characters.
template <size_t N>
void SetField(char (&field)[N], const std::string& text, size_t keep)
{
    const size_t n = std::min({text.size(), keep, N - 1});
    std::memcpy(field, text.data(), n);
    field[n] = '\0';
}

std::string NotAnInteger(const std::string& text)
{
    return "'" + text + "' is not a valid integer value";
}

} // namespace

std::string TestConfigFileName(std::vector<std::string>* otherCase)
{
    NameLookup lookup = FindNameIgnoringCase(".", kTestConfigFile);
    if (otherCase)
        *otherCase = std::move(lookup.otherCase);
    return lookup.name.empty() ? kTestConfigFile : lookup.name;
}

void ShowTestItems(Program& p, uint32_t mask)
{
    for (TestItemBox& b : p.form.test.items) {
        b.checked = (mask & ItemBit(b)) != 0;
        b.colour = b.checked ? Colour::Grey : Colour::White;
    }
}

uint32_t CollectTestItems(Program& p)
{
    uint32_t mask = 0;
    for (TestItemBox& b : p.form.test.items) {
        if (b.checked) {
            b.colour = Colour::Grey;
            mask |= ItemBit(b);
        } else {
            b.colour = Colour::White;
        }
    }
    return mask;
}

void LoadTestConfig(Program& p)
{
    TestConfigOrigin& origin = p.testConfigOrigin;
    origin = TestConfigOrigin();
    origin.loaded = true;
    origin.folder = CurrentFolder();
    const std::string file = TestConfigFileName(&origin.otherCase);
    std::error_code ec;
    if (std::filesystem::exists(file, ec))
        origin.file = file;
    if (!origin.otherCase.empty())
        p.host.logLine(std::string(kTestConfigFile) + " not found in " + origin.folder +
                       "; several files there differ from it only in letter case (" + Joined(origin.otherCase) +
                       "): none of them was read, the defaults apply.");
    else if (!origin.file.empty() && origin.file != kTestConfigFile)
        p.host.logLine("Read " + origin.path() + " as " + kTestConfigFile + " (the name differs only in letter case).");
    origin.autoLogClearSet = HasKey(file, "auto_log_clear");
    origin.autoPoweroffSet = HasKey(file, "auto_poweroff");

    TestConfig& c = p.testConfig;
    SetField(c.version, GetText(file, "version", "V0.1", 16), 15);
    for (const NumberKey& k : kNumberKeys)
        k.set(c, GetLong(file, k.key, k.fallback));
    TestPage& t = p.form.test;
    t.battStd = std::to_string(c.batt_base_volt);
    t.battVary = std::to_string(c.batt_volt_range);
    SetField(c.gps_version, GetText(file, "gps_version", "gps ver", 60), 59);
    SetField(c.ts_version, GetText(file, "ts_version", "1", 4), 3);

    ShowTestItems(p, uint32_t(c.test1));
    p.form.unseen.checkVersion = c.test2 != 0;
    if (TestItemBox* snr = t.find("CheckBox_GPS_SNR"))
        snr->checked = c.test3 != 0;
    t.gpsSnrMin = std::to_string(c.SNR);
    t.snoAutoIncrease = c.AUTO_INCREASED != 0;
    t.autoLogClear = c.auto_log_clear != 0;
    p.form.logData.autoClearAfterDownload = c.auto_log_clear_after_download != 0;
    t.autoPoweroff = c.auto_poweroff != 0;
    p.form.unseen.versionMatch = c.version;
    t.gpsVerExpect = c.gps_version;
    t.tsVerExpect = c.ts_version;
}

void KeepTestConfigFile(bool keep)
{
    writeBack = !keep;
}

ResultCode SaveTestConfig(Program& p, std::string* error)
{
    TestConfig& c = p.testConfig;
    TestPage& t = p.form.test;
    const LocalDateTime now = p.clock->localNow();
    const std::string stamp = FormatDateStamp(now, true) + " " + FormatTimeStamp(now, true);
    // Back into the file a load finds, so a copy named in other letter case is not left behind.
    // All keys reach it in one synced rewrite; after a failed write none do.
    const std::string file = TestConfigFileName();
    // A station's units run side by side: they read the file and leave it alone (not even
    // the working copy beside it, which all of them would share).
    std::optional<IniEdit> edit;
    if (writeBack)
        edit.emplace(file);
    auto putText = [&](const char* key, const std::string& value) {
        if (edit)
            edit->putString(kTestConfigSection, key, value.c_str());
    };
    auto putLong = [&](const char* key, long value) {
        if (edit)
            edit->putLong(kTestConfigSection, key, value);
    };

    c.test1 = int32_t(CollectTestItems(p));
    c.test2 = p.form.unseen.checkVersion ? 1 : 0;
    const TestItemBox* snrBox = t.find("CheckBox_GPS_SNR");
    c.test3 = snrBox && snrBox->checked ? 1 : 0;
    int32_t number = 0;
    if (!StrictInteger(t.gpsSnrMin, &number)) {
        if (error)
            *error = NotAnInteger(t.gpsSnrMin);
        return kRefused;
    }
    c.SNR = uint8_t(number);
    c.AUTO_INCREASED = t.snoAutoIncrease ? 1 : 0;
    c.auto_log_clear = t.autoLogClear ? 1 : 0;
    c.auto_log_clear_after_download = p.form.logData.autoClearAfterDownload ? 1 : 0;
    c.auto_poweroff = t.autoPoweroff ? 1 : 0;

    char timestamp[64];
    std::snprintf(timestamp, sizeof timestamp, "%s t1=%08xh", stamp.c_str(), uint32_t(c.test1));
    putText("timestamp", timestamp);

    SetField(c.version, p.form.unseen.versionMatch, 16);
    SetField(c.ts_version, t.tsVerExpect, 7);
    SetField(c.gps_version, t.gpsVerExpect, 63);
    putText("version", c.version);
    putText("gps_version", c.gps_version);
    putText("ts_version", c.ts_version);
    for (const NumberKey& k : kNumberKeys)
        if (!k.afterConversion)
            putLong(k.key, k.get(c));

    // Both battery limits are converted before either is written.
    int32_t baseVolt = 0;
    int32_t voltRange = 0;
    for (auto [text, value] : {std::pair{&t.battStd, &baseVolt}, std::pair{&t.battVary, &voltRange}}) {
        if (!StrictInteger(*text, value)) {
            if (error)
                *error = NotAnInteger(*text);
            if (edit)
                edit->commit();   // the keys before the battery limits stay written
            return kRefused;
        }
    }
    c.batt_base_volt = baseVolt;
    c.batt_volt_range = voltRange;
    for (const NumberKey& k : kNumberKeys)
        if (k.afterConversion)
            putLong(k.key, k.get(c));
    if (edit && !edit->commit()) {
        if (error)
            *error = "Writing " + file + " failed!";
        return kWriteFailed;
    }
    return kOk;
}

void StartUpTestConfig(Program& p)
{
    LoadTestConfig(p);
    p.form.unseen.checkVersion = false;   // the window hides and unticks the version check
    p.testConfig.TESTFUNCTION = uint8_t(p.testConfig.TESTFUNCTION % 10);
}
