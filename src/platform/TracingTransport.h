#pragma once
// Wraps a transport and writes a hex dump of every byte block both ways to a
// file, so a bug report can carry the raw bytes. Off unless asked for.

#include <cstdio>
#include <memory>
#include <string>

#include "platform/Transport.h"

class TracingTransport : public Transport {
public:
    TracingTransport(std::unique_ptr<Transport> inner, const std::string& traceFile);
    ~TracingTransport() override;

    bool open(const std::string& path, const std::string& mode) override;
    int read(uint8_t* buffer, int max) override;
    bool write(const uint8_t* data, int count) override;
    void abortReads() override { inner_->abortReads(); }
    void close() override;
    bool hungUp() const override { return inner_->hungUp(); }

private:
    void dump(const char* direction, const uint8_t* data, int count);

    std::unique_ptr<Transport> inner_;
    std::FILE* out_ = nullptr;
};

// The system transport, traced into $VR60_TRACE when that is set.
std::unique_ptr<Transport> MakeTracedIfAsked(std::unique_ptr<Transport> transport);
