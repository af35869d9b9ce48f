#pragma once
// The program-wide state of the device link: the one static SerialLink and
// ActiveLink, the frame parser with RxFrame, its statistics and the transfer
// gauge, plus the busy guard that keeps two exchanges from interleaving.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "link/FrameParser.h"
#include "link/SerialLink.h"
#include "platform/Host.h"

// The largest answer is a log block of 8192 data bytes in an 8-byte frame around its id;
// the ring holds two of them, so that an answer arriving behind another loses nothing.
inline constexpr int32_t kLargestAnswerBytes = 8192 + 1 + 8;
inline constexpr int32_t kLinkRingSize = 2 * kLargestAnswerBytes + 16;
inline constexpr int32_t kLinkStagingSize = 8320;

class LinkContext {
public:
    using TransportMaker = std::function<std::unique_ptr<Transport>(const std::string& portName)>;

    LinkContext(Host& host, TransportMaker makeTransport)
        : host(host), makeTransport(std::move(makeTransport)) {}
    LinkContext(const LinkContext&) = delete;
    LinkContext& operator=(const LinkContext&) = delete;

    Host& host;
    TransportMaker makeTransport;

    SerialLink staticLink;
    uint8_t staticStorage[kLinkRingSize + kLinkStagingSize] = {};
    SerialLink* ActiveLink = nullptr;

    RxFrame rxFrame;
    LinkStatistics statistics;
    TransferGauge gauge;
    FrameParser parser{rxFrame, statistics, gauge};
    int16_t lastResponseId = -1;

    // Error of the last failed LinkOpen, for the operator's hint.
    OpenError lastOpenError = OpenError::None;
    std::string lastOpenDetail;

    // Set when the operator asks to stop (Exit, window close, Disconnect during an
    // operation; SIGINT or SIGTERM, from a signal handler): every wait ends at once, and
    // no request goes out but the one that takes the device out of link mode
    // (SendLeaveLinkMode). The operations then end with kInterrupted.
    std::atomic<bool> stopRequested{false};

    // A file transfer (log or track store) is running: the window asks before stopping it.
    bool transferRunning = false;

    // Busy guard bookkeeping (see LinkBusyGuard).
    int pumpDepth = 0;
    int busyDepth = 0;
    int busyOwnerPumpDepth = 0;
};

inline bool StopRequested(const LinkContext& ctx)
{
    return ctx.stopRequested.load();
}

// No port open, or the one open has hung up.
inline bool LinkGone(const LinkContext& ctx)
{
    const SerialLink* link = ctx.ActiveLink;
    return !link || !link->port || link->port->hungUp();
}

// Marks a file transfer as running for its lifetime.
class TransferRunning {
public:
    explicit TransferRunning(LinkContext& ctx) : ctx_(ctx) { ctx_.transferRunning = true; }
    ~TransferRunning() { ctx_.transferRunning = false; }
    TransferRunning(const TransferRunning&) = delete;
    TransferRunning& operator=(const TransferRunning&) = delete;

private:
    LinkContext& ctx_;
};
