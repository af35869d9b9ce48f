#pragma once
// The operating system's serial port: termios on Linux, the Win32 API on Windows.

#include <memory>

#include "platform/Transport.h"

std::unique_ptr<Transport> MakeSystemTransport();
