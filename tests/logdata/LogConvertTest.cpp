#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include <QFileInfo>

#include "ExportLogs.h"
#include "LogFileFixture.h"
#include "SbpTestRecords.h"
#include "logdata/LogBrowser.h"
#include "logdata/LogConvert.h"
#include "logdata/SbpExportText.h"
#include "platform/GpsBabelJob.h"
#include "platform/ResultCode.h"
#include "program/PointGrid.h"
#include "support/NotLogs.h"

using Export = LogFileTest;

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
    EXPECT_TRUE(opener->opened.empty());
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
    EXPECT_EQ(opener->opened, (std::vector<std::string>{path("long.kml")}));
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

TEST_F(Export, aFileThatIsNotALogIsConvertedWithOneWarning)
{
    useFakeConverter();
    const NotALog text = FilesThatAreNotLogs()[0];
    WriteBytes(path(text.name), text.bytes);
    const auto warnings = [&](const char* ending) {
        size_t n = 0;
        for (const std::string& line : host.logs())
            n += line.rfind(std::string("Warning: ") + text.name + " does not look like a VR60 log: ", 0) == 0 &&
                 line.ends_with(ending);
        return n;
    };
    program->form.logData.logFileName = text.name;
    EXPECT_EQ(BitBtn_offline_convertClick(*program), 0);
    EXPECT_EQ(warnings(""), 1u) << ::testing::PrintToString(host.logs());
    EXPECT_EQ(warnings("; converted as it is"), 1u);
    EXPECT_TRUE(FileExists(path("README.NMEA")));

    // Loaded into the browser first: the load warns, the conversion of the same file does not again.
    host.events.clear();
    ASSERT_EQ(Load_SBPClick(*program, text.name), 0);
    EXPECT_EQ(BitBtn_offline_convertClick(*program), 0);
    EXPECT_EQ(warnings("; loaded as it is"), 1u) << ::testing::PrintToString(host.logs());
    EXPECT_EQ(warnings(""), 1u);
    EXPECT_EQ(program->grid.rowCounter(), text.bytes.size() / 32);

    host.events.clear();
    WriteBytes(path("log.sbp"), SampleTrack(20));
    ASSERT_EQ(Load_SBPClick(*program, "log.sbp"), 0);
    EXPECT_EQ(host.logs().size(), 2u) << ::testing::PrintToString(host.logs());
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
    EXPECT_TRUE(opener->opened.empty());
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
    QDir::setCurrent(QString::fromStdString(dir.path.string()));
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

// The outputs are named after the input's file name, without its folder and last extension.
TEST(ExportNames, baseNameAndExtension)
{
    const struct {
        const char* input;
        const char* base;
        const char* extension;
    } cases[] = {
        {"run.sbp", "run", ".sbp"},
        {"/data/day.2/run.x.SBP", "run.x", ".SBP"},
        {"folder.d/noext", "noext", ""},
        {".sbp", "", ".sbp"},
        {"run.", "run", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SbpBaseName(c.input), c.base) << c.input;
        EXPECT_EQ(SbpExtension(c.input), c.extension) << c.input;
    }
}
