#include "link/Exchange.h"

#include "link/FrameEncoder.h"
#include "link/LinkContext.h"

namespace {

bool PortHungUp(const SerialLink* link)
{
    return link && link->port && link->port->hungUp();
}

void ReportHangUp(LinkContext& ctx, SerialLink* link)
{
    if (link->hangUpReported)
        return;
    link->hangUpReported = true;
    ctx.host.logLine("COM port closed by the other side (device unplugged?): " + link->portLabel +
                     ". Disconnect and connect again.");
}

} // namespace

int WaitFrame(LinkContext& ctx, SerialLink* link, uint8_t id, uint32_t budget)
{
    int pumpCountdown = 200;
    if (!ctx.stopRequested)
        LinkPollFor(ctx, 100);
    while (budget != 0) {
        // The operator asked to stop: the wait ends here.
        if (ctx.stopRequested)
            break;
        const int16_t b = RingGet(link);
        if (b < 0) {
            if (PortHungUp(link)) {
                ReportHangUp(ctx, link);
                break;
            }
            // Only a poll that brought nothing uses the budget: a slow line that keeps
            // sending is not silent.
            const int received = LinkPollFor(ctx, link ? link->idlePollMs : 1);
            if (--pumpCountdown == 0) {
                pumpCountdown = 200;
                PumpMessages(ctx);
            }
            if (received == 0)
                --budget;
            continue;
        }
        if (ctx.parser.ParseByte(uint8_t(b)) != 0) {
            ctx.lastResponseId = ctx.rxFrame.payload()[0];
            if (id == 0 || id == ctx.lastResponseId)
                return ctx.lastResponseId;
        }
    }
    ctx.lastResponseId = -1;
    return -1;
}

int WaitResponse(LinkContext& ctx, SerialLink* link, uint8_t id, uint32_t budget)
{
    if (link)
        link->readChunk = budget >= 16 ? 128 : 10;
    return WaitFrame(ctx, link, id, budget) == id ? 0 : 1;
}

int WaitResponseShort(LinkContext& ctx, SerialLink* link, uint8_t id, uint32_t budget)
{
    if (link)
        link->readChunk = 9;
    return WaitFrame(ctx, link, id, budget) == id ? 0 : 1;
}

void DiscardReceived(LinkContext& ctx, SerialLink* link)
{
    if (!link)
        return;
    // A read takes what the port holds, up to one chunk; a bounded number of them empties it.
    link->readChunk = 128;
    for (int reads = 0; reads < 256 && LinkPoll(ctx) > 0; ++reads) {
    }
    RingClear(link);
    ctx.parser.Restart();
}

Reply Exchange(LinkContext& ctx, SerialLink* link, const Request& request, uint8_t answerId, uint32_t budget,
               int minDataBytes)
{
    if (!LinkMaySend(link)) {
        Reply reply;
        if (link)
            reply.result = ExchangeResult::Stopped;
        return reply;
    }
    DiscardReceived(ctx, link);
    bool sent = false;
    switch (request.shape) {
    case Request::Shape::Plain: sent = SendCommand(link, request.id); break;
    case Request::Shape::WithParameter: sent = SendCommandArg(link, request.id, request.parameter); break;
    case Request::Shape::WithData: sent = SendFrame(link, request.id, request.data, request.count); break;
    }
    Reply reply = AwaitReply(ctx, link, answerId, budget, minDataBytes);
    reply.sent = sent;
    return reply;
}

Reply AwaitReply(LinkContext& ctx, SerialLink* link, uint8_t answerId, uint32_t budget, int minDataBytes)
{
    Reply reply;
    if (WaitResponse(ctx, link, answerId, budget) != 0) {
        if (ctx.stopRequested)
            reply.result = ExchangeResult::Stopped;
        return reply;
    }
    reply.data = ctx.rxFrame.data();
    reply.dataBytes = ctx.rxFrame.dataBytes();
    reply.result = reply.dataBytes >= minDataBytes ? ExchangeResult::Answered : ExchangeResult::ShortAnswer;
    return reply;
}
