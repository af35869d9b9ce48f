#pragma once
// In-process transport: writes go straight into a SimDevice, its answers come
// back on read. Deterministic; time comes from the given clock.

#include <functional>

#include "platform/Transport.h"
#include "sim/SimDevice.h"

class SimTransport : public Transport {
public:
    using Clock = std::function<int64_t()>;   // microseconds

    SimTransport(SimDevice& device, Clock clock) : device_(device), clock_(std::move(clock)) {}

    // Makes the next open fail with this error.
    void failOpen(OpenError error) { failWith_ = error; }

    bool open(const std::string& path, const std::string& mode) override;
    int read(uint8_t* buffer, int max) override;
    bool write(const uint8_t* data, int count) override;
    void abortReads() override {}
    void close() override { open_ = false; }
    bool hungUp() const override { return device_.hungUp(); }

    const std::vector<uint8_t>& written() const { return written_; }
    int reads() const { return reads_; }
    int lastReadSize = 0;   // the size the last read asked for (for tests)

private:
    SimDevice& device_;
    Clock clock_;
    OpenError failWith_ = OpenError::None;
    bool open_ = false;
    std::vector<uint8_t> written_;
    int reads_ = 0;
};
