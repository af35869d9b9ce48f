// The track conversion: TrackToNmea on worked values against a golden small
// image, and the whole conversion with a fake and with the real GPSBabel:
// every run waited for, "created" only for files that exist, the KML track
// named for the owner in-process.

#include <gtest/gtest.h>

#include "device/TrackConversion.h"
#include "device/TrackRig.h"
#include "device/TrackStore.h"
#include "platform/ByteOrder.h"
#include "platform/ResultCode.h"
#include "sim/SimTrackStore.h"
#include "support/Processes.h"

namespace {

using Strings = std::vector<std::string>;
using Bytes = std::vector<uint8_t>;

void PutPoint(Bytes& image, size_t at, uint32_t when, int32_t lat, int32_t lon, uint16_t altitude, uint8_t course,
              uint8_t speed)
{
    uint8_t* p = image.data() + at * 16;
    PutLe32(p, when);
    PutLe32(p + 4, uint32_t(lat));
    PutLe32(p + 8, uint32_t(lon));
    PutLe16(p + 12, altitude);
    p[14] = course;
    p[15] = speed;
}

// Compares with tests/data/device/<name>; VR60_UPDATE_GOLDEN=1 rewrites the file instead.
void ExpectGolden(const std::string& name, const std::string& actual)
{
    const std::string path = std::string(VR60_TEST_DATA_DIR) + "/device/" + name;
    const char* update = std::getenv("VR60_UPDATE_GOLDEN");
    if (update && std::string(update) == "1")
        std::ofstream(path, std::ios::binary) << actual;
    else
        EXPECT_EQ(ReadText(path), actual) << name << " differs from its golden file";
}

TEST(TrackToNmea, workedPointsGiveGgaThenRmcUntilABlankDateTime)
{
    // (2000 + y) * 12 + month in bits 22-31; 12 * 24 + 12 is December 2024.
    Bytes image(kTrackStoreBytes, 0xFF);
    PutPoint(image, 0, (24u * 12 + 6) << 22 | 1 << 17 | 10 << 12, -255000000, 1512152967, 1000, 90, 36);
    PutPoint(image, 1, (24u * 12 + 12) << 22 | 31 << 17 | 23 << 12 | 59 << 6 | 59, 523702157, -48951679, 0, 255, 0);
    PutPoint(image, 2, (25u * 12 + 1) << 22 | 2 << 17 | 3 << 12 | 4 << 6 | 5, 0, 0, 65535, 0, 255);
    PutPoint(image, 3, 0, 1, 1, 1, 1, 1);
    std::string text;
    int points = -1;
    const size_t chars = TrackToNmea(image.data(), kTrackConvertedPoints, text, points);
    EXPECT_EQ(chars, text.size());
    EXPECT_EQ(points, 3);
    ExpectGolden("small_track.NMEA", text);
    EXPECT_EQ(Lines(text), (Strings{"$GPGGA,100000,2530.0000,S,15112.9178,E,1,04,,0.0,M,,,,*22\r",
                                    "$GPRMC,100000.000,A,2530.0000,S,15112.9178,E,19.44,90.00,010624,,*1A\r",
                                    "$GPGGA,235959,5222.2129,N,00453.7101,W,1,04,,-1000.0,M,,,,*3E\r",
                                    "$GPRMC,235959.000,A,5222.2129,N,00453.7101,W,0.00,255.00,311224,,*1F\r",
                                    "$GPGGA,030405,0000.0000,N,00000.0000,E,1,04,,64535.0,M,,,,*38\r",
                                    "$GPRMC,030405.000,A,0000.0000,N,00000.0000,E,137.69,0.00,020125,,*0F\r"}));
    TrackToNmea(image.data() + kTrackSlotBytes, kTrackConvertedPoints, text, points);
    EXPECT_EQ(points, 0);
    EXPECT_TRUE(text.empty());
}

TEST(TrackConversion, eachTrackBecomesNmeaGpxAndANamedKml)
{
    TrackRig t;
    WriteBytes(kTrackImageFile, GenerateTrackImage({3, 0, 2, 0}));
    std::snprintf(t.p().identity.userName, sizeof t.p().identity.userName, "%s", "a/b<&c");
    t.p().identity.serialNumber = 1234;
    EXPECT_EQ(Button_TRK_TO_RMCClick(t.p()), 0);

    EXPECT_EQ(t.rig.host.logs(),
              (Strings{"--> TRK0_153012.NMEA created.", "--> TRK0_153012.NMEA.gpx created ",
                       "--> TRK0_153012.NMEA.kml created ", "--> TRK2_153012.NMEA created.",
                       "--> TRK2_153012.NMEA.gpx created ", "--> TRK2_153012.NMEA.kml created ",
                       "TRK To RMC/GPX/KML conversion completed."}));
    EXPECT_TRUE(t.rig.host.sleeps.empty());
    EXPECT_EQ(t.p().form.unseen.trackPoints, (std::array<std::string, 4>{"3", "0", "2", "0"}));
    EXPECT_EQ(Lines(ReadText("TRK0_153012.NMEA")).size(), 6u);
    EXPECT_TRUE(ReadText("TRK1_153012.NMEA").empty());

    // One run after the other, as argument lists, only for tracks with points.
    Strings expected;
    for (const std::string n : {"TRK0_153012.NMEA", "TRK2_153012.NMEA"})
        for (const std::string& format :
             {std::string("gpx"), std::string("kml,lines=1,points=0,line_width=4,line_color=A000A000,floating=0")}) {
            const Strings run = {"-t", "-i", "nmea", "-f", n, "-o", format, "-F", n + "." + format.substr(0, 3), "--"};
            expected.insert(expected.end(), run.begin(), run.end());
        }
    EXPECT_EQ(Lines(ReadText(t.argvLog)), expected);
    // The device's name can escape neither the file name nor the markup.
    EXPECT_EQ(ReadText("TRK2_153012.NMEA.kml"),
              "<kml><Document><name>a_b_&amp;c_000001234_TRK_2</name><Folder><name>Tracks</name><Folder>\n"
              "        <name>a_b_&amp;c_000001234_TRK_2</name><snippet/></Folder></Folder></Document></kml>");
}

TEST(TrackConversion, failuresAreSaidAndNeverClaimedAsCreated)
{
    const std::string missing = "gpsbabel was not found on PATH, so TRK0_153012.NMEA.gpx was not made. Install "
                                "GPSBabel (for example: apt install gpsbabel) and convert again.";
    const std::string nameless = "The track in TRK0_153012.NMEA.kml keeps GPSBabel's name: TRK0_153012.NMEA.kml holds "
                                 "no track to name.";
    struct Case {
        long imageBytes;   // -1: no image file
        const char* converter;   // the fake's script; null: none on the path
        int result;
        Strings said;      // log lines and boxes
    };
    const std::vector<Case> cases = {
        {-1, "", 140, {"Import trk file(64K bin) failed!"}},
        {0, "", kEmptyFile, {"Import trk file(64K bin) failed!"}},
        {65535, "", 11, {"Import trk file(64K bin) file size error!"}},
        {65536, nullptr, 7, {"--> TRK0_153012.NMEA created.", missing, "TRK To RMC/GPX/KML conversion completed."}},
        {65536, "#!/bin/sh\neval out=\\${$#}\ncase \"$out\" in *.gpx) echo '<gpx/></gpx>';; *) echo '<kml></kml>';; esac > \"$out\"\n", 7,
         {"--> TRK0_153012.NMEA created.", "--> TRK0_153012.NMEA.gpx created ", "--> TRK0_153012.NMEA.kml created ",
          nameless, "TRK To RMC/GPX/KML conversion completed."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.result);
        TrackRig t;
        if (c.imageBytes >= 0)
            WriteBytes(kTrackImageFile, c.imageBytes == 65536 ? GenerateTrackImage({4, 0, 0, 0})
                                                              : Bytes(size_t(c.imageBytes), 0));
        if (!c.converter)
            t.p().externalTool->searchPath = {t.dir.file("nowhere")};
        else if (*c.converter)
            std::ofstream(t.dir.file("gpsbabel")) << c.converter;
        EXPECT_EQ(Button_TRK_TO_RMCClick(t.p()), c.result);
        Strings said;
        for (const FakeHost::Event& e : t.rig.host.events)
            said.push_back(e.text);
        EXPECT_EQ(said, c.said);
        EXPECT_EQ(std::filesystem::exists("TRK0_153012.NMEA"), c.imageBytes == 65536);
    }
}

TEST(TrackConversion, realConverterInAFolderWithABlankAndNonAscii)
{
    TrackRig t;
    t.p().externalTool->searchPath.clear();
    if (t.p().externalTool->find("gpsbabel").empty())
        GTEST_SKIP() << "gpsbabel is not installed";
    std::filesystem::create_directories(t.dir.path / "Spur Ö");
    std::filesystem::current_path(t.dir.path / "Spur Ö");
    WriteBytes(kTrackImageFile, GenerateTrackImage({0, 25, 0, 0}));
    std::snprintf(t.p().identity.userName, sizeof t.p().identity.userName, "%s", "Zoë K");
    t.p().identity.serialNumber = 77;

    EXPECT_EQ(Button_TRK_TO_RMCClick(t.p()), 0) << ::testing::PrintToString(t.rig.host.logs());
    const std::string gpx = ReadText("TRK1_153012.NMEA.gpx");
    const std::string kml = ReadText("TRK1_153012.NMEA.kml");
    size_t trackPoints = 0;
    for (size_t at = gpx.find("<trkpt"); at != std::string::npos; at = gpx.find("<trkpt", at + 1))
        ++trackPoints;
    EXPECT_EQ(trackPoints, 25u);   // every sentence passed the converter's checksum test
    EXPECT_NE(kml.find("<name>Zoë K_000000077_TRK_1</name>"), std::string::npos);
    EXPECT_NE(kml.find("<coordinates>"), std::string::npos);
    EXPECT_EQ(kml.find("GPS device"), std::string::npos);
}

} // namespace
