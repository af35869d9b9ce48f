// The JSON object and the terminal table of the results.

#include <gtest/gtest.h>

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
                                     "moving_s", "nm", "points_filtered", "points_used"}));
    const QRegularExpression iso(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z$)");
    for (const char* key : {"2s", "10s", "5x10s", "100m", "250m"}) {
        const QJsonObject c = o[key].toObject();
        EXPECT_EQ(c.keys(), QStringList({"end", "kmh", "knots", "start"})) << key;
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

    // Extra members come last, as given; texts are escaped.
    const std::string withExtra = ResultJson(r, {{"device_top10", "[" + JsonString("a\"b\\c\n") + "]"}});
    const QJsonObject e = QJsonDocument::fromJson(QByteArray::fromStdString(withExtra)).object();
    EXPECT_EQ(e["device_top10"][0].toString(), "a\"b\\c\n");
}

TEST(ResultText, tableShowsEachCategoryAndTheTotals)
{
    const std::vector<std::string> lines = ResultTableLines(ShortRun());
    // Header, nine categories, the five runs of 5 x 10 s, three totals.
    ASSERT_EQ(lines.size(), 1u + 9 + 5 + 3);
    EXPECT_EQ(lines[0], "category          knots     km/h  start (UTC)              end (UTC)");
    EXPECT_EQ(lines[1].rfind("2 s               15.55    28.80  2014-12-07 08:00:", 0), 0u) << lines[1];
    EXPECT_EQ(lines[4].rfind("  1               15.55    28.80  2014-12-07 08:00:", 0), 0u) << lines[4];
    EXPECT_EQ(lines[11], "500 m                 -        -");
    EXPECT_EQ(lines[15], "distance          0.440 km");
    EXPECT_EQ(lines[16], "time moving     0:00:55 (55.0 s)");
    EXPECT_EQ(lines[17], "points         276 used, 0 filtered out");
    for (const std::string& line : lines)
        EXPECT_NE(line.back(), ' ') << line;
}

} // namespace
