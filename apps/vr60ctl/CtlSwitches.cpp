// Pairs of opposite switches (--clear / --no-clear): either may be given, more
// than once, but never both.

#include <cstdio>

#include "CtlCommand.h"

int TakeSwitchPair(const char* command, const std::string& arg, const char* on, const char* off,
                   std::optional<bool>* choice)
{
    if (arg != on && arg != off)
        return 0;
    const bool asked = arg == on;
    if (choice->has_value() && **choice != asked) {
        std::fprintf(stderr, "vr60ctl: %s: %s and %s together\n", command, on, off);
        return -1;
    }
    *choice = asked;
    return 1;
}
