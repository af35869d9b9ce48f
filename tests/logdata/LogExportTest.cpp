#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include <QFileInfo>
#include <QProcess>

#include "LogFileFixture.h"
#include "SbpTestRecords.h"
#include "logdata/GpsBabelJob.h"
#include "logdata/LogBrowser.h"
#include "logdata/LogConvert.h"
#include "program/PointGrid.h"
#include "logdata/SbpExportText.h"
#include "platform/ResultCode.h"

namespace {

// The worked records: 12.5S 0.25W at 1000 cm/s, course 123.45, -15.5 m; a seconds field of 60;
// 31 April; every field at its maximum; then an ordinary track.
std::vector<uint8_t> WorkedLog()
{
    std::vector<uint8_t> bytes;
    SbpFields f;
    f.hdop = 13;
    f.satellites = 8;
    f.milliseconds = 1250;
    f.utc = PackSbpTime(2014, 12, 7, 12, 34, 56);
    f.latitude = -125000000;
    f.longitude = -2500000;
    f.altitude = -1550;
    f.speed = 1000;
    f.course = 12345;
    f.eeVel = 8;
    AppendSbpRecord(bytes, f);
    f.utc = PackSbpTime(2014, 12, 7, 12, 34, 60);
    AppendSbpRecord(bytes, f);
    f.utc = PackSbpTime(2015, 4, 31, 1, 2, 3);
    AppendSbpRecord(bytes, f);
    SbpFields max;
    max.hdop = max.satellites = max.eeVel = max.eeCr = 255;
    max.milliseconds = max.speed = max.course = 65535;
    max.utc = max.svidList = 0xFFFFFFFF;
    max.latitude = INT32_MIN;
    max.longitude = INT32_MAX;
    max.altitude = INT32_MIN;
    max.climbRate = INT16_MIN;
    AppendSbpRecord(bytes, max);
    const std::vector<uint8_t> track = SampleTrack(20);
    bytes.insert(bytes.end(), track.begin(), track.end());
    return bytes;
}

size_t CountLines(const std::string& text, const std::string& prefix = "")
{
    size_t n = 0;
    for (size_t at = 0; at < text.size();) {
        const size_t end = text.find("\r\n", at);
        if (end == std::string::npos)
            break;
        if (text.compare(at, prefix.size(), prefix) == 0)
            ++n;
        at = end + 2;
    }
    return n;
}

} // namespace

using Export = LogFileTest;

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

TEST_F(Export, goldenFilesAndMessages)
{
    useFakeConverter();
    WriteBytes(path("worked.sbp"), WorkedLog());
    ASSERT_EQ(Load_SBPClick(*program, "worked.sbp"), 0);
    host.events.clear();
    EXPECT_EQ(BitBtn_offline_convertClick(*program), 0);

    ExpectGolden("worked.NMEA", ReadText(path("worked.NMEA")));
    ExpectGolden("worked.plt", ReadText(path("worked.plt")));
    ExpectGolden("worked.csv", ReadText(path("worked.csv")));
    EXPECT_EQ(CountLines(ReadText(path("worked.NMEA"))), 48u);
    EXPECT_EQ(CountLines(ReadText(path("worked.plt"))), 6u + 21u);
    EXPECT_EQ(CountLines(ReadText(path("worked.csv"))), 25u);
    EXPECT_EQ(host.logs(), (std::vector<std::string>{"converting...", "worked.csv CSV file created.",
                                                     "worked.kml(plt,nmea,gpx) files generated"}));
    EXPECT_TRUE(host.boxes().empty());
    EXPECT_EQ(program->form.browse.gridFileName, "worked.sbp");
    EXPECT_EQ(program->form.logData.convertStatistic, "[Total:24,No Fix:0,Bad:0]");
    EXPECT_FALSE(host.busyCursor);
    EXPECT_TRUE(shell->opened.empty());
    EXPECT_TRUE(host.sleeps.empty());   // the converter runs are waited for: no pauses around the last line

    // GPX then KML, from the NMEA file actually written, with TZ set.
    const std::vector<std::string> argv = converterArgv();
    const std::vector<std::string> expected = {
        "-t", "-i", "nmea", "-f", "worked.NMEA", "-o", "gpx", "-F", "worked.gpx", "TZ=UTC", "--",
        "-t", "-i", "nmea", "-f", "worked.NMEA", "-o", "kml,lines=1,points=0,line_width=5,line_color=A00000A0,floating=0",
        "-F", "worked.kml", "TZ=UTC", "--"};
    EXPECT_EQ(argv, expected);
}

TEST_F(Export, headerBlockAndChunksAndSplitOption)
{
    useFakeConverter();
    std::vector<uint8_t> bytes = SbpHeaderBlock();
    const std::vector<uint8_t> track = SampleTrack(5000);
    bytes.insert(bytes.end(), track.begin(), track.end());
    WriteBytes(path("long.sbp"), bytes);
    program->form.logData.logFileName = "long.sbp";
    program->form.unseen.splitTrack = true;
    program->form.logData.googleEarthView = true;
    EXPECT_EQ(BitBtn_offline_convertClick(*program), 0);
    EXPECT_EQ(program->form.logData.convertStatistic, "[Total:5000,No Fix:0,Bad:0]");
    const std::string plt = ReadText(path("long.plt"));
    EXPECT_EQ(CountLines(plt, "OziExplorer"), 1u);
    EXPECT_EQ(CountLines(plt), 6u + 5000u);
    EXPECT_EQ(CountLines(ReadText(path("long.NMEA"))), 10000u);
    // The grid did not hold this file: the CSV is decoded from it, header block as two rows.
    EXPECT_EQ(CountLines(ReadText(path("long.csv"))), 1u + 5002u);
    const std::vector<std::string> argv = converterArgv();
    const auto x = std::find(argv.begin(), argv.end(), "-x");
    ASSERT_NE(x, argv.end());
    EXPECT_EQ(*(x - 1), "long.NMEA");
    EXPECT_EQ(*(x + 1), "track,split=1h,title=VR40LOG#%c");
    EXPECT_EQ(*(x + 2), "-o");
    EXPECT_EQ(shell->opened, (std::vector<std::string>{path("long.kml")}));
}

TEST_F(Export, csvHoldsTheInputNotWhatTheGridShows)
{
    useFakeConverter();
    WriteBytes(path("a.sbp"), SampleTrack(3));
    WriteBytes(path("b.sbp"), SampleTrack(7));
    ASSERT_EQ(Load_SBPClick(*program, "a.sbp"), 0);
    program->form.logData.logFileName = "b.sbp";
    EXPECT_EQ(BitBtn_offline_convertClick(*program), 0);
    EXPECT_EQ(CountLines(ReadText(path("b.csv"))), 8u);
    EXPECT_EQ(program->grid.rowCount(), 4u);   // the browser still shows a.sbp
}

TEST_F(Export, inputProblems)
{
    useFakeConverter();
    program->form.logData.logFileName = "nothing.sbp";
    EXPECT_NE(BitBtn_offline_convertClick(*program), 0);
    program->form.browse.gridFileName = "gone.sbp";
    EXPECT_NE(ConvertSbpFile(*program), 0);
    EXPECT_EQ(program->form.logData.convertStatistic, "[Total:0,No Fix:0,Bad:0]");
    WriteBytes(path("log.SBP"), SampleTrack(2));
    WriteBytes(path("log.txt"), SampleTrack(2));
    program->form.logData.convertStatistic = "unchanged";
    for (const char* name : {"log.SBP", "log.txt"}) {
        program->form.logData.logFileName = name;
        EXPECT_NE(BitBtn_offline_convertClick(*program), 0);
    }
    EXPECT_EQ(program->form.logData.convertStatistic, "unchanged");
    WriteBytes(path("empty.sbp"), {});
    program->form.logData.logFileName = "empty.sbp";
    EXPECT_EQ(BitBtn_offline_convertClick(*program), kEmptyFile);
    EXPECT_EQ(host.boxes(), (std::vector<std::string>{"File not exist!", "gone.sbp not found!", "Wrong .SBP file Error",
                                                      "Wrong .SBP file Error", " Failed to generate KML file!"}));
    EXPECT_EQ(host.logs(), (std::vector<std::string>{"converting..."}));
    EXPECT_FALSE(FileExists(path("empty.NMEA")));
    EXPECT_FALSE(FileExists(argvLog));
}

TEST_F(Export, headerOnlyFileStillMakesEmptyOutputs)
{
    useFakeConverter();
    WriteBytes(path("hdr.sbp"), SbpHeaderBlock());
    program->form.logData.logFileName = "hdr.sbp";
    EXPECT_EQ(BitBtn_offline_convertClick(*program), 0) << ::testing::PrintToString(host.logs());
    EXPECT_EQ(ReadText(path("hdr.NMEA")), "");
    EXPECT_EQ(ReadText(path("hdr.plt")), "");   // no chunk, so no header either
    EXPECT_EQ(program->form.logData.convertStatistic, "[Total:0,No Fix:0,Bad:0]");
}

TEST_F(Export, converterFailuresAreReportedNotClaimedAsSuccess)
{
    WriteBytes(path("t.sbp"), SampleTrack(4));
    program->form.logData.logFileName = "t.sbp";
    program->form.logData.googleEarthView = true;

    program->externalTool->searchPath = {path("no such folder")};
    EXPECT_EQ(BitBtn_offline_convertClick(*program), kConverterFailed);
    EXPECT_EQ(host.logs(), (std::vector<std::string>{
                               "converting...",
                               "gpsbabel was not found on PATH, so t.gpx was not made. Install GPSBabel (for example: "
                               "apt install gpsbabel) and convert again.",
                               "t.csv CSV file created."}));
    EXPECT_EQ(host.boxes(), (std::vector<std::string>{" Failed to generate KML file!"}));
    EXPECT_TRUE(FileExists(path("t.NMEA")) && FileExists(path("t.plt")) && FileExists(path("t.csv")));

    useFakeConverter();
    for (const char* mode : {"fail", "empty"}) {
        host.events.clear();
        program->externalTool->environment = {{"FAKE_MODE", mode}};
        EXPECT_EQ(BitBtn_offline_convertClick(*program), kConverterFailed) << mode;
        const std::vector<std::string> logs = host.logs();
        ASSERT_EQ(logs.size(), 3u);
        EXPECT_NE(logs[1].find(std::string(mode) == "fail" ? "exit status 1" : "t.gpx is missing or empty"),
                  std::string::npos)
            << logs[1];
        EXPECT_EQ(host.boxes(), (std::vector<std::string>{" Failed to generate KML file!"}));
    }
    EXPECT_TRUE(shell->opened.empty());
    EXPECT_EQ(converterArgv()[9], "TZ=UTC");   // TZ is added next to the caller's variables
}

TEST_F(Export, readOnlyFolderWritesNothingAndSaysSo)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    useFakeConverter();
    WriteBytes(path("t.sbp"), SampleTrack(4));
    QDir().mkdir("ro");
    QFile::setPermissions("ro", QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    ASSERT_TRUE(QDir::setCurrent("ro"));
    program->form.logData.logFileName = "../t.sbp";
    EXPECT_EQ(BitBtn_offline_convertClick(*program), kWriteFailed);
    QDir::setCurrent(dir.path());
    QFile::setPermissions("ro", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(host.boxes(), (std::vector<std::string>{" Failed to generate KML file!"}));
    const std::vector<std::string> logs = host.logs();
    ASSERT_EQ(logs.size(), 3u);
    EXPECT_EQ(logs[1].rfind("Cannot write t.NMEA: ", 0), 0u);
    EXPECT_EQ(logs[2].rfind("Cannot write t.plt: ", 0), 0u);
    EXPECT_TRUE(QDir("ro").isEmpty());
}

TEST_F(Export, blockedOutputStopsBeforeTheConverter)
{
    useFakeConverter();
    WriteBytes(path("t.sbp"), SampleTrack(4));
    QDir().mkdir("t.NMEA");   // a folder where the NMEA file should go cannot be replaced, even by root
    program->form.logData.logFileName = "t.sbp";
    EXPECT_EQ(BitBtn_offline_convertClick(*program), kWriteFailed);
    const std::vector<std::string> logs = host.logs();
    ASSERT_EQ(logs.size(), 2u);
    EXPECT_EQ(logs[1].rfind("Cannot write t.NMEA: ", 0), 0u) << logs[1];
    EXPECT_EQ(host.boxes(), (std::vector<std::string>{" Failed to generate KML file!"}));
    EXPECT_FALSE(FileExists(argvLog));
    EXPECT_FALSE(FileExists(path("t.csv")));
}

TEST_F(Export, realConverterWithBlanksAndNonAsciiNames)
{
    if (program->externalTool->find("gpsbabel").empty())
        GTEST_SKIP() << "gpsbabel is not installed";
    program->externalTool->environment = {{"GPSBABEL_FREEZE_TIME", "y"}};
    const std::string folder = path("Fahrt Ünter");
    QDir().mkpath(QString::fromStdString(folder));
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(folder)));
    WriteBytes(folder + "/mein Lög.sbp", SampleTrack(120));
    program->form.logData.logFileName = "mein Lög.sbp";
    program->form.unseen.splitTrack = true;
    EXPECT_EQ(BitBtn_offline_convertClick(*program), 0);
    EXPECT_EQ(host.logs().back(), "mein Lög.kml(plt,nmea,gpx) files generated");
    const std::string gpx = ReadText(folder + "/mein Lög.gpx");
    const std::string kml = ReadText(folder + "/mein Lög.kml");
    size_t points = 0;
    for (size_t at = gpx.find("<trkpt "); at != std::string::npos; at = gpx.find("<trkpt ", at + 1))
        ++points;
    EXPECT_EQ(points, 120u);
    EXPECT_NE(gpx.find("<time>2014-12-07T08:00:00Z</time>"), std::string::npos);
    EXPECT_NE(kml.find("<LineString>"), std::string::npos);
    EXPECT_NE(gpx.find("VR40LOG#"), std::string::npos);   // the split option reached the converter
}

TEST_F(Export, vr60ctlConvertEndToEnd)
{
    const bool haveConverter = !program->externalTool->find("gpsbabel").empty();
    WriteBytes(path("trip one.sbp"), SampleTrack(50));
    QProcess ctl;
    ctl.setWorkingDirectory(dir.path());
    ctl.start(VR60CTL_PATH, {"convert", "trip one.sbp"});
    ASSERT_TRUE(ctl.waitForFinished(60000));
    const QString out = QString::fromUtf8(ctl.readAllStandardOutput());
    if (!haveConverter) {
        EXPECT_EQ(ctl.exitCode(), kConverterFailed);
        return;
    }
    EXPECT_EQ(ctl.exitCode(), 0) << ctl.readAllStandardError().toStdString();
    EXPECT_EQ(out.toStdString(), "Load SBP file trip one.sbp\n"
                                 "Total SBP file size=1600, points=50\n"
                                 "converting...\n"
                                 "trip one.csv CSV file created.\n"
                                 "trip one.kml(plt,nmea,gpx) files generated\n"
                                 "[Total:50,No Fix:0,Bad:0]\n");
    for (const char* ext : {".NMEA", ".plt", ".csv", ".gpx", ".kml"})
        EXPECT_GT(QFileInfo(dir.path() + "/trip one" + ext).size(), 0) << ext;

    QProcess link;
    link.setWorkingDirectory(dir.path());
    link.start(VR60CTL_PATH, {"maplink", "trip one.sbp", "2"});
    ASSERT_TRUE(link.waitForFinished(20000));
    EXPECT_EQ(link.exitCode(), 0);
    EXPECT_TRUE(link.readAllStandardOutput().endsWith(
        "\nhttps://maps.google.com/maps?q=22.5001234,114.0002345&spn=0.05636,0.011996&t=k  \n"));
}
