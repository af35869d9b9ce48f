// Top-10 tables and the log-area query: the unit arithmetic in 32-bit float,
// the exact lines, and what a failed or short answer leaves behind.

#include <gtest/gtest.h>

#include "device/TopSpeeds.h"
#include "logdata/LogAreaQuery.h"
#include "support/SimRig.h"

namespace {

using Strings = std::vector<std::string>;

TEST(TopSpeedText, convertsWithTheUnitTableAndTruncates)
{
    EXPECT_EQ(TopSpeedText(1000, 0), " 36.00KMH");
    EXPECT_EQ(TopSpeedText(1000, 1), " 22.36MPH");   // 36000 x 0.6213712 = 22369.36
    EXPECT_EQ(TopSpeedText(1000, 2), " 19.43KTS");   // r = 19438: two decimals, no rounding
    EXPECT_EQ(TopSpeedText(1000, 3), " 36.00BPM");   // factor index 3 % 3, suffix index 3 % 4
    EXPECT_EQ(TopSpeedText(0, 0), "  0.00KMH");
    EXPECT_EQ(TopSpeedText(65535, 0), "2359.26KMH");
}

struct TopSpeedsTest : ::testing::Test {
    SimRig rig;
    Program& p() { return rig.p(); }
};

TEST_F(TopSpeedsTest, readListsBothTablesInTheDeviceUnit)
{
    rig.device.logArea.top10 = {1000, 900, 0, 0, 0, 0, 0, 0, 0, 5, 1000, 800};
    rig.device.model.settings[5] = 10;   // speed averaging 10 s
    rig.connect();
    rig.clearEvents();
    EXPECT_EQ(Button_TOP10_ReadClick(p()), 0);
    const Strings logs = rig.host.logs();
    ASSERT_EQ(logs.size(), 22u);
    EXPECT_EQ(logs[0], "===TOP 10 MAX SPEED===");
    EXPECT_EQ(logs[1], "1   36.00KMH");
    EXPECT_EQ(logs[2], "2   32.40KMH");
    EXPECT_EQ(logs[3], "3    0.00KMH");
    EXPECT_EQ(logs[10], "10   0.18KMH");
    EXPECT_EQ(logs[11], "===TOP 10 MAX AVG SPEED===");
    EXPECT_EQ(logs[12], "1   36.00KMH-10S");
    EXPECT_EQ(logs[13], "2   28.80KMH-10S");
    EXPECT_EQ(p().form.logData.top10MaxSpeed, Strings(logs.begin() + 1, logs.begin() + 11));
    EXPECT_EQ(p().form.logData.top10MaxAvgSpeed, Strings(logs.begin() + 12, logs.end()));

    // Knots, from the unit the device is set to.
    p().settings.unit = 2;
    rig.clearEvents();
    EXPECT_EQ(Button_TOP10_ReadClick(p()), 0);
    EXPECT_EQ(rig.host.logs()[1], "1   19.43KTS");
}

TEST_F(TopSpeedsTest, readFailuresListNothing)
{
    rig.connect();
    rig.clearEvents();
    rig.device.faults.dropAnswers[0x49] = 1;
    EXPECT_EQ(Button_TOP10_ReadClick(p()), 4);
    EXPECT_TRUE(rig.host.events.empty());

    rig.device.faults.wrongLength[0x49] = 1;   // 8 data bytes instead of 40
    EXPECT_EQ(Button_TOP10_ReadClick(p()), 4);
    EXPECT_EQ(rig.host.logs(), Strings{"Top 10 read failed: short answer (8 bytes)!"});
    EXPECT_TRUE(p().form.logData.top10MaxSpeed.empty());
}

TEST_F(TopSpeedsTest, clearEmptiesTheTablesAndSaysSo)
{
    rig.connect();
    rig.clearEvents();
    EXPECT_EQ(Button_TOP10_ClearClick(p()), 0);
    EXPECT_EQ(rig.host.boxes(), Strings{"Top 10 Speed cleared successfully."});
    EXPECT_EQ(rig.device.logArea.top10, (std::array<uint16_t, 20>{}));
    EXPECT_FALSE(rig.host.busyCursor);

    rig.device.faults.dropAnswers[0x4A] = 1;
    EXPECT_EQ(Button_TOP10_ClearClick(p()), 3);
    EXPECT_EQ(rig.host.boxes().back(), "Operation failed!");
}

TEST_F(TopSpeedsTest, logInfoStoresAndLogsTheAreaAndKeepsItOnFailure)
{
    rig.device.model.pointsLogged = 1;
    rig.connect();
    rig.clearEvents();
    EXPECT_EQ(Button_Log_infoClick(p()), 0);
    EXPECT_EQ(rig.host.logs(),
              Strings{"DLG addr=00010000h,size=00400000h,cyc_start=00010000h,cyc_blank=00010020h"});
    EXPECT_EQ(p().logArea.ringBlank, 0x10020u);
    EXPECT_EQ(RecordsInRing(p().logArea), 1u);

    rig.device.faults.dropAnswers[0x4B] = 1;
    for (bool shortAnswer : {false, true}) {
        if (shortAnswer)
            rig.device.setHandler(0x4B, [](SimDevice& d, const uint8_t*, int) { d.reply(0xCB, std::vector<uint8_t>(12)); });
        rig.clearEvents();
        EXPECT_EQ(Button_Log_infoClick(p()), 4);
        EXPECT_EQ(rig.host.logs(), Strings{"Read Log Info failed !"});
        EXPECT_EQ(p().logArea.ringBlank, 0x10020u);
    }
}

TEST_F(TopSpeedsTest, withoutALinkEachOperationShowsOneDialogAndSendsNothing)
{
    EXPECT_EQ(Button_TOP10_ReadClick(p()), 1);
    EXPECT_EQ(Button_TOP10_ClearClick(p()), 1);
    EXPECT_EQ(Button_Log_infoClick(p()), 1);
    EXPECT_EQ(rig.host.boxes(), Strings(3, "Com port not open Error!"));
    EXPECT_TRUE(rig.device.requestLog().empty());
}

} // namespace
