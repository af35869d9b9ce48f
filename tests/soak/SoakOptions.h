#pragma once
// The soak's command line: vr60soak [--cycles N] [--downloads N] [--faults PERCENT] [--seed S].
// A misspelt option would otherwise leave a run on its defaults that looks like the one asked for.

#include <string>
#include <vector>

struct SoakOptions {
    long cycles = 1000;
    long downloads = 100;
    long faults = 1;   // percent of requests
    long seed = 1;
};

// False with a sentence in `error`: an unknown option, a missing value, or one that is not
// a whole number in its range.
bool ReadSoakOptions(const std::vector<std::string>& args, SoakOptions& out, std::string& error);
