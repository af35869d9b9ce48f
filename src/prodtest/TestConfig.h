#pragma once
// The production station's settings in "VR60Test.ini" (section "VR60TEST"),
// held in the TestConfig record and mirrored into the Test page's controls.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ResultCode.h"
#include "program/FormState.h"
#include "program/TestConfigRecord.h"

struct Program;

// The name under which the configuration is read and written back in the current folder:
// kTestConfigFile, or the one file whose name differs from it only in letter case.
std::string TestConfigFileName(std::vector<std::string>* otherCase = nullptr);

// Mask bit of each test-item tag (0..14); 0 where the item has no bit.
inline constexpr uint32_t TestItemBits[15] = {0,          0x00000020, 0x00000008, 0x00000001, 0x00000002,
                                              0,          0x04000000, 0x00000010, 0,          0,
                                              0x01000000, 0x00010000, 0x02000000, 0,          0x08000000};
// The mask bit a test box stands for; 0 where it stands for none.
inline uint32_t ItemBit(const TestItemBox& box)
{
    return box.tag >= 0 && box.tag < 15 ? TestItemBits[box.tag] : 0;
}

void ShowTestItems(Program& p, uint32_t mask);
uint32_t CollectTestItems(Program& p);
// Loads from TestConfigFileName() and records the origin; a file found under another
// letter case, or several such files, is said in the message log.
void LoadTestConfig(Program& p);
// kOk on success; on a text that is not an integer, kRefused with the error text
// "'%s' is not a valid integer value" (keys written so far stay written);
// kWriteFailed when the file could not be written, with "Writing VR60Test.ini failed!".
// After KeepTestConfigFile(true) the page is taken into the record and the file is not touched.
ResultCode SaveTestConfig(Program& p, std::string* error);
// For the rest of the process (a station's worker, whose slots share the file): the file is
// read at each run's start and never written back.
void KeepTestConfigFile(bool keep);
// What window creation and the first showing do with the configuration:
// load it, untick the hidden version check and reduce TESTFUNCTION modulo 10.
void StartUpTestConfig(Program& p);
