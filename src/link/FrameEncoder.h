#pragma once
// Building and sending request frames. Write results are ignored by design:
// a failed write shows up as a missing response.

#include <array>
#include <cstdint>
#include <vector>

struct SerialLink;

inline constexpr uint8_t kAck = 2;

// The 9-byte command A0 A2 01 00 c c 00 B0 B3.
std::array<uint8_t, 9> CommandPacket(uint8_t id);
// The 10-byte command A0 A2 02 00 c p s s' B0 B3.
std::array<uint8_t, 10> CommandArgPacket(uint8_t id, uint8_t parameter);
// A whole frame with payload id + data.
std::vector<uint8_t> EncodeFrame(uint8_t id, const uint8_t* data, uint16_t count);
uint16_t FrameChecksum(const uint8_t* payload, int length);

void SendCommand(SerialLink* link, uint8_t id);
void SendCommandArg(SerialLink* link, uint8_t id, uint8_t parameter);
bool SendFrame(SerialLink* link, uint8_t id, const uint8_t* data, uint16_t count);
