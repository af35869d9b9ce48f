#pragma once
// Writes of the serial number (5/2) and the user name (5/3). Each is answered
// with 0x80 | sub-command echoing the value the device now holds.

class SimDevice;

void InstallIdentityWrites(SimDevice& device);
