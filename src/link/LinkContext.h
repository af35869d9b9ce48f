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

inline constexpr int32_t kLinkRingSize = 8320;
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

    // Set when the program ends during an operation (also from a signal handler): every
    // wait then ends at once as a time-out, and a download asks for no further block.
    std::atomic<bool> stopWaits{false};

    // Busy guard bookkeeping (see LinkBusyGuard).
    int pumpDepth = 0;
    int busyDepth = 0;
    int busyOwnerPumpDepth = 0;
};
