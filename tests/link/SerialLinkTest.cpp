// The receive ring, polling and the pumping sleep, over the in-process device.

#include <gtest/gtest.h>

#include "link/FrameEncoder.h"
#include "link/SerialLink.h"
#include "support/SimRig.h"

namespace {

TEST(SerialLink, ringHandsOutBytesInArrivalOrderAcrossTheWrap)
{
    SimRig rig;
    rig.openLinkOnly();
    SerialLink* link = rig.p().link.ActiveLink;
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(RingGet(link), -1);

    link->readIndex = link->writeIndex = link->ringSize - 3;
    const uint8_t bytes[] = {1, 2, 3, 4, 5, 6};
    RingPut(link, bytes, 6);
    EXPECT_EQ(link->writeIndex, 3);
    for (int expected = 1; expected <= 6; ++expected)
        EXPECT_EQ(RingGet(link), expected);
    EXPECT_EQ(RingGet(link), -1);
    // Taken bytes are wiped.
    EXPECT_EQ(link->ring[link->ringSize - 1], 0);
}

TEST(SerialLink, ringClearDiscardsUnreadBytesAndOverrunOverwritesOldest)
{
    SimRig rig;
    rig.openLinkOnly();
    SerialLink* link = rig.p().link.ActiveLink;
    const uint8_t bytes[] = {9, 8, 7};
    RingPut(link, bytes, 3);
    RingClear(link);
    EXPECT_EQ(RingGet(link), -1);

    std::vector<uint8_t> flood(size_t(link->ringSize), 0x11);
    flood.push_back(0x22);
    RingPut(link, flood.data(), int(flood.size()));
    // One byte past the capacity: the ring looks empty-but-one, never out of bounds.
    EXPECT_EQ(RingGet(link), 0x22);
    EXPECT_EQ(RingGet(link), -1);
}

TEST(SerialLink, pollForZeroPollsExactlyOnceAndPollWithoutLinkDoesNothing)
{
    SimRig rig;
    rig.openLinkOnly();
    LinkPollFor(rig.p().link, 0);
    EXPECT_EQ(rig.transport->reads(), 1);

    rig.p().link.ActiveLink = nullptr;
    LinkPoll(rig.p().link);
    EXPECT_EQ(rig.transport->reads(), 1);
}

TEST(SerialLink, pollReadsUpToTheChunkSize)
{
    SimRig rig;
    rig.openLinkOnly();
    SerialLink* link = rig.p().link.ActiveLink;
    EXPECT_EQ(link->readChunk, 16);
    rig.device.reply(0x84, std::vector<uint8_t>(100, 1));
    LinkPoll(rig.p().link);
    EXPECT_EQ(link->writeIndex, 16);
}

TEST(SerialLink, sleepPumpingPumpsBetween200msSlicesOnly)
{
    SimRig rig;
    SleepPumping(rig.p().link, 450);
    EXPECT_EQ(rig.host.sleeps, (std::vector<int>{200, 200, 50}));
    EXPECT_EQ(rig.host.pumps, 2);

    rig.host.sleeps.clear();
    SleepPumping(rig.p().link, 200);
    EXPECT_EQ(rig.host.sleeps, std::vector<int>{200});
    EXPECT_EQ(rig.host.pumps, 2);
}

TEST(SerialLink, failedOpenReturnsNullAndLeavesNoPort)
{
    SimRig rig;
    rig.failOpen = OpenError::NotFound;
    LinkContext& c = rig.p().link;
    EXPECT_EQ(LinkOpen(c, ResolvePort(3, {}), "460800,N,8,1", c.staticLink, c.staticStorage, kLinkRingSize, kLinkStagingSize),
              nullptr);
    EXPECT_FALSE(c.staticLink.port);
    EXPECT_TRUE(c.staticLink.openFailed);
    EXPECT_EQ(c.lastOpenError, OpenError::NotFound);
    LinkClose(c, nullptr);   // ignored
}

TEST(SerialLink, closeRestoresAndEmptiesTheRing)
{
    SimRig rig;
    rig.openLinkOnly();
    SerialLink* link = rig.p().link.ActiveLink;
    const uint8_t bytes[] = {1};
    RingPut(link, bytes, 1);
    LinkClose(rig.p().link, link);
    EXPECT_FALSE(link->port);
    EXPECT_EQ(RingGet(link), -1);
    EXPECT_EQ(rig.host.sleeps, std::vector<int>{250});
}

} // namespace
