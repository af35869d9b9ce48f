// Settings read, write and factory reset: the bytes on the wire, the controls,
// and the dialogs.

#include <gtest/gtest.h>

#include "connection/SettingsRead.h"
#include "device/SettingsOperations.h"
#include "support/SimRig.h"

namespace {

struct SettingsTest : ::testing::Test {
    SimRig rig;
    Program& p() { return rig.p(); }
    // The data bytes of the last settings write the device received.
    std::vector<uint8_t> lastWrite() const
    {
        const auto& payload = rig.device.lastRequestPayload();
        return std::vector<uint8_t>(payload.begin() + 1, payload.end());
    }
};

TEST_F(SettingsTest, withoutALinkEachOperationShowsItsOwnDialogAndSendsNothing)
{
    EXPECT_EQ(Button_Read_ConfigClick(p()), 1);
    EXPECT_EQ(Button_Set_languageClick(p()), 1);
    EXPECT_EQ(Button_Factory_ResetClick(p()), 1);
    EXPECT_EQ(rig.host.boxes(), (std::vector<std::string>{"Com port not open Error!", " Com port not open Error!",
                                                          "Com port not open Error!"}));
    EXPECT_TRUE(rig.device.requestLog().empty());
}

TEST_F(SettingsTest, readDecodesTheRecordIntoTheControls)
{
    rig.device.model.settings = {3, 0xE8, 2, 0x2A, 31, 60, 0x03};
    rig.connect();
    const FormState& f = p().form;
    EXPECT_EQ(f.unseen.language, 3);
    EXPECT_EQ(f.unseen.unitRadio, 2);
    EXPECT_EQ(f.settings.utcOffset, 0);   // "-12:00"
    EXPECT_EQ(std::string(SettingsItems::UtcOffset(f.settings.utcOffset)), "-12:00");
    EXPECT_EQ(f.settings.logMode, 1);     // "5HZ"
    EXPECT_EQ(f.settings.minSpeed, 10);
    EXPECT_EQ(f.settings.unit, 2);
    EXPECT_EQ(f.settings.speedGenie, 31);
    EXPECT_EQ(f.settings.speedAvg, 59);
    EXPECT_EQ(f.settings.actionSpeed, 1);
    EXPECT_EQ(f.settings.speedFont, 1);
    EXPECT_TRUE(rig.host.boxes().empty());
}

TEST_F(SettingsTest, writeBackUnchangedSendsTheNormalisedLogNibble)
{
    rig.device.model.settings = {0, 0, 0, 0x2A, 0, 10, 0};
    rig.connect();
    EXPECT_EQ(Button_Set_languageClick(p()), 0);
    EXPECT_EQ(lastWrite()[3], 0x1A);
}

TEST_F(SettingsTest, boxesWithoutSelectionSendTheirFieldExactlyAsRead)
{
    // unit 7, GMT +15:00, genie 40, averaging 0 and action 3 lie outside the boxes' items.
    rig.device.model.settings = {2, 30, 7, 0x2A, 40, 0, 0x06};
    rig.connect();
    p().form.settings.speedGenie = 7;
    EXPECT_EQ(Button_Set_languageClick(p()), 0);
    EXPECT_EQ(lastWrite(), (std::vector<uint8_t>{2, 30, 7, 0x1A, 7, 0, 0x06}));
}

TEST_F(SettingsTest, utcOffsetEndsOfTheListGoOutAsSignedHalfHours)
{
    rig.connect();
    p().form.settings.utcOffset = 0;
    Button_Set_languageClick(p());
    EXPECT_EQ(lastWrite()[1], 0xE8);
    p().form.settings.utcOffset = 50;
    Button_Set_languageClick(p());
    EXPECT_EQ(lastWrite()[1], 0x1A);
    EXPECT_EQ(std::string(SettingsItems::UtcOffset(50)), "+13:00");
    EXPECT_EQ(std::string(SettingsItems::UtcOffset(24)), "+00:00");
}

TEST_F(SettingsTest, writeFrameLengthFollowsTheExtendedBlock)
{
    rig.device.model.firmwareVersion = "VR60 V1";
    rig.connect();
    Button_Set_languageClick(p());
    EXPECT_EQ(rig.device.lastRequestPayload().size(), 5u);

    SimRig ext;
    ext.connect();
    ext.p().form.settings.actionSpeed = 1;
    ext.p().form.settings.speedFont = 1;
    Button_Set_languageClick(ext.p());
    ASSERT_EQ(ext.device.lastRequestPayload().size(), 8u);
    EXPECT_EQ(ext.device.lastRequestPayload()[7], 0x03);
    ext.p().form.settings.speedFont = 0;
    Button_Set_languageClick(ext.p());
    EXPECT_EQ(ext.device.lastRequestPayload()[7], 0x02);
}

TEST_F(SettingsTest, writeBeforeAnyReadSendsLanguageZero)
{
    rig.openLinkOnly();
    p().form.settings.logMode = 1;
    p().form.settings.minSpeed = 4;
    EXPECT_EQ(Button_Set_languageClick(p()), 0);
    EXPECT_EQ(lastWrite(), (std::vector<uint8_t>{0, 0, 0, 0x14}));
}

TEST_F(SettingsTest, zeroAveragingTimeLeavesTheComboWithoutSelection)
{
    rig.device.model.settings = {0, 0, 0, 0x10, 0, 0, 0};
    rig.connect();
    EXPECT_EQ(p().form.settings.speedAvg, -1);
}

TEST_F(SettingsTest, timeOutsAndShortAnswersAreFailuresThatChangeNothing)
{
    rig.connect();
    const DeviceSettings before = p().settings;
    rig.clearEvents();

    rig.device.faults.dropAnswers[0x0B] = 1;
    EXPECT_EQ(Button_Read_ConfigClick(p()), 4);
    rig.device.setHandler(0x0B, [](SimDevice& d, const uint8_t*, int) { d.reply(0x8B, {9, 9, 9}); });
    EXPECT_EQ(Button_Read_ConfigClick(p()), 4);
    EXPECT_EQ(p().settings.language, before.language);
    EXPECT_EQ(p().settings.minSpeed, before.minSpeed);

    rig.device.faults.dropAnswers[0x0C] = 1;
    EXPECT_EQ(Button_Set_languageClick(p()), 3);
    rig.device.faults.dropAnswers[0x0F] = 1;
    EXPECT_EQ(Button_Factory_ResetClick(p()), 3);
    EXPECT_EQ(rig.host.boxes(), (std::vector<std::string>{"configuration request failed!", "configuration request failed!",
                                                          "Configuration set failed!", "Factory reset failed,"}));
}

TEST_F(SettingsTest, factoryResetConfirmsAndLeavesTheControlsAlone)
{
    rig.device.model.settings = {0, 16, 1, 0x15, 3, 5, 1};
    rig.connect();
    const int unitBefore = p().form.settings.unit;
    EXPECT_EQ(Button_Factory_ResetClick(p()), 0);
    EXPECT_EQ(rig.host.boxes(), std::vector<std::string>{"Device Settings reset successfully."});
    EXPECT_EQ(p().form.settings.unit, unitBefore);
    EXPECT_EQ(rig.device.model.settings, rig.device.model.factorySettings);
}

TEST(SettingsItems, listsMatchTheWindow)
{
    EXPECT_EQ(std::string(SettingsItems::SpeedAvg(0)), "1 ");
    EXPECT_EQ(std::string(SettingsItems::SpeedAvg(1)), "2 ");
    EXPECT_EQ(std::string(SettingsItems::SpeedAvg(2)), "3");
    EXPECT_EQ(std::string(SettingsItems::SpeedAvg(59)), "60");
    EXPECT_EQ(std::string(SettingsItems::UtcOffset(1)), "-11:30");
    EXPECT_EQ(UtcOffsetIndexForBias(-480), 40);
    EXPECT_EQ(std::string(SettingsItems::UtcOffset(40)), "+08:00");
    EXPECT_EQ(UtcOffsetIndexForBias(210), 17);   // -3:30, truncated toward zero
}

} // namespace
