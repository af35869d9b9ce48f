#pragma once
// The serial channel: one open port with its receive ring. Bytes are pulled
// from the port only when a caller polls; the frame parser takes them out of
// the ring one at a time. The ring has no full state: more than ringSize - 1
// unread bytes overwrite the oldest ones.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/PortTable.h"
#include "platform/Transport.h"

class LinkContext;

struct SerialLink {
    int32_t writeIndex = 0;
    int32_t readIndex = 0;
    uint8_t* ring = nullptr;
    int32_t ringSize = 0;
    uint8_t* staging = nullptr;
    int32_t stagingSize = 0;
    std::unique_ptr<Transport> port;   // null while closed
    bool openFailed = false;           // the invalid-handle state after a failed open
    uint16_t readChunk = 16;
    // One idle poll of a wait: at least two characters' time at the line's rate, so that a
    // device sending without pause never leaves a poll empty (1 ms from 38400 bps up).
    uint16_t idlePollMs = 1;
    bool hangUpReported = false;
    std::string portLabel;             // how lines about this port name it: "COM7 (/dev/pts/3)"
    const std::atomic<bool>* stopRequested = nullptr;   // LinkContext's, set by LinkOpen
};

// Opens the port (its path; the transport maker is given the path too) and sets up the link in caller-provided storage of
// ringSize + stagingSize bytes. Returns the link, or null when the port cannot be opened
// (the transport's error stays readable through link.port == null and lastOpenError).
SerialLink* LinkOpen(LinkContext& ctx, const PortRef& port, const std::string& modeDefinition,
                     SerialLink& link, uint8_t* storage, int32_t ringSize, int32_t stagingSize);
void LinkClose(LinkContext& ctx, SerialLink* link);
// Writes the bytes as they are; requests go out through the encoder (FrameEncoder.h),
// which sends nothing once a stop was requested.
bool LinkWrite(SerialLink* link, const uint8_t* bytes, uint16_t count);
// False once the operator asked to stop: no request may go out any more.
bool LinkMaySend(const SerialLink* link);
// One read from the port of ActiveLink into its ring; the number of bytes it brought.
int LinkPoll(LinkContext& ctx);
// LinkPoll repeatedly for the given time; at least once. The number of bytes they brought.
int LinkPollFor(LinkContext& ctx, uint16_t milliseconds);
// The idle poll length for a mode definition "BAUD,N,8,1".
uint16_t IdlePollMs(const std::string& modeDefinition);
int16_t RingGet(SerialLink* link);
void RingClear(SerialLink* link);
// Stores received bytes in the ring (what LinkPoll does with a read's bytes).
void RingPut(SerialLink* link, const uint8_t* bytes, int count);

void PumpMessages(LinkContext& ctx);
// Sleeps in 200 ms slices with a pump between them; ends early when a stop is requested.
void SleepPumping(LinkContext& ctx, int milliseconds);
