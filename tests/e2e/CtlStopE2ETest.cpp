// A stop changes nothing: each command that changes the device is signalled
// while it waits on one of its requests (the simulator holds that answer back),
// and the simulator's request log must show nothing after that request but the
// one that takes the device out of link mode.

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <regex>

#include <unistd.h>

#include "support/Files.h"
#include "support/Processes.h"

namespace {

struct StopCase {
    const char* name;
    std::vector<std::string> command;
    std::vector<std::string> simOptions;
    const char* heldRequest;   // as the request log writes its key
    int signal;
    const char* lastLine = "Device disconnected.";
};

// Whether the request log holds the key within 30 s.
bool WaitForRequest(const std::string& log, const std::string& key)
{
    for (int waited = 0; waited < 30000; waited += 5) {
        for (const std::string& line : Lines(ReadText(log)))
            if (line == key)
                return true;
        usleep(5000);
    }
    return false;
}

TEST(CtlStopE2E, nothingButLeavingLinkModeFollowsTheStop)
{
    const StopCase cases[] = {
        {"selftest", {"selftest"}, {"--selftest-delay", "60000"}, "0x13", SIGINT},
        // Passed, then stopped in the auto clear: the power-off that was to follow is not sent.
        {"selftest: clear", {"selftest", "--items", "rtc", "--no-snr"},
         {"--selftest-delay", "100", "--fault", "nocompletion=5/4"}, "5/4", SIGINT,
         "Result          PASS, then the auto clear was stopped"},
        {"serial", {"serial", "77"}, {"--fault", "nocompletion=5/4"}, "5/4", SIGTERM},
        {"clear", {"clear"}, {"--fault", "nocompletion=5/4"}, "5/4", SIGINT},
        {"tracks erase", {"tracks", "erase", "2,3,4"}, {"--late-ms", "60000", "--fault", "late=0x1E:1"}, "0x1E", SIGTERM},
        {"tracks upload", {"tracks", "upload"}, {"--late-ms", "60000", "--fault", "late=0x1E:1"}, "0x1E", SIGINT},
        {"poi delete", {"poi", "delete"}, {"--late-ms", "60000", "--fault", "late=0x32:1"}, "0x32", SIGTERM},
        {"poi write", {"poi", "write", "1=1.5,2.5", "2=3,4", "3=5,6"}, {"--late-ms", "60000", "--fault", "late=0x31:1"},
         "0x31", SIGINT},
        // 32000 bytes at 38400 bps: each 8 KB block takes about 2 s to arrive.
        {"download --clear", {"download", "--out", "x.sbp", "--clear"}, {"--points", "1000", "--pace", "38400"}, "0x04",
         SIGTERM},
        {"power-off --clear", {"power-off", "--clear"}, {"--fault", "nocompletion=5/4"}, "5/4", SIGINT},
    };
    const std::regex wrongAfterStop("successfully|time ?out|abort|fail", std::regex::icase);
    for (const StopCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir work;
        std::ofstream(work.file("VR40_TRK_64KB_X.BIN"), std::ios::binary) << std::string(65536, '\x5A');
        std::vector<std::string> simArgs = {"--no-alias", "--request-log", work.file("requests.log")};
        simArgs.insert(simArgs.end(), c.simOptions.begin(), c.simOptions.end());
        SimProcess sim(simArgs);
        ASSERT_FALSE(sim.ptyPath().empty());
        std::vector<std::string> args = {"--port", sim.ptyPath()};
        args.insert(args.end(), c.command.begin(), c.command.end());
        CtlProcess ctl(args, {}, work.path.string());
        const bool held = WaitForRequest(work.file("requests.log"), c.heldRequest);
        ctl.signal(c.signal);
        const CtlResult r = ctl.finish();
        ASSERT_TRUE(held);

        const std::vector<std::string> requests = Lines(ReadText(work.file("requests.log")));
        const auto stop = std::find(requests.begin(), requests.end(), c.heldRequest);
        ASSERT_NE(stop, requests.end());
        EXPECT_EQ(std::vector<std::string>(stop + 1, requests.end()), std::vector<std::string>{"0x0E"});
        EXPECT_EQ(r.status, 128 + c.signal) << r.out << r.err;
        EXPECT_FALSE(std::regex_search(r.out + r.err, wrongAfterStop)) << r.out << r.err;
        EXPECT_EQ(Lines(r.out).back(), c.lastLine) << r.out;
        EXPECT_EQ(Lines(r.err).back(), c.signal == SIGINT ? "vr60ctl: interrupted by SIGINT"
                                                          : "vr60ctl: interrupted by SIGTERM")
            << r.err;
    }
}

} // namespace
