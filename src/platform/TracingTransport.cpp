#include "platform/TracingTransport.h"

#include <chrono>
#include <cstdlib>

TracingTransport::TracingTransport(std::unique_ptr<Transport> inner, const std::string& traceFile)
    : inner_(std::move(inner)), out_(std::fopen(traceFile.c_str(), "a"))
{
}

TracingTransport::~TracingTransport()
{
    if (out_)
        std::fclose(out_);
}

void TracingTransport::dump(const char* direction, const uint8_t* data, int count)
{
    if (!out_ || count <= 0)
        return;
    using namespace std::chrono;
    const long long ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    std::fprintf(out_, "%lld %s %d:", ms, direction, count);
    for (int i = 0; i < count; ++i)
        std::fprintf(out_, " %02X", data[i]);
    std::fputc('\n', out_);
    // Through to the system at once: a trace matters most when the process is killed.
    std::fflush(out_);
}

bool TracingTransport::open(const std::string& path, const std::string& mode)
{
    const bool ok = inner_->open(path, mode);
    openError_ = inner_->lastOpenError();
    openDetail_ = inner_->lastOpenDetail();
    if (out_)
        std::fprintf(out_, "open %s %s: %s\n", path.c_str(), mode.c_str(), ok ? "ok" : openDetail_.c_str()),
            std::fflush(out_);
    return ok;
}

int TracingTransport::read(uint8_t* buffer, int max)
{
    const int n = inner_->read(buffer, max);
    dump("<", buffer, n);
    return n;
}

bool TracingTransport::write(const uint8_t* data, int count)
{
    dump(">", data, count);
    return inner_->write(data, count);
}

void TracingTransport::close()
{
    if (out_)
        std::fprintf(out_, "close\n"), std::fflush(out_);
    inner_->close();
}

std::unique_ptr<Transport> MakeTracedIfAsked(std::unique_ptr<Transport> transport)
{
    const char* file = std::getenv("VR60_TRACE");
    if (!file || !*file)
        return transport;
    return std::make_unique<TracingTransport>(std::move(transport), file);
}
