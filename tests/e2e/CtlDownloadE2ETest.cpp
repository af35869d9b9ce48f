// vr60ctl download against vr60sim over a real pseudo-terminal: the file must be
// the device's log byte for byte, wrapped ring or not, and a device that goes
// away mid-transfer must end in a failure status, never in a false success.

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>

#include <unistd.h>

#include "logdata/DownloadRig.h"
#include "platform/ResultCode.h"
#include "sim/SimDevice.h"
#include "sim/SimOptions.h"
#include "support/Processes.h"

namespace {

// The log a simulated device started with these options holds.
std::vector<uint8_t> ExpectedLog(const std::vector<std::pair<std::string, std::string>>& options)
{
    SimDevice device;
    for (const auto& [name, value] : options) {
        std::string error;
        EXPECT_TRUE(ApplySimOption(device, name, value, &error)) << error;
    }
    return device.logArea.loggedBytes(device);
}

TEST(CtlDownloadE2E, unwrappedLogLandsUnderTheProposedName)
{
    ScratchDir work;
    SimProcess sim({"--points", "700", "--log-seed", "5", "--serial", "77", "--user", "Ann"});
    ASSERT_FALSE(sim.ptyPath().empty());
    const CtlResult r = RunCtl({"--port", sim.ptyPath(), "download"}, {}, work.path.string());
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;

    std::string file;
    for (const auto& entry : std::filesystem::directory_iterator(work.path))
        file = entry.path().string();
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(std::filesystem::path(file).filename().string().rfind("000000077_Ann_", 0), 0u) << file;
    EXPECT_EQ(ReadFileBytes(file), ExpectedLog({{"points", "700"}, {"log-seed", "5"}}));
    EXPECT_TRUE(Contains(r.out, "Log file        " + file + " (700 points)")) << r.out;
    EXPECT_FALSE(Contains(r.out, "Clearing log data..."));   // Auto clear is off by default
}

TEST(CtlDownloadE2E, wrappedLogFromAFileIsCopiedExactlyThenCleared)
{
    ScratchDir work;
    const std::vector<uint8_t> records = GenerateSbpRecords(500, 9);
    const std::string source = work.file("source.sbp");
    std::ofstream(source, std::ios::binary).write(reinterpret_cast<const char*>(records.data()), records.size());
    SimProcess sim({"--log-file", source, "--ring-start", "0x40F000"});

    const std::string out = work.file("out.sbp");
    const CtlResult r = RunCtl({"--port", sim.ptyPath(), "download", "--out", out, "--clear"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_TRUE(Contains(r.out, "DLG addr=00010000h,size=00400000h,cyc_start=0040f000h,cyc_blank=00012e80h")) << r.out;
    EXPECT_EQ(ReadFileBytes(out), records);
    EXPECT_TRUE(Contains(r.out, "Log data cleared successfully")) << r.out;

    const CtlResult again = RunCtl({"--port", sim.ptyPath(), "download", "--out=" + work.file("again.sbp")});
    EXPECT_EQ(again.status, kEmptyFile);
    EXPECT_EQ(Lines(again.err), std::vector<std::string>{"No log data!"});
    EXPECT_FALSE(std::filesystem::exists(work.file("again.sbp")));
}

TEST(CtlDownloadE2E, slowLineCompletesJustSlowly)
{
    // 1280 bytes at 4800 bps take about 2.7 s: far more polls than the block's budget.
    ScratchDir work;
    SimProcess sim({"--points", "40", "--pace", "4800"});
    const std::string out = work.file("slow.sbp");
    const CtlResult r = RunCtl({"--port", sim.ptyPath(), "--baud", "4800", "download", "--out", out});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(ReadFileBytes(out), ExpectedLog({{"points", "40"}}));
}

TEST(CtlDownloadE2E, autoClearFromTheIniIsAnnouncedAndThePointsWrittenReported)
{
    ScratchDir work;
    std::ofstream(work.file("VR60Test.ini")) << "[VR60TEST]\r\nauto_log_clear_after_download=1\r\n";
    SimProcess sim({"--points", "50"});

    const CtlResult kept = RunCtl({"--port", sim.ptyPath(), "download", "--out", "a.sbp", "--no-clear"}, {},
                                  work.path.string());
    EXPECT_EQ(kept.status, 0) << kept.out << kept.err;
    EXPECT_FALSE(Contains(kept.out, "Auto clear"));
    EXPECT_FALSE(Contains(kept.out, "Clearing log data..."));

    const CtlResult r = RunCtl({"--port", sim.ptyPath(), "download", "--out", "b.sbp"}, {}, work.path.string());
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "Auto clear is on: auto_log_clear_after_download=1 in " + work.file("VR60Test.ini") +
                            "; after a complete download the log, the track slots and the waypoints are erased "
                            "(--no-clear keeps them)");
    EXPECT_TRUE(Contains(r.out, "Log data cleared successfully")) << r.out;
    EXPECT_TRUE(Contains(r.out, "Log file        b.sbp (50 points)")) << r.out;
    EXPECT_EQ(ReadFileBytes(work.file("b.sbp")), ExpectedLog({{"points", "50"}}));
}

// Each over an earlier complete log of the same name, which must stay as it was.
TEST(CtlDownloadE2E, signalStopsTheDownloadLeavesLinkModeAndKeepsWhatArrivedUnderThePartialName)
{
    const struct {
        int signal;
        size_t waitForBytes;   // in the partial file before the signal
    } cases[] = {{SIGINT, 8192}, {SIGTERM, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.signal);
        ScratchDir work;
        // 32000 bytes at 38400 bps: about 8 s, 2 s a block.
        SimProcess sim({"--points", "1000", "--pace", "38400"});
        const std::string out = work.file("x.sbp");
        const std::string partial = work.file("x.partial.sbp");
        const std::vector<uint8_t> earlier = ExpectedLog({{"points", "1200"}});
        std::ofstream(out, std::ios::binary).write(reinterpret_cast<const char*>(earlier.data()), earlier.size());
        CtlProcess ctl({"--port", sim.ptyPath(), "--yes", "download", "--out", out, "--clear"}, {}, {},
                       {"VR60_TRACE=" + work.file("trace")});
        ASSERT_TRUE(ctl.waitForOutput(".........", 20000));
        for (int waited = 0; waited < 20000 && ReadFileBytes(partial).size() < c.waitForBytes; waited += 20)
            usleep(20000);
        ctl.signal(c.signal);
        const CtlResult r = ctl.finish();

        EXPECT_EQ(r.status, 128 + c.signal) << r.out << r.err;
        EXPECT_EQ(ReadFileBytes(out), earlier);
        const size_t kept = ReadFileBytes(partial).size();
        EXPECT_GE(kept, c.waitForBytes);
        EXPECT_LT(kept, 32000u);
        const std::string left = kept ? partial + " holds " + std::to_string(kept) + " bytes (incomplete)"
                                      : std::string("no log data was kept");
        EXPECT_TRUE(Contains(r.out, "The download was stopped; " + left + "; " + out + " is as it was\n")) << r.out;
        EXPECT_EQ(Lines(r.out).back(), "Device disconnected.");
        const std::string trace = ReadText(work.file("trace"));
        EXPECT_TRUE(Contains(trace, "A0 A2 01 00 0E 0E 00 B0 B3"));   // link mode left
        EXPECT_FALSE(Contains(trace, "A0 A2 02 00 05 04"));          // nothing cleared
    }
}

TEST(CtlDownloadE2E, hangUpMidDownloadFailsAsThePortGoneKeepsTheEarlierFileAndDoesNotClear)
{
    ScratchDir work;
    SimProcess sim({"--points", "1000", "--fault", "hangup=4:3"});
    const std::string out = work.file("h.sbp");
    std::ofstream(out) << "an earlier log";
    const CtlResult r = RunCtl({"--port", sim.ptyPath(), "--yes", "download", "--out", out, "--clear"});
    EXPECT_EQ(r.status, 1) << r.out << r.err;
    EXPECT_TRUE(Contains(r.out, "Failed to download log data!\nThe download did not complete; " +
                                    work.file("h.partial.sbp") + " holds 16384 bytes (incomplete); " + out +
                                    " is as it was\n"))
        << r.out;
    EXPECT_TRUE(Contains(r.err, "Download failed!")) << r.err;
    EXPECT_FALSE(Contains(r.out, "Log file"));
    EXPECT_FALSE(Contains(r.out, "Clearing log data..."));
    EXPECT_EQ(ReadText(out), "an earlier log");
    const std::vector<uint8_t> log = ExpectedLog({{"points", "1000"}});
    EXPECT_EQ(ReadFileBytes(work.file("h.partial.sbp")), std::vector<uint8_t>(log.begin(), log.begin() + 16384));
}

} // namespace
