// The full clear (log, four track slots, four waypoint slots), the sector erase
// with its retries, and the quick clear, against the in-process device.

#include <gtest/gtest.h>

#include <algorithm>

#include "logdata/DownloadRig.h"
#include "link/LinkBusyGuard.h"
#include "logdata/LogClear.h"
#include "platform/ResultCode.h"

namespace {

using Strings = std::vector<std::string>;

TEST(LogClear, fullClearErasesLogTracksAndWaypointsInOrder)
{
    DownloadRig d(300);
    d.connectTo("unused.sbp");
    EXPECT_EQ(Button_clearlogClick(d.p(), &d.p().form.logData.clearLogEnabled), 0);

    Strings expected{"Clearing log data..."};
    for (int n = 0; n < 4; ++n) {
        expected.push_back("Clearing waypoint ...");
        expected.push_back("Waypoint cleared successfully...");
    }
    expected.push_back("Log data cleared successfully");
    EXPECT_EQ(d.rig.host.logs(), expected);
    EXPECT_TRUE(d.rig.host.boxes().empty());

    std::vector<uint32_t> sectors;
    for (uint32_t a = 0; a < 0x10000; a += 0x1000)
        sectors.push_back(a);
    EXPECT_EQ(d.device().logArea.erasedSectors, sectors);
    EXPECT_EQ(d.device().logArea.waypointDeletes, (std::array<int, 4>{1, 1, 1, 1}));
    EXPECT_TRUE(d.deviceLog().empty());
    EXPECT_EQ(d.p().pointsLogged, 0);
    EXPECT_EQ(d.p().form.logData.pointsLogged, "0(0%)");
    EXPECT_EQ(d.p().link.gauge.position, 100);
    EXPECT_TRUE(d.p().form.logData.clearLogEnabled);
    EXPECT_FALSE(d.rig.host.busyCursor);
}

TEST(LogClear, missingAcknowledgementAndMissingCompletionAreReported)
{
    {
        DownloadRig d(300);
        d.device().faults.dropAnswers[0x504] = 1;
        d.connectTo("unused.sbp");
        EXPECT_EQ(ClearDeviceLog(d.p()), 3);
        EXPECT_EQ(d.rig.host.logs(), (Strings{"Clearing log data...", "Timeout:No ack!"}));
        EXPECT_FALSE(d.rig.host.busyCursor);
    }
    DownloadRig d(300);
    d.device().faults.noCompletion[0x504] = 1;
    d.connectTo("unused.sbp");
    const std::vector<uint8_t> log = d.deviceLog();
    EXPECT_EQ(ClearDeviceLog(d.p()), 4);
    EXPECT_EQ(d.rig.host.logs(), (Strings{"Clearing log data...", "Time out, Failed to clear data"}));
    EXPECT_EQ(d.p().link.gauge.position, 0);
    EXPECT_EQ(d.p().pointsLogged, 300);
    EXPECT_TRUE(d.device().logArea.erasedSectors.empty());
    EXPECT_EQ(d.deviceLog(), log);
}

// A stop that came before the request went out: no line claims a clear.
TEST(LogClear, clearStoppedBeforeItsRequestSaysNothingAndSendsNothing)
{
    DownloadRig d(300);
    d.connectTo("unused.sbp");
    const size_t before = d.device().requestLog().size();
    d.p().link.stopRequested = true;
    EXPECT_EQ(ClearDeviceLog(d.p()), kInterrupted);
    EXPECT_TRUE(d.rig.host.logs().empty()) << testing::PrintToString(d.rig.host.logs());
    EXPECT_EQ(d.device().requestLog().size(), before);
    EXPECT_EQ(d.deviceLog().size(), 300u * 32);
}

TEST(LogClear, aTrackSlotOrWaypointThatStaysMakesTheClearIncomplete)
{
    const struct {
        const char* what;
        int key;   // the request left unanswered
        int times;
        size_t boxes;
    } cases[] = {{"every sector erase", 0x1E, kFaultForever, 4},
                 {"one sector erase three times", 0x1E, 3, 1},
                 {"every waypoint clear", 50, kFaultForever, 0},
                 {"one waypoint clear", 50, 1, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DownloadRig d(300);
        d.device().faults.dropAnswers[c.key] = c.times;
        d.connectTo("unused.sbp");
        EXPECT_EQ(Button_clearlogClick(d.p(), &d.p().form.logData.clearLogEnabled), kIncomplete);
        // The steps and texts stay those of a clear; only the status tells.
        EXPECT_EQ(d.rig.host.logs().back(), "Log data cleared successfully");
        EXPECT_EQ(d.rig.host.boxes().size(), c.boxes);
        EXPECT_TRUE(d.deviceLog().empty());
        EXPECT_EQ(d.p().pointsLogged, 0);
    }
}

TEST(LogClear, sectorEraseIsSentThreeTimesAtMost)
{
    DownloadRig d;
    d.device().faults.dropAnswers[0x1E] = 2;
    d.connectTo("unused.sbp");
    EXPECT_EQ(EraseTrackSlot(d.p(), 2), 0);
    EXPECT_EQ(d.device().logArea.erasedSectors, (std::vector<uint32_t>{0x8000, 0x9000, 0xA000, 0xB000}));
    EXPECT_EQ(d.requestsOf(0x1E), 6u);

    d.device().faults.dropAnswers[0x1E] = kFaultForever;
    EXPECT_EQ(EraseTrackSlot(d.p(), 3), 3);
    EXPECT_EQ(d.requestsOf(0x1E), 9u);   // the first sector of slot 3, three times; the rest untouched
    EXPECT_EQ(d.rig.host.boxes(), Strings{" Erase Track:No ack!,retry failed "});
}

TEST(LogClear, quickClearIsAcknowledgedOnlyWhereMessage11IsTheClear)
{
    {
        // Message 11 reads the settings on this firmware: the settings answer is no acknowledgement.
        DownloadRig d(300);
        d.connectTo("unused.sbp");
        EXPECT_EQ(Button_Clear_LogClick(d.p()), 3);
        EXPECT_EQ(d.rig.host.logs(), Strings{"Timeout:No ack!"});
        EXPECT_EQ(d.deviceLog().size(), 9600u);
    }
    DownloadRig d(300);
    d.device().logArea.quickClearOn11 = true;
    d.connectTo("unused.sbp");
    EXPECT_EQ(Button_Clear_LogClick(d.p()), 0);
    EXPECT_EQ(d.rig.host.logs(), Strings{"Log Data Cleared OK"});
    EXPECT_TRUE(d.deviceLog().empty());
    EXPECT_TRUE(d.device().logArea.erasedSectors.empty());
}

TEST(LogClear, withoutALinkEachHandlerShowsItsOwnDialog)
{
    DownloadRig d;
    bool sender = true;
    EXPECT_EQ(Button_clearlogClick(d.p(), &sender), 1);
    EXPECT_EQ(Button_QuickClearClick(d.p(), &sender), 1);
    EXPECT_EQ(Button_Clear_LogClick(d.p()), 1);
    EXPECT_EQ(EraseTrackSlot(d.p(), 0), 1);
    ClearWaypointSlot(d.p(), 0);
    EXPECT_EQ(d.rig.host.boxes(), (Strings{"Com port error!", "COM port access error", "Com Port Error!",
                                           "COM port access error", "COM port access error"}));
    EXPECT_TRUE(sender);
    EXPECT_TRUE(d.device().requestLog().empty());
}

TEST(LogClear, clickDuringAWaitIsRefusedNotInterleaved)
{
    DownloadRig d(300);
    d.connectTo("unused.sbp");
    const size_t settingsReads = d.requestsOf(0x0B);
    int nested = -1;
    d.rig.host.onPump = [&] {
        if (nested == -1)
            nested = Button_Clear_LogClick(d.p());
    };
    EXPECT_EQ(ClearDeviceLog(d.p()), 0);
    EXPECT_EQ(nested, 1);
    EXPECT_TRUE(d.rig.host.boxes().empty());
    const Strings logs = d.rig.host.logs();
    EXPECT_EQ(std::count(logs.begin(), logs.end(), kLinkBusyText), 1);
    EXPECT_EQ(d.requestsOf(0x0B), settingsReads);
}

} // namespace
