#pragma once
// The production station's follow-ups of a serial-number write and of a self
// test: the full clear and the power-off, as the hidden boxes loaded from the
// test configuration say, unless the command line decided otherwise for the run.

#include <string>

#include "program/FollowUpChoice.h"

struct Program;

bool ClearFollows(const Program& p);
bool PowerOffFollows(const Program& p);
// Which follow-ups are on and what decided it, such as "Auto clear and auto power-off
// are on: auto_log_clear=1 and auto_poweroff=1 in /station/VR60Test.ini"; empty when neither is.
std::string FollowUpsSource(const Program& p);
// Logs FollowUpsSource when a follow-up comes, so the operator sees why before it starts.
void LogFollowUpsSource(Program& p);
