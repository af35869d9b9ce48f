// The GPX that keeps the speed: its points from known records, the file Log
// Convert writes beside the others, checked against the GPX 1.0 schema with
// ours and read back by GPSBabel.

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include <QProcess>
#include <QStandardPaths>

#include "ExportLogs.h"
#include "LogFileFixture.h"
#include "SbpTestRecords.h"
#include "../pointlog/PointLogFiles.h"
#include "logdata/LogConvert.h"
#include "logdata/SpeedGpxExport.h"
#include "pointlog/PointLog.h"
#include "sbp/SbpRecord.h"
#include "sbp/SpeedGpx.h"

namespace {

struct ToolRun {
    bool started = false;
    int status = -1;
    std::string out, err;
};

ToolRun Start(const QString& program, const QStringList& args)
{
    ToolRun r;
    QProcess p;
    p.start(program, args);
    r.started = p.waitForStarted(10000);
    if (!r.started)
        return r;
    p.waitForFinished(60000);
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput().toStdString();
    r.err = p.readAllStandardError().toStdString();
    return r;
}

SbpFields Point(int second, uint16_t ms, int32_t lat, int32_t lon)
{
    SbpFields f;
    f.utc = PackSbpTime(2014, 12, 7, 8, 0, second);
    f.milliseconds = ms;
    f.latitude = lat;
    f.longitude = lon;
    f.altitude = 1234;
    f.speed = 1007;
    f.course = 35999;
    f.hdop = 7;
    f.satellites = 9;
    f.eeVel = 23;
    return f;
}

} // namespace

TEST(SpeedGpx, pointsKeepTimeSpeedCourseAndErrorAndSkipWhatCannotBePlaced)
{
    std::vector<uint8_t> records;
    AppendSbpRecord(records, Point(1, 250, 225000000, -12340));     // west of Greenwich, just
    SbpFields noError = Point(2, 0, -5, 1140000000);                // south of the equator, just
    noError.eeVel = 0;
    AppendSbpRecord(records, noError);
    SbpFields badTime = Point(3, 0, 225000000, 1140000000);
    badTime.utc = PackSbpTime(2014, 2, 30, 8, 0, 3);                // 30 February
    AppendSbpRecord(records, badTime);
    AppendSbpRecord(records, Point(4, 0, 0, 0));                    // no fix
    AppendSbpRecord(records, Point(5, 1000, 225000000, 1140000000)); // milliseconds out of range
    std::string text;
    EXPECT_EQ(AppendSpeedGpxPoints(records.data(), records.size() / 32, text), 2u);
    EXPECT_EQ(text,
              "<trkpt lat=\"22.5000000\" lon=\"-0.0012340\"><ele>12.34</ele><time>2014-12-07T08:00:01.250Z</time>"
              "<course>359.99</course><speed>10.07</speed><sat>9</sat><hdop>1.4</hdop>"
              "<vr60:speedError>0.23</vr60:speedError></trkpt>\n"
              "<trkpt lat=\"-0.0000005\" lon=\"114.0000000\"><ele>12.34</ele><time>2014-12-07T08:00:02.000Z</time>"
              "<course>359.99</course><speed>10.07</speed><sat>9</sat><hdop>1.4</hdop></trkpt>\n");

    const SpeedGpxHeader header{"a<b>&'\"\x01", "123456789", ""};
    const std::string start = SpeedGpxStart(header), end = SpeedGpxEnd(header);
    EXPECT_NE(start.find("<name>a&lt;b&gt;&amp;&apos;&quot;?</name>"), std::string::npos) << start;
    EXPECT_NE(start.find("<desc>VR60 serial 123456789</desc>"), std::string::npos);
    EXPECT_EQ(start.find("<author>"), std::string::npos);
    EXPECT_EQ(end, "</trkseg>\n</trk>\n<vr60:unit serial=\"123456789\"/>\n</gpx>\n");
}

TEST(SpeedGpx, ourReaderReadsSpeedAndErrorBack)
{
    const std::vector<uint8_t> records = SampleTrack(120);
    const SpeedGpxHeader header{"round trip", "42", "Pat"};
    std::string text = SpeedGpxStart(header);
    ASSERT_EQ(AppendSpeedGpxPoints(records.data(), 120, text), 120u);
    text += SpeedGpxEnd(header);
    const PointLog back = ReadPointLogImage(std::vector<uint8_t>(text.begin(), text.end()), "round trip.gpx");
    ASSERT_EQ(back.status, 0) << back.problem;
    EXPECT_EQ(back.format, LogFormat::Gpx);
    EXPECT_TRUE(back.problem.empty()) << back.problem;
    ASSERT_EQ(back.sbp.size(), records.size());
    for (size_t i = 0; i < 120; ++i) {
        const SbpRecord a = ReadSbpRecord(records.data() + i * 32), b = ReadSbpRecord(back.sbp.data() + i * 32);
        SCOPED_TRACE(i);
        EXPECT_NEAR(b.speed, a.speed, 1);   // 0.01 m/s
        EXPECT_NEAR(b.eeVel, a.eeVel, 1);
        EXPECT_EQ(b.utc, a.utc);
        EXPECT_EQ(b.milliseconds, a.milliseconds);
        EXPECT_NEAR(b.latitude, a.latitude, 1);
        EXPECT_NEAR(b.longitude, a.longitude, 1);
    }
}

using SpeedGpxFile = LogFileTest;

// Needs xmllint and gpsbabel (scripts/install-deps.sh).
TEST_F(SpeedGpxFile, convertWritesItBesideTheOthersValidAndReadableBack)
{
    const QString xmllint = QStandardPaths::findExecutable(QStringLiteral("xmllint"));
    const QString gpsbabel = QStandardPaths::findExecutable(QStringLiteral("gpsbabel"));
    ASSERT_FALSE(xmllint.isEmpty()) << "xmllint is missing: run scripts/install-deps.sh";
    ASSERT_FALSE(gpsbabel.isEmpty()) << "gpsbabel is missing: run scripts/install-deps.sh";

    useFakeConverter();
    std::vector<uint8_t> bytes = SbpHeaderBlock();
    const std::vector<uint8_t> track = SampleTrack(300);
    bytes.insert(bytes.end(), track.begin(), track.end());
    WriteBytes(path("two & more.sbp"), bytes);
    program->form.logData.logFileName = "two & more.sbp";
    program->form.logData.speedGpx = true;
    EXPECT_EQ(BitBtn_offline_convertClick(*program), 0);
    const std::vector<std::string> logs = host.logs();
    EXPECT_NE(std::find(logs.begin(), logs.end(), "two & more.speed.gpx: 300 points with their speed"), logs.end())
        << ::testing::PrintToString(logs);
    EXPECT_TRUE(FileExists(path("two & more.gpx")));   // the converter's, as before

    const std::string gpx = path("two & more.speed.gpx");
    const ToolRun valid = Start(xmllint, {QStringLiteral("--noout"), QStringLiteral("--schema"),
                                      QStringLiteral(VR60_TEST_DATA_DIR "/gpx/gpx-1.0-with-speed.xsd"),
                                      QString::fromStdString(gpx)});
    ASSERT_TRUE(valid.started);
    EXPECT_EQ(valid.status, 0) << valid.err;

    const ToolRun back = Start(gpsbabel, {"-t", "-i", "gpx", "-f", QString::fromStdString(gpx), "-o", "unicsv", "-F", "-"});
    ASSERT_TRUE(back.started);
    ASSERT_EQ(back.status, 0) << back.err;
    std::istringstream in(back.out);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line.rfind("No,Latitude,Longitude,Altitude,Speed,Course,", 0), 0u) << line;
    size_t rows = 0;
    for (; std::getline(in, line); ++rows) {
        // No,Latitude,Longitude,Altitude,Speed,...: the speed each record logged, in m/s.
        std::vector<std::string> f;
        std::istringstream cells(line);
        for (std::string c; std::getline(cells, c, ',');)
            f.push_back(c);
        ASSERT_GE(f.size(), 5u) << line;
        EXPECT_NEAR(std::stod(f[4]), (500 + rows % 700) / 100.0, 0.005) << line;
    }
    EXPECT_EQ(rows, 300u);

    // Not asked for: not written.
    ASSERT_TRUE(QFile::remove(QString::fromStdString(gpx)));
    program->form.logData.speedGpx = false;
    EXPECT_EQ(BitBtn_offline_convertClick(*program), 0);
    EXPECT_FALSE(FileExists(gpx));
}

// Another logger's log gets the one export that keeps its speed; a cut file keeps the points
// before the cut and says so.
TEST_F(SpeedGpxFile, anotherLoggersLogIsWrittenWithItsSpeedAndACutOneSaysWhereItStopped)
{
    const std::vector<KnownPoint> points = KnownPoints(40);
    std::vector<uint8_t> ubx = UbxFile(points);
    WriteBytes(path("whole.ubx"), ubx);
    ubx.resize(ubx.size() / 2 + 7);   // inside a frame
    WriteBytes(path("cut.ubx"), ubx);
    const size_t before = ReadPointLog(path("cut.ubx")).points();
    ASSERT_GT(before, 0u);
    ASSERT_LT(before, 40u);
    const std::string cutLine = "cut.speed.gpx: " + std::to_string(before) + " points with their speed";

    struct Case {
        const char* file;
        ResultCode status;
        std::string logged;
        size_t points;
    } const cases[] = {
        {"whole.ubx", kOk, "whole.speed.gpx: 40 points with their speed", 40},
        {"cut.ubx", kIncomplete, cutLine, before},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(ExportOtherLogSpeedGpx(*program, c.file), c.status);
        const std::vector<std::string> logs = host.logs();
        EXPECT_NE(std::find(logs.begin(), logs.end(), c.logged), logs.end()) << ::testing::PrintToString(logs);
        const PointLog back = ReadPointLog(SpeedGpxName(SbpBaseName(c.file)));
        ASSERT_EQ(back.status, 0) << back.problem;
        ASSERT_EQ(back.points(), c.points);
        for (size_t i = 0; i < back.points(); ++i) {
            const SbpRecord r = ReadSbpRecord(back.sbp.data() + i * 32);
            EXPECT_EQ(r.speed, points[i].speedMmS / 10) << i;   // 0.01 m/s
            EXPECT_EQ(r.eeVel, points[i].speedErrorMmS / 10) << i;
        }
    }

    // Log Convert with "GPX with speed" ticked takes it the same way; unticked it stays refused.
    ASSERT_TRUE(QFile::remove(QString::fromStdString(path("whole.speed.gpx"))));
    program->form.logData.logFileName = "whole.ubx";
    program->form.logData.speedGpx = true;
    EXPECT_EQ(BitBtn_offline_convertClick(*program), kOk);
    EXPECT_EQ(ReadPointLog(path("whole.speed.gpx")).points(), 40u);
    program->form.logData.speedGpx = false;
    EXPECT_EQ(BitBtn_offline_convertClick(*program), kCannotOpen);

    const std::vector<std::string> logs = host.logs();
    EXPECT_TRUE(std::any_of(logs.begin(), logs.end(), [](const std::string& l) {
        return l.rfind("cut.ubx (UBX): ", 0) == 0 && l.find("the points before it are written") != std::string::npos;
    })) << ::testing::PrintToString(logs);
}
