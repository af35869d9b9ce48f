#pragma once
// termios serial port: raw 8N1, no controlling terminal, exclusive where the
// device supports it. Works on real ports and on pseudo-terminals.

#include "platform/Transport.h"

class PosixSerialTransport : public Transport {
public:
    ~PosixSerialTransport() override;

    // path: the device (PortRef::path); empty: the port is not present.
    bool open(const std::string& path, const std::string& mode) override;
    int read(uint8_t* buffer, int max) override;
    bool write(const uint8_t* data, int count) override;
    void abortReads() override {}
    void close() override;
    bool hungUp() const override { return hungUp_; }

private:
    bool fail(OpenError error, const std::string& detail);

    int fd_ = -1;
    bool hungUp_ = false;
};

// Parses "BAUD,N,8,1"; returns the baud rate or 0 when the text is not understood.
long ParseModeBaud(const std::string& mode);
