// "Log Download " against the in-process device: block layout, ring wrap, retries,
// wrong-length answers, file failures, and that the device log is cleared only
// after a complete download that is safely on disk.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "link/BlockRead.h"
#include "logdata/DownloadTarget.h"
#include "logdata/LogDownload.h"
#include "logdata/DownloadRig.h"
#include "platform/ResultCode.h"

namespace {

using Blocks = std::vector<std::pair<uint32_t, uint32_t>>;
using Strings = std::vector<std::string>;

// The grid holds exactly these records, in order.
void ExpectGridHolds(const PointGrid& grid, const std::vector<uint8_t>& log)
{
    ASSERT_EQ(grid.rowCounter(), log.size() / 32);
    for (size_t row = 1; row <= grid.rowCounter(); ++row)
        ASSERT_EQ(std::memcmp(grid.record(row), log.data() + (row - 1) * 32, 32), 0) << "row " << row;
}

TEST(LogDownload, threeHundredPointsComeAsTwoBlocksIntoFileAndGrid)
{
    DownloadRig d(300);
    d.connectTo("a.sbp");
    const std::vector<uint8_t> log = d.deviceLog();

    EXPECT_EQ(Button_downloadlogClick(d.p()), kOk);

    EXPECT_EQ(d.blockRequests, (Blocks{{0x10000, 8192}, {0x12000, 1408}}));
    EXPECT_EQ(ReadFileBytes(d.p().form.logData.logFileName), log);
    ExpectGridHolds(d.p().grid, log);
    EXPECT_EQ(d.rig.host.logs(),
              (Strings{"DLG addr=00010000h,size=00400000h,cyc_start=00010000h,cyc_blank=00012580h", "........."}));
    EXPECT_TRUE(d.rig.host.boxes().empty());
    const FormState& f = d.p().form;
    EXPECT_TRUE(f.browse.gridEnabled);
    EXPECT_TRUE(f.browse.mapViewEnabled);
    EXPECT_EQ(f.browse.gridFileName, f.logData.logFileName);
    EXPECT_EQ(d.p().grid.sourceFile, f.logData.logFileName);
    EXPECT_EQ(d.p().pointsLogged, 300);
    const TransferGauge& g = d.p().link.gauge;
    EXPECT_EQ(g.maximum, 9600);
    EXPECT_EQ(g.position, 9600);
    EXPECT_EQ(g.tag, 1);
    EXPECT_FALSE(d.rig.host.busyCursor);
    // "Auto clear" is off: the device keeps its log.
    EXPECT_EQ(d.requestsOf(0x504), 0u);
    EXPECT_EQ(d.deviceLog(), log);
}

TEST(LogDownload, wrappedRingReadsToTheAreaEndThenContinuesAt0x10000)
{
    DownloadRig d(300, 0x410000 - 0x1000);
    d.connectTo("wrapped.sbp");
    const std::vector<uint8_t> log = d.deviceLog();
    ASSERT_LT(d.device().logArea.ringBlank(), d.device().logArea.ringStart());

    EXPECT_EQ(Button_downloadlogClick(d.p()), kOk);
    EXPECT_EQ(d.blockRequests, (Blocks{{0x40F000, 4096}, {0x10000, 5504}}));
    EXPECT_EQ(d.p().pointsLogged, 300);
    EXPECT_EQ(ReadFileBytes(d.p().form.logData.logFileName), log);
    ExpectGridHolds(d.p().grid, log);
}

TEST(LogDownload, blockEndingExactlyAtTheAreaEndIsFollowedBy0x10000)
{
    DownloadRig d(300, 0x410000 - 8192);
    d.connectTo("edge.sbp");
    const std::vector<uint8_t> log = d.deviceLog();
    EXPECT_EQ(Button_downloadlogClick(d.p()), kOk);
    EXPECT_EQ(d.blockRequests, (Blocks{{0x40E000, 8192}, {0x10000, 1408}}));
    EXPECT_EQ(ReadFileBytes(d.p().form.logData.logFileName), log);
}

TEST(LogDownload, onlyAnEmptyRingIsNoLogDataAFailedAreaQueryIsALinkFailure)
{
    const struct {
        const char* what;
        int32_t points;
        const char* fault;   // on the log-area query (0x4B)
        int result;
        Strings boxes;
    } cases[] = {{"empty ring", 0, nullptr, kEmptyFile, {"No log data!"}},
                 {"query unanswered", 300, "drop", kTimeOut, {"Download failed!"}},
                 {"device unplugged at the query", 300, "hangup", kNoLink, {"Com Port Error!"}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DownloadRig d(c.points);
        d.connectTo("empty.sbp");
        if (c.fault)
            (std::string(c.fault) == "drop" ? d.device().faults.dropAnswers : d.device().faults.hangUpOn)[0x4B] = 1;
        EXPECT_EQ(Button_downloadlogClick(d.p()), c.result);
        EXPECT_EQ(d.rig.host.boxes(), c.boxes);
        const Strings logs = d.rig.host.logs();
        EXPECT_EQ(std::count(logs.begin(), logs.end(), "Read Log Info failed !"), c.fault ? 1 : 0);
        EXPECT_FALSE(std::filesystem::exists(d.p().form.logData.logFileName));
        EXPECT_TRUE(d.blockRequests.empty());
    }
    DownloadRig d;
    EXPECT_EQ(Button_downloadlogClick(d.p()), kNoLink);
    EXPECT_EQ(d.rig.host.boxes(), Strings{"Com port error!"});
}

TEST(LogDownload, threeMissedAnswersAreRetriedFourMissedFailAndKeepTheDeviceLog)
{
    {
        DownloadRig d(300);
        d.device().faults.dropAnswers[4] = 3;
        d.connectTo("retry.sbp");
        EXPECT_EQ(Button_downloadlogClick(d.p()), kOk);
        EXPECT_EQ(d.requestsOf(4), 5u);   // the dropped three never reach the handler
        EXPECT_EQ(ReadFileBytes(d.p().form.logData.logFileName), d.deviceLog());
    }
    DownloadRig d(700);   // 8192 + 8192 + 6016 bytes
    d.p().form.logData.autoClearAfterDownload = true;
    d.connectTo("missed.sbp");
    const std::vector<uint8_t> log = d.deviceLog();
    // The second block goes unanswered four times.
    int calls = 0;
    const SimDevice::Handler recorded = d.device().handler(4);
    d.device().setHandler(4, [&](SimDevice& dev, const uint8_t* payload, int length) {
        if (++calls < 2 || calls > 5)
            recorded(dev, payload, length);
    });

    EXPECT_EQ(Button_downloadlogClick(d.p()), kTimeOut);
    EXPECT_EQ(calls, 5);
    const std::string partial = PartialNameFor(d.p().form.logData.logFileName);
    EXPECT_EQ(ReadFileBytes(partial), std::vector<uint8_t>(log.begin(), log.begin() + 8192));
    EXPECT_FALSE(std::filesystem::exists(d.p().form.logData.logFileName));
    EXPECT_EQ(d.rig.host.logs().back(), "The download did not complete; " + partial + " holds 8192 bytes (incomplete)");
    EXPECT_EQ(d.rig.host.boxes(), Strings{"Download failed!"});
    EXPECT_EQ(d.p().link.gauge.position, 8192);
    EXPECT_EQ(d.p().link.gauge.tag, 1);
    EXPECT_FALSE(d.p().form.browse.gridEnabled);
    EXPECT_TRUE(d.p().grid.sourceFile.empty());
    EXPECT_EQ(d.requestsOf(0x504), 0u);
    EXPECT_EQ(d.deviceLog(), log);
}

TEST(LogDownload, wrongLengthAnswersAreAskedAgainButNotForever)
{
    {
        DownloadRig d(300);
        d.device().faults.wrongLength[4] = 2;
        d.connectTo("short.sbp");
        EXPECT_EQ(Button_downloadlogClick(d.p()), kOk);
        EXPECT_EQ(d.blockRequests, (Blocks{{0x10000, 8192}, {0x10000, 8192}, {0x10000, 8192}, {0x12000, 1408}}));
        EXPECT_EQ(ReadFileBytes(d.p().form.logData.logFileName), d.deviceLog());
        ExpectGridHolds(d.p().grid, d.deviceLog());
    }
    DownloadRig d(300);
    d.device().faults.wrongLength[4] = kFaultForever;
    d.p().form.logData.autoClearAfterDownload = true;
    d.connectTo("never.sbp");
    EXPECT_EQ(Button_downloadlogClick(d.p()), kTimeOut);
    EXPECT_EQ(d.blockRequests.size(), size_t(4 * kWrongLengthAnswersPerAttempt));
    // Nothing arrived: no file at all, not even an empty partial one.
    EXPECT_FALSE(std::filesystem::exists(d.p().form.logData.logFileName));
    EXPECT_FALSE(std::filesystem::exists(PartialNameFor(d.p().form.logData.logFileName)));
    EXPECT_EQ(d.rig.host.logs().back(), "The download did not complete; no log data was kept");
    EXPECT_EQ(d.rig.host.boxes(), Strings{"Download failed!"});
    EXPECT_EQ(d.requestsOf(0x504), 0u);
}

// An answer that comes after its attempt timed out must not be taken for a later
// block: the file would be shifted by a block and called complete.
TEST(LogDownload, lateAnswerNeverLandsInALaterBlock)
{
    DownloadRig d(8000);   // 63 blocks: the late answer falls due while the transfer runs
    d.device().faults.lateAnswers[4] = 1;
    d.device().faults.lateMs = 1500;
    d.p().form.logData.autoClearAfterDownload = true;
    d.p().logBlockSize = 0x1000;   // two answers fit the receive ring together
    d.connectTo("late.sbp");
    const std::vector<uint8_t> log = d.deviceLog();
    EXPECT_EQ(Button_downloadlogClick(d.p()), kOk);
    EXPECT_EQ(ReadFileBytes(d.p().form.logData.logFileName), log);
    ExpectGridHolds(d.p().grid, log);
}

TEST(LogDownload, answerCutHalfwayIsRecoveredWithinTheAttempts)
{
    DownloadRig d(300);
    d.device().faults.cutAnswers[4] = 1;
    d.connectTo("cut.sbp");
    EXPECT_EQ(Button_downloadlogClick(d.p()), kOk);
    EXPECT_EQ(ReadFileBytes(d.p().form.logData.logFileName), d.deviceLog());
    ExpectGridHolds(d.p().grid, d.deviceLog());
}

// Over an earlier complete log: that one stays as it was, what arrived is kept under the
// partial name, which the message log names, and the device keeps its log.
TEST(LogDownload, hangUpOrStopMidDownloadKeepsTheEarlierFileAndWhatArrivedUnderThePartialName)
{
    for (bool stop : {false, true}) {
        SCOPED_TRACE(stop ? "waits stopped (the program ends)" : "device hangs up");
        DownloadRig d(700);
        d.p().form.logData.autoClearAfterDownload = true;
        d.connectTo("big.sbp");
        const std::string name = d.p().form.logData.logFileName;
        const std::string partial = d.dir.file("big.partial.sbp");
        const std::vector<uint8_t> earlier(38400, 0x5A);
        std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(earlier.data()), 38400);
        d.rig.host.answers = {true};   // "big.sbp exists! Overwrite?"
        if (stop) {
            // Asked to stop while the second block is on its way: it is not asked again.
            const SimDevice::Handler readBlock = d.device().handler(4);
            d.device().setHandler(4, [&, readBlock](SimDevice& dev, const uint8_t* payload, int length) {
                if (d.blockRequests.size() == 1)
                    d.p().link.stopRequested = true;
                else
                    readBlock(dev, payload, length);
            });
        } else {
            d.device().faults.hangUpOn[4] = 2;
        }
        const std::vector<uint8_t> log = d.deviceLog();
        EXPECT_EQ(Button_downloadlogClick(d.p()), stop ? kInterrupted : kTimeOut);
        EXPECT_EQ(ReadFileBytes(name), earlier);
        EXPECT_EQ(ReadFileBytes(partial), std::vector<uint8_t>(log.begin(), log.begin() + 8192));
        EXPECT_EQ(d.requestsOf(0x504), 0u);
        EXPECT_FALSE(d.p().form.browse.gridEnabled);
        const std::string left = partial + " holds 8192 bytes (incomplete); " + name + " is as it was";
        if (stop) {
            // A stop is no failure: no box, and the log says what the file holds.
            EXPECT_TRUE(d.rig.host.boxes().empty());
            EXPECT_EQ(d.rig.host.logs().back(), "The download was stopped; " + left);
            EXPECT_EQ(d.requestsOf(4), 2u);
        } else {
            EXPECT_EQ(d.rig.host.boxes(), Strings{"Download failed!"});
            EXPECT_EQ(d.rig.host.logs().back(), "The download did not complete; " + left);
        }
    }
}

TEST(LogDownload, theIncompleteFileIsNamedSoBesideTheAskedForOne)
{
    const std::pair<std::string, std::string> cases[] = {
        {"big.sbp", "big.partial.sbp"},
        {"/logs/a.b.sbp", "/logs/a.b.partial.sbp"},
        {"logs.v2/track", "logs.v2/track.partial"},
        {"C:\\logs.v2\\track", "C:\\logs.v2\\track.partial"},
        {".sbp", ".sbp.partial"},
    };
    for (const auto& [name, partial] : cases)
        EXPECT_EQ(PartialNameFor(name), partial) << name;
}

TEST(LogDownload, autoClearRunsTheFullClearAfterACompleteDownload)
{
    DownloadRig d(300);
    d.p().form.logData.autoClearAfterDownload = true;
    d.connectTo("clear.sbp");
    const std::vector<uint8_t> log = d.deviceLog();
    EXPECT_EQ(Button_downloadlogClick(d.p()), kOk);
    EXPECT_EQ(ReadFileBytes(d.p().form.logData.logFileName), log);
    EXPECT_EQ(d.requestsOf(0x504), 1u);
    EXPECT_TRUE(d.deviceLog().empty());
    EXPECT_EQ(d.p().pointsLogged, 0);
    EXPECT_EQ(d.rig.host.logs().back(), "Log data cleared successfully");
}

TEST(LogDownload, failedWriteFailsTheDownloadAndNeverClears)
{
    DownloadRig d(300);
    d.p().form.logData.autoClearAfterDownload = true;
    d.connectTo("/dev/full");
    d.rig.host.answers = {true};   // "/dev/full exists! Overwrite?"
    const std::vector<uint8_t> log = d.deviceLog();

    EXPECT_EQ(Button_downloadlogClick(d.p()), kWriteFailed);
    EXPECT_EQ(d.blockRequests.size(), 1u);   // no further block after the failed write
    // A device is written straight through: no partial file is made beside it.
    EXPECT_EQ(d.rig.host.logs(), (Strings{"DLG addr=00010000h,size=00400000h,cyc_start=00010000h,cyc_blank=00012580h",
                                          ".........", "Writing /dev/full failed: No space left on device",
                                          "Failed to download log data!",
                                          "The download did not complete; /dev/full is incomplete"}));
    EXPECT_EQ(d.rig.host.boxes(), Strings{"Download failed!"});
    EXPECT_FALSE(d.p().form.browse.gridEnabled);
    EXPECT_EQ(d.requestsOf(0x504), 0u);
    EXPECT_EQ(d.deviceLog(), log);
}

TEST(LogDownload, fileThatCannotBeCreatedIsReported)
{
    DownloadRig d(300);
    d.connectTo("/nonexistent-folder/x.sbp");
    EXPECT_EQ(Button_downloadlogClick(d.p()), kCannotOpen);
    EXPECT_EQ(d.rig.host.boxes(), Strings{"Create file /nonexistent-folder/x.sbp failed!"});
    EXPECT_TRUE(d.blockRequests.empty());
}

TEST(LogDownload, existingFileIsOverwrittenOnlyOnYes)
{
    DownloadRig d(300);
    d.connectTo("old.sbp");
    const std::string name = d.p().form.logData.logFileName;
    std::ofstream(name) << "keep me";

    EXPECT_EQ(Button_downloadlogClick(d.p()), kDeclined);
    ASSERT_EQ(d.rig.host.texts(FakeHost::Event::Question), Strings{name + " exists!\r\nOverwrite?"});
    EXPECT_EQ(ReadFileBytes(name), std::vector<uint8_t>({'k', 'e', 'e', 'p', ' ', 'm', 'e'}));
    EXPECT_TRUE(d.blockRequests.empty());

    d.rig.host.answers = {true};
    EXPECT_EQ(Button_downloadlogClick(d.p()), kOk);
    EXPECT_EQ(ReadFileBytes(name), d.deviceLog());
}

TEST(LogDownload, absurdLogAreaAnswerIsRefusedBeforeAnyFileIsMade)
{
    DownloadRig d(300);
    d.device().setHandler(0x4B, [](SimDevice& dev, const uint8_t*, int) {
        std::vector<uint8_t> data;
        for (uint32_t v : {0x10000u, 0xFFFF0000u, 0x10000u, 0xF0000000u})
            AppendLe32(data, v);
        dev.reply(0xCB, data);
    });
    d.connectTo("absurd.sbp");
    EXPECT_EQ(Button_downloadlogClick(d.p()), kTimeOut);
    EXPECT_EQ(d.rig.host.boxes(), Strings{"Download failed!"});
    EXPECT_FALSE(std::filesystem::exists(d.p().form.logData.logFileName));
    EXPECT_TRUE(d.blockRequests.empty());
}

} // namespace
