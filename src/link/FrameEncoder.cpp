#include "link/FrameEncoder.h"

#include "link/SerialLink.h"

uint16_t FrameChecksum(const uint8_t* payload, int length)
{
    uint16_t sum = 0;
    for (int i = 0; i < length; ++i)
        sum = uint16_t(sum + payload[i]);
    return sum & 0x7FFF;
}

std::array<uint8_t, 9> CommandPacket(uint8_t id)
{
    return {0xA0, 0xA2, 0x01, 0x00, id, id, 0x00, 0xB0, 0xB3};
}

std::array<uint8_t, 10> CommandArgPacket(uint8_t id, uint8_t parameter)
{
    const uint16_t sum = uint16_t(id + parameter);
    return {0xA0, 0xA2, 0x02, 0x00, id, parameter, uint8_t(sum & 0xFF), uint8_t(sum >> 8), 0xB0, 0xB3};
}

std::vector<uint8_t> EncodeFrame(uint8_t id, const uint8_t* data, uint16_t count)
{
    const uint16_t length = uint16_t(count + 1);
    std::vector<uint8_t> frame;
    frame.reserve(size_t(count) + 9);
    frame.insert(frame.end(), {0xA0, 0xA2, uint8_t(length & 0xFF), uint8_t(length >> 8), id});
    if (count)
        frame.insert(frame.end(), data, data + count);
    const uint16_t sum = FrameChecksum(frame.data() + 4, length);
    frame.insert(frame.end(), {uint8_t(sum & 0xFF), uint8_t(sum >> 8), 0xB0, 0xB3});
    return frame;
}

void SendCommand(SerialLink* link, uint8_t id)
{
    const auto packet = CommandPacket(id);
    LinkWrite(link, packet.data(), packet.size());
}

void SendCommandArg(SerialLink* link, uint8_t id, uint8_t parameter)
{
    const auto packet = CommandArgPacket(id, parameter);
    LinkWrite(link, packet.data(), packet.size());
}

bool SendFrame(SerialLink* link, uint8_t id, const uint8_t* data, uint16_t count)
{
    const uint16_t length = uint16_t(count + 1);
    const uint8_t head[5] = {0xA0, 0xA2, uint8_t(length & 0xFF), uint8_t(length >> 8), id};
    const uint16_t sum = uint16_t(id + FrameChecksum(data, count)) & 0x7FFF;
    const uint8_t tail[4] = {uint8_t(sum & 0xFF), uint8_t(sum >> 8), 0xB0, 0xB3};
    LinkWrite(link, head, sizeof head);
    LinkWrite(link, data, count);
    LinkWrite(link, tail, sizeof tail);
    return true;
}
