#pragma once
// Drives a SimDevice with request frames on a virtual millisecond clock and
// decodes what it answers into frames.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "link/FrameEncoder.h"
#include "sim/SimDevice.h"
#include "sim/SimOptions.h"

using Bytes = std::vector<uint8_t>;

struct WireFrame {
    uint8_t id;
    Bytes data;
    bool operator==(const WireFrame&) const = default;
};

inline void PrintTo(const WireFrame& f, std::ostream* os)
{
    *os << "id " << std::hex << int(f.id) << " [";
    for (uint8_t b : f.data)
        *os << ' ' << int(b);
    *os << " ]";
}

inline Bytes Cmd(uint8_t id)
{
    const auto p = CommandPacket(id);
    return Bytes(p.begin(), p.end());
}

inline Bytes CmdArg(uint8_t id, uint8_t parameter)
{
    const auto p = CommandArgPacket(id, parameter);
    return Bytes(p.begin(), p.end());
}

inline Bytes Frame(uint8_t id, const Bytes& data)
{
    return EncodeFrame(id, data.data(), uint16_t(data.size()));
}

inline Bytes LeBytes(uint32_t v)
{
    Bytes out;
    AppendLe32(out, v);
    return out;
}

inline Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// A block write request: address, length, the bytes.
inline Bytes WriteBlock(uint32_t address, const Bytes& block)
{
    return Frame(0x1D, Concat({LeBytes(address), {uint8_t(block.size()), uint8_t(block.size() >> 8)}, block}));
}

inline Bytes ReadBlock(uint32_t address, uint16_t length)
{
    return Frame(4, Concat({LeBytes(address), {uint8_t(length), uint8_t(length >> 8)}}));
}

struct SimWire {
    SimDevice device;
    int64_t nowMs = 0;

    void options(const std::vector<std::pair<std::string, std::string>>& list)
    {
        for (const auto& [name, value] : list) {
            std::string error;
            ASSERT_TRUE(ApplySimOption(device, name, value, &error)) << error;
        }
    }
    std::vector<WireFrame> send(const Bytes& request)
    {
        device.advance(nowMs);
        device.receive(request.data(), int(request.size()));
        return collect();
    }
    // The answers that fall due by ms later.
    std::vector<WireFrame> wait(int64_t ms)
    {
        nowMs += ms;
        device.advance(nowMs);
        return collect();
    }

private:
    std::vector<WireFrame> collect()
    {
        std::vector<WireFrame> frames;
        uint8_t b = 0;
        while (device.takeOutput(&b, 1) == 1)
            if (const uint16_t length = parser_.ParseByte(b))
                frames.push_back({rx_.payload()[0], Bytes(rx_.payload() + 1, rx_.payload() + length)});
        return frames;
    }

    RxFrame rx_;
    LinkStatistics stats_;
    TransferGauge gauge_{1, 0, 0};
    FrameParser parser_{rx_, stats_, gauge_};
};
