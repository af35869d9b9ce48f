#pragma once
// The command line's choice of the production station's follow-ups (the full
// clear and the power-off) for one run; never saved into the test configuration.

#include <optional>

struct FollowUpChoice {
    std::optional<bool> clear;      // --clear / --no-clear
    std::optional<bool> powerOff;   // --power-off / --no-power-off
};
