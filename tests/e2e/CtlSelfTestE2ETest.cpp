// vr60ctl selftest against vr60sim over a real pseudo-terminal: the station's
// file read and written back, the verdict lines, and the exit status.

#include <gtest/gtest.h>

#include <fstream>

#include "support/Files.h"
#include "support/Processes.h"

namespace {

TEST(CtlSelfTestE2E, runsTheStationConfigurationAndExitsWithTheVerdict)
{
    ScratchDir work;
    std::ofstream(work.file("VR60Test.ini"), std::ios::binary)
        << "[VR60TEST]\r\ntest1=67108923\r\nauto_log_clear=0\r\nauto_poweroff=1\r\n"
           "ts_version=VER\r\ngps_version=GSD4e\r\n";

    // GPS RMC (bit 4) fails on this unit; the battery is inside 423 +- 6.
    SimProcess sim({"--selftest-delay", "100", "--selftest-pass", "0xFFFFFFEF", "--battery", "425"});
    ASSERT_FALSE(sim.ptyPath().empty());
    const CtlResult r = RunCtl({"--port", sim.ptyPath(), "selftest", "--items", "rtc,battery,gps-rmc", "--no-snr"},
                               {}, work.path.string());
    EXPECT_EQ(r.status, 8) << r.out << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;
    std::vector<std::string> lines = Lines(r.out);
    ASSERT_GE(lines.size(), 12u) << r.out;
    // The record is stored once the power-off is done.
    EXPECT_EQ(lines[lines.size() - 8].rfind("Test record stored in ", 0), 0u) << r.out;
    lines.erase(lines.end() - 8);
    EXPECT_EQ(std::vector<std::string>(lines.end() - 11, lines.end()),
              (std::vector<std::string>{"Poweroff device...", "Device off OK.", "Device disconnected.",
                                        "Remove USB Cable now.",
                                        "RTC             passed",
                                        "Battery         passed",
                                        "GPS RMC         failed",
                                        "Battery         425 (0.01 V), window 417..429",
                                        "TS version      \"VER\" matches \"VER\"",
                                        "GPS version     \"GSD4e_4.1.2-P1 R+\" matches \"GSD4e\"",
                                        "Result          FAIL"}))
        << r.out;
    EXPECT_EQ(r.out.find("Clearing log data..."), std::string::npos);   // auto clear off in the file
    const std::string saved = ReadText(work.file("VR60Test.ini"));
    EXPECT_NE(saved.find("test1=67108912\r\n"), std::string::npos) << saved;   // the --items selection
    EXPECT_NE(saved.find("auto_log_clear=0\r\n"), std::string::npos) << saved;

    // A unit that does not acknowledge the start: its code, and the box as the result.
    SimProcess silent({"--fault", "drop=0x13"});
    const CtlResult n = RunCtl({"--port", silent.ptyPath(), "selftest", "--items", "rtc"}, {}, work.path.string());
    EXPECT_EQ(n.status, 3) << n.out << n.err;
    EXPECT_EQ(Lines(n.err), std::vector<std::string>{"BIT Timeout Error"});
    EXPECT_EQ(Lines(n.out).back(), "Result          BIT Timeout Error");

    const CtlResult bad = RunCtl({"selftest", "--items", "rtc,warp-drive"}, {}, work.path.string());
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("'warp-drive' is not a test item"), std::string::npos) << bad.err;
}

} // namespace
