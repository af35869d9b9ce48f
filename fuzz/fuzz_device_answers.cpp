// The device's answers as the operations decode them: the firmware and GPS
// version texts and the status record with the user name (through Connect),
// the settings record, the top-10 tables, the log-area record, the four POI
// slots and the self test's battery, signal-strength, version and verdict
// answers. The in-process
// simulated device answers each request with data taken from the input, of any
// length, or not at all; every operation must end with one of its result codes
// and leave only in-range selections behind.

#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include <QDir>
#include <QTemporaryDir>

#include "FuzzHost.h"
#include "connection/ConnectionSequence.h"
#include "connection/SettingsRead.h"
#include "device/PoiSlots.h"
#include "device/SettingsOperations.h"
#include "device/TopSpeeds.h"
#include "logdata/LogAreaQuery.h"
#include "platform/ResultCode.h"
#include "prodtest/TestRun.h"
#include "program/Program.h"
#include "sim/SimDevice.h"
#include "sim/SimTransport.h"

namespace {

struct Answer {
    int key;
    uint8_t id;
    bool ackFirst;   // acknowledged, then answered (the self test's start)
};

// Request key (id, or 0x500 + sub-command) and the id of its answer.
constexpr Answer kAnswers[] = {{0x506, 0x86, false}, {0x505, 0x85, false}, {0x0B, 0x8B, false}, {0x43, 0xC3, false},
                               {0x49, 0xC9, false},  {0x4B, 0xCB, false},  {0x30, 0xB0, false}, {0x34, 0xB4, false},
                               {0x41, 0xC1, false},  {0x13, 0x93, true}};

bool InRange(int selection, int count)
{
    return selection >= -1 && selection < count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The self test saves "VR60Test.ini" in the working folder.
    static QTemporaryDir dir;
    static const bool entered = QDir::setCurrent(dir.path());
    if (!entered)
        return 0;
    FuzzedDataProvider in(data, size);
    FuzzHost host;
    SimDevice device;
    for (const Answer& a : kAnswers) {
        // A few answers of their own for each request, then silence.
        auto replies = std::make_shared<std::vector<std::vector<uint8_t>>>();
        const int count = in.ConsumeIntegralInRange(0, 3);
        for (int i = 0; i < count; ++i)
            replies->push_back(in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange(0, 80)));
        device.setHandler(a.key, [replies, a, taken = size_t(0)](SimDevice& d, const uint8_t*, int) mutable {
            if (a.ackFirst)
                d.ack();
            if (taken < replies->size())
                d.reply(a.id, (*replies)[taken++]);
        });
    }
    Program p(host, [&](const std::string&) -> std::unique_ptr<Transport> {
        return std::make_unique<SimTransport>(device, [&host] { return host.nowMicros; });
    });
    // The self test waits long for what does not come: run it for half the inputs.
    // Its waits are polls on the virtual clock, one read per millisecond, and they are
    // what the time of an input goes to now (some 240 inputs a second).
    const bool selfTest = in.ConsumeBool();
    p.form.connection.comPortText = "COM  7";
    p.form.connection.comBaudIndex = 7;

    const int connect = BitBtn_connectClick(p);
    if (connect != kOk && connect != kNoAnswer)
        std::abort();
    if (p.connected == 1) {
        const int settings = Button_Read_ConfigClick(p);
        const int top = Button_TOP10_ReadClick(p);
        const int area = Button_Log_infoClick(p);
        if ((settings != kOk && settings != kTimeOut) || (top != kOk && top != kTimeOut) ||
            (area != kOk && area != kTimeOut))
            std::abort();
        if (top == kOk && (p.form.logData.top10MaxSpeed.size() != 10 || p.form.logData.top10MaxAvgSpeed.size() != 10))
            std::abort();
        const int poi = Button_POI_downloadClick(p);
        if (poi != kOk && poi != kIncomplete)
            std::abort();
        for (TestItemBox& box : p.form.test.items)
            box.checked = true;
        p.form.test.battStd = "423";
        p.form.test.battVary = "6";
        // Its verdict, or after a pass the code of its clear or power-off.
        const int test = selfTest ? BitBtn_TestClick(p) : kOk;
        if (test != kOk && test != kTestFailed && test != kNoAck && test != kTimeOut && test != kRefused &&
            test != kIncomplete && test != kNoLink)
            std::abort();
        if (p.connected == 1)
            BitBtn_connectClick(p);
    }
    const auto& s = p.form.settings;
    if (!InRange(s.minSpeed, SettingsItems::kMinSpeedCount) || !InRange(s.unit, 3) ||
        !InRange(s.utcOffset, SettingsItems::kUtcOffsetCount) || !InRange(s.speedAvg, SettingsItems::kSpeedAvgCount) ||
        !InRange(s.speedGenie, SettingsItems::kSpeedGenieCount) || !InRange(s.actionSpeed, 2) ||
        !InRange(s.speedFont, 2))
        std::abort();
    return 0;
}
