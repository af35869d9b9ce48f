// Other loggers' files read into SBP records: each format built from its
// layout with known points, then spoilt the ways files get spoilt.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/ResultCode.h"
#include "pointlog/PointLog.h"
#include "pointlog/PointLogFiles.h"
#include "sbp/SbpRecord.h"

namespace {

constexpr int kPoints = 10;

std::vector<int> Fields(std::initializer_list<int> values) { return values; }

struct FormatCase {
    const char* label;
    LogFormat format;
    std::vector<uint8_t> bytes;
    const char* name;   // an extension of another format: content decides
    const char* user;
    const char* serial;
};

std::vector<uint8_t> SbpImageOf(const std::vector<KnownPoint>& points)
{
    // Through a reader that is not under test here would prove nothing: the
    // expected records are built field by field.
    std::vector<uint8_t> out(kSbpHeaderBytes, 0);
    out[2] = 0xA0;
    out[3] = 0xA2;
    for (const KnownPoint& p : points) {
        const point_log_files::Civil c = point_log_files::CivilOf(p.timeMs);
        const uint32_t utc = uint32_t((c.year - 2000) * 12 + c.month) << 22 | uint32_t(c.day) << 17 |
                             uint32_t(c.hour) << 12 | uint32_t(c.minute) << 6 | uint32_t(c.second);
        std::vector<uint8_t> r;
        r.push_back(uint8_t((p.hdopCenti * 5 + 50) / 100));
        r.push_back(uint8_t(p.satellites));
        point_log_files::Le(r, uint64_t(c.ms), 2);
        point_log_files::Le(r, utc, 4);
        point_log_files::Le(r, 0, 4);
        point_log_files::Le(r, uint32_t(p.latitude), 4);
        point_log_files::Le(r, uint32_t(p.longitude), 4);
        point_log_files::Le(r, 1200, 4);
        point_log_files::Le(r, uint64_t((p.speedMmS + 5) / 10), 2);
        point_log_files::Le(r, uint64_t(p.courseCentiDeg), 2);
        point_log_files::Le(r, 0, 2);
        r.push_back(uint8_t((p.speedErrorMmS + 5) / 10));
        r.push_back(0);
        out.insert(out.end(), r.begin(), r.end());
    }
    return out;
}

std::vector<FormatCase> EveryFormat(const std::vector<KnownPoint>& points)
{
    return {
        {"sbp", LogFormat::Sbp, SbpImageOf(points), "a.ubx", "", ""},
        {"sbn", LogFormat::Sbn, SbnFile(points), "a.sbp", "", ""},
        {"ubx", LogFormat::Ubx, UbxFile(points), "a.gpx", "", ""},
        {"oao", LogFormat::Oao, OaoFile(points), "a.gpy", "Julien", ""},
        {"gpy", LogFormat::Gpy, GpyFile(points), "a.oao", "Ana", "GPY-00042"},
        {"gpx 1.0", LogFormat::Gpx, GpxFile(points, GpxSpeed::Gpx10), "a.sbn", "Ana", ""},
        {"gpx 1.1 TrackPointExtension", LogFormat::Gpx, GpxFile(points, GpxSpeed::TrackPointExtension), "a", "Ana", ""},
        {"gpx 1.1 extension speed", LogFormat::Gpx, GpxFile(points, GpxSpeed::PlainExtension), "a.txt", "Ana", ""},
    };
}

TEST(PointLog, everyFormatReadsItsKnownPointsWhateverTheFileIsCalled)
{
    const std::vector<KnownPoint> points = KnownPoints(kPoints);
    for (const FormatCase& c : EveryFormat(points)) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(RecogniseLogFormat(c.bytes.data(), c.bytes.size(), c.name), c.format);
        const PointLog log = ReadPointLogImage(c.bytes, c.name);
        EXPECT_EQ(log.status, kOk);
        EXPECT_EQ(log.format, c.format);
        EXPECT_EQ(log.problem, "");
        EXPECT_EQ(log.userName, c.user);
        EXPECT_EQ(log.serial, c.serial);
        ASSERT_EQ(log.sbp.size(), size_t(kPoints) * 32);
        for (int i = 0; i < kPoints; ++i) {
            SCOPED_TRACE(i);
            const KnownPoint& p = points[size_t(i)];
            const SbpRecord r = ReadSbpRecord(log.sbp.data() + i * 32);
            SbpTime t;
            ASSERT_EQ(UnpackSbpTime(r.utc, t), kSbpTimeValid);
            const point_log_files::Civil c2 = point_log_files::CivilOf(p.timeMs);
            EXPECT_EQ(Fields({2000 + t.yearOffset, t.month, t.day, t.hour, t.minute, t.second, r.milliseconds}),
                      Fields({c2.year, c2.month, c2.day, c2.hour, c2.minute, c2.second, c2.ms}));
            EXPECT_EQ(r.latitude, p.latitude);
            EXPECT_EQ(r.longitude, p.longitude);
            EXPECT_EQ(r.speed, (p.speedMmS + 5) / 10);
            EXPECT_EQ(r.course, p.courseCentiDeg);
            EXPECT_EQ(r.hdop, (p.hdopCenti * 5 + 50) / 100);
            EXPECT_EQ(r.satellites, p.satellites);
            EXPECT_EQ(r.eeVel, (p.speedErrorMmS + 5) / 10);
        }
    }
}

// A point's fields at their edges: rounding, wrap-around and saturation.
TEST(PointLog, fieldsAtTheirEdgesRoundWrapAndSaturate)
{
    struct Case {
        const char* label;
        std::function<void(KnownPoint&)> change;
        std::function<void(const SbpRecord&)> check;
    };
    const Case cases[] = {
        {"speed past 655 m/s saturates", [](KnownPoint& p) { p.speedMmS = 700000; },
         [](const SbpRecord& r) { EXPECT_EQ(r.speed, 65535); }},
        {"a speed error of 3 mm/s is one step, not none", [](KnownPoint& p) { p.speedErrorMmS = 3; },
         [](const SbpRecord& r) { EXPECT_EQ(r.eeVel, 1); }},
        {"a speed error past 2.55 m/s saturates", [](KnownPoint& p) { p.speedErrorMmS = 9000; },
         [](const SbpRecord& r) { EXPECT_EQ(r.eeVel, 255); }},
        {"HDOP 51 saturates", [](KnownPoint& p) { p.hdopCenti = 5100; },
         [](const SbpRecord& r) { EXPECT_EQ(r.hdop, 255); }},
        {"the last millisecond of a year", [](KnownPoint& p) { p.timeMs = 1735689599999LL; },
         [](const SbpRecord& r) {
             SbpTime t;
             EXPECT_EQ(UnpackSbpTime(r.utc, t), kSbpTimeValid);
             EXPECT_EQ(Fields({t.yearOffset, t.month, t.day, t.hour, t.minute, t.second, r.milliseconds}),
                       Fields({24, 12, 31, 23, 59, 59, 999}));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        std::vector<KnownPoint> points = KnownPoints(1);
        c.change(points[0]);
        // OAO carries each field whole (32-bit speed and accuracy, 64-bit time).
        const PointLog log = ReadPointLogImage(OaoFile(points), "edge.oao");
        ASSERT_EQ(log.sbp.size(), 32u) << log.problem;
        c.check(ReadSbpRecord(log.sbp.data()));
    }
}

std::vector<uint8_t> Cut(std::vector<uint8_t> b, size_t size)
{
    b.resize(size);
    return b;
}

std::vector<uint8_t> Flip(std::vector<uint8_t> b, size_t at)
{
    b[at] ^= 0x5A;
    return b;
}

std::vector<uint8_t> Replace(const std::vector<uint8_t>& b, const std::string& from, const std::string& to, int nth)
{
    std::string s(b.begin(), b.end());
    size_t at = 0;
    for (int i = 0; i <= nth; ++i)
        at = s.find(from, i == 0 ? 0 : at + 1);
    s.replace(at, from.size(), to);
    return std::vector<uint8_t>(s.begin(), s.end());
}

TEST(PointLog, aCutOrSpoiltFileKeepsThePointsBeforeTheFaultAndSaysWhatItWas)
{
    const std::vector<KnownPoint> points = KnownPoints(kPoints);
    const std::vector<uint8_t> sbn = SbnFile(points), ubx = UbxFile(points), oao = OaoFile(points),
                               gpy = GpyFile(points), gpx = GpxFile(points, GpxSpeed::Gpx10),
                               sbp = SbpImageOf(points);
    const size_t sbnPoint = 99 + 17, ubxPoint = 100 + 26, oaoHeader = 512, oaoPoint = 52, gpyHeader = 48;
    struct Case {
        const char* label;
        const std::vector<uint8_t>* whole;
        std::vector<uint8_t> bytes;
        int status;
        size_t points;
        const char* says;
    };
    const Case cases[] = {
        {"sbn cut in its last point", &sbn, Cut(sbn, sbnPoint * (kPoints - 1) + 50), kOk, kPoints - 1,
         "the file ends inside a frame at byte 1044"},
        {"sbn with a spoilt third point", &sbn, Flip(sbn, sbnPoint * 2 + 30), kOk, kPoints - 1,
         "1 frame failed its check and was skipped"},
        {"ubx cut in its last point", &ubx, Cut(ubx, ubxPoint * (kPoints - 1) + 50), kOk, kPoints - 1,
         "the file ends inside a frame at byte 1134"},
        {"ubx with a spoilt third point", &ubx, Flip(ubx, ubxPoint * 2 + 40), kOk, kPoints - 1,
         "1 frame failed its check and was skipped"},
        {"ubx cut in its sync", &ubx, Cut(ubx, 1), kNotALog, 0, "does not look like a VR60 log"},
        {"oao cut in its last point", &oao, Cut(oao, oaoHeader + oaoPoint * (kPoints - 1) + 20), kOk, kPoints - 1,
         "the file ends inside a frame at byte 980"},
        {"oao with a spoilt third point", &oao, Flip(oao, oaoHeader + oaoPoint * 2 + 10), kOk, kPoints - 1,
         "1 frame failed its check and was skipped"},
        {"oao with only its header", &oao, Cut(oao, oaoHeader), kNotALog, 0, "the OAO file holds no point"},
        {"gpy cut in its last point", &gpy, Cut(gpy, gpy.size() - 5), kOk, kPoints - 1, "the file ends inside a frame"},
        // The spoilt delta takes the two deltas built on it along.
        {"gpy with a spoilt delta frame", &gpy, Flip(gpy, gpyHeader + 30 + 5), kOk, kPoints - 3,
         "1 frame failed its check and was skipped; 2 delta frames without their full frame were skipped"},
        {"gpy with a spoilt full frame", &gpy, Flip(gpy, gpyHeader + 8), kOk, kPoints - 4,
         "1 frame failed its check and was skipped; 3 delta frames without their full frame were skipped"},
        {"gpx cut in its last point", &gpx, Cut(gpx, std::string(gpx.begin(), gpx.end()).rfind("<time>")), kOk,
         kPoints - 1, "the file ends inside a track point (after 9 points)"},
        {"gpx cut between points", &gpx, Cut(gpx, std::string(gpx.begin(), gpx.end()).rfind("<trkpt")), kOk, kPoints - 1,
         "the file ends before its closing </gpx>"},
        {"gpx with an unreadable latitude", &gpx, Replace(gpx, "lat=\"36", "lat=\"3x6", 2), kOk, kPoints - 1,
         "1 point that did not read was skipped"},
        {"gpx with an unreadable speed", &gpx, Replace(gpx, "<speed>1", "<speed>1..", 4), kOk, kPoints - 1,
         "1 point that did not read was skipped"},
        {"gpx with a time that is not one", &gpx, Replace(gpx, "T10:00:", "T10-00:", 3), kOk, kPoints - 1,
         "1 point without a usable time was skipped"},
        {"sbp cut in its last record", &sbp, Cut(sbp, sbp.size() - 7), kOk, kPoints - 1,
         "it ends in a partial record: its last 25 bytes were left over"},
        {"text", nullptr, std::vector<uint8_t>(300, 'x'), kNotALog, 0, "(nor an SBN, UBX, OAO, GPY or GPX log)"},
        {"nothing", nullptr, {}, kEmptyFile, 0, "the file is empty"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const PointLog log = ReadPointLogImage(c.bytes, "spoilt.log");
        EXPECT_EQ(log.status, c.status);
        EXPECT_EQ(log.sbp.size(), c.points * 32);
        EXPECT_NE(log.problem.find(c.says), std::string::npos) << log.problem;
        if (!c.whole)
            continue;
        // What was kept are points of the whole file, unchanged and in order.
        const std::vector<uint8_t> all = ReadPointLogImage(*c.whole, "whole").sbp;
        size_t at = 0;
        for (size_t kept = 0; kept < log.sbp.size(); kept += 32) {
            while (at < all.size() && std::memcmp(all.data() + at, log.sbp.data() + kept, 32) != 0)
                at += 32;
            EXPECT_LT(at, all.size()) << "record " << kept / 32 << " is not one of the whole file's";
        }
    }
}

TEST(PointLog, aFileThatCannotBeOpenedSaysSo)
{
    const PointLog log = ReadPointLog(std::string(VR60_TEST_OUTPUT_DIR) + "/no such folder/log.ubx");
    EXPECT_EQ(log.status, kCannotOpen);
    EXPECT_NE(log.problem.find("cannot open"), std::string::npos);
}

} // namespace
