#include "link/BlockRead.h"

#include <algorithm>

#include "link/Exchange.h"
#include "link/FrameEncoder.h"
#include "link/LinkContext.h"
#include "platform/ByteOrder.h"

bool LateAnswers::possible(uint32_t address, uint16_t length) const
{
    return std::any_of(unanswered_.begin(), unanswered_.end(),
                       [&](const Unanswered& u) { return u.length == length && u.address != address; });
}

std::optional<std::vector<uint8_t>> ReadBlock(LinkContext& ctx, SerialLink* link, const BlockReadSettings& settings,
                                              uint32_t address, uint16_t length, uint32_t gaugeDone,
                                              LateAnswers* late)
{
    uint8_t request[6];
    PutLe32(request, address);
    PutLe16(request + 4, length);
    int attempts = settings.attempts;
    int wrongLength = 0;
    bool send = true;
    while (attempts > 0 && !StopRequested(ctx)) {
        if (send)
            SendFrame(link, settings.requestId, request, sizeof request);
        send = true;
        if (WaitResponse(ctx, link, settings.answerId, settings.budget) == 0) {
            const uint16_t answered = uint16_t(ctx.rxFrame.lengthField() - 1);
            if (answered == length)
                return std::vector<uint8_t>(ctx.rxFrame.data(), ctx.rxFrame.data() + length);
            // Discarded; asked again (unless it was a late answer and ours is still to come).
            ctx.gauge.position = gaugeDone;
            send = !late || !late->possible(address, answered);
            if (++wrongLength < kWrongLengthAnswersPerAttempt)
                continue;
            wrongLength = 0;
        }
        if (late)
            late->add(address, length);
        --attempts;
        ctx.gauge.position = gaugeDone;
        RingClear(link);
    }
    return std::nullopt;
}
