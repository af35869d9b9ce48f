#pragma once
// The GPX that keeps the speed (sbp/SpeedGpx.h) written to a file.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ResultCode.h"
#include "sbp/SpeedGpx.h"

struct Program;

// The name it is written under beside the other exports: BASE.speed.gpx.
std::string SpeedGpxName(const std::string& base);

// Writes `records` (32-byte SBP records, no header block) to `output`, replacing
// it; no partial file is left. kOk with the points written in `points`, or
// kWriteFailed with the system's reason in `error`.
ResultCode WriteSpeedGpxFile(const uint8_t* records, size_t count, const SpeedGpxHeader& header,
                             const std::string& output, size_t* points, std::string* error);

// Another logger's log (.sbn, .ubx, .oao, .gpy, GPX): the GPX that keeps the speed is the one
// export made from it, BASE.speed.gpx in the working directory, with the serial and user
// name the file tells. The message log says what was written and where the reading stopped.
// kOk; kIncomplete when the file was not read whole (the points before are written); the
// reader's status when it read nothing; kWriteFailed.
ResultCode ExportOtherLogSpeedGpx(Program& p, const std::string& input);
