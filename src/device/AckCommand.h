#pragma once
// The common shape of a plain device command: refuse without a link, send the
// 9-byte command with the hourglass showing, wait for the acknowledgement, and
// tell the operator the outcome in a box.

#include <cstdint>

#include "platform/ResultCode.h"

struct Program;

// kOk acknowledged, kNoLink (or busy), kNoAck.
ResultCode AckCommandWithBoxes(Program& p, uint8_t id, uint16_t budget, const char* noLinkBox, const char* doneBox,
                        const char* failedBox);
