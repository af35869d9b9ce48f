// "VR60Test.ini": defaults, loading into the record and the Test page, the
// file found in other letter case, what a save writes in which order, and what
// the follow-ups of a run say about where they come from.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "basics/Text.h"
#include "device/StationFollowUps.h"
#include "prodtest/MinIni.h"
#include "prodtest/TestConfig.h"
#include "program/Program.h"
#include "support/FakeHost.h"
#include "support/Files.h"
#include "support/WorkingFolder.h"

namespace fs = std::filesystem;

namespace {

class TestConfigTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        program = std::make_unique<Program>(host, [](const std::string&) { return std::unique_ptr<Transport>(); });
    }
    void write(const std::string& text) { std::ofstream(kTestConfigFile, std::ios::binary) << text; }
    std::string read() const
    {
        std::ifstream in(kTestConfigFile, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static std::string ReadAll(const std::string& name)
    {
        std::ifstream in(name, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::vector<std::string> keys() const
    {
        std::vector<std::string> out;
        std::istringstream in(read());
        for (std::string line; std::getline(in, line);)
            if (line.find('=') != std::string::npos)
                out.push_back(line.substr(0, line.find('=')));
        return out;
    }
    std::vector<std::string> checkedCaptions() const
    {
        std::vector<std::string> out;
        for (const TestItemBox& b : program->form.test.items)
            if (b.checked)
                out.push_back(b.caption);
        return out;
    }

    ScratchDir scratch;
    WorkingFolder folder{scratch.path};
    const fs::path& dir = scratch.path;
    FakeHost host;
    std::unique_ptr<Program> program;
};

TEST_F(TestConfigTest, missingFileGivesTheDefaults)
{
    LoadTestConfig(*program);
    const TestConfig& c = program->testConfig;
    EXPECT_EQ(checkedCaptions(), (std::vector<std::string>{"RTC", "SFM ID", "M-sensor ID", "G-sensor ID", "GPS RMC"}));
    EXPECT_EQ(program->form.test.gpsSnrMin, "40");
    EXPECT_EQ(program->form.test.battStd, "423");
    EXPECT_EQ(program->form.test.battVary, "6");
    EXPECT_EQ(program->form.test.gpsVerExpect, "gps ver");
    EXPECT_EQ(program->form.test.tsVerExpect, "1");
    EXPECT_EQ(program->form.unseen.versionMatch, "V0.1");
    EXPECT_FALSE(program->form.logData.autoClearAfterDownload);
    EXPECT_TRUE(program->form.test.autoLogClear);
    EXPECT_TRUE(program->form.test.autoPoweroff);
    EXPECT_EQ(c.test1, 255);
    EXPECT_EQ(c.sno, 999999999);
    EXPECT_EQ(program->form.test.find("CheckBox_RTC")->colour, Colour::Grey);
    EXPECT_EQ(program->form.test.find("CheckBox_BATT")->colour, Colour::White);
    EXPECT_FALSE(fs::exists(kTestConfigFile));
}

TEST_F(TestConfigTest, storedValuesAreCutToTheirFields)
{
    write("[VR60TEST]\ntest1=67108864\nSNR=300\nts_version=abcde\nAUTO_INCREASED=256\n"
          "version=V1234567890123456789\nauto_log_clear_after_download=1\ntest3=5\n");
    LoadTestConfig(*program);
    EXPECT_EQ(checkedCaptions(), (std::vector<std::string>{"Battery", "GPS SNR"}));
    EXPECT_EQ(program->testConfig.SNR, 44);
    EXPECT_EQ(program->form.test.gpsSnrMin, "44");
    EXPECT_STREQ(program->testConfig.ts_version, "abc");
    EXPECT_EQ(program->testConfig.AUTO_INCREASED, 0);
    EXPECT_FALSE(program->form.test.snoAutoIncrease);
    EXPECT_STREQ(program->testConfig.version, "V12345678901234");
    EXPECT_TRUE(program->form.logData.autoClearAfterDownload);
}

TEST_F(TestConfigTest, firstSaveWritesTheKeysInTheirOrder)
{
    LoadTestConfig(*program);
    std::string error;
    ASSERT_EQ(SaveTestConfig(*program, &error), kOk) << error;
    EXPECT_EQ(keys(), (std::vector<std::string>{"timestamp", "version", "gps_version", "ts_version", "SNR", "test1",
                                                "test2", "test3", "test4", "sno", "AUTO_INCREASED", "auto_connect",
                                                "auto_poweroff", "auto_log_clear", "auto_log_clear_after_download",
                                                "TESTFUNCTION", "batt_base_volt", "batt_volt_range"}));
    EXPECT_EQ(read().rfind("[VR60TEST]\r\ntimestamp=", 0), 0u);
    // Items without a bit do not survive: 255 comes back as the five items' bits.
    EXPECT_EQ(IniGetLong("VR60TEST", "test1", 0, kTestConfigFile), 0x3B);
    char stamp[64];
    IniGetString("VR60TEST", "timestamp", "", stamp, sizeof stamp, kTestConfigFile);
    EXPECT_EQ(std::string(stamp).substr(19), " t1=0000003bh");

    ASSERT_EQ(SaveTestConfig(*program, &error), kOk);
    const std::vector<std::string> again = keys();
    EXPECT_EQ(std::count(again.begin(), again.end(), "timestamp"), 1);
    EXPECT_EQ(again.size(), 18u);
}

TEST_F(TestConfigTest, controlsGoBackIntoTheFile)
{
    LoadTestConfig(*program);
    program->form.test.find("CheckBox_KEY")->checked = true;
    program->form.test.find("CheckBox_RTC")->checked = false;
    program->form.test.gpsSnrMin = "300";
    program->form.test.tsVerExpect = "123456789";
    program->form.logData.autoClearAfterDownload = true;
    program->form.unseen.checkVersion = true;
    std::string error;
    ASSERT_EQ(SaveTestConfig(*program, &error), kOk);
    EXPECT_EQ(IniGetLong("VR60TEST", "test1", 0, kTestConfigFile), 0x0800001B);
    EXPECT_EQ(IniGetLong("VR60TEST", "SNR", 0, kTestConfigFile), 44);
    EXPECT_EQ(IniGetLong("VR60TEST", "test2", 0, kTestConfigFile), 1);
    EXPECT_EQ(IniGetLong("VR60TEST", "auto_log_clear_after_download", 0, kTestConfigFile), 1);
    char text[16];
    IniGetString("VR60TEST", "ts_version", "", text, sizeof text, kTestConfigFile);
    EXPECT_STREQ(text, "1234567");
}

TEST_F(TestConfigTest, hiddenItemsWithoutBitsGiveAnEmptyMask)
{
    for (TestItemBox& b : program->form.test.items)
        b.checked = b.name == "CheckBox_GYRO_ID" || b.name == "CheckBox_HRM" || b.name == "CheckBox_TTFF";
    EXPECT_EQ(CollectTestItems(*program), 0u);
    ShowTestItems(*program, 0xFFFFFFFF);
    EXPECT_FALSE(program->form.test.find("CheckBox_GYRO_ID")->checked);
    EXPECT_FALSE(program->form.test.find("CheckBox_GPS_SNR")->checked);
    EXPECT_TRUE(program->form.test.find("CheckBox_LCD")->checked);
}

TEST_F(TestConfigTest, nonIntegerTextsStopTheSaveWhereTheyAreMet)
{
    LoadTestConfig(*program);
    program->form.test.gpsSnrMin = "4O";
    std::string error;
    EXPECT_EQ(SaveTestConfig(*program, &error), kRefused);
    EXPECT_EQ(error, "'4O' is not a valid integer value");
    EXPECT_FALSE(fs::exists(kTestConfigFile));

    program->form.test.gpsSnrMin = "40";
    program->form.test.battVary = "6x";
    EXPECT_EQ(SaveTestConfig(*program, &error), kRefused);
    EXPECT_EQ(error, "'6x' is not a valid integer value");
    const std::vector<std::string> written = keys();
    EXPECT_EQ(written.back(), "TESTFUNCTION");
    EXPECT_EQ(std::count(written.begin(), written.end(), "batt_base_volt"), 0);
}

TEST_F(TestConfigTest, startUpReducesTestFunctionAndSavesItThatWay)
{
    write("[VR60TEST]\nTESTFUNCTION=23\ntest2=1\n");
    StartUpTestConfig(*program);
    EXPECT_EQ(program->testConfig.TESTFUNCTION, 3);
    EXPECT_FALSE(program->form.unseen.checkVersion);
    std::string error;
    ASSERT_EQ(SaveTestConfig(*program, &error), kOk);
    EXPECT_EQ(IniGetLong("VR60TEST", "TESTFUNCTION", 0, kTestConfigFile), 3);
    EXPECT_EQ(IniGetLong("VR60TEST", "test2", 9, kTestConfigFile), 0);
}

TEST_F(TestConfigTest, aFileNamedInOtherLetterCaseIsReadAndWrittenBackWhenItIsTheOnlyOne)
{
    struct Row {
        const char* what;
        std::vector<std::string> files;   // each holding SNR=<its position + 10>
        const char* read;                 // the file read, or "" for the defaults
        int snr;
        std::string said;                 // the message log ("W/" is the folder)
        const char* saved;                // the file the save writes
    };
    const Row rows[] = {
        {"exact name", {"vr60test.ini", "VR60Test.ini"}, "VR60Test.ini", 11, "", "VR60Test.ini"},
        {"one in other case", {"vr60test.ini"}, "vr60test.ini", 10,
         "Read W/vr60test.ini as VR60Test.ini (the name differs only in letter case).", "vr60test.ini"},
        {"several in other case", {"vr60test.ini", "VR60TEST.INI"}, "", 40,
         "VR60Test.ini not found in W; several files there differ from it only in letter case (VR60TEST.INI, "
         "vr60test.ini): none of them was read, the defaults apply.", "VR60Test.ini"},
        {"none", {"VR60Test.in", "VR60Test.ini.bak"}, "", 40, "", "VR60Test.ini"},
        {"a folder of that name is no file", {"vr60test.ini/"}, "", 40, "", "VR60Test.ini"},
    };
    const std::string folder = fs::current_path().string();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const std::vector<fs::path> left(fs::directory_iterator(dir), fs::directory_iterator{});
        for (const fs::path& path : left)
            fs::remove_all(path);
        for (size_t i = 0; i < row.files.size(); ++i) {
            if (row.files[i].back() == '/')
                fs::create_directory(row.files[i]);
            else
                std::ofstream(row.files[i], std::ios::binary) << "[VR60TEST]\nSNR=" << i + 10 << "\n";
        }
        host.events.clear();
        LoadTestConfig(*program);
        EXPECT_EQ(program->testConfigOrigin.file, row.read);
        EXPECT_EQ(program->testConfig.SNR, row.snr);
        std::string said = row.said;
        if (const size_t at = said.find("W/"); at != std::string::npos)
            said.replace(at, 1, folder);
        else if (const size_t in = said.find(" in W;"); in != std::string::npos)
            said.replace(in + 4, 1, folder);
        EXPECT_EQ(host.logs(), said.empty() ? std::vector<std::string>{} : std::vector<std::string>{said});

        std::string error;
        ASSERT_EQ(SaveTestConfig(*program, &error), kOk) << error;
        for (const auto& entry : fs::directory_iterator(dir)) {
            const std::string name = entry.path().filename().string();
            const std::string text = fs::is_regular_file(entry) ? ReadAll(name) : "";
            EXPECT_EQ(text.find("timestamp=") != std::string::npos, name == row.saved) << name;
        }
    }
}

TEST_F(TestConfigTest, theFollowUpsSayWhatTurnedThemOn)
{
    struct Row {
        const char* file;             // the configuration; null: none
        FollowUpChoice choice;
        std::string said;             // "W/" is the folder
    };
    const Row rows[] = {
        {nullptr, {}, "Auto clear and auto power-off are on: the defaults of auto_log_clear and auto_poweroff (no "
                      "W/VR60Test.ini was found)"},
        {"auto_log_clear=1\nauto_poweroff=2\n", {}, "Auto clear and auto power-off are on: auto_log_clear=1 and "
                                                      "auto_poweroff=2 in W/VR60Test.ini"},
        {"test1=1\n", {}, "Auto clear and auto power-off are on: the defaults of auto_log_clear and auto_poweroff (not "
                           "set in W/VR60Test.ini)"},
        {"auto_log_clear=0\n", {}, "Auto power-off is on: the default of auto_poweroff (not set in W/VR60Test.ini)"},
        {"auto_poweroff=256\n", {}, "Auto clear is on: the default of auto_log_clear (not set in W/VR60Test.ini)"},
        {"auto_log_clear=0\nauto_poweroff=1\n", {true, std::nullopt}, "Auto clear and auto power-off are on: --clear; "
                                                                     "auto_poweroff=1 in W/VR60Test.ini"},
        {nullptr, {std::nullopt, true}, "Auto clear and auto power-off are on: the default of auto_log_clear (no "
                                        "W/VR60Test.ini was found); --power-off"},
        {nullptr, {false, false}, ""},
        {"auto_log_clear=0\nauto_poweroff=0\n", {}, ""},
    };
    const std::string folder = fs::current_path().string();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.said);
        fs::remove(kTestConfigFile);
        if (row.file)
            write(std::string("[VR60TEST]\n") + row.file);
        LoadTestConfig(*program);
        program->followUps = row.choice;
        std::string said = row.said;
        if (const size_t at = said.find("W/"); at != std::string::npos)
            said.replace(at, 1, folder);
        EXPECT_EQ(FollowUpsSource(*program), said);
    }
}

TEST(StrictInteger, acceptsOnlyWholeIntegers)
{
    int32_t v = 0;
    EXPECT_TRUE(StrictInteger("423", &v));
    EXPECT_EQ(v, 423);
    EXPECT_TRUE(StrictInteger("-6", &v));
    EXPECT_EQ(v, -6);
    EXPECT_TRUE(StrictInteger(" 7", &v));
    for (const char* bad : {"", "423x", "4 2", "+", "99999999999", "1.5"})
        EXPECT_FALSE(StrictInteger(bad, &v)) << bad;
}

} // namespace
