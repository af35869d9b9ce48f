// The track conversion: TrackToNmea on worked values and a golden small image
// (CR LF, checksums), and the whole conversion with a fake and with the real
// GPSBabel: every run waited for, "created" only for files that exist, the
// KML track named for the owner in-process.

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "device/TrackConversion.h"
#include "device/TrackRig.h"
#include "device/TrackStore.h"
#include "platform/ByteOrder.h"
#include "sim/SimTrackStore.h"

namespace {

using Strings = std::vector<std::string>;
using Bytes = std::vector<uint8_t>;

uint32_t Packed(int year, int month, int day, int hour, int minute, int second)
{
    return uint32_t(second | minute << 6 | hour << 12 | day << 17) | uint32_t((year - 2000) * 12 + month) << 22;
}

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

// Slot 0: three worked points, then a date-time of 0; slot 1 starts blank.
Bytes SmallImage()
{
    Bytes image(kTrackStoreBytes, 0xFF);
    PutPoint(image, 0, Packed(2024, 6, 1, 10, 0, 0), -255000000, 1512152967, 1000, 90, 36);
    PutPoint(image, 1, Packed(2024, 12, 31, 23, 59, 59), 523702157, -48951679, 0, 255, 0);
    PutPoint(image, 2, Packed(2025, 1, 2, 3, 4, 5), 0, 0, 65535, 0, 255);
    PutPoint(image, 3, 0, 1, 1, 1, 1, 1);
    return image;
}

Strings Lines(const std::string& text)
{
    Strings lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Compares with tests/data/device/<name>; VR60_UPDATE_GOLDEN=1 rewrites the file instead.
void ExpectGolden(const std::string& name, const std::string& actual)
{
    const std::string path = std::string(VR60_TEST_DATA_DIR) + "/device/" + name;
    const char* update = std::getenv("VR60_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        std::ofstream(path, std::ios::binary) << actual;
        return;
    }
    EXPECT_EQ(ReadText(path), actual) << name << " differs from its golden file";
}

TEST(TrackToNmea, workedPointsGiveGgaThenRmcWithCheckedLines)
{
    const Bytes image = SmallImage();
    std::string text;
    int points = -1;
    const size_t chars = TrackToNmea(image.data(), kTrackConvertedPoints, text, points);
    EXPECT_EQ(chars, text.size());
    EXPECT_EQ(points, 3);
    ExpectGolden("small_track.NMEA", text);

    const Strings lines = Lines(text);
    ASSERT_EQ(lines.size(), 6u);
    for (const std::string& line : lines) {
        // "$BODY*XX\r": XX is the XOR of BODY, upper case.
        ASSERT_GE(line.size(), 5u);
        ASSERT_EQ(line.back(), '\r') << line;
        const std::string body = line.substr(1, line.size() - 5);
        unsigned x = 0;
        for (char c : body)
            x ^= static_cast<unsigned char>(c);
        char sum[3];
        std::snprintf(sum, sizeof sum, "%02X", x);
        EXPECT_EQ(line.substr(line.size() - 4, 3), std::string("*") + sum) << line;
    }
    auto sentence = [&](size_t i) { return lines[i].substr(0, lines[i].find('*')); };
    EXPECT_EQ(sentence(0), "$GPGGA,100000,2530.0000,S,15112.9178,E,1,04,,0.0,M,,,,");
    EXPECT_EQ(sentence(1), "$GPRMC,100000.000,A,2530.0000,S,15112.9178,E,19.44,90.00,010624,,");
    EXPECT_EQ(sentence(2), "$GPGGA,235959,5222.2129,N,00453.7101,W,1,04,,-1000.0,M,,,,");
    EXPECT_EQ(sentence(3), "$GPRMC,235959.000,A,5222.2129,N,00453.7101,W,0.00,255.00,311224,,");
    EXPECT_EQ(sentence(4), "$GPGGA,030405,0000.0000,N,00000.0000,E,1,04,,64535.0,M,,,,");
    EXPECT_EQ(sentence(5), "$GPRMC,030405.000,A,0000.0000,N,00000.0000,E,137.69,0.00,020125,,");
}

TEST(TrackToNmea, slotEndsAtABlankRecordAndAtTheConvertedMaximum)
{
    const Bytes image = SmallImage();
    const Bytes full = GenerateTrackImage({1024, 0, 0, 0});
    struct Case {
        const char* what;
        const uint8_t* slot;
        int maximum;
        int points;
    };
    for (const Case& c : {Case{"blank slot", image.data() + kTrackSlotBytes, 1000, 0},
                          Case{"1024 records, 1000 converted", full.data(), kTrackConvertedPoints, 1000},
                          Case{"never beyond the slot", full.data(), 5000, 1024}}) {
        SCOPED_TRACE(c.what);
        std::string text = "stale";
        int points = -1;
        TrackToNmea(c.slot, c.maximum, text, points);
        EXPECT_EQ(points, c.points);
        EXPECT_EQ(Lines(text).size(), size_t(2 * c.points));
    }
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
    EXPECT_TRUE(t.rig.host.boxes().empty());
    EXPECT_TRUE(t.rig.host.sleeps.empty());
    EXPECT_EQ(t.p().form.unseen.trackPoints, (std::array<std::string, 4>{"3", "0", "2", "0"}));
    EXPECT_EQ(Lines(ReadText("TRK0_153012.NMEA")).size(), 6u);
    EXPECT_TRUE(ReadText("TRK1_153012.NMEA").empty());
    EXPECT_TRUE(std::filesystem::exists("TRK3_153012.NMEA"));

    // Argument lists, one run after the other, only for tracks with points.
    const std::string kml = "kml,lines=1,points=0,line_width=4,line_color=A000A000,floating=0";
    Strings expected;
    for (const char* n : {"TRK0_153012.NMEA", "TRK2_153012.NMEA"}) {
        for (const std::string& format : {std::string("gpx"), kml}) {
            const Strings run = {"-t", "-i", "nmea", "-f", n, "-o", format, "-F",
                                 std::string(n) + (format == "gpx" ? ".gpx" : ".kml"), "--"};
            expected.insert(expected.end(), run.begin(), run.end());
        }
    }
    EXPECT_EQ(Lines(ReadText(t.argvLog)), expected);
    // The device's name cannot escape the file or the markup.
    const std::string named = ReadText("TRK2_153012.NMEA.kml");
    EXPECT_EQ(named, "<kml><Document><name>a_b_&amp;c_000001234_TRK_2</name><Folder><name>Tracks</name><Folder>\n"
                     "        <name>a_b_&amp;c_000001234_TRK_2</name><snippet/></Folder></Folder></Document></kml>");
}

TEST(TrackConversion, failuresAreSaidAndNeverClaimedAsCreated)
{
    struct Case {
        const char* what;
        long imageBytes;                 // -1: no image file
        std::function<void(TrackRig&)> setUp;
        int result;
        Strings logs;
        Strings boxes;
    };
    const std::string missing = "gpsbabel was not found on PATH, so TRK0_153012.NMEA.gpx was not made. Install "
                                "GPSBabel (for example: apt install gpsbabel) and convert again.";
    const std::vector<Case> cases = {
        {"no image", -1, nullptr, 140, {}, {"Import trk file(64K bin) failed!"}},
        {"empty image", 0, nullptr, 2, {}, {"Import trk file(64K bin) failed!"}},
        {"short image", 65535, nullptr, 11, {}, {"Import trk file(64K bin) file size error!"}},
        {"no converter", 65536, [](TrackRig& t) { t.p().externalTool->searchPath = {t.dir.file("nowhere")}; }, 7,
         {"--> TRK0_153012.NMEA created.", missing, "TRK To RMC/GPX/KML conversion completed."}, {}},
        {"converter leaves no KML track",
         65536,
         [](TrackRig& t) {
             std::ofstream(t.dir.file("fake bin/gpsbabel"))
                 << "#!/bin/sh\nprev=''; for a in \"$@\"; do [ \"$prev\" = -F ] && echo x > \"$a\"; prev=\"$a\"; done\n";
         },
         7,
         {"--> TRK0_153012.NMEA created.", "--> TRK0_153012.NMEA.gpx created ", "--> TRK0_153012.NMEA.kml created ",
          "The track in TRK0_153012.NMEA.kml keeps GPSBabel's name: TRK0_153012.NMEA.kml holds no track to name.",
          "TRK To RMC/GPX/KML conversion completed."},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TrackRig t;
        if (c.imageBytes >= 0)
            WriteBytes(kTrackImageFile, c.imageBytes == 65536 ? GenerateTrackImage({4, 0, 0, 0})
                                                              : Bytes(size_t(c.imageBytes), 0));
        if (c.setUp)
            c.setUp(t);
        EXPECT_EQ(Button_TRK_TO_RMCClick(t.p()), c.result);
        EXPECT_EQ(t.rig.host.logs(), c.logs);
        EXPECT_EQ(t.rig.host.boxes(), c.boxes);
        if (!c.boxes.empty())
            EXPECT_FALSE(std::filesystem::exists("TRK0_153012.NMEA"));
    }
}

TEST(TrackConversion, realConverterInAFolderWithABlankAndNonAscii)
{
    TrackRig t;
    t.p().externalTool->searchPath.clear();
    if (t.p().externalTool->find("gpsbabel").empty())
        GTEST_SKIP() << "gpsbabel is not installed";
    const std::filesystem::path folder = t.dir.path / "Spur Ö";
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
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
