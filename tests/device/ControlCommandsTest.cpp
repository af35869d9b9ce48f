// The one-shot device commands against the in-process device: what each logs
// when acknowledged and when not, which end the connection, and the sender's
// enabled flag.

#include <gtest/gtest.h>

#include "device/ControlCommands.h"
#include "support/SimRig.h"

namespace {

using Strings = std::vector<std::string>;
using Handler = int (*)(Program&, bool*);

struct CommandCase {
    const char* name;
    Handler handler;
    int id;
    Strings acknowledged;   // lines logged when acknowledged
    Strings unanswered;     // lines logged when the command goes unanswered
    bool disconnects;       // an acknowledged command ends the connection
    bool senderStaysOff;    // ... and leaves the sender disabled
};

const std::vector<CommandCase> kCommands = {
    {"nmea on", Button_VCON_ONClick, 0x15, {"GPS2VCOM ON..."}, {"GPS2VCOM on set failed!"}, false, false},
    {"nmea off", Button_GPSVCOM_OFFClick, 0x16, {"GPS2VCOM OFF..."}, {"GPS2VCOM off set failed!"}, false, false},
    {"gps on", Button_GPSPWRONClick, 0x17, {"GPS PWR On..."}, {"GPS PWR on failed!"}, false, false},
    {"gps off", Button_GPSPWROFFClick, 0x18, {"GPS PWR Off..."}, {"GPS PWR off failed!"}, false, false},
    {"debug flag", Button_debugClick, 0x1B, {"VRLink debug flag on ..."}, {"VRLink Debug flag failed!"}, false, false},
    {"reboot", Button_RebootClick, 0x14,
     {"Reboot device...", "Device reboot OK...", "Disconnect device...", "Device disconnected."},
     {"Reboot device...", "Device reboot failed!"}, true, false},
    {"cold start", Button_GPS_ColdStartClick, 0x19,
     {"GPS2VCOM ON...", "GPS Cold Start...", "GPS/NMEA enabled,closing COM port...", "Device disconnected."},
     {"GPS2VCOM ON...", "GPS Cold Start failed!"}, true, false},
    {"power off", Button_Power_OffClick, 0x40,
     {"Poweroff device...", "Device off OK.", "Device disconnected.", "Remove USB Cable now."},
     {"Poweroff device...", "Device off failed!"}, true, true},
};

TEST(ControlCommands, eachCommandLogsItsOutcomeAndOnlyAcknowledgedOnesDisconnect)
{
    for (const CommandCase& c : kCommands) {
        for (const bool answered : {true, false}) {
            for (const bool withSender : {true, false}) {
                SCOPED_TRACE(std::string(c.name) + (answered ? " answered" : " unanswered") +
                             (withSender ? " with sender" : " without sender"));
                SimRig rig;
                ASSERT_EQ(rig.connect(), 0);
                rig.clearEvents();
                if (!answered)
                    rig.device.faults.dropAnswers[c.id] = kFaultForever;
                const size_t before = rig.device.requestLog().size();
                bool enabled = true;
                const int result = c.handler(rig.p(), withSender ? &enabled : nullptr);

                EXPECT_EQ(result, answered ? 0 : 3);
                EXPECT_EQ(rig.host.logs(), answered ? c.acknowledged : c.unanswered);
                EXPECT_TRUE(rig.host.boxes().empty());
                const std::vector<int>& requests = rig.device.requestLog();
                ASSERT_GT(requests.size(), before);
                EXPECT_EQ(std::count(requests.begin() + long(before), requests.end(), c.id), 1);
                const bool closed = answered && c.disconnects;
                EXPECT_EQ(rig.p().link.ActiveLink == nullptr, closed);
                EXPECT_EQ(rig.p().connected, closed ? 0 : 1);
                if (closed) {
                    EXPECT_EQ(requests.back(), 14);   // the device is told to leave link mode
                    EXPECT_EQ(rig.p().form.connection.connectCaption, "Connect");
                    EXPECT_FALSE(rig.p().form.connection.powerOffEnabled);
                }
                EXPECT_EQ(enabled, !(withSender && closed && c.senderStaysOff));
            }
        }
    }
}

TEST(ControlCommands, withoutALinkOnlyThePowerOffsSayIt)
{
    SimRig rig;
    bool enabled = true;
    for (const CommandCase& c : kCommands)
        EXPECT_EQ(c.handler(rig.p(), &enabled), 1) << c.name;
    EXPECT_EQ(Button_off_and_clearClick(rig.p(), &enabled), 1);
    EXPECT_TRUE(rig.host.logs().empty());
    EXPECT_EQ(rig.host.boxes(), (Strings{"Com port error!", "Com port error!"}));
    EXPECT_TRUE(rig.device.requestLog().empty());
}

TEST(ControlCommands, coldStartGoesOnWhenForwardingOnIsUnanswered)
{
    SimRig rig;
    ASSERT_EQ(rig.connect(), 0);
    rig.clearEvents();
    rig.device.faults.dropAnswers[0x15] = 1;
    const size_t before = rig.device.requestLog().size();
    EXPECT_EQ(Button_GPS_ColdStartClick(rig.p()), 0);
    EXPECT_EQ(rig.host.logs(), (Strings{"GPS2VCOM on set failed!", "GPS Cold Start...",
                                        "GPS/NMEA enabled,closing COM port...", "Device disconnected."}));
    EXPECT_EQ(std::vector<int>(rig.device.requestLog().begin() + long(before), rig.device.requestLog().end()),
              (std::vector<int>{0x15, 0x19, 14}));
    EXPECT_EQ(rig.device.control.coldStarts, 1);
}

TEST(ControlCommands, clearAndPowerOffSwitchesOffOnlyAfterASuccessfulClear)
{
    struct Case {
        const char* name;
        std::function<void(SimFaults&)> fault;
        int result;
        Strings tail;   // the last lines logged
    };
    const std::vector<Case> cases = {
        {"cleared", [](SimFaults&) {}, 0,
         {"Log data cleared successfully", "Log cleared.", "Poweroff device...", "Device off OK.",
          "Device disconnected.", "Remove USB Cable now."}},
        {"clear unacknowledged", [](SimFaults& f) { f.dropAnswers[0x504] = 1; }, 3,
         {"Clearing log data...", "Timeout:No ack!"}},
        {"clear never completes", [](SimFaults& f) { f.noCompletion[0x504] = 1; }, 4,
         {"Clearing log data...", "Time out, Failed to clear data"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimRig rig;
        ASSERT_EQ(rig.connect(), 0);
        rig.clearEvents();
        c.fault(rig.device.faults);
        bool& enabled = rig.p().form.unseen.offAndClearEnabled;
        EXPECT_EQ(Button_off_and_clearClick(rig.p(), &enabled), c.result);
        const Strings logs = rig.host.logs();
        ASSERT_GE(logs.size(), c.tail.size());
        EXPECT_EQ(Strings(logs.end() - long(c.tail.size()), logs.end()), c.tail);
        const bool off = c.result == 0;
        EXPECT_EQ(rig.device.control.poweredOff, off);
        EXPECT_EQ(rig.p().link.ActiveLink != nullptr, !off);
        EXPECT_EQ(enabled, !off);   // a failed clear leaves the button ready for another try
    }
}

} // namespace
