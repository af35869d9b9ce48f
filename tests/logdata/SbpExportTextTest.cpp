// The exporters' text: each format from the worked records, the converter's
// command line and the statistics line.

#include <gtest/gtest.h>

#include "ExportLogs.h"
#include "logdata/LogConvert.h"
#include "logdata/SbpExportText.h"
#include "platform/GpsBabelJob.h"

TEST(ExportText, workedRecordInEveryFormat)
{
    const std::vector<uint8_t> bytes = WorkedLog();
    std::vector<char> buffer(kSbpTextBytesPerRecord * 4 + 200);
    const std::string nmea(buffer.data(), WriteSbpNmea(bytes.data(), 1, buffer.data()));
    EXPECT_EQ(nmea, "$GPGGA,123456.250,1230.0000,S,00015.0000,W,1,08,2.6,-15.00,M,,,,*21\r\n"
                    "$GPRMC,123456.250,A,1230.0000,S,00015.0000,W,19.44,123.45,071214,,*30\r\n");
    const std::string plt(buffer.data(), WriteSbpPlt(bytes.data(), 1, buffer.data(), false));
    EXPECT_EQ(plt, "-12.500000, -0.250000, 1,     -50,   41980.5242593, 07-Dec-2014, 12:34:56\r\n");
    // Second 60 is written to NMEA as it is and left out of PLT, as is 31 April.
    const std::string sixty(buffer.data(), WriteSbpNmea(bytes.data() + 32, 1, buffer.data()));
    EXPECT_EQ(sixty.rfind("$GPGGA,123460.250,", 0), 0u);
    EXPECT_EQ(WriteSbpPlt(bytes.data() + 32, 2, buffer.data(), false), 0u);
}

TEST(ExportText, pltSkipsOnlyTheBadDayNotTheChunk)
{
    std::vector<uint8_t> bytes = SampleTrack(3);
    SbpFields april;
    april.utc = PackSbpTime(2015, 4, 31, 1, 2, 3);
    AppendSbpRecord(bytes, april);
    const std::vector<uint8_t> more = SampleTrack(2);
    bytes.insert(bytes.end(), more.begin(), more.end());
    std::vector<char> buffer(kSbpWorkBufferBytes);
    const std::string plt(buffer.data(), WriteSbpPlt(bytes.data(), 6, buffer.data(), true));
    EXPECT_EQ(CountLines(plt), 6u + 5u);
    EXPECT_EQ(plt.rfind("OziExplorer Track Point File Version 2.1\r\n", 0), 0u);
}

TEST(ExportText, chunkStartingWithHeaderBlockSkipsItInNmea)
{
    std::vector<uint8_t> bytes = SbpHeaderBlock();
    const std::vector<uint8_t> track = SampleTrack(3);
    bytes.insert(bytes.end(), track.begin(), track.end());
    std::vector<char> a(kSbpWorkBufferBytes), b(kSbpWorkBufferBytes);
    const size_t n = WriteSbpNmea(bytes.data(), 5, a.data());
    EXPECT_EQ(std::string(a.data(), n), std::string(b.data(), WriteSbpNmea(track.data(), 3, b.data())));
    EXPECT_EQ(WriteSbpNmea(bytes.data(), 1, a.data()), 0u);
}

TEST(ExportText, converterCommandLine)
{
    EXPECT_EQ(SplitLogOptionText(false), "");
    EXPECT_EQ(SplitLogOptionText(true), " -x track,split=1h,title=\"VR40LOG#%c\"");
    EXPECT_EQ(GpsBabelArguments({"my log.NMEA", "nmea", CommandLineWords(SplitLogOptionText(true)), kGpxFormat,
                                 "my log.gpx"}),
              (std::vector<std::string>{"-t", "-i", "nmea", "-f", "my log.NMEA", "-x", "track,split=1h,title=VR40LOG#%c",
                                        "-o", "gpx", "-F", "my log.gpx"}));
    EXPECT_EQ(GpsBabelArguments({"a.NMEA", "nmea", {}, kKmlLineFormat, "a.kml"}),
              (std::vector<std::string>{"-t", "-i", "nmea", "-f", "a.NMEA", "-o",
                                        "kml,lines=1,points=0,line_width=5,line_color=A00000A0,floating=0", "-F",
                                        "a.kml"}));
    EXPECT_EQ(ConvertStatisticText(100, 0, 7), "[Total:100,No Fix:0,Bad:7]");
}
