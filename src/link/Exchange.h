#pragma once
// Waiting for a response. Every wait first polls the port for 100 ms; the
// budget then counts only polls that brought no byte (1 ms each, longer on slow
// lines: SerialLink::idlePollMs), so bytes that keep arriving never use it up.
// Frames with other ids are skipped. Window messages are dispatched after every
// 200 polls of an empty ring. A port that has hung up ends the wait as a time-out;
// so does LinkContext::stopRequested (Exchange and AwaitReply then say Stopped).

#include <cstdint>

class LinkContext;
struct SerialLink;

// The id of the completed frame that ended the wait, or -1 on time-out. id 0 accepts any frame.
// Budgets are full 32-bit millisecond counts: a long wait must not wrap to a short one.
int WaitFrame(LinkContext& ctx, SerialLink* link, uint8_t id, uint32_t budget);
// 0 when a frame with the id arrived, 1 otherwise. Reads 128-byte chunks for budgets
// of 16 and more, 10-byte chunks below.
int WaitResponse(LinkContext& ctx, SerialLink* link, uint8_t id, uint32_t budget);
// As WaitResponse with 9-byte chunks.
int WaitResponseShort(LinkContext& ctx, SerialLink* link, uint8_t id, uint32_t budget);

// One request as the encoder shapes it: a plain command, a command with a
// one-byte parameter, or a frame with data.
struct Request {
    enum class Shape { Plain, WithParameter, WithData };
    Shape shape = Shape::Plain;
    uint8_t id = 0;
    uint8_t parameter = 0;
    const uint8_t* data = nullptr;
    uint16_t count = 0;

    static Request Command(uint8_t id) { return {Shape::Plain, id, 0, nullptr, 0}; }
    static Request CommandArg(uint8_t id, uint8_t parameter) { return {Shape::WithParameter, id, parameter, nullptr, 0}; }
    static Request Frame(uint8_t id, const uint8_t* data, uint16_t count) { return {Shape::WithData, id, 0, data, count}; }
};

// Stopped: the operator asked to stop, before the request went out or during the wait.
enum class ExchangeResult { Answered, NoAnswer, ShortAnswer, Stopped };

// The outcome of one exchange; data points into RxFrame and stays valid until the next wait.
struct Reply {
    ExchangeResult result = ExchangeResult::NoAnswer;
    const uint8_t* data = nullptr;
    int dataBytes = 0;
    bool sent = false;   // the request went out (a stop or a gone port can keep it back)

    bool ok() const { return result == ExchangeResult::Answered; }
    bool stopped() const { return result == ExchangeResult::Stopped; }
};

// Sends the request, waits for answerId within the budget (as WaitResponse) and
// checks that the answer carries at least minDataBytes after its id. An answer
// counts only for the request it answers: whatever arrived before the request
// (the late answer of an earlier one that timed out, say) is discarded first.
Reply Exchange(LinkContext& ctx, SerialLink* link, const Request& request, uint8_t answerId, uint32_t budget,
               int minDataBytes = 0);
// Everything received so far, in the port and the ring, and a partly parsed frame, discarded.
void DiscardReceived(LinkContext& ctx, SerialLink* link);
// The waiting half of Exchange, for an answer that comes without a request of its own.
Reply AwaitReply(LinkContext& ctx, SerialLink* link, uint8_t answerId, uint32_t budget, int minDataBytes = 0);
