// vr60ctl against vr60sim over a real pseudo-terminal, as a user runs them.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

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

    // Every setting at once, in any letter case, a blank typed as '-'.
    const CtlResult w = RunCtl({"--port", "COM11", "settings", "log=5hz", "min-speed=15", "unit=Mi", "gmt=-03:30",
                                "spd-avg=2", "spd-genie=31", "action-spd=ns-avg", "spd-font=BIG"},
                               sim.aliasDir());
    EXPECT_EQ(w.status, 0) << w.out << w.err;
    const CtlResult r = RunCtl({"--port", "COM11", "settings"}, sim.aliasDir());
    EXPECT_TRUE(Contains(r.out, "LOGGING     5HZ\nMIN SPEED   15\nUNIT        MI\nGMT         -03:30\nSPD AVG     2 \n"
                                "SPD GENIE   31\nACTION SPD  NS AVG\nSPD FONT    BIG\nLANGUAGE    English   (read only)\n"))
        << r.out;

    SimProcess old({"--com", "12", "--no-extended"});
    const CtlResult fourBytes = RunCtl({"--port", "COM12", "settings"}, old.aliasDir());
    EXPECT_TRUE(Contains(fourBytes.out, "GMT         +08:00\nSPD AVG, SPD GENIE, ACTION SPD, SPD FONT: not on this "
                                        "firmware (no extended block)\nLANGUAGE    English   (read only)\n"))
        << fourBytes.out;

    // Refused before connecting.
    const std::pair<const char*, const char*> refused[] = {
        {"unit=LIGHTYEARS", "'LIGHTYEARS' is not a value of unit"},
        {"min-speed=16", "'16' is not a value of min-speed"},
        {"spd-avg=0", "'0' is not a value of spd-avg"},
        {"gmt=-3:30", "'-3:30' is not a value of gmt"},
        {"log", "unknown setting 'log'"},
        {"speed=3", "unknown setting 'speed=3'"},
    };
    for (const auto& [assignment, says] : refused) {
        const CtlResult bad = RunCtl({"--port", "COM11", "settings", "unit=KM", assignment}, sim.aliasDir());
        EXPECT_EQ(bad.status, 2) << assignment;
        EXPECT_TRUE(Contains(bad.err, says)) << bad.err;
        EXPECT_TRUE(bad.out.empty()) << bad.out;
    }
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

TEST(CtlConnectE2E, commandLineMistakesGetAClearMessageAndStatus2)
{
    const struct {
        std::vector<std::string> args;
        int status;
        const char* out;   // part of stdout
        const char* err;   // part of stderr
        std::vector<std::string> env;
    } cases[] = {
        {{"--port"}, 2, "", "--port needs a port", {}},
        {{"--port", "", "info"}, 2, "", "--port needs a port", {}},
        {{"--port", "COM300", "info"}, 2, "", "COM300 cannot be used: port numbers go up to COM255", {}},
        {{"info", "--port", "COM7"}, 2, "", "--port goes before the command", {}},
        // 48 hundred is no rate here, though a saved BAUD=48 is read as 4800.
        {{"--baud", "48", "info"}, 2, "", "vr60ctl: 48 is not one of the eight baud rates", {}},
        {{"--baud", "1234", "info"}, 2, "", "vr60ctl: 1234 is not one of the eight baud rates", {}},
        {{"ports", "extra"}, 2, "", "ports takes no arguments", {}},
        {{"download", "--out"}, 2, "", "--out needs a file name", {}},
        {{"download", "--out=", "--clear"}, 2, "", "vr60ctl: download: --out needs a file name", {}},
        {{"download", "--out", "--clear"}, 2, "", "vr60ctl: download: --out needs a file name", {}},
        {{"download", "--quick"}, 2, "", "vr60ctl: download: unknown option --quick", {}},
        {{"clear", "--quick", "now"}, 2, "", "vr60ctl: clear: unexpected 'now'", {}},
        {{"analyze", "x.sbp", "--max-gap=0"}, 2, "", "vr60ctl: analyze: '0' is not a valid value for --max-gap", {}},
        {{"analyze", "x.sbp", "--json=yes"}, 2, "", "vr60ctl: analyze: ", {}},
        {{"selftest", "--items="}, 2, "", "vr60ctl: selftest: --items needs a list of test items", {}},
        {{"records", "--summary", "--csv"}, 2, "", "vr60ctl: records: --summary and --csv together", {}},
        {{"maplink", "log.sbp", "-1"}, 2, "", "ROW must be a row number from 1 ('-1')", {}},
        {{"info"}, 2, "", "VR60_TRACE: cannot write /nonexistent-folder/trace", {"VR60_TRACE=/nonexistent-folder/trace"}},
        {{"convert", "--help"}, 0, "convert FILE [--split]", "", {}},
        {{"help", "download"}, 0, "--no-clear", "", {}},
        {{"records", "--help"}, 0, "usage: vr60ctl records [OPTIONS]\n       vr60ctl records sync\n\n  records ", "", {}},
        {{"help"}, 0, "commands:", "", {}},
        {{"-h"}, 0, "commands:", "", {}},
        {{"--version"}, 0, "vr60ctl V0.2B0407B", "", {}},
    };
    for (const auto& c : cases) {
        const CtlResult r = RunCtl(c.args, "/nonexistent-alias-folder", {}, c.env);
        SCOPED_TRACE(r.out + r.err);
        EXPECT_EQ(r.status, c.status);
        EXPECT_NE(r.out.find(c.out), std::string::npos);
        EXPECT_NE(r.err.find(c.err), std::string::npos);
        EXPECT_EQ(r.err.empty(), *c.err == '\0');
    }
}

TEST(CtlConnectE2E, withoutPortTheLastGoodPortElseTheFirstAliasAndNothingAbove255)
{
    SimProcess first({"--com", "44", "--serial", "44"});
    SimProcess second({"--no-alias", "--serial", "12"});
    const std::string aliases = first.aliasDir();
    std::filesystem::create_symlink(second.ptyPath(), aliases + "/COM12");
    std::filesystem::create_symlink(second.ptyPath(), aliases + "/COM300");
    ScratchDir config;
    const std::vector<std::string> env{"XDG_CONFIG_HOME=" + config.path.string()};
    auto remember = [&](const char* port) {
        std::filesystem::create_directories(config.path / "TRAXELO");
        std::ofstream(config.path / "TRAXELO" / "VR40LINK.conf") << "[General]\nCOM=" << port << "\n";
    };
    auto portsLine = [&](int number) {
        const CtlResult r = RunCtl({"ports"}, aliases, {}, env);
        for (const std::string& line : Lines(r.out))
            if (line.rfind((number < 100 ? "COM " : "COM") + std::to_string(number) + "  ", 0) == 0)
                return line;
        return std::string();
    };

    const CtlResult ports = RunCtl({"ports"}, aliases, {}, env);
    EXPECT_EQ(ports.out.find("COM300"), std::string::npos) << ports.out;
    EXPECT_NE(ports.err.find("COM300 (" + second.ptyPath()), std::string::npos) << ports.err;
    EXPECT_NE(ports.err.find("port numbers go up to COM255"), std::string::npos) << ports.err;
    if (ports.out.find("/dev/ttyUSB") != std::string::npos || ports.out.find("/dev/ttyACM") != std::string::npos)
        GTEST_SKIP() << "a USB serial device comes before the aliases here";

    // Nothing remembered: the first alias, not a legacy ttyS port listed before it.
    EXPECT_NE(portsLine(12).find("<- used without --port: the first port alias"), std::string::npos) << ports.out;
    const CtlResult info = RunCtl({"info"}, aliases, {}, env);
    EXPECT_EQ(info.status, 0) << info.out << info.err;
    EXPECT_NE(info.out.find("Serial number   000000012"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("Port            COM12 (" + second.ptyPath() + ")"), std::string::npos) << info.out;
    // A connection remembers its port; a remembered port that is gone is passed over.
    EXPECT_NE(portsLine(12).find("the port of the last successful connection"), std::string::npos);
    remember("44");
    EXPECT_NE(portsLine(44).find("the port of the last successful connection"), std::string::npos);
    remember("99");
    EXPECT_NE(portsLine(12).find("the first port alias"), std::string::npos);
}

TEST(CtlConnectE2E, missingPortGivesTheOpenErrorNamingThePortAsGivenAndStatus1)
{
    const CtlResult r = RunCtl({"--port", "/dev/does-not-exist", "info"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(Lines(r.err), (std::vector<std::string>{"Open COM port error!",
                                                      "vr60ctl: no connection through /dev/does-not-exist"}));
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 5u) << r.out;
    EXPECT_EQ(lines[0], "Open COM port error!");
    EXPECT_EQ(lines[4], "/dev/does-not-exist: no such port. Plug the logger in and pick its port from the list.");
}

TEST(CtlConnectE2E, silentDeviceFailsSyncWithStatus5)
{
    SimProcess sim({"--fault", "drop=1"});
    const CtlResult r = RunCtl({"--port", sim.ptyPath(), "info"});
    EXPECT_EQ(r.status, 5);
    EXPECT_EQ(Lines(r.out), (std::vector<std::string>{"Device in MTN mode.", "Detecting device...",
                                                      "Device sync failed!", "Device disconnected."}));
    EXPECT_EQ(Lines(r.err), (std::vector<std::string>{"Device not detected, check COM port and try again!",
                                                      "vr60ctl: no connection through " + sim.ptyPath()}));
}

TEST(CtlConnectE2E, hangUpMidExchangeEndsAsThePortGone)
{
    SimProcess sim({"--fault", "hangup=5/5"});
    const CtlResult r = RunCtl({"--port", sim.ptyPath(), "info"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("Logger Status Query Error:Time Out!"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("Failed to query configuration"), std::string::npos);
}

TEST(CtlConnectE2E, factoryResetConfirmsOnStdout)
{
    SimProcess sim;
    const CtlResult r = RunCtl({"--port", sim.ptyPath(), "factory-reset"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.err.empty()) << r.err;
    EXPECT_TRUE(Contains(r.out, "Device Settings reset successfully.\n")) << r.out;
}

// The helper that stops the simulator after every test sees how it ended.
TEST(SimProcessWatch, aSimulatorThatEndsBadlyIsReported)
{
    SimProcess sim({"--fault", "nonsense"});
    const std::string problem = sim.finish();
    EXPECT_NE(problem.find("vr60sim exited with status 2"), std::string::npos) << problem;
    EXPECT_NE(problem.find("unknown fault 'nonsense'"), std::string::npos) << problem;

    SimProcess clean;
    EXPECT_EQ(clean.finish(), "");
}

} // namespace
