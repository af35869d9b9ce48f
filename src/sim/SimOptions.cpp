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

// A number within min..max.
bool ParseInRange(const std::string& text, long long min, long long max, long long* value)
{
    return ParseLong(text, value) && *value >= min && *value <= max;
}

// Options of the control commands, the track store, the POI slots and the self test.
// Returns false with *handled false when the option is not one of them.
bool ApplyFeatureOption(SimDevice& device, const std::string& name, const std::string& value, bool* handled,
                        std::string* why)
{
    *handled = true;
    long long number = 0;
    auto fail = [&](const char* text) {
        *why = text;
        return false;
    };
    if (name == "reboot-silence" || name == "selftest-delay" || name == "late-ms") {
        if (!ParseInRange(value, 0, 24ll * 3600 * 1000, &number))
            return fail("expected milliseconds");
        (name == "reboot-silence"   ? device.control.rebootSilenceMs
         : name == "selftest-delay" ? device.selfTest.resultDelayMs
                                    : device.faults.lateMs) = number;
        return true;
    }
    if (name == "extended-buffer") {
        if (value != "yes" && value != "no")
            return fail("expected yes or no");
        device.trackStore.extendedBuffer = value == "yes";
        return true;
    }
    if (name == "tracks") {
        std::array<uint32_t, 4> counts{};
        size_t at = 0;
        for (size_t k = 0; k < counts.size(); ++k) {
            const size_t comma = std::min(value.find(',', at), value.size());
            if (!ParseInRange(value.substr(at, comma - at), 0, SimTrackStore::kSlotPoints, &number))
                return fail("expected four point counts of 0..1024, separated by commas");
            counts[k] = uint32_t(number);
            at = comma + 1;
            if ((k < 3) != (comma < value.size()))
                return fail("expected four point counts of 0..1024, separated by commas");
        }
        device.logArea.setTrackStore(GenerateTrackImage(counts));
        return true;
    }
    if (name == "track-file")
        return device.logArea.loadTrackStore(value, why);
    if (name == "poi") {
        const size_t eq = value.find('=');
        if (eq == std::string::npos || !ParseInRange(value.substr(0, eq), 1, 4, &number))
            return fail("expected SLOT=LAT,LON or SLOT=empty, SLOT 1..4");
        std::optional<SimPoiPoint>& slot = device.poi.slots[size_t(number - 1)];
        const std::string text = value.substr(eq + 1);
        SimPoiPoint point{};
        if (text == "empty")
            slot.reset();
        else if (ParsePoiText(text, &point))
            slot = point;
        else
            return fail("expected degrees LAT,LON with up to seven decimals, within 90 and 180");
        return true;
    }
    if (name == "battery") {
        if (!ParseInRange(value, 0, 0xFFFF, &number))
            return fail("expected 0..65535 (0.01 V)");
        device.selfTest.batteryCentivolts = uint16_t(number);
        return true;
    }
    if (name == "snr" || name == "snr-satellite") {
        if (!ParseInRange(value, 0, 255, &number))
            return fail("expected 0..255");
        (name == "snr" ? device.selfTest.snr : device.selfTest.snrSatellite) = uint8_t(number);
        return true;
    }
    if (name == "selftest-pass") {
        if (!ParseInRange(value, 0, 0xFFFFFFFFll, &number))
            return fail("expected a 32-bit mask");
        device.selfTest.passMask = uint32_t(number);
        return true;
    }
    *handled = false;
    return false;
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
    if (name == "request-log") {
        device.requestLogFile = value;
        return true;
    }
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
    bool handled = false;
    std::string why;
    if (ApplyFeatureOption(device, name, value, &handled, &why))
        return true;
    if (handled)
        return bad(why.c_str());
    if (error)
        *error = "unknown option --" + name;
    return false;
}

std::string SimOptionsUsage()
{
    return "  --firmware TEXT     firmware version text (a 'G' in it: extended settings)\n"
           "  --no-extended       firmware without the extended settings block\n"
           "  --gps TEXT          answer to the version-text query (id 67): TS version,\n"
           "                      a second field, GPS version (\"1.05,x,GSD4e 4.1.2\")\n"
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
           "  --reboot-silence MS after a reboot (0x14) the device answers nothing for MS (3000);\n"
           "                      after a power-off (0x40) it never answers again\n"
           "  --tracks N,N,N,N    track slots 1..4 hold that many generated points (0..1024 each;\n"
           "                      default: the track store is blank)\n"
           "  --track-file FILE   the track store's 65536 bytes taken from FILE\n"
           "  --extended-buffer yes|no  0x35 acknowledged and 240-byte block writes taken (yes),\n"
           "                      or 0x35 unanswered and block writes of at most 48 bytes\n"
           "  --poi SLOT=LAT,LON  POI slot 1..4 in degrees, or SLOT=empty (an empty slot is not\n"
           "                      answered); default 1=52.3702157,4.8951679 2=-33.8567844,151.2152967\n"
           "  --battery N         battery reading (0x34) in 0.01 V (423)\n"
           "  --snr N             highest signal strength (0x41) (42)\n"
           "  --snr-satellite N   the satellite that has it (17)\n"
           "  --selftest-pass MASK  items that pass the self test; the result (0x93) is the\n"
           "                      selection AND MASK (0xFFFFFFFF)\n"
           "  --selftest-delay MS time from the self test's acknowledgement to its result (3000)\n"
           "  --late-ms MS        how late the late fault answers (3000)\n"
           "  --request-log FILE  append the key of every request to FILE as it arrives, one a line\n"
           "  --fault FAULT       drop=ID[:N] corrupt=ID[:N] hangup=ID[:NTH] unexpected junk\n"
           "                      wronglen=ID[:N] (32 bytes too few) cut=ID[:N] (answer stops halfway)\n"
           "                      nocompletion=5/4[:N] (the full clear never completes)\n"
           "                      nocompletion=0x13[:N] (the self test is acknowledged, no result)\n"
           "                      late=ID[:N] (answers come --late-ms late) short=ID[:N] (answers\n"
           "                      keep only their first data byte) badecho=5/2|5/3[:N] (the\n"
           "                      identity write is not stored and its echo differs)\n"
           "                      hangup-bytes=[ID:]K (hang up once K answer bytes went out, counted\n"
           "                      from the first request ID, or from the start)\n"
           "                      random=PERCENT[:SEED] (each request, by that chance, gets one of\n"
           "                      drop, corrupt, short, late, cut, wronglen)\n"
           "                      (ID: decimal, 0x hex, or 5/SUB; N: how many times, default always;\n"
           "                      NTH: hang up at that request, default the first)\n";
}
