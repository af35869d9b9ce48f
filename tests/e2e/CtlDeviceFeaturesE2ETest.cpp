// vr60ctl's device-feature commands against vr60sim over a real pseudo-terminal:
// the track store copied and converted in the working directory, the POI slots
// written and read back, and a clear-then-power-off whose clear fails.

#include <gtest/gtest.h>

#include "sim/SimTrackStore.h"
#include "support/Files.h"
#include "support/Processes.h"

namespace {

TEST(CtlDeviceFeaturesE2E, tracksDownloadWritesTheImageAndConvertsEachTrack)
{
    ScratchDir work;
    SimProcess sim({"--tracks", "3,0,20,1"});
    ASSERT_FALSE(sim.ptyPath().empty());
    const CtlResult r = RunCtl({"--port", sim.ptyPath(), "tracks", "download"}, {}, work.path.string());
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;
    EXPECT_EQ(ReadFileBytes(work.file("VR40_TRK_64KB.bin")), GenerateTrackImage({3, 0, 20, 1}));
    EXPECT_TRUE(Contains(r.out, "Start downloading(65536 bytes)...\nTracks downloaded successfully (VR40_TRK_64KB.bin).\n"));
    EXPECT_TRUE(Contains(r.out, "TRK To RMC/GPX/KML conversion completed.\n"));
    EXPECT_TRUE(Contains(r.out, "Track#3 points  20\n"));
    size_t nmea = 0, gpx = 0, kml = 0;
    for (const auto& entry : std::filesystem::directory_iterator(work.path)) {
        const std::string ext = entry.path().extension().string();
        nmea += ext == ".NMEA";
        gpx += ext == ".gpx";
        kml += ext == ".kml";
    }
    EXPECT_EQ(std::vector<size_t>({nmea, gpx, kml}), std::vector<size_t>({4, 3, 3}));
}

TEST(CtlDeviceFeaturesE2E, poiSlotsRoundTripAndAFailedClearKeepsTheDeviceOn)
{
    SimProcess sim({"--poi", "3=empty", "--fault", "drop=5/4"});
    const CtlResult write = RunCtl({"--port", sim.ptyPath(), "poi", "write", "3=-0.5,12.25", "4=91,0"});
    EXPECT_EQ(write.status, 10) << write.out << write.err;
    EXPECT_TRUE(Contains(write.out, "POI#3(-0.5000000,12.2500000) uploaded successfully.\nPOI#4 not uploaded: '91,0'"));
    const CtlResult read = RunCtl({"--port", sim.ptyPath(), "poi", "read", "2,3"});
    EXPECT_EQ(read.status, 0) << read.out << read.err;
    EXPECT_TRUE(Contains(read.out, "POI#2(-33.8567844,151.2152967).\nPOI#3(-0.5000000,12.2500000).\n")) << read.out;

    const CtlResult off = RunCtl({"--port", sim.ptyPath(), "power-off", "--clear"});
    EXPECT_EQ(off.status, 3) << off.out << off.err;
    EXPECT_TRUE(Contains(off.out, "Clearing log data...\nTimeout:No ack!\nDevice disconnected.\n")) << off.out;
    EXPECT_FALSE(Contains(off.out, "Log cleared."));
    EXPECT_FALSE(Contains(off.out, "Poweroff device..."));
    EXPECT_EQ(RunCtl({"serial", "12a"}).status, 11);   // refused before any port is opened
}

} // namespace
