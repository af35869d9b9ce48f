// A received byte stream, cut into random pieces by the port, read through the
// receive ring and the waits (a frame cut by a time-out goes on at the next
// wait). Every frame accepted must re-encode to the bytes it came from: head,
// payload and checksum, then B0 B3 after junk that holds no B0.
// Input: byte 0 picks the mode (bit 0: the rest is a list of payloads to encode,
// else raw bytes) and the wait budget; bytes 1-4 seed the pieces' sizes.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "FuzzHost.h"
#include "link/Exchange.h"
#include "link/FrameEncoder.h"
#include "link/LinkContext.h"

namespace {

// Hands out the stream in pieces of random size, some of them empty (an idle read).
class SplitTransport : public Transport {
public:
    SplitTransport(const std::vector<uint8_t>& stream, uint32_t seed) : stream_(stream), state_(seed | 1) {}

    bool open(const std::string&, const std::string&) override { return true; }
    int read(uint8_t* buffer, int max) override
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        const size_t wanted = state_ % 4 == 0 ? 0 : state_ % (size_t(max) + 1);
        const size_t n = std::min(wanted, stream_.size() - at_);
        if (n > 0)
            std::memcpy(buffer, stream_.data() + at_, n);
        at_ += n;
        return int(n);
    }
    bool write(const uint8_t*, int) override { return true; }
    void abortReads() override {}
    void close() override {}
    bool hungUp() const override { return false; }

    bool drained() const { return at_ == stream_.size(); }

private:
    const std::vector<uint8_t>& stream_;
    size_t at_ = 0;
    uint32_t state_;
};

// The frame accepted when byte `end` (its B3) was taken re-encodes to stream bytes.
bool CameFromStream(const RxFrame& rx, const std::vector<uint8_t>& stream, size_t end)
{
    const int length = rx.lengthField();
    if (length == 0 || end < 1 || stream[end] != 0xB3 || stream[end - 1] != 0xB0)
        return false;
    const std::vector<uint8_t> encoded = EncodeFrame(rx.payload()[0], rx.payload() + 1, uint16_t(length - 1));
    if (std::memcmp(encoded.data(), rx.bytes, 4) != 0)
        return false;
    const size_t body = encoded.size() - 2;   // without B0 B3
    // t: the first byte after the checksum; stream[t, end - 1) is junk without a B0.
    for (size_t t = end - 1;; --t) {
        if (t >= body && std::memcmp(stream.data() + t - body, encoded.data(), body) == 0)
            return true;
        if (t == 0 || stream[t - 1] == 0xB0)
            return false;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 5)
        return 0;
    const bool structured = data[0] & 1;
    const uint16_t budget = uint16_t(1 + (data[0] >> 1) % 8);
    const uint32_t seed = uint32_t(data[1]) | uint32_t(data[2]) << 8 | uint32_t(data[3]) << 16 | uint32_t(data[4]) << 24;
    data += 5;
    size -= 5;

    // The stream stays shorter than the ring, so the ring's read index counts the bytes taken.
    std::vector<uint8_t> stream;
    std::vector<std::vector<uint8_t>> payloads;
    if (structured) {
        for (size_t at = 0; at < size;) {
            const size_t n = std::min<size_t>(std::max<size_t>(data[at], 1), size - at - 1);
            if (n == 0)
                break;
            const std::vector<uint8_t> frame = EncodeFrame(data[at + 1], data + at + 2, uint16_t(n - 1));
            if (stream.size() + frame.size() >= size_t(kLinkRingSize))
                break;
            payloads.emplace_back(data + at + 1, data + at + 1 + n);
            stream.insert(stream.end(), frame.begin(), frame.end());
            at += 1 + n;
        }
    } else {
        stream.assign(data, data + std::min<size_t>(size, kLinkRingSize - 1));
    }

    FuzzHost host;
    auto transport = std::make_unique<SplitTransport>(stream, seed);
    SplitTransport* port = transport.get();
    auto ctx = std::make_unique<LinkContext>(host, [&](const std::string&) { return std::move(transport); });
    SerialLink* link = LinkOpen(*ctx, ResolvePort(1, {}), "460800,N,8,1", ctx->staticLink, ctx->staticStorage, kLinkRingSize,
                                kLinkStagingSize);
    ctx->ActiveLink = link;
    link->readChunk = uint16_t(seed % 2 ? 128 : 10);

    size_t accepted = 0;
    for (int waits = 0; waits < 100000; ++waits) {
        if (WaitFrame(*ctx, link, 0, budget) < 0) {
            if (port->drained() && link->readIndex == link->writeIndex)
                break;
            continue;
        }
        if (!CameFromStream(ctx->rxFrame, stream, size_t(link->readIndex) - 1))
            std::abort();
        // Well-formed frames back to back must all come through, in order and intact.
        if (structured) {
            const std::vector<uint8_t>& sent = payloads.at(accepted);
            if (ctx->rxFrame.lengthField() != sent.size() ||
                std::memcmp(ctx->rxFrame.payload(), sent.data(), sent.size()) != 0)
                std::abort();
        }
        ++accepted;
    }
    if (accepted != ctx->statistics.frames || (structured && accepted != payloads.size()))
        std::abort();
    return 0;
}
