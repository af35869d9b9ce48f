#include "sim/SimControl.h"

#include "sim/SimDevice.h"

namespace {

void Acknowledge(SimDevice& device, int id, void (*change)(SimControl&))
{
    device.setHandler(id, [change](SimDevice& d, const uint8_t*, int) {
        change(d.control);
        d.ack();
    });
}

} // namespace

void SimControl::install(SimDevice& device)
{
    // Silence first: it drops answers still queued, not the acknowledgement that follows.
    device.setHandler(0x14, [](SimDevice& d, const uint8_t*, int) {
        SimControl& c = d.control;
        ++c.reboots;
        c.nmeaForwarding = false;
        c.debugFlag = false;
        c.gpsPower = true;
        d.goSilent(c.rebootSilenceMs);
        d.ack();
    });
    device.setHandler(0x40, [](SimDevice& d, const uint8_t*, int) {
        d.control.poweredOff = true;
        d.goSilent(-1);
        d.ack();
    });
    Acknowledge(device, 0x15, [](SimControl& c) { c.nmeaForwarding = true; });
    Acknowledge(device, 0x16, [](SimControl& c) { c.nmeaForwarding = false; });
    Acknowledge(device, 0x17, [](SimControl& c) { c.gpsPower = true; });
    Acknowledge(device, 0x18, [](SimControl& c) { c.gpsPower = false; });
    Acknowledge(device, 0x19, [](SimControl& c) { ++c.coldStarts; });
    Acknowledge(device, 0x1B, [](SimControl& c) { c.debugFlag = true; });
}
