#pragma once
// Command-line options that shape the simulated device (vr60sim, tests).

#include <string>

class SimDevice;

// Applies "--name value" (name without dashes). Returns false with an error text
// when the option is unknown or its value is not understood.
bool ApplySimOption(SimDevice& device, const std::string& name, const std::string& value, std::string* error);
// Whether the option takes a value.
bool SimOptionTakesValue(const std::string& name);
// Help text, one option a line.
std::string SimOptionsUsage();
