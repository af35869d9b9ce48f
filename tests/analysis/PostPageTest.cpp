// vr60ctl post: the ranking site's form, filled in from the analysis, as a
// real browser loads it.

#include <gtest/gtest.h>

#include <fstream>

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include "analysis/PostPage.h"
#include "analysis/SessionAnalysis.h"
#include "analysis/SyntheticLog.h"
#include "support/Files.h"
#include "support/Processes.h"

namespace {

// An hour and more of two-minute reaches at 10 to 14 m/s, with gybes between.
SyntheticLog ReachesForAnHour()
{
    SyntheticLog log;
    double heading = 0;
    for (int k = 0; k < 30; ++k) {
        if (k > 0) {
            log.run(6, 8, heading, 6);
            heading = heading == 0 ? 180 : 0;
        }
        log.run(120, 10 + k % 5, heading);
    }
    return log;
}

// The DOM a headless browser makes of the page; empty when it could not run.
QString BrowserDom(const QString& browser, const std::string& page, const ScratchDir& dir)
{
    QProcess p;
    p.start(browser, {"--headless", "--no-sandbox", "--disable-gpu", "--user-data-dir=" + QString::fromStdString(dir.file("profile")),
                      "--dump-dom", "file://" + QString::fromStdString(page)});
    if (!p.waitForFinished(120000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

TEST(PostPage, theFormLoadsInABrowserFilledWithTheAnalysis)
{
    const QString browser = QStandardPaths::findExecutable("chromium");
    if (browser.isEmpty())
        GTEST_SKIP() << "no chromium (scripts/install-deps.sh installs it)";
    ScratchDir dir;
    const std::vector<uint8_t> bytes = ReachesForAnHour().bytes();
    const std::string log = dir.file("reaches.sbp"), page = dir.file("page.html");
    std::ofstream(log, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));

    const CtlResult post = RunCtl({"post", "gpstc", log, "--out", page, "--no-open", "--form-url", "http://127.0.0.1:9/s?a=1&b=2"});
    ASSERT_EQ(post.status, 0) << post.err;
    EXPECT_EQ(post.out, page + "\n");
    const CtlResult analyze = RunCtl({"analyze", log, "--json", "--rules", "gpstc"});
    ASSERT_EQ(analyze.status, 0) << analyze.err;
    const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(analyze.out)).object();

    const QString dom = BrowserDom(browser, page, dir);
    ASSERT_FALSE(dom.isEmpty()) << "the browser did not load the page";
    const auto field = [&](const QString& key) {
        const QRegularExpressionMatch m =
            QRegularExpression("<input id=\"" + QRegularExpression::escape(key) + "\" name=\"[^\"]*\" value=\"([^\"]*)\"").match(dom);
        return m.hasMatch() ? m.captured(1) : QStringLiteral("(missing)");
    };
    EXPECT_EQ(field("date"), "2014-12-07");
    for (const char* key : {"2s", "5x10s", "1h", "alpha500", "nm"}) {
        ASSERT_TRUE(o[key].isObject()) << key;
        EXPECT_EQ(field(key), QString::number(o[key]["knots"].toDouble(), 'f', 3)) << key;
        EXPECT_EQ(field(QString(key) + "_method"), "D") << key;
    }
    EXPECT_EQ(field("distance_km"), QString::number(o["distance_km"].toDouble(), 'f', 3));
    EXPECT_TRUE(dom.contains("action=\"http://127.0.0.1:9/s?a=1&amp;b=2\"")) << dom.toStdString();
}

TEST(PostPage, aCategoryWithoutAResultIsLeftEmptyNeverZero)
{
    SyntheticLog log;
    log.run(60, 10);
    const SessionResults r = AnalyzeSbpImage(log.bytes(), RulesOf(RuleSet::Gpstc)).results;
    std::map<std::string, std::string> values;
    for (const PostField& f : GpstcPostFields(r, SyntheticLog::At(0)))
        values[f.key] = f.value;
    EXPECT_EQ(values["2s"], "19.438");   // 10 m/s
    EXPECT_EQ(values["1h"], "");
    EXPECT_EQ(values["5x10s"], "");      // one run
    EXPECT_EQ(values["distance_km"], "0.600");
    const std::string page = GpstcPostPage(r, SyntheticLog::At(0), "");
    EXPECT_NE(page.find("<input id=\"1h\" name=\"1h\" value=\"\" placeholder=\"no result\">"), std::string::npos) << page;
    EXPECT_EQ(page.find("<button"), std::string::npos);   // no address to send to: a page to copy from
}

} // namespace
