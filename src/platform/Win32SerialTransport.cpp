// Windows serial port through the Win32 API, as the logger's Windows drivers
// expect it: "\\.\COMn", a mode string, the five port time-outs. Built only on Windows.
#ifdef _WIN32

#include <windows.h>

#include <string>

#include "platform/SystemTransport.h"

namespace {

// The errors a port gives once its device is gone: a USB adapter pulled out (access denied,
// bad command, removed), or a pseudo-terminal whose other end closed under Wine (not ready).
bool MeansGone(DWORD error)
{
    return error == ERROR_ACCESS_DENIED || error == ERROR_BAD_COMMAND || error == ERROR_DEVICE_REMOVED ||
           error == ERROR_NOT_READY || error == ERROR_GEN_FAILURE;
}

class Win32SerialTransport : public Transport {
public:
    ~Win32SerialTransport() override { close(); }

    bool open(const std::string& path, const std::string& mode) override
    {
        close();
        handle_ = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (handle_ == INVALID_HANDLE_VALUE) {
            const DWORD err = GetLastError();
            openError_ = err == ERROR_FILE_NOT_FOUND ? OpenError::NotFound
                         : err == ERROR_ACCESS_DENIED ? OpenError::Busy
                                                      : OpenError::Other;
            openDetail_ = path + ": error " + std::to_string(err);
            return false;
        }
        hungUp_ = false;
        GetCommTimeouts(handle_, &saved_);
        COMMTIMEOUTS active{2, 0, 1, 1, 10};
        SetCommTimeouts(handle_, &active);
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        GetCommState(handle_, &dcb);
        if (!BuildCommDCBA(mode.c_str(), &dcb) || !SetCommState(handle_, &dcb)) {
            openError_ = OpenError::BadMode;
            openDetail_ = path + ": mode " + mode + " refused, error " + std::to_string(GetLastError());
            close();
            return false;
        }
        return true;
    }

    int read(uint8_t* buffer, int max) override
    {
        DWORD got = 0;
        if (handle_ == INVALID_HANDLE_VALUE)
            return 0;
        if (!ReadFile(handle_, buffer, DWORD(max), &got, nullptr)) {
            hungUp_ = hungUp_ || MeansGone(GetLastError());
        } else if (got == 0) {
            // An empty read says nothing of the line: its status does (and clears a line error).
            DWORD errors = 0;
            COMSTAT status{};
            if (!ClearCommError(handle_, &errors, &status))
                hungUp_ = hungUp_ || MeansGone(GetLastError());
        }
        return int(got);
    }

    bool write(const uint8_t* data, int count) override
    {
        DWORD written = 0;
        if (handle_ == INVALID_HANDLE_VALUE)
            return false;
        if (!WriteFile(handle_, data, DWORD(count), &written, nullptr)) {
            hungUp_ = hungUp_ || MeansGone(GetLastError());
            return false;
        }
        return written == DWORD(count);
    }

    void abortReads() override
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            PurgeComm(handle_, PURGE_RXABORT);
    }

    void close() override
    {
        if (handle_ != INVALID_HANDLE_VALUE) {
            SetCommTimeouts(handle_, &saved_);
            CloseHandle(handle_);
            handle_ = INVALID_HANDLE_VALUE;
        }
    }

    bool hungUp() const override { return hungUp_; }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    COMMTIMEOUTS saved_{};
    bool hungUp_ = false;
};

} // namespace

std::unique_ptr<Transport> MakeSystemTransport()
{
    return std::make_unique<Win32SerialTransport>();
}

#endif
