// vr60ctl against vr60sim over a real pseudo-terminal, as a user runs them.

#include <gtest/gtest.h>

#include "support/Files.h"
#include "support/Processes.h"

namespace {

TEST(CtlConnectE2E, infoConnectsIdentifiesAndDisconnects)
{
    SimProcess sim({"--com", "9", "--serial", "42", "--user", "Jan"});
    ASSERT_FALSE(sim.ptyPath().empty());
    const CtlResult r = RunCtl({"--port", sim.ptyPath(), "info"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_GE(lines.size(), 6u) << r.out;
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 6),
              (std::vector<std::string>{"Device in MTN mode.", "Detecting device...", "Device sync OK.",
                                        "FW:VR60 G1.02 ", "Log points:1200,Max points:131072,Dev sno:42,User:Jan",
                                        "Device connected "}));
    EXPECT_NE(r.out.find("Serial number   000000042"), std::string::npos);
    EXPECT_NE(r.out.find("Window caption  VR60 UTIL V0.2B0407B (000000042::Jan)"), std::string::npos);
    EXPECT_EQ(lines.back(), "Device disconnected.");
    EXPECT_TRUE(r.err.empty()) << r.err;
}

TEST(CtlConnectE2E, comAliasAndSettingsWriteReachTheDevice)
{
    SimProcess sim({"--com", "11"});
    const CtlResult ports = RunCtl({"ports"}, sim.aliasDir());
    EXPECT_NE(ports.out.find("COM 11  " + sim.ptyPath()), std::string::npos) << ports.out;

    CtlResult w = RunCtl({"--port", "COM11", "settings", "gmt=-03:30", "unit=MI", "spd-font=BIG"}, sim.aliasDir());
    EXPECT_EQ(w.status, 0) << w.out << w.err;
    const CtlResult r = RunCtl({"--port", "COM11", "settings"}, sim.aliasDir());
    EXPECT_NE(r.out.find("GMT         -03:30"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("UNIT        MI"), std::string::npos);
    EXPECT_NE(r.out.find("SPD FONT    BIG"), std::string::npos);

    EXPECT_EQ(RunCtl({"--port", "COM11", "settings", "unit=LIGHTYEARS"}, sim.aliasDir()).status, 2);
}

TEST(CtlConnectE2E, settingsAreWrittenAndShownOnlyAfterAGoodReadOfTheRightBlock)
{
    const struct {
        const char* what;
        std::vector<std::string> sim;
        std::vector<std::string> args;
        int status;
        const char* err;
    } cases[] = {
        {"short answer, write", {"--fault", "short=0x0B"}, {"spd-genie=7"}, 4, "could not be read"},
        {"short answer, show", {"--fault", "short=0x0B"}, {}, 4, "could not be read"},
        {"no answer, write", {"--no-extended", "--fault", "drop=0x0B"}, {"log=OFF"}, 4, "could not be read"},
        {"extended field, 4-byte block", {"--no-extended"}, {"spd-avg=30"}, 11, "spd-avg=30 needs the extended"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir work;
        SimProcess sim(c.sim);
        std::vector<std::string> args{"--port", sim.ptyPath(), "settings"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CtlResult r = RunCtl(args, {}, {}, {"VR60_TRACE=" + work.file("trace")});
        EXPECT_EQ(r.status, c.status) << r.out << r.err;
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
        EXPECT_EQ(r.out.find("LOGGING"), std::string::npos) << r.out;
        // No settings write (message 0x0C, 4 or 7 bytes) went out.
        const std::string trace = ReadText(work.file("trace"));
        EXPECT_NE(trace.find("A0 A2 01 00 0B"), std::string::npos);
        EXPECT_EQ(trace.find("A0 A2 05 00 0C"), std::string::npos);
        EXPECT_EQ(trace.find("A0 A2 08 00 0C"), std::string::npos);
    }
}

TEST(CtlConnectE2E, missingPortGivesTheOpenErrorAndStatus1)
{
    const CtlResult r = RunCtl({"--port", "/dev/does-not-exist", "info"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(Lines(r.err), std::vector<std::string>{"Open COM port error!"});
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 5u) << r.out;
    EXPECT_EQ(lines[0], "Open COM port error!");
    EXPECT_NE(lines[4].find("no such port"), std::string::npos);
}

TEST(CtlConnectE2E, silentDeviceFailsSyncWithStatus5)
{
    SimProcess sim({"--fault", "drop=1"});
    const CtlResult r = RunCtl({"--port", sim.ptyPath(), "info"});
    EXPECT_EQ(r.status, 5);
    EXPECT_EQ(Lines(r.out), (std::vector<std::string>{"Device in MTN mode.", "Detecting device...",
                                                      "Device sync failed!", "Device disconnected."}));
    EXPECT_EQ(Lines(r.err), std::vector<std::string>{"Device not detected, check COM port and try again!"});
}

TEST(CtlConnectE2E, hangUpMidExchangeEndsLikeATimeOut)
{
    SimProcess sim({"--fault", "hangup=5/5"});
    const CtlResult r = RunCtl({"--port", sim.ptyPath(), "info"});
    EXPECT_EQ(r.status, 5);
    EXPECT_NE(r.out.find("Logger Status Query Error:Time Out!"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("Failed to query configuration"), std::string::npos);
}

TEST(CtlConnectE2E, factoryResetConfirms)
{
    SimProcess sim;
    const CtlResult r = RunCtl({"--port", sim.ptyPath(), "factory-reset"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(Lines(r.err), std::vector<std::string>{"Device Settings reset successfully."});
}

} // namespace
