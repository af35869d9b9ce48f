#pragma once
// One-shot device commands: reboot, NMEA forwarding on/off, GPS power on/off,
// GPS cold start, the link debug flag, power off, and clear-then-power-off.
// Each is a bare command id answered by the acknowledgement within 2500; the
// reboot, cold start and power off end the connection when acknowledged.
//
// sender: the enabled flag of the pressed control, disabled while the command
// runs (null when another operation calls it).
// Results: 0 acknowledged, 1 no link (or busy), 3 no acknowledgement; the
// clear-then-power-off returns the clear's failure code when the clear fails;
// the cold start returns 10 when the forwarding before it was not acknowledged.

struct Program;

int Button_RebootClick(Program& p, bool* sender = nullptr);
int Button_VCON_ONClick(Program& p, bool* sender = nullptr);
int Button_GPSVCOM_OFFClick(Program& p, bool* sender = nullptr);
int Button_GPSPWRONClick(Program& p, bool* sender = nullptr);
int Button_GPSPWROFFClick(Program& p, bool* sender = nullptr);
int Button_GPS_ColdStartClick(Program& p, bool* sender = nullptr);
int Button_debugClick(Program& p, bool* sender = nullptr);
int Button_Power_OffClick(Program& p, bool* sender = nullptr);
int Button_off_and_clearClick(Program& p, bool* sender = nullptr);
