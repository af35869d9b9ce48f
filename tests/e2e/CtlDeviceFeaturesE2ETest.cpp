// vr60ctl's device-feature commands against vr60sim over a real pseudo-terminal:
// the track store copied and converted in the working directory, a device that
// hangs up mid-transfer, the POI slots written and read back, refusals before
// any connection, and a clear-then-power-off whose clear fails.

#include <gtest/gtest.h>

#include "support/Files.h"
#include "sim/SimTrackStore.h"
#include "support/Processes.h"

namespace {

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

size_t FilesEndingIn(const ScratchDir& dir, const std::string& suffix)
{
    size_t n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path)) {
        const std::string name = entry.path().filename().string();
        n += name.size() >= suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
    }
    return n;
}

TEST(CtlDeviceFeaturesE2E, tracksDownloadWritesTheImageAndConvertsEachTrack)
{
    ScratchDir work;
    SimProcess sim({"--tracks", "3,0,20,1", "--user", "Ann Lee"});
    ASSERT_FALSE(sim.ptyPath().empty());
    const CtlResult r = RunCtl({"--port", sim.ptyPath(), "tracks", "download"}, {}, work.path.string());
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;
    EXPECT_EQ(ReadFileBytes(work.file("VR40_TRK_64KB.bin")), GenerateTrackImage({3, 0, 20, 1}));
    EXPECT_TRUE(Contains(r.out, "Start downloading(65536 bytes)...\nTracks downloaded successfully (VR40_TRK_64KB.bin).\n"));
    EXPECT_TRUE(Contains(r.out, "TRK To RMC/GPX/KML conversion completed.\n"));
    EXPECT_TRUE(Contains(r.out, "Track#3 points  20\n"));
    EXPECT_EQ(FilesEndingIn(work, ".NMEA"), 4u);
    EXPECT_EQ(FilesEndingIn(work, ".NMEA.gpx"), 3u);
    EXPECT_EQ(FilesEndingIn(work, ".NMEA.kml"), 3u);
}

TEST(CtlDeviceFeaturesE2E, hangUpMidTrackDownloadFailsAndKeepsWhatArrived)
{
    ScratchDir work;
    SimProcess sim({"--tracks", "9,9,9,9", "--fault", "hangup=4:3"});
    const CtlResult r = RunCtl({"--port", sim.ptyPath(), "tracks", "download"}, {}, work.path.string());
    EXPECT_EQ(r.status, 4) << r.out << r.err;
    EXPECT_TRUE(Contains(r.out, "Failed to download TRK data!")) << r.out;
    EXPECT_FALSE(Contains(r.out, "created"));
    EXPECT_EQ(Lines(r.err), std::vector<std::string>{"VR40 TRK Download failed!"});
    EXPECT_EQ(ReadFileBytes(work.file("VR40_TRK_64KB.bin")).size(), 2u * 4096);
}

TEST(CtlDeviceFeaturesE2E, poiSlotsAndRefusalsAndAFailedClearBeforePowerOff)
{
    SimProcess sim({"--poi", "3=empty", "--fault", "drop=5/4"});
    const CtlResult write = RunCtl({"--port", sim.ptyPath(), "poi", "write", "3=-0.5,12.25", "4=91,0"});
    EXPECT_EQ(write.status, 10) << write.out << write.err;
    EXPECT_TRUE(Contains(write.out, "POI#3(-0.5000000,12.2500000) uploaded successfully.\nPOI#4 not uploaded: '91,0'"));
    const CtlResult read = RunCtl({"--port", sim.ptyPath(), "poi", "read", "2,3"});
    EXPECT_EQ(read.status, 0) << read.out << read.err;
    EXPECT_TRUE(Contains(read.out, "POI#2(-33.8567844,151.2152967).\nPOI#3(-0.5000000,12.2500000).\n")) << read.out;

    // Refused before connecting: nothing reaches the device.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"serial", "12a"}, {"serial", "1234567890"}, {"username", "  "}}) {
        const CtlResult bad = RunCtl(args);
        EXPECT_EQ(bad.status, 11) << args[1];
        EXPECT_TRUE(bad.out.empty());
    }
    EXPECT_EQ(RunCtl({"tracks", "erase", "1,5"}).status, 2);

    const CtlResult off = RunCtl({"--port", sim.ptyPath(), "power-off", "--clear"});
    EXPECT_EQ(off.status, 3) << off.out << off.err;
    EXPECT_TRUE(Contains(off.out, "Clearing log data...\nTimeout:No ack!\nDevice disconnected.\n")) << off.out;
    EXPECT_FALSE(Contains(off.out, "Log cleared."));
    EXPECT_FALSE(Contains(off.out, "Poweroff device..."));
}

} // namespace
