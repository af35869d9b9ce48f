#pragma once
// The one-shot control commands 0x14..0x1B and 0x40. Each is acknowledged; a
// reboot then leaves the device silent for a while (it starts again with
// forwarding and the debug flag off), a power-off for good.

#include <cstdint>

class SimDevice;

struct SimControl {
    int64_t rebootSilenceMs = 3000;

    bool nmeaForwarding = false;
    bool gpsPower = true;
    bool debugFlag = false;
    int coldStarts = 0;
    int reboots = 0;
    bool poweredOff = false;

    static void install(SimDevice& device);
};
