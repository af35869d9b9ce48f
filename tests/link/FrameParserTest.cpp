// Byte tables for the receive state machine: what completes, what is dropped and counted.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "link/FrameEncoder.h"
#include "link/FrameParser.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Parser {
    std::unique_ptr<RxFrame> rx = std::make_unique<RxFrame>();
    LinkStatistics stats;
    TransferGauge gauge;
    FrameParser parser{*rx, stats, gauge};

    // Payload lengths of every frame the bytes completed.
    std::vector<int> feed(const Bytes& bytes)
    {
        std::vector<int> done;
        for (uint8_t b : bytes)
            if (uint16_t n = parser.ParseByte(b))
                done.push_back(n);
        return done;
    }
};

Bytes Frame(uint8_t id, Bytes data = {})
{
    return EncodeFrame(id, data.data(), uint16_t(data.size()));
}

Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

TEST(FrameParser, acceptsTheExamplePacketsAndStoresHeaderAndPayload)
{
    Parser p;
    EXPECT_EQ(p.feed({0xA0, 0xA2, 0x01, 0x00, 0x01, 0x01, 0x00, 0xB0, 0xB3}), std::vector<int>{1});
    EXPECT_EQ(p.rx->payload()[0], 1);
    EXPECT_EQ(p.feed({0xA0, 0xA2, 0x02, 0x00, 0x05, 0x06, 0x0B, 0x00, 0xB0, 0xB3}), std::vector<int>{2});
    EXPECT_EQ(p.rx->bytes[0], 0xA0);
    EXPECT_EQ(p.rx->bytes[1], 0xA2);
    EXPECT_EQ(p.rx->lengthField(), 2);
    EXPECT_EQ(p.rx->payload()[1], 6);
    EXPECT_EQ(p.stats.frames, 2);
}

TEST(FrameParser, reportsLongFramesAndBackToBackFrames)
{
    Parser p;
    Bytes big(255);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = uint8_t(i);
    EXPECT_EQ(p.feed(Cat({Frame(0x84, big), Frame(2), Frame(0x86, {'V', 0})})), (std::vector<int>{256, 1, 3}));
    EXPECT_EQ(p.rx->payload()[1], 'V');
}

TEST(FrameParser, splitFrameCompletesAcrossFeeds)
{
    Parser p;
    const Bytes f = Frame(0x85, {1, 2, 3, 4, 5});
    for (size_t cut = 1; cut < f.size(); ++cut) {
        Parser q;
        EXPECT_TRUE(q.feed(Bytes(f.begin(), f.begin() + long(cut))).empty());
        EXPECT_EQ(q.feed(Bytes(f.begin() + long(cut), f.end())), std::vector<int>{6}) << "cut at " << cut;
    }
}

TEST(FrameParser, skipsJunkBeforeStartAndBetweenChecksumAndEnd)
{
    Parser p;
    Bytes f = Frame(2);
    Bytes junkInTail(f.begin(), f.end() - 2);
    junkInTail.insert(junkInTail.end(), {0x11, 0x22, 0xB3, 0xB0, 0xB3});
    EXPECT_EQ(p.feed(Cat({{0x00, 0xFF, 0xB0, 0xB3}, junkInTail})), std::vector<int>{1});
    EXPECT_EQ(p.stats.badEnd1, 3);
}

TEST(FrameParser, secondA0IsBadSyncAndLosesTheFrame)
{
    Parser p;
    Bytes f = Frame(2);
    f.insert(f.begin(), 0xA0);
    EXPECT_TRUE(p.feed(f).empty());
    EXPECT_EQ(p.stats.badSync, 1);
    EXPECT_EQ(p.feed(Frame(2)), std::vector<int>{1});
}

TEST(FrameParser, countsChecksumErrorsLowAndHigh)
{
    Parser p;
    Bytes low = Frame(0x86, {1, 2});
    low[low.size() - 4] ^= 1;
    Bytes high = Frame(0x86, {1, 2});
    high[high.size() - 3] ^= 1;
    EXPECT_TRUE(p.feed(Cat({low, high})).empty());
    EXPECT_EQ(p.stats.checksumError, 2);
    EXPECT_EQ(p.stats.checksumLowError, 1);
    EXPECT_EQ(p.stats.frames, 0);
}

TEST(FrameParser, rejectsZeroLengthAndBadSecondEndByte)
{
    Parser p;
    Bytes badEnd = Frame(2);
    badEnd.back() = 0x00;
    EXPECT_TRUE(p.feed(Cat({{0xA0, 0xA2, 0x00, 0x00}, badEnd})).empty());
    EXPECT_EQ(p.stats.zeroLength, 1);
    EXPECT_EQ(p.stats.badEnd2, 1);
    EXPECT_EQ(p.feed(Frame(2)), std::vector<int>{1});
}

TEST(FrameParser, dropsOversizeFrameAndRescansAfterIt)
{
    Parser p;
    // Length 0xFFFF: the 32765th payload byte drops the frame.
    Bytes stream = {0xA0, 0xA2, 0xFF, 0xFF};
    stream.insert(stream.end(), kMaxPayload + 1, 0x55);
    EXPECT_TRUE(p.feed(stream).empty());
    EXPECT_EQ(p.parser.state(), 0);
    EXPECT_EQ(p.feed(Frame(2)), std::vector<int>{1});
}

TEST(FrameParser, gaugeAdvancesPerPayloadByteOnlyWhileArmed)
{
    Parser p;
    p.gauge.maximum = 1000;
    p.feed(Frame(0x84, Bytes(99)));
    EXPECT_EQ(p.gauge.position, 100);
    p.gauge.tag = 1;
    p.feed(Frame(0x84, Bytes(99)));
    EXPECT_EQ(p.gauge.position, 100);
}

TEST(FrameParser, resetStatisticsKeepsPayloadSumAndState)
{
    Parser p;
    p.feed(Frame(0x84, {10, 20}));
    p.feed({0xA0, 0xA1});
    p.feed({0xA0});
    ASSERT_EQ(p.stats.badSync, 1);
    p.parser.ResetLinkStatistics();
    EXPECT_EQ(p.stats.badSync, 0);
    EXPECT_EQ(p.stats.frames, 0);
    EXPECT_EQ(p.stats.payloadByteSum, 0x84u + 10 + 20);
    EXPECT_EQ(p.parser.state(), 1);
}

} // namespace
