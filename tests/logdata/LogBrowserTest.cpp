#include <gtest/gtest.h>

#include "LogFileFixture.h"
#include "SbpTestRecords.h"
#include "basics/MapLink.h"
#include "basics/WholeFile.h"
#include "logdata/GridCsv.h"
#include "logdata/LogBrowser.h"
#include "logdata/PointGridText.h"
#include "platform/ResultCode.h"
#include "ui/PointGridModel.h"

using Browser = LogFileTest;

TEST_F(Browser, loadShowsEveryWholeRecordAndLogsSize)
{
    WriteBytes(path("ten.sbp"), SampleTrack(10));
    EXPECT_EQ(Load_SBPClick(*program, path("ten.sbp")), 0);
    EXPECT_EQ(program->grid.rowCount(), 11u);
    EXPECT_EQ(GridCell(program->grid, 10, 0), "10");
    EXPECT_EQ(host.logs(), (std::vector<std::string>{"Load SBP file " + path("ten.sbp"),
                                                     "Total SBP file size=320, points=10"}));
    EXPECT_EQ(program->form.logData.logFileName, path("ten.sbp"));
    EXPECT_EQ(program->browser.loadedSize, 320u);
    EXPECT_TRUE(program->form.browse.gridEnabled && program->form.browse.mapViewEnabled && program->form.logData.browseDownloadEnabled);

    std::vector<uint8_t> odd = SampleTrack(4);
    odd.resize(100);
    WriteBytes(path("odd.sbp"), odd);
    EXPECT_EQ(Load_SBPClick(*program, path("odd.sbp")), 0);
    EXPECT_EQ(program->grid.rowCount(), 4u);
    EXPECT_EQ(host.logs().back(), "Total SBP file size=100, points=3");
}

TEST_F(Browser, headerBlockIsShownAsTwoRows)
{
    std::vector<uint8_t> bytes = SbpHeaderBlock();
    const std::vector<uint8_t> track = SampleTrack(3);
    bytes.insert(bytes.end(), track.begin(), track.end());
    WriteBytes(path("h.sbp"), bytes);
    ASSERT_EQ(Load_SBPClick(*program, path("h.sbp")), 0);
    EXPECT_EQ(program->grid.rowCount(), 6u);
    EXPECT_EQ(GridCell(program->grid, 3, 6), "225000000");
}

TEST_F(Browser, failedLoadKeepsTheGrid)
{
    WriteBytes(path("ten.sbp"), SampleTrack(10));
    ASSERT_EQ(Load_SBPClick(*program, path("ten.sbp")), 0);
    WriteBytes(path("empty.sbp"), {});
    host.events.clear();
    EXPECT_EQ(Load_SBPClick(*program, path("empty.sbp")), kEmptyFile);
    EXPECT_EQ(Load_SBPClick(*program, path("gone.sbp")), kCannotOpen);
    EXPECT_EQ(host.boxes(), (std::vector<std::string>{"Load SBP failed!", "Load SBP failed!"}));
    EXPECT_TRUE(host.logs().empty());
    EXPECT_EQ(program->grid.rowCount(), 11u);
    EXPECT_EQ(program->form.logData.logFileName, path("ten.sbp"));
    // A cancelled dialog changes nothing.
    EXPECT_EQ(Load_SBPClick(*program, ""), 0);
    EXPECT_EQ(program->grid.rowCount(), 11u);
}

TEST_F(Browser, longFileIsCutAtEightMebibytes)
{
    std::vector<uint8_t> bytes = SampleTrack(int(kWholeFileLimit / 32) + 5);
    WriteBytes(path("long.sbp"), bytes);
    ASSERT_EQ(Load_SBPClick(*program, path("long.sbp")), 0);
    EXPECT_EQ(program->grid.rowCounter(), 262144u);
    EXPECT_EQ(host.logs().back(), "Total SBP file size=8388608, points=262144");
}

TEST_F(Browser, browseSetsTheLogFileNameOnlyWhenChosen)
{
    Button_BrowseClick(*program, "/data/a b.sbp");
    EXPECT_EQ(program->form.logData.logFileName, "/data/a b.sbp");
    Button_BrowseClick(*program, "");
    EXPECT_EQ(program->form.logData.logFileName, "/data/a b.sbp");
    EXPECT_EQ(program->grid.rowCount(), 1u);
}

TEST(MapLink, queryFromGridTexts)
{
    EXPECT_EQ(MapLinkFor("-123456789", "5000000"),
              "https://maps.google.com/maps?q=-12.3456789,0.5000000&spn=0.05636,0.011996&t=k  ");
    EXPECT_EQ(MapLinkFor("0", "-1"), "https://maps.google.com/maps?q=0.0000000,-0.0000001&spn=0.05636,0.011996&t=k  ");
    EXPECT_EQ(MapLinkFor("-2147483648", "2147483647"),
              "https://maps.google.com/maps?q=-214.7483648,214.7483647&spn=0.05636,0.011996&t=k  ");
    EXPECT_EQ(MapLinkFor("12a", "5"), "");
    EXPECT_EQ(MapLinkFor("", "5"), "");
    EXPECT_EQ(MapLinkFor("1", "99999999999"), "");
}

TEST_F(Browser, selectionBuildsLinkAndDoubleClickOpensIt)
{
    std::vector<uint8_t> bytes;
    SbpFields f;
    f.latitude = -123456789;
    f.longitude = 5000000;
    AppendSbpRecord(bytes, f);
    WriteBytes(path("one.sbp"), bytes);
    ASSERT_EQ(Load_SBPClick(*program, path("one.sbp")), 0);

    EXPECT_FALSE(StringGrid1DblClick(*program));   // nothing selected yet
    EXPECT_TRUE(StringGrid1SelectCell(*program, 3, 1));
    EXPECT_EQ(program->browser.mapLink, "https://maps.google.com/maps?q=-12.3456789,0.5000000&spn=0.05636,0.011996&t=k  ");
    EXPECT_TRUE(StringGrid1DblClick(*program));
    EXPECT_EQ(opener->opened,
              (std::vector<std::string>{"https://maps.google.com/maps?q=-12.3456789,0.5000000&spn=0.05636,0.011996&t=k"}));

    // The header row keeps the link but opens nothing; a row without a point keeps the link.
    EXPECT_TRUE(StringGrid1SelectCell(*program, 0, 0));
    EXPECT_FALSE(StringGrid1DblClick(*program));
    EXPECT_TRUE(StringGrid1SelectCell(*program, 0, 7));
    EXPECT_EQ(program->browser.mapLink, "https://maps.google.com/maps?q=-12.3456789,0.5000000&spn=0.05636,0.011996&t=k  ");
    EXPECT_EQ(opener->opened.size(), 1u);
}

TEST_F(Browser, tableModelShowsTheGridCells)
{
    WriteBytes(path("ten.sbp"), SampleTrack(10));
    PointGridModel model(program->grid);
    ASSERT_EQ(Load_SBPClick(*program, path("ten.sbp")), 0);
    model.gridReset();
    EXPECT_EQ(model.rowCount(), 11);
    EXPECT_EQ(model.columnCount(), 15);
    EXPECT_EQ(model.data(model.index(0, 14)).toString(), "===RMC===");
    for (int c = 0; c < 15; ++c)
        EXPECT_EQ(model.data(model.index(4, c)).toString().toStdString(), GridCell(program->grid, 4, c));
    EXPECT_FALSE(model.data(model.index(4, 1), Qt::EditRole).isValid());
}

TEST_F(Browser, csvSaveNeedsALoadedFile)
{
    EXPECT_FALSE(GridSaveAllowed(*program));
    GridSaveToFileClick(*program, "x.csv");
    EXPECT_EQ(host.boxes(), (std::vector<std::string>{"Load SBP first !", "Load SBP first !"}));
    EXPECT_FALSE(FileExists(path("x.csv")));

    WriteBytes(path("ten.sbp"), SampleTrack(10));
    ASSERT_EQ(Load_SBPClick(*program, path("ten.sbp")), 0);
    host.events.clear();
    EXPECT_TRUE(GridSaveAllowed(*program));
    GridSaveToFileClick(*program, "");   // cancelled
    EXPECT_TRUE(host.events.empty());
    GridSaveToFileClick(*program, "x.csv");
    EXPECT_EQ(host.logs(), (std::vector<std::string>{"x.csv CSV file created."}));
    EXPECT_EQ(host.boxes(), (std::vector<std::string>{"x.csv saved."}));
}
