#pragma once
// A self test run as one slot of the test station (selftest --station-slot): the unit's
// progress goes to the station in lines of its own, the configuration, shared with the
// other slots, is not written back, and the record names the slot.

#include <string>

struct Program;

// False, with a message, when this build has no test station.
bool StartStationWorker(Program& p, const std::string& slot);
// Once connected: the unit's serial and user name, and that the test begins.
void TellStationTheUnit(const Program& p);
// The outcome as the record has it, and the items that failed.
void TellStationTheResult(const Program& p, bool connected, int result);
