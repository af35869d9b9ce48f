// The Connect button against the in-process device: what goes on the wire, in
// which order, and what the operator reads for every way it can fail.

#include <gtest/gtest.h>

#include <filesystem>

#include "connection/ConnectionSequence.h"
#include "link/Exchange.h"
#include "link/FrameEncoder.h"
#include "platform/ResultCode.h"
#include "support/SimRig.h"

namespace {

using Ev = FakeHost::Event;

Ev Log(const std::string& t)
{
    return {Ev::Log, t};
}
Ev Box(const std::string& t)
{
    return {Ev::Box, t};
}

const std::vector<Ev> kOpenHints = {Log("Open COM port error!"), Log("Check if the GPS device is in VRLink mode.."),
                                    Log("Check if the proper com port is selected..."),
                                    Log("Unplug and plug the GPS USB cable again...")};

std::vector<Ev> Cat(std::initializer_list<std::vector<Ev>> parts)
{
    std::vector<Ev> all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

TEST(ConnectionSequence, successfulConnectSendsTheStepsInOrderAndFillsTheWindow)
{
    SimRig rig;
    EXPECT_EQ(rig.connect(), 0);
    EXPECT_EQ(rig.device.requestLog(), (std::vector<int>{31, 1, 0x506, 0x0B, 0x505, 0x0B, 67, 24}));
    EXPECT_EQ(rig.host.events, (std::vector<Ev>{Log("Device in MTN mode."), Log("Detecting device..."),
                                                Log("Device sync OK."), Log("FW:VR60 G1.02 "),
                                                Log("Log points:1200,Max points:131072,Dev sno:1234,User:username"),
                                                Log("Device connected ")}));
    const Program& p = rig.p();
    EXPECT_EQ(p.connected, 1);
    EXPECT_TRUE(p.extendedSettings);
    EXPECT_EQ(p.savedPortNumber, 7);
    EXPECT_EQ(p.savedBaudIndex, 7);
    EXPECT_EQ(p.form.connection.connectCaption, "Disconnect");
    EXPECT_FALSE(p.form.connection.comPortEnabled);
    EXPECT_TRUE(p.form.settings.factoryResetEnabled);
    EXPECT_EQ(p.form.connection.windowCaption, "VR60 UTIL V0.2B0407B (000001234::username)");
    EXPECT_EQ(p.form.settings.currentSno, "000001234");
    EXPECT_EQ(p.form.logData.pointsLogged, "1200(0%)");
    EXPECT_EQ(p.form.logData.maximumPoints, "131072");
    EXPECT_EQ(p.form.settings.gpsVersion, "GSD4e_4.1.2-P1 R+");
    EXPECT_EQ(p.form.unseen.firmwareCaption, "VR60 G1.02");
    EXPECT_EQ(p.link.gauge.tag, 1);
    const std::string name = std::filesystem::path(p.form.logData.logFileName).filename().string();
    ASSERT_EQ(name.size(), std::string("000001234_username_20140407_153012.sbp").size());
    EXPECT_EQ(name.substr(0, 19), "000001234_username_");
    EXPECT_EQ(std::filesystem::path(p.form.logData.logFileName).parent_path(), std::filesystem::current_path());

    rig.clearEvents();
    EXPECT_EQ(rig.connect(), 0);
    EXPECT_EQ(rig.device.requestLog().back(), 14);
    EXPECT_EQ(rig.host.events, std::vector<Ev>{Log("Device disconnected.")});
    EXPECT_EQ(rig.p().connected, 0);
    EXPECT_EQ(rig.p().link.ActiveLink, nullptr);
    EXPECT_EQ(rig.p().form.connection.connectCaption, "Connect");
}

TEST(ConnectionSequence, portThatCannotBeOpenedGivesOneBoxFourLinesAndAHint)
{
    SimRig rig;
    rig.failOpen = OpenError::Busy;
    EXPECT_EQ(rig.connect(), 1);
    ASSERT_EQ(rig.host.events.size(), 6u);
    EXPECT_EQ(std::vector<Ev>(rig.host.events.begin(), rig.host.events.begin() + 5),
              Cat({{Box("Open COM port error!")}, kOpenHints}));
    EXPECT_NE(rig.host.events[5].text.find("in use by another program"), std::string::npos);
    EXPECT_EQ(rig.p().connected, 0);
    EXPECT_EQ(rig.p().form.connection.connectCaption, "Connect");
    EXPECT_TRUE(rig.p().form.connection.connectEnabled);
}

TEST(ConnectionSequence, openErrorHintsSayWhichAndHowToFix)
{
    for (auto [error, words] : {std::pair{OpenError::NotFound, "no such port"},
                                std::pair{OpenError::AccessDenied, "dialout group"},
                                std::pair{OpenError::AccessDenied, " /usr/lib/udev/rules.d/60-vr60.rules "},
                                std::pair{OpenError::Busy, "ModemManager"},
                                std::pair{OpenError::Busy, " /usr/lib/udev/rules.d/60-vr60.rules "}}) {
        SimRig rig;
        rig.failOpen = error;
        rig.connect();
        EXPECT_NE(rig.host.events.back().text.find(words), std::string::npos) << rig.host.events.back().text;
    }
}

TEST(ConnectionSequence, noAnswerToLinkModeTwiceLeavesThePortOpen)
{
    SimRig rig;
    rig.device.faults.dropAnswers[31] = kFaultForever;
    EXPECT_EQ(rig.connect(), 5);
    EXPECT_EQ(rig.host.events, Cat({{Log("USB-MTN Failed !"), Box("Open COM port error!")}, kOpenHints}));
    EXPECT_EQ(rig.device.requestLog(), (std::vector<int>{31, 31}));
    EXPECT_EQ(rig.p().connected, 1);
    EXPECT_NE(rig.p().link.ActiveLink, nullptr);
    EXPECT_EQ(rig.p().form.connection.connectCaption, "Disconnect");

    // Disconnect still tells the device and closes the port; no "not detected" box.
    rig.clearEvents();
    rig.connect();
    EXPECT_EQ(rig.device.requestLog().back(), 14);
    EXPECT_EQ(rig.host.events, std::vector<Ev>{Log("Device disconnected.")});
    EXPECT_EQ(rig.p().link.ActiveLink, nullptr);
}

TEST(ConnectionSequence, linkModeOnTheSecondTryLogsTwoDots)
{
    SimRig rig;
    rig.device.faults.dropAnswers[31] = 1;
    EXPECT_EQ(rig.connect(), 0);
    EXPECT_EQ(rig.host.events.front(), Log("Device in MTN mode.."));
}

TEST(ConnectionSequence, noAnswerToSyncDisconnectsWithNotDetectedBox)
{
    SimRig rig;
    rig.device.faults.dropAnswers[1] = kFaultForever;
    EXPECT_EQ(rig.connect(), 5);
    EXPECT_EQ(rig.host.events, (std::vector<Ev>{Log("Device in MTN mode."), Log("Detecting device..."),
                                                Log("Device sync failed!"), Log("Device disconnected."),
                                                Box("Device not detected, check COM port and try again!")}));
    EXPECT_EQ(rig.device.requestLog(), (std::vector<int>{31, 1, 1, 14}));
    EXPECT_EQ(rig.p().connected, 0);
    EXPECT_EQ(rig.p().savedPortNumber, 0);
}

TEST(ConnectionSequence, syncOnTheSecondTryLogsTwoDots)
{
    SimRig rig;
    rig.device.faults.dropAnswers[1] = 1;
    EXPECT_EQ(rig.connect(), 0);
    EXPECT_EQ(rig.host.events[2], Log("Device sync OK.."));
}

TEST(ConnectionSequence, failedStatusQueryDisconnectsWithItsOwnLineAndABox)
{
    SimRig rig;
    rig.device.faults.dropAnswers[0x505] = kFaultForever;
    EXPECT_EQ(rig.connect(), 5);
    EXPECT_EQ(rig.host.events,
              (std::vector<Ev>{Log("Device in MTN mode."), Log("Detecting device..."), Log("Device sync OK."),
                               Log("FW:VR60 G1.02 "), Log("Logger Status Query Error:Time Out!"),
                               Log("Device disconnected."), Box("Failed to query configuration")}));
    EXPECT_EQ(rig.p().connected, 0);
    // Synchronised, so the port counts as good.
    EXPECT_EQ(rig.p().savedPortNumber, 7);
}

TEST(ConnectionSequence, failedVersionQueryIsReportedBeforeAnythingElseIsAsked)
{
    SimRig rig;
    rig.device.faults.dropAnswers[0x506] = kFaultForever;
    EXPECT_EQ(rig.connect(), 5);
    EXPECT_EQ(rig.host.events[3], Log("FW Query Error:Time Out!"));
    EXPECT_EQ(rig.device.requestLog(), (std::vector<int>{31, 1, 0x506, 14}));
}

TEST(ConnectionSequence, versionCheckComparesExactly)
{
    SimRig rig;
    rig.p().form.unseen.checkVersion = true;
    rig.connect();
    EXPECT_EQ(rig.host.boxes(), std::vector<std::string>{"Firmware version ERROR!"});
    EXPECT_EQ(rig.p().form.unseen.firmwareCaptionColour, Colour::Red);
    EXPECT_EQ(rig.p().connected, 1);

    SimRig same;
    same.p().form.unseen.checkVersion = true;
    same.p().form.unseen.versionMatch = "VR60 G1.02";
    same.connect();
    EXPECT_TRUE(same.host.boxes().empty());
    EXPECT_EQ(same.p().form.unseen.firmwareCaptionColour, Colour::Green);
}

TEST(ConnectionSequence, settingsAreReadTwiceOnlyWithTheExtendedBlock)
{
    SimRig rig;
    rig.device.model.firmwareVersion = "VR60 V1.02";
    rig.connect();
    EXPECT_FALSE(rig.p().extendedSettings);
    const auto& log = rig.device.requestLog();
    EXPECT_EQ(std::count(log.begin(), log.end(), 0x0B), 1);
}

TEST(ConnectionSequence, unusableGpsVersionPowersTheModuleOnAndKeepsNil)
{
    SimRig rig;
    rig.device.model.gpsVersionText = "VER,GPS,00001234";
    EXPECT_EQ(rig.connect(), 0);
    EXPECT_EQ(rig.p().form.settings.gpsVersion, "NIL");
    const std::vector<int> expectedTail = {67, 23, 26, 67, 23, 26, 67, 23, 26, 67, 23, 26, 24};
    const auto& log = rig.device.requestLog();
    EXPECT_EQ(std::vector<int>(log.end() - long(expectedTail.size()), log.end()), expectedTail);
    EXPECT_TRUE(rig.host.boxes().empty());
}

TEST(ConnectionSequence, deviceTextsAreCutAtTheirFieldAndThePayloadEnd)
{
    SimRig rig;
    rig.device.model.userName = "abcdefghijklmnopqrstuvwxyz";   // 26 characters, NUL-terminated
    rig.device.model.firmwareVersion = std::string(40, 'F');
    rig.connect();
    EXPECT_EQ(std::string(rig.p().identity.userName), "abcdefghijklmnopqr");
    EXPECT_EQ(std::string(rig.p().firmwareVersion), std::string(32, 'F'));

    // A status answer without a NUL: the name ends with the payload.
    SimRig noNul;
    noNul.device.setHandler(0x505, [](SimDevice& d, const uint8_t*, int) {
        // 0 points, 4 MiB, serial 0, then the name
        d.reply(0x85, {0, 0, 0, 0, 0, 0, 0x40, 0, 0, 0, 0, 0, 'b', 'o', 'b'});
    });
    noNul.connect();
    EXPECT_EQ(std::string(noNul.p().identity.userName), "bob");
}

TEST(ConnectionSequence, shortStatusAnswerIsAFailedQueryNotStaleBytes)
{
    SimRig rig;
    rig.device.setHandler(0x505, [](SimDevice& d, const uint8_t*, int) { d.reply(0x85, {1, 0, 0, 0}); });
    EXPECT_EQ(rig.connect(), 5);
    EXPECT_EQ(rig.host.boxes(), std::vector<std::string>{"Failed to query configuration"});
    EXPECT_EQ(rig.p().pointsLogged, 0);
}

TEST(ConnectionSequence, logFileNameStaysInTheWorkingDirectoryWhateverTheUserName)
{
    SimRig rig;
    rig.device.model.userName = "../../etc/x\x01:y";
    rig.connect();
    const std::filesystem::path file(rig.p().form.logData.logFileName);
    EXPECT_EQ(file.parent_path(), std::filesystem::current_path());
    EXPECT_EQ(file.filename().string().substr(0, 25), "000001234_______etc_x__y_");
}

} // namespace

namespace {

TEST(ConnectionSequence, reconnectingToAPlainDeviceAfterAnExtendedOneReadsCleanly)
{
    SimRig rig;
    rig.connect();
    rig.connect();
    ASSERT_TRUE(rig.p().extendedSettings);
    rig.device.model.firmwareVersion = "VR60 V1.02";
    rig.device.model.settings = {0, 4, 1, 0x13, 0, 10, 0};
    rig.clearEvents();
    EXPECT_EQ(rig.connect(), 0);
    EXPECT_TRUE(rig.host.boxes().empty());
    EXPECT_FALSE(rig.p().extendedSettings);
    EXPECT_EQ(rig.p().form.settings.unit, 1);
    EXPECT_EQ(rig.p().form.settings.minSpeed, 3);
}

TEST(ConnectionSequence, reconnectAfterTheCableDroppedMidAnswerConnects)
{
    SimRig rig;
    rig.connect();
    // Half of an 8 KB block, then the cable is gone: the parser holds a partly received frame.
    const std::vector<uint8_t> block(8192, 0x11);
    const std::vector<uint8_t> frame = EncodeFrame(0x84, block.data(), uint16_t(block.size()));
    rig.device.replyRaw(std::vector<uint8_t>(frame.begin(), frame.begin() + 4000));
    EXPECT_EQ(WaitResponse(rig.p().link, rig.p().link.ActiveLink, 0x84, 50), 1);
    rig.connect();   // Disconnect
    rig.clearEvents();
    EXPECT_EQ(rig.connect(), 0);
    EXPECT_EQ(rig.host.logs().back(), "Device connected ");
}

TEST(ConnectionSequence, stopWhileConnectingLeavesLinkModeAndSaysNothingFailed)
{
    SimRig rig;
    rig.host.onPump = [&] { rig.p().link.stopRequested = true; };
    rig.device.faults.dropAnswers[1] = 2;   // sync waits long enough to pump
    EXPECT_EQ(rig.connect(), kInterrupted);
    EXPECT_EQ(rig.host.logs(), (std::vector<std::string>{"Device in MTN mode.", "Detecting device...",
                                                         "Device disconnected."}));
    EXPECT_TRUE(rig.host.boxes().empty());
    EXPECT_EQ(rig.device.requestLog(), (std::vector<int>{31, 1, 14}));
}

} // namespace
