#include <gtest/gtest.h>

#include "link/FrameEncoder.h"

namespace {

std::vector<uint8_t> V(std::initializer_list<int> bytes)
{
    std::vector<uint8_t> v;
    for (int b : bytes)
        v.push_back(uint8_t(b));
    return v;
}

TEST(FrameEncoder, fixedCommandPacketsMatchTheirTemplates)
{
    auto sync = CommandPacket(1);
    EXPECT_EQ(std::vector<uint8_t>(sync.begin(), sync.end()), V({0xA0, 0xA2, 0x01, 0x00, 0x01, 0x01, 0x00, 0xB0, 0xB3}));
    auto high = CommandPacket(0x81);
    EXPECT_EQ(std::vector<uint8_t>(high.begin(), high.end()), V({0xA0, 0xA2, 0x01, 0x00, 0x81, 0x81, 0x00, 0xB0, 0xB3}));
    auto fw = CommandArgPacket(5, 6);
    EXPECT_EQ(std::vector<uint8_t>(fw.begin(), fw.end()), V({0xA0, 0xA2, 0x02, 0x00, 0x05, 0x06, 0x0B, 0x00, 0xB0, 0xB3}));
    auto carry = CommandArgPacket(0xF0, 0x20);
    EXPECT_EQ(carry[6], 0x10);
    EXPECT_EQ(carry[7], 0x01);
}

TEST(FrameEncoder, checksumDropsBit15)
{
    // 0x8001 = 128 * 0xFF + 0x81 ... built from bytes summing to 0x8001.
    std::vector<uint8_t> payload(128, 0xFF);
    payload.push_back(0x81);
    uint32_t sum = 0;
    for (uint8_t b : payload)
        sum += b;
    ASSERT_EQ(sum, 0x8001u);
    EXPECT_EQ(FrameChecksum(payload.data(), int(payload.size())), 0x0001);
}

TEST(FrameEncoder, encodedFrameCarriesLengthIdDataChecksumAndEnd)
{
    const uint8_t data[] = {0x10, 0x20, 0x30};
    EXPECT_EQ(EncodeFrame(0x0C, data, 3), V({0xA0, 0xA2, 0x04, 0x00, 0x0C, 0x10, 0x20, 0x30, 0x6C, 0x00, 0xB0, 0xB3}));
}

} // namespace
