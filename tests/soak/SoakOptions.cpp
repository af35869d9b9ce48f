#include "soak/SoakOptions.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <iterator>

bool ReadSoakOptions(const std::vector<std::string>& args, SoakOptions& out, std::string& error)
{
    const struct {
        const char* name;
        long SoakOptions::*field;
        long most;
    } options[] = {
        {"--cycles", &SoakOptions::cycles, 100000000},
        {"--downloads", &SoakOptions::downloads, 100000000},
        {"--faults", &SoakOptions::faults, 100},
        {"--seed", &SoakOptions::seed, 2147483647},
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const auto* option = std::find_if(std::begin(options), std::end(options),
                                          [&](const auto& o) { return args[i] == o.name; });
        if (option == std::end(options)) {
            error = "unknown option " + args[i] + " (options: --cycles N --downloads N --faults PERCENT --seed S)";
            return false;
        }
        if (i + 1 >= args.size()) {
            error = args[i] + " needs a value";
            return false;
        }
        const std::string& text = args[++i];
        char* end = nullptr;
        errno = 0;
        const long value = std::strtol(text.c_str(), &end, 10);
        if (text.empty() || *end != '\0' || errno != 0 || value < 0 || value > option->most) {
            error = "'" + text + "' is not a value for " + option->name + " (0.." + std::to_string(option->most) + ")";
            return false;
        }
        out.*option->field = value;
    }
    return true;
}
