#pragma once
// A Host for fuzz targets: shows nothing, answers No, and runs on a virtual
// clock (each reading advances it 1 ms, a sleep by its length), so waits and
// time-outs cost no real time.

#include <cstdint>

#include "platform/QuietHost.h"

class FuzzHost : public QuietHost {
public:
    void sleepMs(int ms) override { nowMicros += int64_t(ms) * 1000; }
    int64_t clockMicros() override { return nowMicros += 1000; }

    int64_t nowMicros = 0;
};
