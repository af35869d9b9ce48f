// The termios transport on a real pseudo-terminal.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include "platform/PosixSerialTransport.h"

namespace {

struct Pty {
    int master = -1;
    int slave = -1;
    char path[256] = {};
    Pty()
    {
        openpty(&master, &slave, path, nullptr, nullptr);
        termios tio{};
        tcgetattr(slave, &tio);
        cfmakeraw(&tio);
        tcsetattr(slave, TCSANOW, &tio);
    }
    ~Pty()
    {
        if (master >= 0)
            close(master);
        if (slave >= 0)
            close(slave);
    }
};

TEST(PosixSerialTransport, movesBytesBothWaysAndIdleReadsReturnNothing)
{
    Pty pty;
    PosixSerialTransport port;
    ASSERT_TRUE(port.open(pty.path, "460800,N,8,1")) << port.lastOpenDetail();
    uint8_t buffer[16];
    EXPECT_EQ(port.read(buffer, sizeof buffer), 0);

    const uint8_t out[] = {0xA0, 0xA2, 0x01};
    EXPECT_TRUE(port.write(out, 3));
    uint8_t got[3] = {};
    ASSERT_EQ(read(pty.master, got, 3), 3);
    EXPECT_EQ(got[2], 0x01);

    const uint8_t in[] = {1, 2, 3, 4, 5};
    ASSERT_EQ(write(pty.master, in, 5), 5);
    int total = 0;
    for (int i = 0; i < 100 && total < 5; ++i)
        total += port.read(buffer + total, 2);
    EXPECT_EQ(total, 5);
    EXPECT_EQ(buffer[4], 5);
    EXPECT_FALSE(port.hungUp());
}

TEST(PosixSerialTransport, openFailuresSayWhatWentWrong)
{
    PosixSerialTransport port;
    EXPECT_FALSE(port.open("/dev/no-such-tty", "460800,N,8,1"));
    EXPECT_EQ(port.lastOpenError(), OpenError::NotFound);

    Pty pty;
    PosixSerialTransport first;
    ASSERT_TRUE(first.open(pty.path, "460800,N,8,1"));
    PosixSerialTransport second;
    EXPECT_FALSE(second.open(pty.path, "460800,N,8,1"));
    EXPECT_EQ(second.lastOpenError(), OpenError::Busy);

    EXPECT_FALSE(port.open(pty.path, "123,N,8,1"));
    EXPECT_EQ(port.lastOpenError(), OpenError::BadMode);
    EXPECT_FALSE(port.open("/dev/null", "460800,N,8,1"));
    EXPECT_EQ(port.lastOpenError(), OpenError::Other);
}

TEST(PosixSerialTransport, closedOtherEndIsAHangUpNotASpin)
{
    Pty pty;
    PosixSerialTransport port;
    ASSERT_TRUE(port.open(pty.path, "460800,N,8,1"));
    close(pty.slave);
    pty.slave = -1;
    close(pty.master);
    pty.master = -1;
    uint8_t buffer[8];
    for (int i = 0; i < 5 && !port.hungUp(); ++i)
        port.read(buffer, sizeof buffer);
    EXPECT_TRUE(port.hungUp());
    EXPECT_FALSE(port.write(buffer, 1));
    EXPECT_EQ(port.read(buffer, sizeof buffer), 0);
}

TEST(ParseModeBaud, acceptsOnlyTheEightBitNoParityMode)
{
    EXPECT_EQ(ParseModeBaud("460800,N,8,1"), 460800);
    EXPECT_EQ(ParseModeBaud("4800,N,8,1"), 4800);
    EXPECT_EQ(ParseModeBaud("9600,E,7,1"), 0);
    EXPECT_EQ(ParseModeBaud("x,N,8,1"), 0);
}

} // namespace
