#pragma once
// Waiting for a response. Every wait first polls the port for 100 ms; the
// budget then counts idle 1 ms polls, so bytes that keep arriving never use it
// up. Frames with other ids are skipped. Window messages are dispatched after
// every 200 idle polls. A port that has hung up ends the wait as a time-out.

#include <cstdint>

class LinkContext;
struct SerialLink;

// The id of the completed frame that ended the wait, or -1 on time-out. id 0 accepts any frame.
int WaitFrame(LinkContext& ctx, SerialLink* link, uint8_t id, uint16_t budget);
// 0 when a frame with the id arrived, 1 otherwise. Reads 128-byte chunks for budgets
// of 16 and more, 10-byte chunks below.
int WaitResponse(LinkContext& ctx, SerialLink* link, uint8_t id, uint16_t budget);
// As WaitResponse with 9-byte chunks.
int WaitResponseShort(LinkContext& ctx, SerialLink* link, uint8_t id, uint16_t budget);
