// Waiting for answers: budgets counted in idle polls, skipped ids, read chunk
// sizes, cut frames and hang-ups, against the in-process device.

#include <gtest/gtest.h>

#include "link/Exchange.h"
#include "link/FrameEncoder.h"
#include "link/LinkBusyGuard.h"
#include "support/SimRig.h"

namespace {

struct WaitTest : ::testing::Test {
    SimRig rig;
    LinkContext& c() { return rig.p().link; }
    SerialLink* link() { return rig.p().link.ActiveLink; }
    void SetUp() override { rig.openLinkOnly(); }
};

TEST_F(WaitTest, answerAlreadyWaitingStillTakesTheFirst100ms)
{
    rig.device.ack();
    const int64_t start = rig.host.nowMicros;
    EXPECT_EQ(WaitResponse(c(), link(), kAck, 2000), 0);
    EXPECT_GE(rig.host.nowMicros - start, 100000);
    EXPECT_LT(rig.host.nowMicros - start, 102000);
    EXPECT_EQ(c().lastResponseId, kAck);
}

TEST_F(WaitTest, timeOutSpendsTheBudgetInIdlePollsAndPumpsEvery200)
{
    const int64_t start = rig.host.nowMicros;
    EXPECT_EQ(WaitResponse(c(), link(), kAck, 1000), 1);
    EXPECT_EQ(c().lastResponseId, -1);
    EXPECT_EQ(rig.host.pumps, 5);
    const int64_t elapsedMs = (rig.host.nowMicros - start) / 1000;
    EXPECT_GE(elapsedMs, 1100);
    EXPECT_LT(elapsedMs, 1400);   // each idle poll lasts a little over 1 ms
}

TEST_F(WaitTest, framesWithOtherIdsAreSkippedWithoutUsingTheBudget)
{
    for (int i = 0; i < 50; ++i)
        rig.device.reply(0x7E, {1, 2, 3});
    rig.device.reply(0x86, {'V', '1', 0});
    EXPECT_EQ(WaitResponse(c(), link(), 0x86, 1), 0);
    EXPECT_EQ(rig.p().link.rxFrame.payload()[1], 'V');
}

TEST_F(WaitTest, idZeroAcceptsAnyFrame)
{
    rig.device.reply(0x93, {7});
    EXPECT_EQ(WaitFrame(c(), link(), 0, 100), 0x93);
}

TEST_F(WaitTest, readChunkDependsOnBudget)
{
    WaitResponse(c(), link(), kAck, 15);
    EXPECT_EQ(link()->readChunk, 10);
    EXPECT_EQ(rig.transport->lastReadSize, 10);
    WaitResponse(c(), link(), kAck, 16);
    EXPECT_EQ(link()->readChunk, 128);
    EXPECT_EQ(rig.transport->lastReadSize, 128);
    WaitResponseShort(c(), link(), kAck, 800);
    EXPECT_EQ(rig.transport->lastReadSize, 9);
}

TEST_F(WaitTest, frameCutByATimeOutCompletesAtTheNextWait)
{
    const std::vector<uint8_t> frame = EncodeFrame(0x85, std::vector<uint8_t>(20, 3).data(), 20);
    rig.device.replyRaw(std::vector<uint8_t>(frame.begin(), frame.begin() + 12));
    EXPECT_EQ(WaitResponse(c(), link(), 0x85, 50), 1);
    rig.device.replyRaw(std::vector<uint8_t>(frame.begin() + 12, frame.end()));
    EXPECT_EQ(WaitResponse(c(), link(), 0x85, 50), 0);
    EXPECT_EQ(rig.p().link.rxFrame.lengthField(), 21);
}

TEST_F(WaitTest, corruptAnswerIsCountedAndEndsInATimeOut)
{
    rig.device.faults.corruptChecksum[0x0B] = 1;
    SendCommand(link(), 0x0B);
    EXPECT_EQ(WaitResponse(c(), link(), 0x8B, 100), 1);
    EXPECT_EQ(rig.p().link.statistics.checksumError, 1);
    SendCommand(link(), 0x0B);
    EXPECT_EQ(WaitResponse(c(), link(), 0x8B, 100), 0);
}

TEST_F(WaitTest, hangUpEndsTheWaitLikeATimeOutAndSaysSoOnce)
{
    rig.device.faults.hangUpOn[1] = 1;
    SendCommand(link(), 1);
    EXPECT_EQ(WaitResponse(c(), link(), kAck, 2500), 1);
    EXPECT_EQ(rig.host.pumps, 0);
    EXPECT_EQ(WaitResponse(c(), link(), kAck, 2500), 1);
    ASSERT_EQ(rig.host.logs().size(), 1u);
    EXPECT_NE(rig.host.logs()[0].find("closed by the other side (device unplugged?): COM7."), std::string::npos);
}

TEST_F(WaitTest, sendFrameWritesHeaderDataAndTail)
{
    const uint8_t data[] = {0x00, 0xE8, 0x00, 0x1A};
    SendFrame(link(), 0x0C, data, 4);
    const std::vector<uint8_t> expected = {0xA0, 0xA2, 0x05, 0x00, 0x0C, 0x00, 0xE8, 0x00, 0x1A, 0x0E, 0x01, 0xB0, 0xB3};
    EXPECT_EQ(rig.transport->written(), expected);
}

TEST_F(WaitTest, aLateAcknowledgementAnswersNoLaterRequest)
{
    rig.device.faults.lateAnswers[0x32] = 1;   // this delete is acknowledged 3 s late
    rig.device.faults.dropAnswers[0x31] = 1;   // the write that follows is never answered
    EXPECT_EQ(Exchange(c(), link(), Request::CommandArg(0x32, 0), kAck, 2000).result, ExchangeResult::NoAnswer);
    rig.host.sleepMs(2000);   // meanwhile the late acknowledgement has come
    const uint8_t poi[9] = {1};
    EXPECT_EQ(Exchange(c(), link(), Request::Frame(0x31, poi, sizeof poi), kAck, 2000).result,
              ExchangeResult::NoAnswer);
    EXPECT_TRUE(Exchange(c(), link(), Request::CommandArg(0x32, 1), kAck, 2000).ok());
}

TEST_F(WaitTest, twoLargestAnswersBackToBackBothArriveWhole)
{
    const std::vector<uint8_t> first(8192, 0x33), second(8192, 0x44);
    rig.device.reply(0x84, first);
    rig.device.reply(0x84, second);
    LinkPollFor(c(), 50);   // both are in the ring before the parser looks
    ASSERT_EQ(WaitResponse(c(), link(), 0x84, 100), 0);
    EXPECT_EQ(rig.p().link.rxFrame.data()[8191], 0x33);
    ASSERT_EQ(WaitResponse(c(), link(), 0x84, 100), 0);
    EXPECT_EQ(rig.p().link.rxFrame.data()[8191], 0x44);
    EXPECT_EQ(rig.p().link.statistics.checksumError, 0);
}

TEST_F(WaitTest, afterAStopOnlyTheLeaveLinkModeCommandGoesOut)
{
    c().stopRequested = true;
    const uint8_t data[4] = {};
    EXPECT_TRUE(Exchange(c(), link(), Request::Command(0x40), kAck, 2000).stopped());
    EXPECT_FALSE(SendFrame(link(), 0x1E, data, sizeof data));
    EXPECT_FALSE(SendCommandArg(link(), 0x32, 1));
    SendLeaveLinkMode(link());
    EXPECT_EQ(rig.transport->written(), (std::vector<uint8_t>{0xA0, 0xA2, 0x01, 0x00, 0x0E, 0x0E, 0x00, 0xB0, 0xB3}));
    // A stop during a wait ends it as Stopped, not as a time-out.
    c().stopRequested = false;
    rig.device.faults.dropAnswers[0x0B] = 1;
    rig.host.onPump = [&] { c().stopRequested = true; };
    EXPECT_TRUE(Exchange(c(), link(), Request::Command(0x0B), 0x8B, 2000).stopped());
}

// A device on a slow line: its answer comes one byte every gapMicros of the host's clock.
class TrickleTransport : public Transport {
public:
    TrickleTransport(FakeHost& host, std::vector<uint8_t> bytes, int64_t gapMicros)
        : host_(host), bytes_(std::move(bytes)), gap_(gapMicros), due_(host.nowMicros)
    {
    }
    bool open(const std::string&, const std::string&) override { return true; }
    int read(uint8_t* buffer, int max) override
    {
        int n = 0;
        for (; n < max && next_ < bytes_.size() && host_.nowMicros >= due_; due_ += gap_)
            buffer[n++] = bytes_[next_++];
        return n;
    }
    bool write(const uint8_t*, int) override { return true; }
    void abortReads() override {}
    void close() override {}
    bool hungUp() const override { return false; }

private:
    FakeHost& host_;
    std::vector<uint8_t> bytes_;
    int64_t gap_;
    int64_t due_;
    size_t next_ = 0;
};

TEST(SlowLineWait, bytesThatKeepArrivingDoNotUseUpTheBudget)
{
    const struct {
        const char* mode;
        int64_t gapMicros;   // one 10-bit character at that rate
    } lines[] = {{"4800,N,8,1", 2084}, {"9600,N,8,1", 1042}, {"57600,N,8,1", 174}, {"115200,N,8,1", 87}};
    const std::vector<uint8_t> data(2000, 0x5A);
    const std::vector<uint8_t> answer = EncodeFrame(0x84, data.data(), uint16_t(data.size()));
    for (const auto& line : lines) {
        SCOPED_TRACE(line.mode);
        FakeHost host;
        Program p(host, [&](const std::string&) -> std::unique_ptr<Transport> {
            return std::make_unique<TrickleTransport>(host, answer, line.gapMicros);
        });
        p.link.ActiveLink = LinkOpen(p.link, ResolvePort(7, {}), line.mode, p.link.staticLink, p.link.staticStorage,
                                     kLinkRingSize, kLinkStagingSize);
        ASSERT_NE(p.link.ActiveLink, nullptr);
        // The answer takes far longer than 50 polls, but the line never falls silent.
        EXPECT_EQ(WaitResponse(p.link, p.link.ActiveLink, 0x84, 50), 0);
        EXPECT_EQ(p.link.rxFrame.lengthField(), 2001);
        // Silence still ends a wait.
        EXPECT_EQ(WaitResponse(p.link, p.link.ActiveLink, 0x84, 50), 1);
    }
}

TEST(LinkBusyGuard, refusesAHandlerReenteredByThePumpButAllowsNestedCalls)
{
    SimRig rig;
    LinkContext& c = rig.p().link;
    int refused = 0;
    int nestedOk = 0;
    rig.host.onPump = [&] {
        LinkBusyGuard second(c);
        refused += !second.acquired();
    };
    {
        LinkBusyGuard first(c);
        ASSERT_TRUE(first.acquired());
        {
            LinkBusyGuard nested(c);
            nestedOk += nested.acquired();
        }
        PumpMessages(c);
    }
    EXPECT_EQ(nestedOk, 1);
    EXPECT_EQ(refused, 1);
    EXPECT_TRUE(rig.host.boxes().empty());
    EXPECT_EQ(rig.host.logs(), std::vector<std::string>{kLinkBusyText});
    // Once the operation ended, the next one runs.
    PumpMessages(c);
    EXPECT_EQ(refused, 1);
}

} // namespace
