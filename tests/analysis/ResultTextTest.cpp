// The JSON object and the terminal table of the results.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include "analysis/ResultText.h"
#include "analysis/SessionAnalysis.h"
#include "analysis/SyntheticLog.h"

namespace {

SessionResults ShortRun()
{
    // 55 s at 8 m/s straight north (440 m): no 500 m, nautical mile, 1 h or alpha.
    SyntheticLog log;
    log.run(55, 8);
    return AnalyzeSbpImage(log.bytes(), PointFilter{}).results;
}

TEST(ResultText, jsonHasEveryKeyWithAResultOrNull)
{
    const SessionResults r = ShortRun();
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(ResultJson(r)), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    const QJsonObject o = doc.object();
    EXPECT_EQ(o.keys(), QStringList({"100m", "10s", "1h", "250m", "2s", "500m", "5x10s", "alpha500", "distance_km",
                                     "filtered", "moving_s", "nm", "points_filtered", "points_used", "records",
                                     "rules", "runs", "truncated", "turns"}));
    const QRegularExpression iso(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z$)");
    for (const char* key : {"2s", "10s", "5x10s", "100m", "250m"}) {
        const QJsonObject c = o[key].toObject();
        EXPECT_EQ(c.keys(), QStringList({"end", "err_kn", "kmh", "knots", "mean_err_kn", key == std::string("5x10s") ? "runs" : "run",
                                         "start"}))
            << key;
        EXPECT_TRUE(c["err_kn"].isNull()) << key;   // the log gives no speed error
        EXPECT_NEAR(c["knots"].toDouble(), 15.551, 1e-9) << key;   // 8 * 3600 / 1852 = 15.5508
        EXPECT_NEAR(c["kmh"].toDouble(), 28.8, 1e-9) << key;
        EXPECT_TRUE(iso.match(c["start"].toString()).hasMatch()) << key;
        EXPECT_TRUE(iso.match(c["end"].toString()).hasMatch()) << key;
    }
    EXPECT_EQ(UtcIsoText(SyntheticLog::At(2.2)), "2014-12-07T08:00:02.200Z");
    EXPECT_EQ(UtcIsoText(951782400999), "2000-02-29T00:00:00.999Z");
    for (const char* key : {"500m", "nm", "1h", "alpha500"})
        EXPECT_TRUE(o[key].isNull()) << key;
    EXPECT_NEAR(o["distance_km"].toDouble(), 0.44, 0.001);
    EXPECT_DOUBLE_EQ(o["moving_s"].toDouble(), 55.0);
    EXPECT_EQ(o["points_used"].toInt(), 276);
    EXPECT_EQ(o["points_filtered"].toInt(), 0);
    EXPECT_EQ(o["records"].toInt(), 276);
    EXPECT_EQ(o["truncated"], false);
    EXPECT_EQ(o["rules"]["name"], "vr60");
    EXPECT_EQ(o["runs"].toArray().size(), 1);
    EXPECT_EQ(o["runs"][0]["best_10s"]["run"], 1);
    EXPECT_EQ(o["2s"]["run"], 1);

    // Extra members come last, as given; texts are escaped.
    const std::string withExtra = ResultJson(r, {{"device_top10", "[" + JsonString("a\"b\\c\n") + "]"}});
    const QJsonObject e = QJsonDocument::fromJson(QByteArray::fromStdString(withExtra)).object();
    EXPECT_EQ(e["device_top10"][0].toString(), "a\"b\\c\n");
}

TEST(ResultText, tableShowsEachCategoryAndTheTotals)
{
    const std::vector<std::string> lines = ResultTableLines(ShortRun());
    // Header, the nine categories of vr60, the five runs of 5 x 10 s, five totals.
    ASSERT_EQ(lines.size(), 1u + 9 + 5 + 5);
    EXPECT_EQ(lines[0], "category          knots     km/h     \u00b1kn  run  start (UTC)              end (UTC)");
    EXPECT_EQ(lines[1].rfind("2 s               15.55    28.80      \u00b1?    1  2014-12-07 08:00:", 0), 0u) << lines[1];
    EXPECT_EQ(lines[4].rfind("  1               15.55    28.80            1  2014-12-07 08:00:", 0), 0u) << lines[4];
    EXPECT_EQ(lines[11], "500 m                 -        -");
    EXPECT_EQ(lines[15], "distance          0.440 km");
    EXPECT_EQ(lines[16], "time moving     0:00:55 (55.0 s)");
    EXPECT_EQ(lines[17], "runs           1, 0 turns between them");
    EXPECT_EQ(lines[18], "rules          vr60");
    EXPECT_EQ(lines[19], "points         276 used, 0 filtered out");
    for (const std::string& line : lines)
        EXPECT_NE(line.back(), ' ') << line;
}

// Every record is used or left out, and each left out under one reason: the
// first check it fails.
TEST(ResultText, everyRecordIsUsedOrLeftOutForOneReason)
{
    SyntheticLog log;
    log.run(20, 10);
    log.point(5).utc |= 63;                     // time, whatever else is wrong
    log.point(5).hdop = 20;
    log.point(10).hdop = 16;                    // hdop, and too few satellites
    log.point(10).satellites = 3;
    log.point(15).satellites = 4;               // sats
    log.point(20).utc = log.point(19).utc;      // same time
    log.point(20).milliseconds = log.point(19).milliseconds;
    log.point(30).speed = 3000;                 // accel
    log.displace(40, 0, 30);                    // position
    const SessionAnalysis a = AnalyzeSbpImage(log.bytes(), PointFilter{});
    const SessionResults& r = a.results;
    EXPECT_EQ(r.records, log.size());
    EXPECT_EQ(r.pointsUsed + r.pointsFiltered, log.size());
    EXPECT_EQ(r.pointsFiltered, 6u);

    const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(ResultJson(r))).object();
    const QJsonObject filtered = o["filtered"].toObject();
    EXPECT_EQ(filtered.keys(), QStringList({"accel", "hdop", "position", "same_time", "sats", "speed_error", "time"}));
    for (const QString& key : filtered.keys())
        EXPECT_EQ(filtered[key].toInt(), key == "speed_error" ? 0 : 1) << key.toStdString();
    EXPECT_EQ(o["points_filtered"].toInt(), 6);
    EXPECT_EQ(o["records"].toInt(), int(log.size()));

    // The views place those with a time: all but the one without.
    ASSERT_EQ(a.track.leftOut.size(), 5u);
    std::vector<FilterReason> reasons;
    for (const LeftOutPoint& l : a.track.leftOut)
        reasons.push_back(l.reason);
    EXPECT_EQ(reasons, (std::vector<FilterReason>{FilterReason::Hdop, FilterReason::Satellites, FilterReason::SameTime,
                                                  FilterReason::Acceleration, FilterReason::Position}));
    EXPECT_EQ(a.track.leftOut.back().point.timeMs, SyntheticLog::At(8));

    const std::vector<std::string> lines = ResultTableLines(r);
    EXPECT_EQ(lines.back(), "left out       HDOP 1, satellites 1, invalid time 1, same time 1, acceleration 1, "
                            "position spike 1");
    SessionResults cut = r;
    cut.truncated = true;
    EXPECT_EQ(ResultTableLines(cut).back(), "truncated      only the first 101 records were analysed");
}

} // namespace
