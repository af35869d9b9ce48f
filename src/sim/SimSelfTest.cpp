#include "sim/SimSelfTest.h"

#include "sim/SimDevice.h"

void SimSelfTest::install(SimDevice& device)
{
    device.setHandler(0x42, [](SimDevice& d, const uint8_t*, int) {
        d.selfTest.measurementStartMs = d.now();
        d.ack();
    });

    device.setHandler(0x13, [](SimDevice& d, const uint8_t* payload, int length) {
        if (length != 5)
            return;
        SimSelfTest& t = d.selfTest;
        const uint32_t selection = Le32(payload + 1);
        t.selections.push_back(selection);
        d.ack();
        if (SimDevice::takeFault(d.faults.noCompletion, 0x13))
            return;
        std::vector<uint8_t> result;
        AppendLe32(result, selection & t.passMask);
        d.replyLater(t.resultDelayMs, 0x93, result);
    });

    device.setHandler(0x34, [](SimDevice& d, const uint8_t*, int) {
        const uint16_t v = d.selfTest.batteryCentivolts;
        d.reply(0xB4, {uint8_t(v), uint8_t(v >> 8), 0, 0});
    });

    device.setHandler(0x41, [](SimDevice& d, const uint8_t*, int) {
        d.reply(0xC1, {d.selfTest.snr, d.selfTest.snrSatellite});
    });
}
