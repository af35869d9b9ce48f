// Writing the user name and the serial number: the bytes sent, the echo
// check, the refusals before anything is sent, and the production station's
// clear and power-off after a serial-number write.

#include <gtest/gtest.h>

#include <algorithm>

#include "device/IdentityWrites.h"
#include "device/UserNameText.h"
#include "support/SimRig.h"

namespace {

using Strings = std::vector<std::string>;
using Bytes = std::vector<uint8_t>;

Bytes NamePayload(const std::string& name)
{
    Bytes payload(18, 0);
    payload[0] = 5;
    payload[1] = 3;
    std::copy_n(name.begin(), std::min<size_t>(name.size(), 16), payload.begin() + 2);
    return payload;
}

TEST(IdentityWrites, textsAreCheckedThenSentAndOnlyAnEqualEchoIsShown)
{
    struct Case {
        bool serial;              // the serial number, else the user name
        std::string text;         // the edit box
        int fault;                // 0, or dropped (4) / echoed wrongly (9)
        int result;
        Bytes payload;            // the request received; empty: nothing sent
        Strings logsAndBoxes;
        std::string editAfter;
        std::string shown;        // Label_current_sno, or the identity's user name
    };
    const std::vector<Case> cases = {
        {false, " Bob  Smith ", 0, 0, NamePayload("BobSmith"), {"Username updated successfully."}, "BobSmith", "BobSmith"},
        {false, "ABCDEFGHIJKLMNO", 0, 0, NamePayload("ABCDEFGHIJKLMNO"), {"Username updated successfully."},
         "ABCDEFGHIJKLMNO", "ABCDEFGHIJKLMNO"},
        {false, "ABCDEFGHIJKLMNOP", 0, 11, {}, {"Username format Error(1~15 char)!"}, "ABCDEFGHIJKLMNOP", "username"},
        {false, "   ", 0, 11, {}, {"Username format Error(1~15 char)!"}, "", "username"},
        {false, "Zo\xC3\xAB \xE2\x82\xAC", 0, 0, NamePayload("Zo\xC3\xAB\xE2\x82\xAC"), {"Username updated successfully."},
         "Zo\xC3\xAB\xE2\x82\xAC", "Zo\xC3\xAB\xE2\x82\xAC"},
        // 8 characters, 16 bytes: the dialog of old would say 15 characters are fine.
        {false, "\xC3\x84\xC3\x96\xC3\x9C\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F\xC3\x84", 0, 11, {},
         {"Username format Error: 16 bytes (8 characters) once blanks are dropped; the device stores 1 to 15 bytes!"},
         "\xC3\x84\xC3\x96\xC3\x9C\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F\xC3\x84", "username"},
        {false, "Bob\tSmith", 0, 11, {}, {"Username format Error: control character U+0009 (TAB) at character 4!"},
         "Bob\tSmith", "username"},
        {false, "Ann", 9, 9, NamePayload("Ann"), {"Username updated unsuccessfully!"}, "Ann", "username"},
        {false, "Ann", 4, 4, NamePayload("Ann"), {"Timeout Error!"}, "Ann", "username"},
        {true, "123456789", 0, 0, {5, 0x02, 0x15, 0xCD, 0x5B, 0x07}, {}, "123456789", "123456789"},
        {true, "0", 0, 0, {5, 2, 0, 0, 0, 0}, {}, "0", "000000000"},
        {true, " 12 34   ", 0, 0, {5, 2, 0xD2, 0x04, 0, 0}, {}, "1234", "000001234"},
        {true, "1234567890", 0, 11, {}, {"SNO format Error!"}, "1234567890", "000001234"},
        {true, "12a4", 0, 11, {}, {"'12a4' is not a valid integer value"}, "12a4", "000001234"},
        {true, "         ", 0, 11, {}, {"'' is not a valid integer value"}, "", "000001234"},
        {true, "-5", 0, 11, {}, {"SNO format Error(0~999999999)!"}, "-5", "000001234"},
        {true, "77", 9, 9, {5, 2, 77, 0, 0, 0}, {}, "77", "000001234"},
        {true, "77", 4, 4, {5, 2, 77, 0, 0, 0}, {"Timeout Error"}, "77", "000001234"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        SimRig rig;
        ASSERT_EQ(rig.connect(), 0);
        rig.clearEvents();
        const size_t before = rig.device.requestLog().size();
        const int key = c.serial ? 0x502 : 0x503;
        if (c.fault)
            (c.fault == 9 ? rig.device.faults.badEcho : rig.device.faults.dropAnswers)[key] = 1;
        Program& p = rig.p();
        p.form.test.autoLogClear = p.form.test.autoPoweroff = false;
        std::string& edit = c.serial ? p.form.settings.serialNumberText : p.form.settings.username;
        edit = c.text;

        EXPECT_EQ(c.serial ? BitBtn_update_snoClick(p) : Button_update_username_binClick(p), c.result);
        Strings said;
        for (const FakeHost::Event& e : rig.host.events)
            said.push_back(e.text);
        EXPECT_EQ(said, c.logsAndBoxes);
        if (c.payload.empty())
            EXPECT_EQ(rig.device.requestLog().size(), before);
        else
            EXPECT_EQ(rig.device.lastRequestPayload(), c.payload);
        EXPECT_EQ(edit, c.editAfter);
        EXPECT_EQ(c.serial ? p.form.settings.currentSno : std::string(p.identity.userName), c.shown);
        EXPECT_FALSE(rig.host.busyCursor);
    }
}

TEST(UserNameText, theDeviceStoresUpTo15BytesOfUtf8WithoutControlCharacters)
{
    struct Case { std::string text; UserNameFault fault; std::string said; };
    const std::vector<Case> cases = {
        {"ABCDEFGHIJKLMNO", UserNameFault::None, ""},
        {"\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9" "a", UserNameFault::None, ""},   // 15 bytes
        {"\xF0\x9F\x98\x80", UserNameFault::None, ""},                                              // 4-byte form
        {" \t ", UserNameFault::ControlCharacter, "control character U+0009 (TAB) at character 1"},
        {"a\nb", UserNameFault::ControlCharacter, "control character U+000A (line feed) at character 2"},
        {"\xC3\xA9\x1B[2J", UserNameFault::ControlCharacter, "control character U+001B (ESC) at character 2"},
        {"\x01", UserNameFault::ControlCharacter, "control character U+0001 at character 1"},
        {"ab\x7F", UserNameFault::ControlCharacter, "control character U+007F (DEL) at character 3"},
        {"\xC2\x85", UserNameFault::ControlCharacter, "control character U+0085 at character 1"},
        {"ab\xFF", UserNameFault::NotUtf8, "byte 0xFF at byte 3 is not UTF-8 text"},
        {"\xC0\xAF", UserNameFault::NotUtf8, "byte 0xC0 at byte 1 is not UTF-8 text"},        // overlong '/'
        {"a\xED\xA0\x80", UserNameFault::NotUtf8, "byte 0xED at byte 2 is not UTF-8 text"},  // a surrogate
        {"a\xE2\x82", UserNameFault::NotUtf8, "byte 0xE2 at byte 2 is not UTF-8 text"},       // cut short
        {"   ", UserNameFault::Empty, "nothing is left once blanks are dropped; the device stores 1 to 15 bytes"},
        {"\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9 \xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", UserNameFault::TooLong,
         "16 bytes (8 characters) once blanks are dropped; the device stores 1 to 15 bytes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const UserNameCheck check = InspectUserName(c.text);
        EXPECT_EQ(check.fault, c.fault);
        EXPECT_EQ(UserNameFaultText(check), c.said);
    }
}

TEST(IdentityWrites, anUnansweredSerialWriteIsStillFollowedByTheConfiguredClearAndPowerOff)
{
    SimRig rig;
    ASSERT_EQ(rig.connect(), 0);
    rig.clearEvents();
    rig.device.faults.dropAnswers[0x502] = 1;
    Program& p = rig.p();
    p.form.test.autoLogClear = p.form.test.autoPoweroff = true;
    p.form.settings.serialNumberText = "42";
    EXPECT_EQ(BitBtn_update_snoClick(p), 4);
    const Strings logs = rig.host.logs();
    ASSERT_GE(logs.size(), 7u);
    EXPECT_EQ(Strings(logs.begin(), logs.begin() + 3),
              (Strings{"Timeout Error",
                       "Auto clear and auto power-off are on: the \"auto log/trk/wpt clear\" and \"auto poweroff\" boxes.",
                       "Clearing log data..."}));
    EXPECT_EQ(Strings(logs.end() - 5, logs.end()), (Strings{"Log data cleared successfully", "Poweroff device...",
                                                            "Device off OK.", "Device disconnected.",
                                                            "Remove USB Cable now."}));
    EXPECT_TRUE(rig.device.control.poweredOff);
}

} // namespace
