#pragma once
// Reading one block of device memory: the request carries address and length,
// the answer only its length. Answers of the wrong length are discarded; a
// device that keeps sending them uses up the attempts.

#include <cstdint>
#include <optional>
#include <vector>

class LinkContext;
struct SerialLink;

// Answers of the wrong length to one block are discarded and the block asked again;
// this many of them cost the block one of its attempts.
inline constexpr int kWrongLengthAnswersPerAttempt = 3;

struct BlockReadSettings {
    uint8_t requestId = 0;
    uint8_t answerId = 0;
    int attempts = 4;
    uint32_t budget = 0;
};

// Block requests whose attempt failed: the device may still answer them, late.
// Since an answer carries no address, an answer of such a length could be a late
// one for another address.
class LateAnswers {
public:
    bool possible(uint32_t address, uint16_t length) const;
    void add(uint32_t address, uint16_t length) { unanswered_.push_back({address, length}); }

private:
    struct Unanswered {
        uint32_t address;
        uint16_t length;
    };
    std::vector<Unanswered> unanswered_;
};

// Asks for length bytes at address until an answer of that length comes (its bytes are
// returned), the attempts are used up or a stop is requested (nothing). The gauge is set back to
// gaugeDone after every failed answer. With late: every failed attempt is recorded there,
// and a wrong-length answer that could be a late one is not asked again, as the block's
// own answer may still come. A request must not have a length late answers could have.
std::optional<std::vector<uint8_t>> ReadBlock(LinkContext& ctx, SerialLink* link, const BlockReadSettings& settings,
                                              uint32_t address, uint16_t length, uint32_t gaugeDone,
                                              LateAnswers* late = nullptr);
