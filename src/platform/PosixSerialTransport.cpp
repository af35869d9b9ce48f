#include "platform/PosixSerialTransport.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

speed_t BaudConstant(long baud)
{
    switch (baud) {
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    default: return 0;
    }
}

OpenError ErrorKind(int err)
{
    switch (err) {
    case ENOENT:
    case ENODEV:
    case ENXIO: return OpenError::NotFound;
    case EBUSY: return OpenError::Busy;
    case EACCES:
    case EPERM: return OpenError::AccessDenied;
    default: return OpenError::Other;
    }
}

} // namespace

long ParseModeBaud(const std::string& mode)
{
    // "%ld,N,8,1": the rate, no parity, 8 data bits, 1 stop bit.
    const size_t comma = mode.find(',');
    if (comma == std::string::npos || mode.substr(comma) != ",N,8,1")
        return 0;
    long baud = 0;
    for (size_t i = 0; i < comma; ++i) {
        if (mode[i] < '0' || mode[i] > '9' || baud > 100000000)
            return 0;
        baud = baud * 10 + (mode[i] - '0');
    }
    return baud;
}

PosixSerialTransport::~PosixSerialTransport()
{
    close();
}

bool PosixSerialTransport::fail(OpenError error, const std::string& detail)
{
    openError_ = error;
    openDetail_ = detail;
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    return false;
}

bool PosixSerialTransport::open(const std::string& path, const std::string& mode)
{
    close();
    hungUp_ = false;
    if (path.empty())
        return fail(OpenError::NotFound, "the port is not present");
    const speed_t speed = BaudConstant(ParseModeBaud(mode));
    if (speed == 0)
        return fail(OpenError::BadMode, "unsupported line mode " + mode);

    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        const int err = errno;
        return fail(ErrorKind(err), path + ": " + std::strerror(err));
    }
    if (!isatty(fd_))
        return fail(OpenError::Other, path + " is not a serial port");
    // Another program of ours holds it (flock works for root too, unlike TIOCEXCL).
    if (flock(fd_, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK)
        return fail(OpenError::Busy, path + ": " + std::strerror(EBUSY));
    if (ioctl(fd_, TIOCEXCL) != 0 && errno != ENOTTY && errno != EINVAL) {
        // Not fatal: some drivers have no exclusive mode.
    }

    termios tio{};
    if (tcgetattr(fd_, &tio) != 0)
        return fail(OpenError::Other, path + ": " + std::strerror(errno));
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~(CSTOPB | PARENB | CRTSCTS);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    if (tcsetattr(fd_, TCSANOW, &tio) != 0)
        return fail(OpenError::Other, path + ": " + std::strerror(errno));

    // Raise DTR/RTS where there are modem lines; a pty has none.
    int lines = TIOCM_DTR | TIOCM_RTS;
    (void)ioctl(fd_, TIOCMBIS, &lines);
    openError_ = OpenError::None;
    openDetail_.clear();
    return true;
}

int PosixSerialTransport::read(uint8_t* buffer, int max)
{
    if (fd_ < 0 || max <= 0)
        return 0;
    if (hungUp_) {
        // Behave like an idle port so callers never spin.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return 0;
    }
    pollfd p{fd_, POLLIN, 0};
    const int ready = ::poll(&p, 1, 1);
    if (ready <= 0)
        return 0;
    const ssize_t n = ::read(fd_, buffer, size_t(max));
    if (n > 0)
        return int(n);
    if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
        hungUp_ = true;
    } else if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) {
        hungUp_ = true;
    }
    return 0;
}

bool PosixSerialTransport::write(const uint8_t* data, int count)
{
    if (fd_ < 0 || hungUp_)
        return false;
    int written = 0;
    int stalls = 0;
    while (written < count) {
        const ssize_t n = ::write(fd_, data + written, size_t(count - written));
        if (n > 0) {
            written += int(n);
            stalls = 0;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            // Output buffer full: wait for room, n + 10 ms at most overall.
            pollfd p{fd_, POLLOUT, 0};
            if (::poll(&p, 1, 1) <= 0 && ++stalls > count + 10)
                return false;
            continue;
        }
        if (n < 0 && errno == EIO)
            hungUp_ = true;
        return false;
    }
    return true;
}

void PosixSerialTransport::close()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

#include "platform/SystemTransport.h"

std::unique_ptr<Transport> MakeSystemTransport()
{
    return std::make_unique<PosixSerialTransport>();
}
