#pragma once
// One-shot device commands: reboot, NMEA forwarding on/off, GPS power on/off,
// GPS cold start, the link debug flag, power off, and clear-then-power-off.
// Each is a bare command id answered by the acknowledgement within 2500; the
// reboot, cold start and power off end the connection when acknowledged.
//
// sender: the enabled flag of the pressed control, disabled while the command
// runs (null when another operation calls it).
// Results: kOk acknowledged, kNoLink (or busy), kNoAck; the
// clear-then-power-off returns the clear's failure code when the clear fails;
// the cold start returns kIncomplete when the forwarding before it was not acknowledged.

#include "platform/ResultCode.h"

struct Program;

ResultCode Button_RebootClick(Program& p, bool* sender = nullptr);
ResultCode Button_VCON_ONClick(Program& p, bool* sender = nullptr);
ResultCode Button_GPSVCOM_OFFClick(Program& p, bool* sender = nullptr);
ResultCode Button_GPSPWRONClick(Program& p, bool* sender = nullptr);
ResultCode Button_GPSPWROFFClick(Program& p, bool* sender = nullptr);
ResultCode Button_GPS_ColdStartClick(Program& p, bool* sender = nullptr);
ResultCode Button_debugClick(Program& p, bool* sender = nullptr);
ResultCode Button_Power_OffClick(Program& p, bool* sender = nullptr);
ResultCode Button_off_and_clearClick(Program& p, bool* sender = nullptr);
