#include "sim/SimOptions.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "sim/SimDevice.h"

namespace {

bool ParseLong(const std::string& text, long long* value)
{
    char* end = nullptr;
    *value = std::strtoll(text.c_str(), &end, 0);
    return !text.empty() && *end == '\0';
}

} // namespace

bool SimOptionTakesValue(const std::string& name)
{
    return name != "no-extended" && name != "quick-clear-11";
}

bool ApplySimOption(SimDevice& device, const std::string& name, const std::string& value, std::string* error)
{
    SimDeviceModel& m = device.model;
    long long number = 0;
    auto bad = [&](const char* why) {
        if (error)
            *error = "--" + name + " " + value + ": " + why;
        return false;
    };
    if (name == "fault")
        return device.faults.parse(value, error);
    if (name == "firmware") {
        m.firmwareVersion = value;
        return true;
    }
    if (name == "no-extended") {
        for (char& c : m.firmwareVersion)
            if (c == 'G')
                c = 'g';
        return true;
    }
    if (name == "gps") {
        m.gpsVersionText = value;
        return true;
    }
    if (name == "user") {
        m.userName = value;
        return true;
    }
    if (name == "serial" || name == "points" || name == "log-area") {
        if (!ParseLong(value, &number))
            return bad("not a number");
        if (name == "serial")
            m.serialNumber = int32_t(number);
        else if (name == "points")
            m.pointsLogged = int32_t(number);
        else
            m.logAreaBytes = uint32_t(number);
        return true;
    }
    if (name == "settings") {
        // seven bytes in hex, e.g. 00100010000a00
        if (value.size() != 14)
            return bad("expected 14 hex digits");
        for (size_t i = 0; i < 7; ++i) {
            if (!ParseLong("0x" + value.substr(2 * i, 2), &number))
                return bad("not hex");
            m.settings[i] = uint8_t(number);
        }
        return true;
    }
    // Log ring, clears and top-10 tables
    SimLogArea& log = device.logArea;
    if (name == "log-file")
        return log.loadFile(value, nullptr) || bad("cannot read the file");
    if (name == "log-seed" || name == "ring-start" || name == "clear-delay") {
        if (!ParseLong(value, &number) || number < 0 || number > 0xFFFFFFFFll)
            return bad("not a number");
        if (name == "log-seed") {
            log.seed = uint32_t(number);
        } else if (name == "clear-delay") {
            log.clearDelayMs = number;
        } else {
            if (number < SimLogArea::kAreaStart)
                return bad("below the log area (0x10000)");
            log.ringOffset = uint32_t(number - SimLogArea::kAreaStart);
        }
        return true;
    }
    if (name == "quick-clear-11") {
        log.quickClearOn11 = true;
        return true;
    }
    if (name == "top10") {
        std::array<uint16_t, 20> table{};
        size_t at = 0;
        size_t k = 0;
        while (at <= value.size() && k < table.size()) {
            const size_t comma = std::min(value.find(',', at), value.size());
            if (!ParseLong(value.substr(at, comma - at), &number) || number < 0 || number > 0xFFFF)
                return bad("expected up to 20 speeds in cm/s, separated by commas");
            table[k++] = uint16_t(number);
            at = comma + 1;
        }
        if (at <= value.size())
            return bad("more than 20 speeds");
        log.top10 = table;
        return true;
    }
    if (error)
        *error = "unknown option --" + name;
    return false;
}

std::string SimOptionsUsage()
{
    return "  --firmware TEXT     firmware version text (a 'G' in it: extended settings)\n"
           "  --no-extended       firmware without the extended settings block\n"
           "  --gps TEXT          answer to the version-text query (id 67)\n"
           "  --serial N          serial number\n"
           "  --user NAME         user name\n"
           "  --points N          points logged\n"
           "  --log-area BYTES    log area size\n"
           "  --settings HEX      the seven settings bytes, e.g. 00100010000a00\n"
           "  --log-seed N        log records generated from seed N (default 1), --points of them\n"
           "  --log-file FILE     log records taken from an .sbp file instead\n"
           "  --ring-start ADDR   device address of the oldest record (default 0x10000); a ring\n"
           "                      running past the end of the log area wraps back to 0x10000\n"
           "  --clear-delay MS    time the full log clear takes after its acknowledgement (1500)\n"
           "  --quick-clear-11    message 11 is the quick log clear (ACK), not the settings read\n"
           "  --top10 LIST        up to 20 speeds in cm/s: ten maxima, then ten averages\n"
           "  --fault FAULT       drop=ID[:N] corrupt=ID[:N] hangup=ID[:NTH] unexpected junk\n"
           "                      wronglen=ID[:N] (32 bytes too few) cut=ID[:N] (answer stops halfway)\n"
           "                      nocompletion=5/4[:N] (the full clear never completes)\n"
           "                      (ID: decimal, 0x hex, or 5/SUB; N: how many times, default always;\n"
           "                      NTH: hang up at that request, default the first)\n";
}
