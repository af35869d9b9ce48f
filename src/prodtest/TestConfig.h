#pragma once
// The production station's settings in "VR60Test.ini" (section "VR60TEST"),
// held in the TestConfig record and mirrored into the Test page's controls.

#include <cstdint>
#include <string>
#include <vector>


struct Program;

inline constexpr const char* kTestConfigFile = "VR60Test.ini";
inline constexpr const char* kTestConfigSection = "VR60TEST";

struct TestConfig {
    int32_t test1 = 0;   // test-item mask
    int32_t test2 = 0;   // firmware version check
    int32_t test3 = 0;   // GPS signal-strength check
    int32_t test4 = 0;
    int32_t sno = 0;
    char version[16] = "";
    uint8_t SNR = 0;
    uint8_t AUTO_INCREASED = 0;
    uint8_t TESTFUNCTION = 0;
    uint8_t auto_connect = 0;
    uint8_t auto_log_clear = 0;
    uint8_t auto_log_clear_after_download = 0;
    uint8_t auto_poweroff = 0;
    char ts_version[8] = "";
    char gps_version[64] = "";
    int32_t batt_base_volt = 0;
    int32_t batt_volt_range = 0;
};

// Where the last load found the configuration: "VR60Test.ini" in the current folder,
// else the one file there whose name differs only in letter case.
struct TestConfigOrigin {
    bool loaded = false;
    std::string folder;                  // the current folder at the load
    std::string file;                    // the name read; empty: none, the defaults apply
    std::vector<std::string> otherCase;  // several names differing only in case: none was read
    bool autoLogClearSet = false;        // the key was in the file
    bool autoPoweroffSet = false;
    // The file read, or where "VR60Test.ini" was looked for, with its folder.
    std::string path() const;
};

// The name under which the configuration is read and written back in the current folder:
// kTestConfigFile, or the one file whose name differs from it only in letter case.
std::string TestConfigFileName(std::vector<std::string>* otherCase = nullptr);

// Mask bit of each test-item tag (0..14); 0 where the item has no bit.
inline constexpr uint32_t TestItemBits[15] = {0,          0x00000020, 0x00000008, 0x00000001, 0x00000002,
                                              0,          0x04000000, 0x00000010, 0,          0,
                                              0x01000000, 0x00010000, 0x02000000, 0,          0x08000000};

void ShowTestItems(Program& p, uint32_t mask);
uint32_t CollectTestItems(Program& p);
// Loads from TestConfigFileName() and records the origin; a file found under another
// letter case, or several such files, is said in the message log.
void LoadTestConfig(Program& p);
// 0 on success; on a text that is not an integer, 1 with the error text
// "'%s' is not a valid integer value" (keys written so far stay written);
// 9 when a key could not be written, with "Writing VR60Test.ini failed!".
int SaveTestConfig(Program& p, std::string* error);
// What window creation and the first showing do with the configuration:
// load it, untick the hidden version check and reduce TESTFUNCTION modulo 10.
void StartUpTestConfig(Program& p);
// Strict integer conversion of an edit box's text.
bool StrictInteger(const std::string& text, int32_t* value);
