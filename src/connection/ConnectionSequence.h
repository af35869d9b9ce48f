#pragma once
// The Connect/Disconnect button: open the port, enter link (MTN) mode,
// synchronise, identify, read settings and the GPS version, propose a log file
// name; or tell the device to leave link mode and close the port.
// Results: kOk, kNoLink (port not opened), kNoAnswer (no answer in the connection steps),
// kInterrupted.

#include <cstdint>
#include <string>

#include "platform/ResultCode.h"

struct Program;
struct SerialLink;

inline constexpr long kBaudRates[8] = {4800, 9600, 19200, 38400, 57600, 115200, 230400, 460800};

ResultCode BitBtn_connectClick(Program& p);
ResultCode ConnectOrDisconnect(Program& p);
// The Connect button and the buttons that need a device, as they stand without a link.
void ShowDisconnectedControls(Program& p);
ResultCode SyncDevice(Program& p, SerialLink* link);
uint8_t SelectedPortNumber(const Program& p);
// The index of a baud rate in kBaudRates (value or value x 100), 0 when none matches.
int BaudIndexOf(long value);
