#include "link/SerialLink.h"

#include <cstdlib>

#include "link/LinkContext.h"

uint16_t IdlePollMs(const std::string& modeDefinition)
{
    const long baud = std::strtol(modeDefinition.c_str(), nullptr, 10);
    if (baud <= 0)
        return 1;
    const long ms = (2 * 10 * 1000 + baud - 1) / baud;   // two 10-bit characters, rounded up
    return uint16_t(ms < 1 ? 1 : ms > 50 ? 50 : ms);
}

SerialLink* LinkOpen(LinkContext& ctx, const PortRef& portRef, const std::string& modeDefinition,
                     SerialLink& link, uint8_t* storage, int32_t ringSize, int32_t stagingSize)
{
    link.ring = storage;
    link.ringSize = ringSize;
    link.staging = storage + ringSize;
    link.stagingSize = stagingSize;
    link.writeIndex = link.readIndex = 0;
    link.hangUpReported = false;
    link.stopRequested = &ctx.stopRequested;
    // A frame cut off when the last link went away must not swallow this link's first answers.
    ctx.parser.Restart();
    link.idlePollMs = IdlePollMs(modeDefinition);

    ctx.lastOpenError = OpenError::None;
    ctx.lastOpenDetail.clear();
    std::unique_ptr<Transport> port = ctx.makeTransport ? ctx.makeTransport(portRef.path) : nullptr;
    if (!port) {
        ctx.lastOpenError = OpenError::NotFound;
        link.port.reset();
        link.openFailed = true;
        return nullptr;
    }
    if (!port->open(portRef.path, modeDefinition)) {
        ctx.lastOpenError = port->lastOpenError();
        ctx.lastOpenDetail = port->lastOpenDetail();
        link.port.reset();
        link.openFailed = true;
        return nullptr;
    }
    link.openFailed = false;
    link.port = std::move(port);
    link.portLabel = portRef.label;
    RingClear(&link);
    link.readChunk = 16;
    return &link;
}

void LinkClose(LinkContext& ctx, SerialLink* link)
{
    if (!link)
        return;
    if (link->port) {
        link->port->abortReads();
        ctx.host.sleepMs(250);
        link->port->close();
    }
    RingClear(link);
    link->port.reset();
}

bool LinkWrite(SerialLink* link, const uint8_t* bytes, uint16_t count)
{
    if (!link || !link->port)
        return false;
    return link->port->write(bytes, count);
}

bool LinkMaySend(const SerialLink* link)
{
    return link && !(link->stopRequested && link->stopRequested->load());
}

void RingPut(SerialLink* link, const uint8_t* bytes, int count)
{
    for (int i = 0; i < count; ++i) {
        link->ring[link->writeIndex] = bytes[i];
        if (++link->writeIndex >= link->ringSize)
            link->writeIndex = 0;
    }
}

int LinkPoll(LinkContext& ctx)
{
    SerialLink* link = ctx.ActiveLink;
    if (!link || !link->port)
        return 0;
    const int n = link->port->read(link->staging, link->readChunk);
    if (n <= 0)
        return 0;
    RingPut(link, link->staging, n);
    return n;
}

int LinkPollFor(LinkContext& ctx, uint16_t milliseconds)
{
    const int64_t start = ctx.host.clockMicros();
    const int64_t span = int64_t(milliseconds) * 1000;
    int received = 0;
    do {
        received += LinkPoll(ctx);
    } while (ctx.host.clockMicros() < start + span);
    return received;
}

int16_t RingGet(SerialLink* link)
{
    if (!link || link->readIndex == link->writeIndex)
        return -1;
    const uint8_t b = link->ring[link->readIndex];
    link->ring[link->readIndex] = 0;
    if (++link->readIndex >= link->ringSize)
        link->readIndex = 0;
    return b;
}

void RingClear(SerialLink* link)
{
    if (!link)
        return;
    link->readIndex = 0;
    link->writeIndex = 0;
}

void PumpMessages(LinkContext& ctx)
{
    ++ctx.pumpDepth;
    ctx.host.pumpMessages();
    --ctx.pumpDepth;
}

void SleepPumping(LinkContext& ctx, int milliseconds)
{
    while (milliseconds > 200) {
        if (ctx.stopRequested)
            return;
        ctx.host.sleepMs(200);
        PumpMessages(ctx);
        milliseconds -= 200;
    }
    if (!ctx.stopRequested)
        ctx.host.sleepMs(milliseconds);
}
