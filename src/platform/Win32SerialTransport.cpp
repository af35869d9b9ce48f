// Windows serial port through the Win32 API, as the logger's Windows drivers
// expect it: "\\.\COMn", a mode string, the five port time-outs. Built only on Windows.
#ifdef _WIN32

#include <windows.h>

#include <string>

#include "platform/PortTable.h"
#include "platform/SystemTransport.h"

namespace {

class Win32SerialTransport : public Transport {
public:
    ~Win32SerialTransport() override { close(); }

    bool open(const std::string& port, const std::string& mode) override
    {
        close();
        const std::string path = "\\\\.\\" + port;
        handle_ = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (handle_ == INVALID_HANDLE_VALUE) {
            const DWORD err = GetLastError();
            openError_ = err == ERROR_FILE_NOT_FOUND ? OpenError::NotFound
                         : err == ERROR_ACCESS_DENIED ? OpenError::Busy
                                                      : OpenError::Other;
            openDetail_ = path + ": error " + std::to_string(err);
            return false;
        }
        GetCommTimeouts(handle_, &saved_);
        COMMTIMEOUTS active{2, 0, 1, 1, 10};
        SetCommTimeouts(handle_, &active);
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        GetCommState(handle_, &dcb);
        BuildCommDCBA(mode.c_str(), &dcb);
        SetCommState(handle_, &dcb);
        return true;
    }

    int read(uint8_t* buffer, int max) override
    {
        DWORD got = 0;
        if (handle_ == INVALID_HANDLE_VALUE)
            return 0;
        if (!ReadFile(handle_, buffer, DWORD(max), &got, nullptr)) {
            const DWORD err = GetLastError();
            if (err == ERROR_ACCESS_DENIED || err == ERROR_BAD_COMMAND || err == ERROR_DEVICE_REMOVED)
                hungUp_ = true;
        }
        return int(got);
    }

    bool write(const uint8_t* data, int count) override
    {
        DWORD written = 0;
        return handle_ != INVALID_HANDLE_VALUE && WriteFile(handle_, data, DWORD(count), &written, nullptr) &&
               written == DWORD(count);
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
