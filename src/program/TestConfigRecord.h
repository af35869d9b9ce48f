#pragma once
// The production station's settings in "VR60Test.ini" (section "VR60TEST"),
// as the TestConfig record holds them.

#include <cstdint>
#include <string>
#include <vector>

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
