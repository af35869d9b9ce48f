// The one-shot device commands against the in-process device: what each logs
// when acknowledged and when not, which end the connection, the sender's
// enabled flag; and every device feature's answer to a closed port.

#include <gtest/gtest.h>

#include "device/ControlCommands.h"
#include "device/IdentityWrites.h"
#include "device/PoiSlots.h"
#include "device/TrackStore.h"
#include "support/SimRig.h"

namespace {

using Strings = std::vector<std::string>;

struct CommandCase {
    ResultCode (*handler)(Program&, bool*);
    int id;
    Strings acknowledged;   // lines logged when acknowledged
    Strings unanswered;     // lines logged when the command goes unanswered
    bool disconnects;       // an acknowledged command ends the connection
};

const std::vector<CommandCase> kCommands = {
    {Button_VCON_ONClick, 0x15, {"GPS2VCOM ON..."}, {"GPS2VCOM on set failed!"}, false},
    {Button_GPSVCOM_OFFClick, 0x16, {"GPS2VCOM OFF..."}, {"GPS2VCOM off set failed!"}, false},
    {Button_GPSPWRONClick, 0x17, {"GPS PWR On..."}, {"GPS PWR on failed!"}, false},
    {Button_GPSPWROFFClick, 0x18, {"GPS PWR Off..."}, {"GPS PWR off failed!"}, false},
    {Button_debugClick, 0x1B, {"VRLink debug flag on ..."}, {"VRLink Debug flag failed!"}, false},
    {Button_RebootClick, 0x14, {"Reboot device...", "Device reboot OK...", "Disconnect device...", "Device disconnected."},
     {"Reboot device...", "Device reboot failed!"}, true},
    {Button_GPS_ColdStartClick, 0x19,
     {"GPS2VCOM ON...", "GPS Cold Start...", "GPS/NMEA enabled,closing COM port...", "Device disconnected."},
     {"GPS2VCOM ON...", "GPS Cold Start failed!"}, true},
    {Button_Power_OffClick, 0x40,
     {"Poweroff device...", "Device off OK.", "Device disconnected.", "Remove USB Cable now."},
     {"Poweroff device...", "Device off failed!"}, true},
};

TEST(ControlCommands, eachCommandLogsItsOutcomeAndOnlyAcknowledgedOnesDisconnect)
{
    for (const CommandCase& c : kCommands) {
        for (const bool answered : {true, false}) {
            for (const bool withSender : {true, false}) {
                SCOPED_TRACE(testing::Message() << "id " << c.id << (answered ? " answered" : " unanswered")
                                                << (withSender ? " with sender" : ""));
                SimRig rig;
                ASSERT_EQ(rig.connect(), 0);
                rig.clearEvents();
                if (!answered)
                    rig.device.faults.dropAnswers[c.id] = kFaultForever;
                const size_t before = rig.device.requestLog().size();
                bool enabled = true;
                EXPECT_EQ(c.handler(rig.p(), withSender ? &enabled : nullptr), answered ? 0 : 3);
                EXPECT_EQ(rig.host.logs(), answered ? c.acknowledged : c.unanswered);
                const std::vector<int> sent(rig.device.requestLog().begin() + long(before), rig.device.requestLog().end());
                EXPECT_EQ(std::count(sent.begin(), sent.end(), c.id), 1);
                const bool closed = answered && c.disconnects;
                EXPECT_EQ(rig.p().link.ActiveLink == nullptr, closed);
                if (closed) {
                    EXPECT_EQ(sent.back(), 14);   // the device is told to leave link mode
                    EXPECT_EQ(rig.p().form.connection.connectCaption, "Connect");
                }
                // Only an acknowledged power off leaves its sender disabled.
                EXPECT_EQ(enabled, !(withSender && closed && c.id == 0x40));
            }
        }
    }
}

TEST(ControlCommands, coldStartGoesOnWhenForwardingOnIsUnansweredButIsIncomplete)
{
    SimRig rig;
    ASSERT_EQ(rig.connect(), 0);
    rig.clearEvents();
    rig.device.faults.dropAnswers[0x15] = 1;
    const size_t before = rig.device.requestLog().size();
    EXPECT_EQ(Button_GPS_ColdStartClick(rig.p()), 10);
    EXPECT_EQ(rig.host.logs(), (Strings{"GPS2VCOM on set failed!", "GPS Cold Start...",
                                        "GPS/NMEA enabled,closing COM port...", "Device disconnected."}));
    EXPECT_EQ(std::vector<int>(rig.device.requestLog().begin() + long(before), rig.device.requestLog().end()),
              (std::vector<int>{0x15, 0x19, 14}));
}

TEST(ControlCommands, clearAndPowerOffSwitchesOffOnlyAfterASuccessfulClear)
{
    for (const bool cleared : {true, false}) {
        SimRig rig;
        ASSERT_EQ(rig.connect(), 0);
        rig.clearEvents();
        if (!cleared)
            rig.device.faults.noCompletion[0x504] = 1;
        bool& enabled = rig.p().form.unseen.offAndClearEnabled;
        EXPECT_EQ(Button_off_and_clearClick(rig.p(), &enabled), cleared ? 0 : 4);
        const Strings logs = rig.host.logs();
        const Strings tail = cleared ? Strings{"Log data cleared successfully", "Log cleared.", "Poweroff device...",
                                               "Device off OK.", "Device disconnected.", "Remove USB Cable now."}
                                     : Strings{"Clearing log data...", "Time out, Failed to clear data"};
        ASSERT_GE(logs.size(), tail.size());
        EXPECT_EQ(Strings(logs.end() - long(tail.size()), logs.end()), tail);
        EXPECT_EQ(rig.device.control.poweredOff, cleared);
        // A failed clear leaves the device on, the link open and the button ready for another try.
        EXPECT_EQ(rig.p().link.ActiveLink != nullptr, !cleared);
        EXPECT_EQ(enabled, !cleared);
    }
}

TEST(DeviceFeatures, withoutALinkNothingIsSentAndOnlyTheirOwnDialogsShow)
{
    SimRig rig;
    Program& p = rig.p();
    p.form.settings.username = "Ann";
    p.form.settings.serialNumberText = "5";
    for (const CommandCase& c : kCommands)
        EXPECT_EQ(c.handler(p, nullptr), 1);
    using Operation = ResultCode (*)(Program&);
    const std::vector<std::pair<Operation, std::string>> others = {
        {[](Program& p) { return Button_off_and_clearClick(p); }, "Com port error!"},
        {Button_update_username_binClick, "Com Port Error!"},
        {BitBtn_update_snoClick, "Com Port Error!"},
        {TRK_DownloadClick, "Com Port Error!"},
        {[](Program& p) { return TRK_EraseClick(p); }, "Com port error!"},
        {TRK_UploadClick, "Com port error!"},
        {Button5Click, "Com port error!"},
        {Button_POI_downloadClick, "Com port not open Error!"},
        {Button_POI_deleteClick, "Com port not open Error!"},
        {Button_POI_uploadClick, "TBD:Com port not open Error!"},
    };
    Strings boxes = {"Com port error!"};   // the power off of kCommands
    for (const auto& [operation, box] : others) {
        EXPECT_EQ(operation(p), 1) << box;
        boxes.push_back(box);
    }
    EXPECT_EQ(rig.host.boxes(), boxes);
    EXPECT_TRUE(rig.host.logs().empty());
    EXPECT_TRUE(rig.device.requestLog().empty());
    EXPECT_EQ(p.tagDeletePresses, 0);
}

} // namespace
