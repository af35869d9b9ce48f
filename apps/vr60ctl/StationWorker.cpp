#include "StationWorker.h"

#include <csignal>
#include <cstdio>
#include <thread>
#include <vector>

#include "platform/ResultCode.h"
#include "prodtest/TestConfig.h"
#include "program/Program.h"
#include "shell/Station.h"
#include "shell/StationRecords.h"
#include "storage/TestRecords.h"

namespace {

void SayToStation(const std::vector<std::string>& fields)
{
    std::printf("%s\n", StationLine(fields).c_str());
    std::fflush(stdout);
}

// A station's worker stops at a line on its input or at its end (the station gone) as
// at SIGTERM: the run ends as interrupted, with nothing sent but the leave-link request.
void StopOnStationInput()
{
    std::thread([] {
        for (int c; (c = std::getchar()) != EOF && c != '\n';) {
        }
        std::raise(SIGTERM);
    }).detach();
}

// The run's own verdict: a follow-up that failed or was stopped after it changes nothing of it.
int VerdictOfRun(const Program& p, int result)
{
    if (result == kRefused)
        return result;
    switch (p.form.test.lamp) {
    case TestLamp::Green: return kOk;
    case TestLamp::Yellow: return kTestFailed;
    default: return result;
    }
}

// The outcome as the record has it, and the items that failed.
std::vector<std::string> StationResult(const Program& p, bool ran, int result)
{
    if (!ran)   // no connection: the unit answered nothing, unless a stop came first
        return {"result", result == kInterrupted ? kOutcomeInterrupted : kOutcomeNoAnswer};
    const int verdict = VerdictOfRun(p, result);
    if (verdict == kRefused)
        return {"result", "refused: " + p.selfTest.stopText};
    std::vector<std::string> fields = {"result", RecordOutcome(verdict)};
    for (const auto& [item, itemVerdict] : TestRecordOfRun(p, verdict).items)
        if (itemVerdict == false)
            fields.push_back(item);
    return fields;
}

} // namespace

bool StartStationWorker(Program& p, const std::string& slot)
{
    if (auto* records = dynamic_cast<StationRecords*>(p.storage))
        records->setSlot(slot);
    KeepTestConfigFile(true);
    StopOnStationInput();
    SayToStation({"step", "connecting"});
    return true;
}

void TellStationTheUnit(const Program& p)
{
    SayToStation({"unit", p.form.settings.currentSno, p.identity.userName});
    SayToStation({"step", "self test"});
}

void TellStationTheResult(const Program& p, bool connected, int result)
{
    SayToStation(StationResult(p, connected, result));
}
