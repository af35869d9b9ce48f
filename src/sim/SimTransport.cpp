#include "sim/SimTransport.h"

bool SimTransport::open(const std::string& path, const std::string& mode)
{
    if (failWith_ != OpenError::None) {
        openError_ = failWith_;
        openDetail_ = (path.empty() ? std::string("the port") : path) + ": simulated open failure";
        return false;
    }
    open_ = true;
    return true;
}

int SimTransport::read(uint8_t* buffer, int max)
{
    ++reads_;
    lastReadSize = max;
    if (!open_ || device_.hungUp())
        return 0;
    device_.advance(clock_() / 1000);
    return device_.takeOutput(buffer, max);
}

bool SimTransport::write(const uint8_t* data, int count)
{
    if (!open_ || device_.hungUp())
        return false;
    written_.insert(written_.end(), data, data + count);
    device_.advance(clock_() / 1000);
    device_.receive(data, count);
    return true;
}
