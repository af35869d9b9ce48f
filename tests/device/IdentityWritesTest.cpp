// Writing the user name and the serial number: the bytes sent, the echo
// check, the refusals before anything is sent, and the production station's
// clear and power-off after a serial-number write.

#include <gtest/gtest.h>

#include "device/IdentityWrites.h"
#include "support/SimRig.h"

namespace {

using Strings = std::vector<std::string>;
using Bytes = std::vector<uint8_t>;

Bytes NamePayload(const std::string& name)
{
    Bytes payload{5, 3};
    payload.insert(payload.end(), name.begin(), name.end());
    payload.resize(18, 0);
    return payload;
}

struct WriteCase {
    const char* what;
    bool serial;              // the serial number, else the user name
    std::string text;         // what the edit box holds
    int faultKey = 0;         // 0x502 / 0x503 dropped (drop) or echoed wrongly (badecho)
    bool badEcho = false;
    int result = 0;
    Bytes payload = {};       // the request the device received; empty: nothing sent
    Strings logs = {};
    Strings boxes = {};
    std::string editAfter = {};   // the edit box afterwards
    std::string shown = {};       // Label_current_sno, or the identity's user name, after
};

TEST(IdentityWrites, textsAreCheckedThenSentAndOnlyAnEqualEchoIsShown)
{
    const std::vector<WriteCase> cases = {
        {"blanks are dropped", false, " Bob  Smith ", 0, false, 0, NamePayload("BobSmith"),
         {"Username updated successfully."}, {}, "BobSmith", "BobSmith"},
        {"fifteen characters", false, "ABCDEFGHIJKLMNO", 0, false, 0, NamePayload("ABCDEFGHIJKLMNO"),
         {"Username updated successfully."}, {}, "ABCDEFGHIJKLMNO", "ABCDEFGHIJKLMNO"},
        {"sixteen characters", false, "ABCDEFGHIJKLMNOP", 0, false, 11, {}, {},
         {"Username format Error(1~15 char)!"}, "ABCDEFGHIJKLMNOP", "username"},
        {"blanks only", false, "   ", 0, false, 11, {}, {}, {"Username format Error(1~15 char)!"}, "", "username"},
        {"name echo differs", false, "Ann", 0x503, true, 9, NamePayload("Ann"), {"Username updated unsuccessfully!"},
         {}, "Ann", "username"},
        {"name unanswered", false, "Ann", 0x503, false, 4, NamePayload("Ann"), {"Timeout Error!"}, {}, "Ann",
         "username"},

        {"nine digits", true, "123456789", 0, false, 0, {5, 0x02, 0x15, 0xCD, 0x5B, 0x07}, {}, {}, "123456789",
         "123456789"},
        {"zero", true, "0", 0, false, 0, {5, 2, 0, 0, 0, 0}, {}, {}, "0", "000000000"},
        {"mask blanks", true, " 12 34   ", 0, false, 0, {5, 2, 0xD2, 0x04, 0, 0}, {}, {}, "1234", "000001234"},
        {"ten digits", true, "1234567890", 0, false, 11, {}, {}, {"SNO format Error!"}, "1234567890", "000001234"},
        {"letters", true, "12a4", 0, false, 11, {}, {}, {"'12a4' is not a valid integer value"}, "12a4", "000001234"},
        {"empty mask", true, "         ", 0, false, 11, {}, {}, {"'' is not a valid integer value"}, "", "000001234"},
        {"negative", true, "-5", 0, false, 11, {}, {}, {"SNO format Error(0~999999999)!"}, "-5", "000001234"},
        {"number echo differs", true, "77", 0x502, true, 9, {5, 2, 77, 0, 0, 0}, {}, {}, "77", "000001234"},
        {"number unanswered", true, "77", 0x502, false, 4, {5, 2, 77, 0, 0, 0}, {"Timeout Error"}, {}, "77",
         "000001234"},
    };
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.what);
        SimRig rig;
        ASSERT_EQ(rig.connect(), 0);
        rig.clearEvents();
        const size_t before = rig.device.requestLog().size();
        if (c.faultKey)
            (c.badEcho ? rig.device.faults.badEcho : rig.device.faults.dropAnswers)[c.faultKey] = 1;
        Program& p = rig.p();
        p.form.test.autoLogClear = p.form.test.autoPoweroff = false;
        std::string& edit = c.serial ? p.form.settings.serialNumberText : p.form.settings.username;
        edit = c.text;

        EXPECT_EQ(c.serial ? BitBtn_update_snoClick(p) : Button_update_username_binClick(p), c.result);
        EXPECT_EQ(rig.host.logs(), c.logs);
        EXPECT_EQ(rig.host.boxes(), c.boxes);
        if (c.payload.empty())
            EXPECT_EQ(rig.device.requestLog().size(), before);
        else
            EXPECT_EQ(rig.device.lastRequestPayload(), c.payload);
        EXPECT_EQ(edit, c.editAfter);
        if (c.serial)
            EXPECT_EQ(p.form.settings.currentSno, c.shown);
        else
            EXPECT_EQ(std::string(p.identity.userName), c.shown);
        EXPECT_FALSE(rig.host.busyCursor);
    }
}

TEST(IdentityWrites, serialWriteIsFollowedByTheConfiguredClearAndPowerOffWhateverItsOutcome)
{
    for (const bool answered : {true, false}) {
        SCOPED_TRACE(answered ? "answered" : "unanswered");
        SimRig rig;
        ASSERT_EQ(rig.connect(), 0);
        rig.clearEvents();
        if (!answered)
            rig.device.faults.dropAnswers[0x502] = 1;
        Program& p = rig.p();
        p.form.test.autoLogClear = p.form.test.autoPoweroff = true;
        p.form.settings.serialNumberText = "42";
        EXPECT_EQ(BitBtn_update_snoClick(p), answered ? 0 : 4);

        Strings logs = rig.host.logs();
        ASSERT_GE(logs.size(), 5u);
        EXPECT_EQ(logs.front(), answered ? "Clearing log data..." : "Timeout Error");
        EXPECT_EQ(Strings(logs.end() - 5, logs.end()),
                  (Strings{"Log data cleared successfully", "Poweroff device...", "Device off OK.",
                           "Device disconnected.", "Remove USB Cable now."}));
        EXPECT_TRUE(rig.device.control.poweredOff);
        EXPECT_EQ(rig.device.model.serialNumber, answered ? 42 : 1234);
    }
}

TEST(IdentityWrites, withoutALinkTheWritesSayComPortError)
{
    SimRig rig;
    rig.p().form.settings.username = "Ann";
    rig.p().form.settings.serialNumberText = "5";
    EXPECT_EQ(Button_update_username_binClick(rig.p()), 1);
    EXPECT_EQ(BitBtn_update_snoClick(rig.p()), 1);
    EXPECT_EQ(rig.host.boxes(), (Strings{"Com Port Error!", "Com Port Error!"}));
    EXPECT_TRUE(rig.device.requestLog().empty());
}

} // namespace
