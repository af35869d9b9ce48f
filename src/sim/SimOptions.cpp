#include "sim/SimOptions.h"

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
    return name != "no-extended";
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
           "  --fault FAULT       drop=ID[:N] corrupt=ID[:N] hangup=ID unexpected junk\n"
           "                      (ID: decimal, 0x hex, or 5/SUB; N: how many times, default always)\n";
}
