#pragma once
// The byte channel to one serial port. A read waits at most about 1 ms and
// returns whatever arrived (possibly nothing); a hang-up is reported, not retried.

#include <cstdint>
#include <memory>
#include <string>

enum class OpenError {
    None,
    NotFound,      // no such port
    Busy,          // held by another program
    AccessDenied,  // no permission
    BadMode,       // the mode text or baud rate is not supported
    Other,
};

class Transport {
public:
    virtual ~Transport() = default;

    // path: the port's system path as resolved (PortRef::path; empty when the port is not
    // present); mode: "BAUD,N,8,1". On failure sets the error and its detail text.
    virtual bool open(const std::string& path, const std::string& mode) = 0;
    // Up to max bytes; returns the count (0 when nothing arrived within ~1 ms).
    virtual int read(uint8_t* buffer, int max) = 0;
    // True when every byte was written.
    virtual bool write(const uint8_t* data, int count) = 0;
    // Abort pending reads; neither buffer is cleared.
    virtual void abortReads() = 0;
    virtual void close() = 0;
    // The other end went away (pty closed, cable pulled).
    virtual bool hungUp() const = 0;

    OpenError lastOpenError() const { return openError_; }
    const std::string& lastOpenDetail() const { return openDetail_; }

protected:
    OpenError openError_ = OpenError::None;
    std::string openDetail_;
};

