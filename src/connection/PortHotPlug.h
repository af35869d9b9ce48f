#pragma once
// The port drop-down kept in step with the devices present, and the port and
// baud rate of the last good connection remembered between runs.

struct Program;

// Opening the port list: rescans when a device change was seen.
void ComboBox_COMDropDown(Program& p);
// Timer1, every second: the rescan a device change asked for. A connection whose
// port has gone away is ended here too.
void Timer1Timer(Program& p);
// Asks for a rescan on the next tick (device-change notifications, Button_scan_port).
void RequestPortRescan(Program& p);

// A device path connected to last time (not a COM port: a pty, a device udev
// does not list yet) is given its number for this run again, when it is there.
void RegisterSavedPortPath(Program& p);
// The saved baud rate and port applied to the connection controls.
void LoadLinkSettings(Program& p);
// Writes "COM" (or, for a device path, "PortPath") and "BAUD" when a connection
// succeeded in this run; false when they could not be written.
bool SaveLinkSettings(Program& p);

// kBaudRates[index]; 0 for an index outside the table.
long BaudRateAt(int index);
