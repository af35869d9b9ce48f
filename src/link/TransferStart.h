#pragma once
// The start every bulk transfer shares, once the operation holds the link.

#include <cstdint>

class LinkContext;
struct SerialLink;

struct TransferStart {
    uint32_t total = 0;               // bytes to move: the gauge's maximum
    const char* startLine = nullptr;  // logged once the link is known to be there
    // A download: the "........." line and fresh link statistics come first, and the
    // frame parser advances the gauge per payload byte. An upload moves the gauge itself.
    bool receiving = true;
};

// False, after the "Com Port Error!" box, when the port has gone; else the hourglass
// shows, stale bytes are dropped and the gauge stands at 0 of start.total.
bool BeginTransfer(LinkContext& ctx, SerialLink* link, const TransferStart& start);
