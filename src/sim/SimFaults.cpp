#include "sim/SimFaults.h"

#include <cstdlib>

namespace {

long ParseNumber(const std::string& text, bool* ok)
{
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 0);
    *ok = !text.empty() && end && *end == '\0';
    return value;
}

bool TakeKeyCount(const std::string& value, std::map<int, int>& into, int defaultCount)
{
    const size_t colon = value.find(':');
    const int key = ParseRequestKey(value.substr(0, colon));
    if (key < 0)
        return false;
    int count = defaultCount;
    if (colon != std::string::npos) {
        bool ok = false;
        count = int(ParseNumber(value.substr(colon + 1), &ok));
        if (!ok)
            return false;
    }
    into[key] = count;
    return true;
}

// "BYTES" or "KEY:BYTES".
bool TakeHangUpBytes(const std::string& value, SimFaults& faults)
{
    const size_t colon = value.find(':');
    int key = -1;
    if (colon != std::string::npos && (key = ParseRequestKey(value.substr(0, colon))) < 0)
        return false;
    bool ok = false;
    const long bytes = ParseNumber(value.substr(colon == std::string::npos ? 0 : colon + 1), &ok);
    if (!ok || bytes < 0)
        return false;
    faults.hangUpBytesKey = key;
    faults.hangUpAfterBytes = bytes;
    return true;
}

bool ParseRandom(const std::string& value, SimFaults& faults)
{
    const size_t colon = value.find(':');
    bool ok = false;
    const long percent = ParseNumber(value.substr(0, colon), &ok);
    if (!ok || percent < 0 || percent > 100)
        return false;
    faults.randomPercent = int(percent);
    if (colon != std::string::npos) {
        const long seed = ParseNumber(value.substr(colon + 1), &ok);
        if (!ok)
            return false;
        faults.randomState = uint32_t(seed) | 1;
    }
    return true;
}

} // namespace

void SimFaults::armRandomFault(int key)
{
    auto next = [this] {
        randomState ^= randomState << 13;
        randomState ^= randomState >> 17;
        randomState ^= randomState << 5;
        return randomState;
    };
    if (randomPercent <= 0 || int(next() % 100) >= randomPercent)
        return;
    std::map<int, int>* const kinds[] = {&dropAnswers, &corruptChecksum, &shortAnswers,
                                         &lateAnswers, &cutAnswers, &wrongLength};
    std::map<int, int>& chosen = *kinds[next() % 6];
    int& count = chosen[key];
    if (count >= 0)
        ++count;
}

int ParseRequestKey(const std::string& text)
{
    bool ok = false;
    const size_t slash = text.find('/');
    if (slash != std::string::npos) {
        const long id = ParseNumber(text.substr(0, slash), &ok);
        if (!ok || id != 5)
            return -1;
        const long sub = ParseNumber(text.substr(slash + 1), &ok);
        return ok && sub >= 0 && sub <= 255 ? int(0x500 + sub) : -1;
    }
    const long id = ParseNumber(text, &ok);
    return ok && id >= 0 && id <= 255 ? int(id) : -1;
}

bool SimFaults::parse(const std::string& text, std::string* error)
{
    const size_t eq = text.find('=');
    const std::string name = text.substr(0, eq);
    const std::string value = eq == std::string::npos ? std::string() : text.substr(eq + 1);
    bool ok = true;
    if (name == "drop")
        ok = TakeKeyCount(value, dropAnswers, kFaultForever);
    else if (name == "corrupt")
        ok = TakeKeyCount(value, corruptChecksum, kFaultForever);
    else if (name == "hangup")
        ok = TakeKeyCount(value, hangUpOn, 1);
    else if (name == "hangup-bytes")
        ok = TakeHangUpBytes(value, *this);
    else if (name == "unexpected" && value.empty())
        unexpectedFrames = true;
    else if (name == "junk" && value.empty())
        junkBetweenFrames = true;
    else if (name == "wronglen")
        ok = TakeKeyCount(value, wrongLength, kFaultForever);
    else if (name == "cut")
        ok = TakeKeyCount(value, cutAnswers, kFaultForever);
    else if (name == "nocompletion")
        ok = TakeKeyCount(value, noCompletion, kFaultForever);
    else if (name == "late")
        ok = TakeKeyCount(value, lateAnswers, kFaultForever);
    else if (name == "short")
        ok = TakeKeyCount(value, shortAnswers, kFaultForever);
    else if (name == "badecho")
        ok = TakeKeyCount(value, badEcho, kFaultForever);
    else if (name == "random")
        ok = ParseRandom(value, *this);
    else
        ok = false;
    if (!ok && error)
        *error = "unknown fault '" + text + "'";
    return ok;
}
